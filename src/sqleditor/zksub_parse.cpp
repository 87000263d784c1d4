#include "sqleditor/zksub_parse.h"

#include "core/zksub_text.h"

#include <algorithm>

// ---------------------------------------------------------------- TzkParseList

TzkParseList::~TzkParseList()
{
    Clear();
}

void TzkParseList::checkIndex(int Index) const
{
    if (Index < 0 || Index >= m_count)
        throw EListError(Index);
}

void TzkParseList::grow()
{
    int delta = 4;
    if (m_capacity > 64)
        delta = m_capacity / 4;
    else if (m_capacity > 8)
        delta = 16;
    SetCapacity(m_capacity + delta);
}

void TzkParseList::SetCapacity(int Value)
{
    Value = std::max(Value, m_count);
    if (Value == m_capacity)
        return;
    std::vector<TzkParseItem> items(static_cast<size_t>(Value));
    for (int i = 0; i < m_count; ++i)
        items[i] = std::move(m_list[i]);
    m_list.swap(items);
    m_capacity = Value;
}

int TzkParseList::Add(const QString &AObjectName, const QString &AAlias)
{
    const int index = m_count;
    Insert(index, AObjectName, AAlias);
    return index;
}

void TzkParseList::Insert(int Index, const QString &AObjectName, const QString &AAlias)
{
    Index = std::clamp(Index, 0, m_count);
    if (m_count == m_capacity)
        grow();
    for (int i = m_count; i > Index; --i)
        m_list[i] = std::move(m_list[i - 1]);
    m_list[Index] = TzkParseItem{AObjectName, AAlias};
    ++m_count;
}

void TzkParseList::Delete(int Index)
{
    checkIndex(Index);
    for (int i = Index; i < m_count - 1; ++i)
        m_list[i] = std::move(m_list[i + 1]);
    --m_count;
    m_list[m_count] = TzkParseItem();
}

void TzkParseList::Clear()
{
    if (m_count == 0)
        return;
    std::vector<TzkParseItem>().swap(m_list);
    m_count = 0;
    m_capacity = 0;
}

int TzkParseList::IndexOf(const QString &AObjectName, const QString &AAlias) const
{
    for (int i = 0; i < m_count; ++i) {
        if (m_list[i].FObjectName == AObjectName && m_list[i].FAlias == AAlias)
            return i;
    }
    return -1;
}

QString TzkParseList::GetObjectName(int Index) const
{
    checkIndex(Index);
    return m_list[Index].FObjectName;
}

void TzkParseList::SetObjectName(int Index, const QString &Value)
{
    checkIndex(Index);
    m_list[Index].FObjectName = Value;
}

QString TzkParseList::GetAlias(int Index) const
{
    checkIndex(Index);
    return m_list[Index].FAlias;
}

void TzkParseList::SetAlias(int Index, const QString &Value)
{
    checkIndex(Index);
    m_list[Index].FAlias = Value;
}

// ---------------------------------------------------------------- helpers

namespace {

bool isBlank(QChar c)
{
    const char16_t u = c.unicode();
    return u == ' ' || u == '\t' || u == '\n' || u == '\r';
}

bool isWordChar(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= 128)
        return true;
    return u == '#' || u == '$' || u == '_' || (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z')
           || (u >= 'a' && u <= 'z');
}

bool isOperatorChar(QChar c)
{
    const char16_t u = c.unicode();
    return u == '!' || u == '<' || u == '=' || u == '>';
}

char16_t asciiUpper(char16_t u)
{
    return (u >= 'a' && u <= 'z') ? char16_t(u - 32) : u;
}

// ASCII case-insensitive: do the characters at pos (0-based) spell keyword?
bool matchesAt(const QString &s, qsizetype pos, QLatin1StringView keyword)
{
    if (pos + keyword.size() > s.size())
        return false;
    for (qsizetype i = 0; i < keyword.size(); ++i) {
        if (asciiUpper(s[pos + i].unicode()) != char16_t(keyword[i].unicode()))
            return false;
    }
    return true;
}

bool isRemLine(const QString &line)
{
    const QString t = TrimBlanks(line).toUpper();
    if (t.isEmpty())
        return true;
    if (t.startsWith(QLatin1String("REMARK")))
        return t.size() == 6 || t[6] == QLatin1Char(' ') || t[6] == QLatin1Char('\t');
    if (t.startsWith(QLatin1String("REM")))
        return t.size() == 3 || t[3] == QLatin1Char(' ') || t[3] == QLatin1Char('\t');
    return false;
}

} // namespace

// ---------------------------------------------------------------- StripSqlComments

void StripSqlComments(QStringList &Lines, bool CutAtSemicolon)
{
    while (!Lines.isEmpty() && isRemLine(Lines.first()))
        Lines.removeFirst();
    while (!Lines.isEmpty() && isRemLine(Lines.last()))
        Lines.removeLast();

    bool inSingle = false;
    bool inDouble = false;
    bool inComment = false;
    const qsizetype count = Lines.size();
    for (qsizetype row = 0; row < count; ++row) {
        QString line = TrimBlanks(Lines[row]);
        const bool lineSingle = inSingle;
        const bool lineDouble = inDouble;
        qsizetype commentStart = 0; // 0-based; a comment carried in starts at column 1
        qsizetype i = 0;
        while (i < line.size()) {
            const QChar c = line[i];
            const QChar next = i + 1 < line.size() ? line[i + 1] : QChar();
            if (c == QLatin1Char('"')) {
                if (!inSingle && !inComment)
                    inDouble = !inDouble;
            } else if (c == QLatin1Char('\'')) {
                if (!inDouble && !inComment)
                    inSingle = !inSingle;
            } else if (c == QLatin1Char('*') && next == QLatin1Char('/')) {
                if (inComment && !inSingle && !inDouble) {
                    line.remove(commentStart, i + 2 - commentStart);
                    inComment = false;
                    // Scan the shortened line again from its start, with the
                    // literal state it started with.
                    inSingle = lineSingle;
                    inDouble = lineDouble;
                    i = 0;
                    continue;
                }
            } else if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
                if (!inSingle && !inDouble && !inComment) {
                    line.truncate(i);
                    break;
                }
            } else if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
                if (!inSingle && !inDouble && !inComment) {
                    inComment = true;
                    commentStart = i;
                    i += 2;
                    continue;
                }
            } else if (c == QLatin1Char(';')) {
                if (CutAtSemicolon && !inSingle && !inDouble && !inComment) {
                    Lines[row] = CopyByPos(line, 1, int(i));
                    while (Lines.size() > row + 1)
                        Lines.removeLast();
                    return;
                }
            }
            ++i;
        }
        if (inComment)
            line.truncate(commentStart);
        Lines[row] = line;
    }
}

// ---------------------------------------------------------------- ParseSqlTables

namespace {

enum class Clause { None, SelectList, SetList, InsertColumns, Values, Tables, Condition, GroupList, Having, OrderList };
enum class Literal { Outside, Single, Double };

class SqlTableScanner
{
public:
    SqlTableScanner(const QString &text, TzkParseList &columns, TzkParseList &tables, TzkParseList &orderItems,
                    QStringList &whereTokens, QStringList &groupItems, QStringList &havingTokens,
                    const QString &errorMessage, QString &viewName)
        : m_text(text)
        , m_len(int(text.size()))
        , m_columns(columns)
        , m_tables(tables)
        , m_orderItems(orderItems)
        , m_whereTokens(whereTokens)
        , m_groupItems(groupItems)
        , m_havingTokens(havingTokens)
        , m_errorMessage(errorMessage)
        , m_viewName(viewName)
        , m_lenient(errorMessage.isEmpty())
    {
    }

    // Parses the statement found from 1-based position start on. Returns its
    // kind; restartAt receives the position of a further statement (lenient
    // mode), or 0.
    TzkSQLType parse(int start, int &restartAt);

private:
    QChar at(int p) const { return (p >= 1 && p <= m_len) ? m_text[p - 1] : QChar(); }
    QString text(int x, int y) const { return y < x ? QString() : TrimBlanks(CopyByPos(m_text, x, y)); }
    [[noreturn]] void fail() const { throw ESQLParseError(m_errorMessage); }

    bool inConditionOrHaving() const { return m_clause == Clause::Condition || m_clause == Clause::Having; }
    void adjust()
    {
        if (m_wordMark == m_itemStart)
            m_wordMark = m_p;
    }
    void addParseItem(TzkParseList &list, QString name, QString alias, bool isTables);
    void pairInto(TzkParseList &list)
    {
        addParseItem(list, text(m_itemStart, m_wordMark - 1), text(m_wordMark, m_p - 1), &list == &m_tables);
    }
    void addToken(const QString &token)
    {
        if (token.isEmpty())
            return;
        if (m_clause == Clause::Condition)
            m_whereTokens.append(token);
        else if (m_clause == Clause::Having)
            m_havingTokens.append(token);
    }
    void closeInsertColumn() { addParseItem(m_columns, text(m_itemStart, m_p - 1), QString(), false); }
    void closeValue()
    {
        const QString v = text(m_itemStart, m_p - 1);
        if (!v.isEmpty())
            m_values.append(v);
    }
    void closeClause();
    void skip(int n)
    {
        m_p += n;
        m_itemStart = m_equalsMark = m_wordMark = m_p + 1;
    }
    // Returns false when the scan ends.
    bool blankRule();

    const QString &m_text;
    const int m_len;
    TzkParseList &m_columns;
    TzkParseList &m_tables;
    TzkParseList &m_orderItems;
    QStringList &m_whereTokens;
    QStringList &m_groupItems;
    QStringList &m_havingTokens;
    const QString &m_errorMessage;
    QString &m_viewName;
    const bool m_lenient;

    int m_p = 1;
    TzkSQLType m_kind = sqltNone;
    Clause m_clause = Clause::None;
    Literal m_literal = Literal::Outside;
    int m_depth = 0;
    int m_itemStart = 1;
    int m_wordMark = 1;
    int m_equalsMark = 1;
    bool m_leftRight = false;
    bool m_inner = false;
    bool m_outer = false;
    bool m_join = false;
    bool m_restart = false;
    QStringList m_values;
};

void SqlTableScanner::addParseItem(TzkParseList &list, QString name, QString alias, bool isTables)
{
    if (isTables) {
        name.replace(QLatin1String("\r\n"), QLatin1String(" "));
        if (name.contains(QLatin1Char(' '))) {
            const QStringList pieces = name.split(QLatin1Char(' '));
            name = pieces.first();
            if (alias.isEmpty() || alias.compare(QLatin1String("go"), Qt::CaseInsensitive) == 0)
                alias = pieces.last();
        }
        alias.replace(QLatin1String("\r\n"), QLatin1String(" "));
        alias.remove(QLatin1Char(';'));
        if (alias.contains(QLatin1Char(' ')))
            alias = alias.section(QLatin1Char(' '), 0, 0);
        if (name.isEmpty()) {
            name = alias;
            alias.clear();
        }
        if (name.isEmpty())
            return;
        list.Add(name, alias);
        return;
    }
    if (name.isEmpty() && alias.isEmpty())
        return;
    if (name.isEmpty())
        list.Add(alias, QString());
    else
        list.Add(name, alias);
}

void SqlTableScanner::closeClause()
{
    switch (m_clause) {
    case Clause::SelectList: pairInto(m_columns); break;
    case Clause::SetList:
        addParseItem(m_columns, text(m_itemStart, m_equalsMark - 1), text(m_equalsMark + 1, m_p - 1), false);
        break;
    case Clause::Tables: pairInto(m_tables); break;
    case Clause::Condition:
    case Clause::Having: addToken(text(m_wordMark, m_p - 1)); break;
    case Clause::GroupList: {
        const QString g = text(m_itemStart, m_p - 1);
        if (!g.isEmpty())
            m_groupItems.append(g);
        break;
    }
    case Clause::OrderList: pairInto(m_orderItems); break;
    default: break;
    }
}

bool SqlTableScanner::blankRule()
{
    if (inConditionOrHaving()) {
        addToken(text(m_wordMark, m_p - 1));
        m_wordMark = m_p;
    }
    while (m_p <= m_len && isBlank(at(m_p)))
        ++m_p;
    if (m_p > m_len)
        return false;

    int end = m_p;
    while (end <= m_len && isWordChar(at(end)))
        ++end;
    QString word = m_text.mid(m_p - 1, end - m_p);
    for (QChar &ch : word)
        ch = QChar(asciiUpper(ch.unicode()));
    const bool tables = m_clause == Clause::Tables;

    if (word == QLatin1String("FROM")) {
        adjust();
        if (m_clause == Clause::SelectList)
            pairInto(m_columns);
        m_clause = Clause::Tables;
        skip(4);
    } else if (tables && (word == QLatin1String("LEFT") || word == QLatin1String("RIGHT"))) {
        pairInto(m_tables);
        m_leftRight = true;
        skip(int(word.size()));
    } else if (tables && (word == QLatin1String("INNER") || word == QLatin1String("OUTER"))) {
        if (!m_leftRight)
            pairInto(m_tables);
        (word == QLatin1String("INNER") ? m_inner : m_outer) = true;
        skip(5);
    } else if (tables && word == QLatin1String("JOIN")) {
        if (!m_leftRight && !m_inner && !m_outer)
            pairInto(m_tables);
        m_join = true;
        skip(4);
    } else if (tables && m_join && word == QLatin1String("ON")) {
        pairInto(m_tables);
        m_clause = Clause::Condition;
        m_leftRight = m_inner = m_outer = m_join = false;
        skip(2);
    } else if (word == QLatin1String("WHERE") || word == QLatin1String("GROUP") || word == QLatin1String("ORDER")) {
        adjust();
        if (m_clause == Clause::SelectList)
            fail();
        if (m_clause != Clause::InsertColumns && m_clause != Clause::Values)
            closeClause();
        const char16_t first = asciiUpper(at(m_p).unicode());
        m_clause = first == 'G' ? Clause::GroupList : first == 'O' ? Clause::OrderList : Clause::Condition;
        skip(5);
    } else if (word == QLatin1String("HAVING")) {
        adjust();
        if (m_clause == Clause::SelectList || m_clause == Clause::OrderList)
            fail();
        if (m_clause != Clause::InsertColumns && m_clause != Clause::Values)
            closeClause();
        m_clause = Clause::Having;
        skip(6);
    } else if (m_kind == sqltUpdate && word == QLatin1String("SET")) {
        adjust();
        if (tables)
            pairInto(m_tables);
        m_clause = Clause::SetList;
        skip(3);
    } else if (word == QLatin1String("INTO")) {
        skip(4);
    } else if (word.isEmpty() && at(m_p) == QLatin1Char('(') && m_kind == sqltInsert && tables) {
        pairInto(m_tables);
        m_clause = Clause::InsertColumns;
        m_itemStart = m_equalsMark = m_p + 1;
    } else if (m_kind == sqltInsert && word == QLatin1String("VALUES")) {
        if (tables)
            pairInto(m_tables);
        m_clause = Clause::Values;
        skip(6);
    } else if (m_kind == sqltCreateView && word == QLatin1String("AS")) {
        if (tables)
            m_viewName = text(m_wordMark, m_p - 1);
        skip(2);
    } else if (m_kind == sqltCreateView && !m_viewName.isEmpty() && word == QLatin1String("SELECT")) {
        m_clause = Clause::SelectList;
        skip(6);
    } else if (word == QLatin1String("BY")) {
        skip(2);
    } else if (word == QLatin1String("UNION") || word == QLatin1String("FOR")) {
        fail();
    } else if (word == QLatin1String("SELECT") || word == QLatin1String("INSERT") || word == QLatin1String("UPDATE")
               || word == QLatin1String("DELETE")) {
        if (m_lenient) {
            m_restart = true;
            return false;
        }
    } else if (word == QLatin1String("GO")) {
        if (!m_lenient)
            return false;
    } else {
        m_wordMark = m_p;
    }
    return true;
}

TzkSQLType SqlTableScanner::parse(int start, int &restartAt)
{
    restartAt = 0;
    m_p = start;
    struct Opening
    {
        const char *keyword;
        TzkSQLType kind;
        Clause clause;
        int skip; // CREATE VIEW is passed with the character after it
    };
    static const Opening openings[] = {
        {"SELECT", sqltSelect, Clause::SelectList, 6},       {"INSERT", sqltInsert, Clause::Tables, 6},
        {"UPDATE", sqltUpdate, Clause::Tables, 6},           {"DELETE", sqltDelete, Clause::Tables, 6},
        {"CREATE VIEW", sqltCreateView, Clause::Tables, 12},
    };
    while (m_p <= m_len && m_kind == sqltNone) {
        bool found = false;
        for (const Opening &o : openings) {
            if (matchesAt(m_text, m_p - 1, QLatin1StringView(o.keyword))) {
                m_kind = o.kind;
                m_clause = o.clause;
                m_p += o.skip;
                found = true;
                break;
            }
        }
        if (!found)
            ++m_p;
    }
    if (m_kind == sqltNone)
        return sqltNone;
    m_itemStart = m_wordMark = m_equalsMark = m_p;

    while (m_p <= m_len) {
        const QChar c = at(m_p);
        const char16_t u = c.unicode();
        if (u == '\'' || (u == '"' && !(m_kind == sqltCreateView && m_viewName.isEmpty()))) {
            const Literal mine = u == '\'' ? Literal::Single : Literal::Double;
            if (m_literal == Literal::Outside) {
                if (m_depth == 0 && inConditionOrHaving()) {
                    addToken(text(m_wordMark, m_p - 1));
                    m_wordMark = m_p;
                }
                m_literal = mine;
            } else if (m_literal == mine) {
                if (m_depth == 0 && inConditionOrHaving()) {
                    addToken(text(m_wordMark, m_p));
                    m_wordMark = m_p + 1;
                }
                m_literal = Literal::Outside;
            }
        } else if (u == '(') {
            if (m_literal == Literal::Outside) {
                if (m_depth == 0) {
                    if (m_clause == Clause::Tables && m_kind == sqltInsert) {
                        adjust();
                        pairInto(m_tables);
                        m_clause = Clause::InsertColumns;
                        m_itemStart = m_equalsMark = m_p + 1;
                    } else if (m_clause == Clause::Values) {
                        m_values.clear();
                        m_itemStart = m_equalsMark = m_p + 1;
                    } else if (inConditionOrHaving()) {
                        addToken(text(m_wordMark, m_p - 1));
                        m_wordMark = m_p;
                    }
                }
                ++m_depth;
            }
        } else if (u == ')') {
            if (m_literal == Literal::Outside) {
                if (--m_depth < 0)
                    fail();
                if (m_depth == 0) {
                    if (inConditionOrHaving()) {
                        addToken(text(m_wordMark, m_p));
                    } else if (m_clause == Clause::InsertColumns) {
                        closeInsertColumn();
                        m_clause = Clause::Values;
                        m_itemStart = m_p + 1;
                    } else if (m_clause == Clause::Values) {
                        closeValue();
                        m_itemStart = m_p + 1;
                    }
                    m_wordMark = m_p + 1;
                }
            }
        } else if (isOperatorChar(c)) {
            if ((m_literal == Literal::Outside && m_depth == 0) || m_lenient) {
                if (m_clause == Clause::Condition) {
                    addToken(text(m_wordMark, m_p - 1));
                    m_wordMark = m_p;
                    int end = m_p;
                    while (end <= m_len && isOperatorChar(at(end)))
                        ++end;
                    addToken(text(m_p, end - 1));
                    m_p = m_wordMark = end;
                    continue;
                }
                if (u == '=' && m_equalsMark == m_itemStart)
                    m_equalsMark = m_p;
            }
        } else if (u == ',') {
            const bool listParen = m_depth == 1 && (m_clause == Clause::InsertColumns || m_clause == Clause::Values);
            if (m_literal == Literal::Outside && (m_depth == 0 || listParen || m_lenient)) {
                adjust();
                switch (m_clause) {
                case Clause::SelectList:
                case Clause::SetList:
                case Clause::Tables:
                case Clause::GroupList:
                case Clause::OrderList: closeClause(); break;
                case Clause::InsertColumns: closeInsertColumn(); break;
                case Clause::Values: closeValue(); break;
                case Clause::Condition:
                case Clause::Having: fail();
                default: break;
                }
                m_itemStart = m_equalsMark = m_wordMark = m_p + 1;
            }
        } else if (isBlank(c)) {
            if (m_literal == Literal::Outside && (m_depth == 0 || m_lenient)) {
                if (!blankRule())
                    break;
                continue;
            }
        }
        ++m_p;
    }

    if (!text(m_itemStart, m_p - 1).isEmpty()) {
        adjust();
        switch (m_clause) {
        case Clause::SelectList:
        case Clause::SetList:
        case Clause::Tables:
        case Clause::GroupList:
        case Clause::OrderList:
        case Clause::Condition:
        case Clause::Having: closeClause(); break;
        default: break;
        }
    }
    if (m_literal != Literal::Outside)
        fail();
    if (m_depth > 0 && !m_lenient)
        fail();
    if (m_kind == sqltInsert) {
        if (m_columns.Count() == 0) {
            for (const QString &v : std::as_const(m_values))
                m_columns.Add(QString(), v);
        } else {
            if (m_values.size() != m_columns.Count())
                fail();
            for (int i = 0; i < m_columns.Count(); ++i)
                m_columns.SetAlias(i, m_values[i]);
        }
    }
    if (m_restart)
        restartAt = m_p;
    return m_kind;
}

} // namespace

TzkSQLType ParseSqlTables(const QString &SQLText, TzkParseList &Columns, TzkParseList &Tables, TzkParseList &OrderItems,
                          QStringList &WhereTokens, QStringList &GroupItems, QStringList &HavingTokens,
                          const QString &ErrorMessage, QString &ViewName)
{
    ViewName.clear();
    TzkSQLType result = sqltNone;
    bool first = true;
    int start = 1;
    // A further statement in lenient mode is parsed by the next round, from
    // the word that began it, into the same lists.
    for (;;) {
        SqlTableScanner scanner(SQLText, Columns, Tables, OrderItems, WhereTokens, GroupItems, HavingTokens,
                                ErrorMessage, ViewName);
        int restartAt = 0;
        const TzkSQLType kind = scanner.parse(start, restartAt);
        if (first)
            result = kind;
        first = false;
        if (restartAt <= start)
            break;
        ViewName.clear();
        start = restartAt;
    }
    return result;
}

void SelectSqlErrorPosition(ISqlErrorSelection *Memo, TFDQuery *Query, const QString &Schema, int FirstRow, int LastRow,
                            const QString &ErrorMessage)
{
    Q_UNUSED(Query);
    Q_UNUSED(Schema);
    Q_UNUSED(ErrorMessage);
    if (Memo && Memo->SelText().isEmpty())
        Memo->MultiLineSelect(FirstRow, LastRow);
}
