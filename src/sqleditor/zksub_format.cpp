#include "sqleditor/zksub_format.h"

#include "core/zkoption.h"
#include "sqleditor/zksub_reserve.h"

namespace {

// Clause states of a statement.
enum : int {
    csNone = 0,
    csSelect = 1,
    csSet = 2,
    csInsertColumns = 3,
    csValues = 4,
    csTables = 5,
    csCondition = 6,
    csGroupBy = 7,
    csHaving = 8,
    csOrderBy = 9,
};

// Statement kinds.
enum : int { skNone = 0, skSelect = 1, skInsert = 2, skUpdate = 3, skDelete = 4 };

bool isDelimiter(QChar c)
{
    switch (c.unicode()) {
    case '\t':
    case '\n':
    case '\r':
    case ' ':
    case '"':
    case '\'':
    case '(':
    case ')':
    case '*':
    case ',':
    case '-':
    case '/':
    case ';':
    case '<':
    case '=':
    case '>': return true;
    default: return false;
    }
}

bool isBlank(QChar c)
{
    const char16_t u = c.unicode();
    return u == ' ' || u == '\t' || u == '\n' || u == '\r';
}

bool isSpace(QChar c)
{
    return c.unicode() == ' ' || c.unicode() == '\t';
}

bool isLineBreak(QChar c)
{
    return c.unicode() == '\n' || c.unicode() == '\r';
}

// A character that belongs to a word of the output.
bool isWordChar(QChar c)
{
    return !c.isNull() && !isDelimiter(c);
}

bool isDigit(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

// Per UTF-16 unit: "straße" must keep its length and its ß.
QString upperUnits(QStringView w)
{
    QString r(w.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < w.size(); ++i)
        r[i] = w[i].toUpper();
    return r;
}

QString lowerUnits(QStringView w)
{
    QString r(w.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < w.size(); ++i)
        r[i] = w[i].toLower();
    return r;
}

bool equalsAscii(QStringView w, QLatin1StringView keyword)
{
    if (w.size() != keyword.size())
        return false;
    for (qsizetype i = 0; i < w.size(); ++i) {
        char16_t u = w[i].unicode();
        if (u >= 'a' && u <= 'z')
            u -= 32;
        if (u != char16_t(keyword[i].unicode()))
            return false;
    }
    return true;
}

bool endsWithAny(const QString &s, QLatin1StringView chars)
{
    return !s.isEmpty() && chars.contains(s.back());
}

class SqlFormatter
{
public:
    SqlFormatter(const QString &text, const TFormatOption &option)
        : m_src(text)
        , m_n(int(text.size()))
        , m_realEnd(int(text.size()))
        , m_opt(option)
        , m_commaAtEnd(option.CommaPos == 1)
        , m_oneLine(option.ItemReturn == 1)
    {
        m_out.reserve(text.size() + text.size() / 2);
    }

    QString run();

private:
    // ---- source
    QChar at(int i) const { return (i >= 0 && i < m_n) ? m_src[i] : QChar(); }
    bool inComment() const { return m_commentDepth > 0 || m_lineComment; }
    bool inLiteral() const { return m_quote || m_doubleQuote; }
    bool inLiteralOrComment() const { return inComment() || inLiteral(); }
    bool slashAlone(int i) const;
    bool completesComment(int i) const;
    bool isNumberExponent(int i) const;
    bool sticky(int i) const;
    bool stickyBeforeWord() const { return !m_word.isEmpty() && sticky(m_wordStart); }
    bool mergesWithTail(QChar c) const;
    void appendPendingWord(const QString &w);

    // ---- look-ahead
    bool nextIsClauseKeyword(int i);
    bool nextWordIs(int i, QLatin1StringView w, bool overSemicolons = true) const;
    bool nextStartsComment(int i) const;
    bool restOfLineBlank(int i) const;
    bool nextIsComma(int i) const;
    bool blankAllowed() { return !nextIsClauseKeyword(m_p + 1) && !nextIsComma(m_p + 1); }

    // ---- output
    void put(QStringView s, bool raw = false);
    void putRaw(QStringView s) { put(s, true); }
    void putSourceChar(QChar c, bool raw);
    void lineBreak() { put(u"\r\n"); }
    void flushPending()
    {
        if (!m_pending.isEmpty()) {
            put(m_pending);
            m_pending.clear();
        }
    }
    void flagsFalse() { m_atLineStart = m_indentWritten = false; }
    bool outputAtLineStart() const;
    bool atLineStart() const { return m_atLineStart && outputAtLineStart(); }
    bool outputEndsWithWord(QLatin1StringView w) const;
    void trimOutputEnd();

    // ---- words
    QString indentText() const { return m_indentLevel > 0 ? QString(m_indentLevel, QLatin1Char(' ')) : QString(); }
    QString keywordCase(QStringView w) const;
    QString itemCase(QStringView w) const;
    QString padKeyword(const QString &k) const;
    QString continuationPad() const;
    QString continuationLine(bool commaBlank) const
    {
        return indentText() + (commaBlank && !m_commaAtEnd ? QStringLiteral(" ") : QString()) + continuationPad();
    }

    // ---- rules
    void literalRule(QChar c);
    void blockKeywordRule();
    void clauseKeywordRule();
    void startClauseLine(const QString &keyword);
    void startKeywordLine(QStringView keyword);
    void breakUnlessAtLineStart()
    {
        if (!atLineStart())
            lineBreak();
    }
    void breakUnlessRestOfLineBlank()
    {
        if (!restOfLineBlank(m_p)) {
            lineBreak();
            m_atLineStart = true;
        }
    }
    void putBlockKeyword()
    {
        put(keywordCase(m_word));
        flagsFalse();
        m_word.clear();
    }
    void itemRule(QChar c);
    void listItemRule(QChar c);
    void listComma(bool setList = false);
    void continueOnNextLine()
    {
        lineBreak();
        put(continuationLine(false));
        flagsFalse();
    }
    void setItemRule(QChar c);
    void conditionItemRule(QChar c);
    void addConditionDelimiter(QChar c, const QString &word);
    bool plainRule(QChar c);
    void bookkeeping(QChar c);
    bool copyListComment(int i);
    void endStatement();

    QString m_src;
    int m_n;
    int m_realEnd; // length of the input; a position past it is the synthetic end
    const TFormatOption m_opt;
    const bool m_commaAtEnd;
    const bool m_oneLine;

    int m_p = 0;
    QString m_word;
    int m_wordStart = 0;
    QString m_out;
    QString m_pending;
    int m_protectedEnd = 0; // the output before this index holds comment or literal text

    int m_statement = skNone;
    int m_clause = csNone;
    int m_indentLevel = 0;

    bool m_atLineStart = true;
    bool m_indentWritten = false;
    bool m_joinPending = false;
    int m_commentDepth = 0; // block comments nest
    bool m_lineComment = false;
    bool m_quote = false;
    bool m_doubleQuote = false;
    int m_pairEnd = -2; // second character of the last comment mark, so it starts no other
    bool m_inParens = false;
    bool m_listParenSeen = false;
    bool m_afterBetween = false;
    bool m_inException = false;
    bool m_firstWhen = true;
    bool m_afterDeclare = false;
    bool m_topLevel = true;
    bool m_afterFor = false;
    bool m_afterWhile = false;
    bool m_afterCursor = false;

    // The BY of the GROUP BY or ORDER BY line, and the INTO of the INSERT
    // INTO line, that the formatter wrote itself: only that one word of the
    // input is consumed.
    bool m_byPending = false;
    bool m_intoPending = false;
    // A line comment ended or a GO stood alone on its line: whatever comes
    // next must start a new line.
    bool m_mustBreak = false;
};

// ---------------------------------------------------------------- source tests

bool SqlFormatter::slashAlone(int i) const
{
    if (at(i) != QLatin1Char('/') || at(i - 1) != QLatin1Char('\n'))
        return false;
    return i + 1 >= m_realEnd || isLineBreak(at(i + 1));
}

bool SqlFormatter::completesComment(int i) const
{
    const QChar c = at(i);
    const QChar before = at(i - 1);
    return (c == QLatin1Char('*') && before == QLatin1Char('/'))
           || (c == QLatin1Char('-') && before == QLatin1Char('-'));
}

// The e or E at i ends a number such as 1.5e (an exponent follows).
bool SqlFormatter::isNumberExponent(int i) const
{
    const QChar e = at(i);
    if (e != QLatin1Char('e') && e != QLatin1Char('E'))
        return false;
    int j = i - 1;
    bool digit = false;
    while (j >= 0 && (isDigit(m_src[j]) || m_src[j] == QLatin1Char('.'))) {
        digit = digit || isDigit(m_src[j]);
        --j;
    }
    return digit && (j < 0 || !isWordChar(m_src[j]));
}

// The characters at i-1 and i form one token that a blank would break
// (!=, <=, +=, a qualified name, an exponent ...).
bool SqlFormatter::sticky(int i) const
{
    if (i <= 0 || i >= m_realEnd)
        return false;
    const char16_t a = m_src[i - 1].unicode();
    const char16_t b = m_src[i].unicode();
    if (b == '=' && QLatin1StringView("!<>+-*/%&^|").contains(QChar(a)))
        return true;
    if ((a == '<' && b == '>') || (a == '!' && (b == '<' || b == '>')))
        return true;
    if (a == '.' || b == '.')
        return true;
    if ((b == '-' || b == '+') && isNumberExponent(i - 1))
        return true;
    if (isDigit(QChar(b)) && (a == '-' || a == '+') && isNumberExponent(i - 2))
        return true;
    return false;
}

// The delimiter at m_p would form, with the character before it in the
// output, a pair that was apart in the input: -- or /* (a comment would
// begin) or two quotes of one kind (two literals would read as one).
bool SqlFormatter::mergesWithTail(QChar c) const
{
    const QString &tail = m_pending.isEmpty() ? m_out : m_pending;
    if (tail.isEmpty() || at(m_p - 1) == tail.back())
        return false;
    const QChar last = tail.back();
    return (c == last && (c == QLatin1Char('-') || c == QLatin1Char('\'') || c == QLatin1Char('"')))
           || (last == QLatin1Char('/') && c == QLatin1Char('*'));
}

// Words in the pending term: two words of the input never run together.
void SqlFormatter::appendPendingWord(const QString &w)
{
    if (!w.isEmpty() && !m_pending.isEmpty() && isWordChar(m_pending.back()) && isWordChar(w[0])
        && w[0] != QLatin1Char('.') && !m_pending.endsWith(QLatin1Char('.')))
        m_pending += QLatin1Char(' ');
    m_pending += w;
}

// ---------------------------------------------------------------- look-ahead

bool SqlFormatter::nextIsClauseKeyword(int i)
{
    while (i < m_n && isBlank(m_src[i]))
        ++i;
    const int start = i;
    // No keyword is longer than six characters: read no further than needed.
    while (i < m_n && !isBlank(m_src[i]) && i - start < 7)
        ++i;
    const QStringView t = QStringView(m_src).mid(start, i - start);
    static const QLatin1StringView keywords[] = {
        QLatin1StringView("SELECT"), QLatin1StringView("FROM"),   QLatin1StringView("WHERE"),
        QLatin1StringView("GROUP"),  QLatin1StringView("ORDER"),  QLatin1StringView("HAVING"),
        QLatin1StringView("RIGHT"),  QLatin1StringView("LEFT"),   QLatin1StringView("INNER"),
        QLatin1StringView("OUTER"),  QLatin1StringView("JOIN"),   QLatin1StringView("INSERT"),
        QLatin1StringView("VALUES"), QLatin1StringView("UPDATE"), QLatin1StringView("SET"),
        QLatin1StringView("DELETE"), QLatin1StringView("UNION"),  QLatin1StringView("FOR"),
    };
    bool result = false;
    for (QLatin1StringView k : keywords) {
        if (equalsAscii(t, k)) {
            result = true;
            break;
        }
    }
    if (!result && m_opt.AndPos == 0 && m_opt.ItemReturn == 0
        && (equalsAscii(t, QLatin1StringView("AND")) || equalsAscii(t, QLatin1StringView("OR"))))
        result = true;
    if (!result && m_clause == csInsertColumns && !t.isEmpty() && t[0] == QLatin1Char('('))
        result = true;
    if (result)
        m_joinPending = false;
    return result;
}

bool SqlFormatter::nextWordIs(int i, QLatin1StringView w, bool overSemicolons) const
{
    auto stop = [overSemicolons](QChar c) { return isBlank(c) || (overSemicolons && c == QLatin1Char(';')); };
    while (i < m_n && stop(m_src[i]))
        ++i;
    const int start = i;
    while (i < m_n && !stop(m_src[i]) && i - start <= w.size())
        ++i;
    const QStringView token = QStringView(m_src).mid(start, i - start);
    if (equalsAscii(token, w))
        return true;
    // Without the skip over semicolons the word may end at any delimiter.
    return !overSemicolons && token.size() == w.size() + 1 && isDelimiter(token.back())
           && equalsAscii(token.left(w.size()), w);
}

bool SqlFormatter::nextStartsComment(int i) const
{
    while (i < m_n && isBlank(m_src[i]))
        ++i;
    const QChar a = at(i);
    const QChar b = at(i + 1);
    return (a == QLatin1Char('-') && b == QLatin1Char('-')) || (a == QLatin1Char('/') && b == QLatin1Char('*'));
}

bool SqlFormatter::restOfLineBlank(int i) const
{
    while (i < m_n && isSpace(m_src[i]))
        ++i;
    return i < m_n && isLineBreak(m_src[i]);
}

bool SqlFormatter::nextIsComma(int i) const
{
    while (i < m_n && isBlank(m_src[i]))
        ++i;
    return at(i) == QLatin1Char(',');
}

// ---------------------------------------------------------------- output

void SqlFormatter::put(QStringView s, bool raw)
{
    if (s.isEmpty())
        return;
    if (m_mustBreak) {
        // Nothing joins the line of a comment that ran to its end.
        while (!s.isEmpty() && isSpace(s[0]))
            s = s.mid(1);
        if (s.isEmpty())
            return;
        if (!isLineBreak(s[0]))
            m_out += QLatin1String("\r\n");
        m_mustBreak = false;
    }
    // Two words of the input never run together, whatever the layout rules
    // decided about the blank between them.
    if (!raw && !m_out.isEmpty() && isWordChar(s[0]) && s[0] != QLatin1Char('.')) {
        const QChar last = m_out.back();
        if (isWordChar(last) || ((last == QLatin1Char('\'') || last == QLatin1Char('"')) && !inLiteral()))
            m_out += QLatin1Char(' ');
    }
    m_out += s;
    if (raw && inLiteralOrComment() && !isLineBreak(m_out.back()))
        m_protectedEnd = int(m_out.size());
}

// The synthetic line break after the last word is never written.
void SqlFormatter::putSourceChar(QChar c, bool raw)
{
    if (m_p >= m_realEnd)
        return;
    if (!raw && m_pending.isEmpty() && mergesWithTail(c))
        put(u" ");
    put(QStringView(&c, 1), raw);
}

bool SqlFormatter::outputAtLineStart() const
{
    qsizetype i = m_out.size();
    while (i > 0 && isSpace(m_out[i - 1]))
        --i;
    return i == 0 || isLineBreak(m_out[i - 1]);
}

bool SqlFormatter::outputEndsWithWord(QLatin1StringView w) const
{
    qsizetype i = m_out.size();
    while (i > 0 && isBlank(m_out[i - 1]))
        --i;
    if (i < w.size())
        return false;
    return equalsAscii(QStringView(m_out).mid(i - w.size(), w.size()), w);
}

void SqlFormatter::trimOutputEnd()
{
    while (m_out.size() > m_protectedEnd && isBlank(m_out.back()))
        m_out.chop(1);
}

// ---------------------------------------------------------------- words

// 0 upper, 1 lower, anything else unchanged.
QString caseBy(int trans, QStringView w)
{
    switch (trans) {
    case 0: return upperUnits(w);
    case 1: return lowerUnits(w);
    default: return w.toString();
    }
}

QString SqlFormatter::keywordCase(QStringView w) const
{
    return caseBy(m_opt.ReserveTrans, w);
}

QString SqlFormatter::itemCase(QStringView w) const
{
    if (w.isEmpty())
        return QString();
    if (inLiteralOrComment())
        return w.toString();
    return caseBy(IsDefaultReserveWord(w) ? m_opt.ReserveTrans : m_opt.ItemTrans, w);
}

QString SqlFormatter::padKeyword(const QString &k) const
{
    const bool allBlank = k.trimmed().isEmpty();
    QString r;
    if (m_clause == csGroupBy || m_clause == csOrderBy) {
        r = (m_opt.ReservePos == 0 || allBlank) ? QLatin1Char(' ') + k : k;
    } else if (k.size() < 6) {
        const QString fill(6 - k.size(), QLatin1Char(' '));
        r = m_opt.ReservePos == 0 ? fill + k : k + fill;
    } else {
        r = k;
    }
    if (!allBlank)
        r += QLatin1Char(' ');
    return r;
}

QString SqlFormatter::continuationPad() const
{
    int n = 0;
    switch (m_clause) {
    case csSelect:
    case csSet:
    case csTables:
    case csCondition:
    case csHaving: n = 6; break;
    case csInsertColumns:
    case csValues: n = 7; break;
    case csGroupBy:
    case csOrderBy: n = 8; break;
    default: return QString();
    }
    if (m_commaAtEnd || ((m_clause == csCondition || m_clause == csHaving) && m_opt.AndPos == 1))
        ++n;
    if ((m_clause == csGroupBy || m_clause == csOrderBy) && m_opt.ReservePos == 0)
        ++n;
    return QString(n, QLatin1Char(' '));
}

// ---------------------------------------------------------------- main loop

QString SqlFormatter::run()
{
    bool endAdded = false;
    for (;;) {
        if (m_p >= m_n) {
            if (m_word.isEmpty() || endAdded)
                break;
            // The last word is handled as if a line break followed it.
            m_src += QLatin1Char('\r');
            ++m_n;
            endAdded = true;
        }
        QChar c = m_src[m_p];
        if (!isDelimiter(c)) {
            if (m_word.isEmpty())
                m_wordStart = m_p;
            if (c == QLatin1Char('[') && !inLiteralOrComment()) {
                // A bracketed name is one word, blanks and keywords inside it
                // included; ]] stands for one ].
                int j = m_p + 1;
                while (j < m_realEnd) {
                    if (m_src[j] == QLatin1Char(']')) {
                        if (j + 1 < m_realEnd && m_src[j + 1] == QLatin1Char(']')) {
                            j += 2;
                            continue;
                        }
                        ++j;
                        break;
                    }
                    ++j;
                }
                m_word += QStringView(m_src).mid(m_p, j - m_p);
                m_p = j;
            } else {
                m_word += c;
                ++m_p;
            }
            continue;
        }
        const bool wasInside = inLiteralOrComment();
        if (c == QLatin1Char('\t') && !wasInside) {
            m_src[m_p] = QLatin1Char(' ');
            c = QLatin1Char(' ');
        }
        if (wasInside) {
            literalRule(c);
        } else {
            if (m_statement == skNone)
                blockKeywordRule();
            clauseKeywordRule();
            if (m_statement != skNone)
                itemRule(m_src[m_p]);
        }
        c = m_src[m_p];
        bool skipBookkeeping = false;
        if (m_statement == skNone)
            skipBookkeeping = plainRule(c);
        if (!skipBookkeeping)
            bookkeeping(c);
        ++m_p;
    }
    flushPending();
    if (!m_word.isEmpty())
        putRaw(m_word);
    return m_out;
}

// ---------------------------------------------------------------- rules

void SqlFormatter::literalRule(QChar c)
{
    if (m_statement == skNone)
        return;
    flushPending();
    putRaw(m_word);
    m_word.clear();
    if (m_p >= m_realEnd)
        return;
    if (m_lineComment && isLineBreak(c)) {
        if (c == QLatin1Char('\r') && at(m_p + 1) == QLatin1Char('\n'))
            return;
        m_lineComment = false;
        if (!nextIsClauseKeyword(m_p + 1)) {
            lineBreak();
            put(continuationLine(true));
            flagsFalse();
        } else {
            m_mustBreak = true;
        }
        return;
    }
    // Literals and block comments keep every character, line breaks and
    // the blanks of their continuation lines included.
    putSourceChar(c, true);
    if (c == QLatin1Char('\n'))
        flagsFalse();
}

void SqlFormatter::blockKeywordRule()
{
    if (m_word.isEmpty())
        return;
    const QStringView w = m_word;
    const int indent = m_opt.Indent;
    if (equalsAscii(w, QLatin1StringView("CREATE"))) {
        breakUnlessAtLineStart();
        m_indentLevel = 0;
        m_inException = m_afterDeclare = m_afterFor = m_afterWhile = m_afterCursor = false;
        m_topLevel = m_firstWhen = true;
    } else if (equalsAscii(w, QLatin1StringView("DECLARE"))) {
        m_afterDeclare = true;
        breakUnlessAtLineStart();
        if (!m_topLevel) {
            put(indentText());
            m_indentLevel += indent;
        }
        putBlockKeyword();
        breakUnlessRestOfLineBlank();
    } else if ((equalsAscii(w, QLatin1StringView("IS")) && m_indentLevel == 0)
               || equalsAscii(w, QLatin1StringView("BEGIN"))) {
        const bool begin = equalsAscii(w, QLatin1StringView("BEGIN"));
        if (!begin && m_afterCursor) {
            m_afterCursor = false;
            if (atLineStart()) {
                put(indentText());
                m_indentWritten = true;
            }
            return;
        }
        breakUnlessAtLineStart();
        if (m_topLevel) {
            m_indentLevel = 0;
            if (begin)
                m_topLevel = false;
        } else if (m_afterDeclare) {
            m_indentLevel -= indent;
            put(indentText());
        } else {
            put(indentText());
        }
        m_afterDeclare = false;
        putBlockKeyword();
        breakUnlessRestOfLineBlank();
        m_indentLevel += indent;
    } else if (equalsAscii(w, QLatin1StringView("EXCEPTION"))) {
        m_inException = m_firstWhen = true;
        breakUnlessAtLineStart();
        m_indentLevel -= indent;
        if (!m_indentWritten)
            put(indentText());
        putBlockKeyword();
        breakUnlessRestOfLineBlank();
        m_indentLevel += indent;
    } else if (equalsAscii(w, QLatin1StringView("END"))) {
        breakUnlessAtLineStart();
        m_indentLevel -= indent;
        if (m_inException && !m_firstWhen && !nextWordIs(m_p, QLatin1StringView("IF"))
            && !nextWordIs(m_p, QLatin1StringView("LOOP")))
            m_indentLevel -= indent;
        put(indentText());
        putBlockKeyword();
    } else if (equalsAscii(w, QLatin1StringView("IF")) || equalsAscii(w, QLatin1StringView("LOOP"))) {
        const bool loop = equalsAscii(w, QLatin1StringView("LOOP"));
        if (outputEndsWithWord(QLatin1StringView("END"))) {
            putBlockKeyword();
            int j = m_p;
            while (j < m_realEnd && isSpace(m_src[j]))
                ++j;
            if (j < m_realEnd && m_src[j] == QLatin1Char(';')) {
                put(u";");
                m_src[j] = QLatin1Char(' ');
                m_p = j;
            } else if (j > m_p) {
                m_p = j - 1;
            }
            breakUnlessRestOfLineBlank();
            return;
        }
        if (loop && (m_afterFor || m_afterWhile)) {
            m_afterFor = m_afterWhile = false;
            if (atLineStart()) {
                put(indentText());
                m_indentWritten = true;
            }
        } else {
            breakUnlessAtLineStart();
            put(indentText());
            m_indentWritten = true;
        }
        const QString original = m_word;
        m_word = itemCase(original);
        if (loop) {
            m_indentLevel += indent;
            if (!restOfLineBlank(m_p)) {
                put(keywordCase(original));
                lineBreak();
                put(indentText());
                m_atLineStart = m_indentWritten = true;
                m_word.clear();
            }
        }
    } else if (equalsAscii(w, QLatin1StringView("ELSE")) || equalsAscii(w, QLatin1StringView("ELSIF"))) {
        const bool isElse = equalsAscii(w, QLatin1StringView("ELSE"));
        breakUnlessAtLineStart();
        m_indentLevel -= indent;
        if (!m_indentWritten)
            put(indentText());
        put(keywordCase(w));
        flagsFalse();
        if (isElse) {
            breakUnlessRestOfLineBlank();
            m_indentLevel += indent;
        }
        m_word.clear();
    } else if (equalsAscii(w, QLatin1StringView("FOR"))) {
        m_afterFor = true;
    } else if (equalsAscii(w, QLatin1StringView("WHILE"))) {
        m_afterWhile = true;
    } else if (equalsAscii(w, QLatin1StringView("THEN"))) {
        if (atLineStart())
            put(indentText());
        put(keywordCase(w));
        m_indentWritten = false;
        m_word.clear();
        m_indentLevel += indent;
        breakUnlessRestOfLineBlank();
    } else if (equalsAscii(w, QLatin1StringView("CURSOR"))) {
        m_afterCursor = true;
    } else if (m_inException && equalsAscii(w, QLatin1StringView("WHEN"))) {
        if (m_firstWhen)
            m_firstWhen = false;
        else
            m_indentLevel -= indent;
    }
}

void SqlFormatter::startClauseLine(const QString &keyword)
{
    flushPending();
    lineBreak();
    flagsFalse();
    put(indentText() + padKeyword(keywordCase(keyword)));
    m_word.clear();
}

// A keyword line of its own: VALUES, UPDATE, SET, DELETE, FOR.
void SqlFormatter::startKeywordLine(QStringView keyword)
{
    breakUnlessAtLineStart();
    flagsFalse();
    put(indentText() + padKeyword(keywordCase(keyword)));
    m_word.clear();
}

void SqlFormatter::clauseKeywordRule()
{
    if (m_word.isEmpty())
        return;
    const QString word = m_word;
    const QStringView w = word;
    const int st = m_statement;
    auto is = [w](const char *k) { return equalsAscii(w, QLatin1StringView(k)); };

    if (is("BY") && m_byPending && (st == skSelect || st == skUpdate)
        && (m_clause == csGroupBy || m_clause == csOrderBy)) {
        m_byPending = false;
        m_word.clear();
        return;
    }
    m_byPending = false;
    if (is("INTO") && m_intoPending && st == skInsert) {
        m_intoPending = false;
        m_word.clear();
        return;
    }
    m_intoPending = false;

    if (is("SELECT")) {
        flushPending();
        m_statement = skSelect;
        m_clause = csSelect;
        if (!m_out.isEmpty()) {
            breakUnlessAtLineStart();
            if (!m_indentWritten)
                put(indentText());
        }
        flagsFalse();
        put(padKeyword(keywordCase(w)));
        m_word.clear();
        m_inParens = false;
    } else if (is("FROM") && (st == skSelect || st == skDelete)) {
        m_clause = csTables;
        startClauseLine(word);
    } else if (is("WHERE")) {
        m_clause = csCondition;
        startClauseLine(word);
        m_afterBetween = false;
        m_pending.clear();
    } else if (is("AND")) {
        m_clause = csCondition;
    } else if (is("OR") && (st == skSelect || st == skUpdate || st == skDelete)) {
        m_clause = csCondition;
    } else if ((is("GROUP") || is("ORDER")) && st == skSelect && nextWordIs(m_p, QLatin1StringView("BY"), false)) {
        // Only GROUP BY and ORDER BY start these clauses; WITHIN GROUP (...)
        // and the like stay items.
        const bool group = is("GROUP");
        m_clause = group ? csGroupBy : csOrderBy;
        startClauseLine(group ? QStringLiteral("GROUP BY") : QStringLiteral("ORDER BY"));
        m_byPending = true;
    } else if (is("HAVING") && st == skSelect) {
        m_clause = csHaving;
        startClauseLine(word);
    } else if ((is("LEFT") || is("RIGHT") || is("INNER") || is("OUTER")) && st == skSelect) {
        flushPending();
        if (m_joinPending) {
            if (!m_out.endsWith(QLatin1Char(' ')))
                put(u" ");
            put(keywordCase(w));
            m_word.clear();
        } else {
            startClauseLine(word);
        }
        m_joinPending = true;
    } else if (is("JOIN") && st == skSelect) {
        flushPending();
        if (m_joinPending) {
            if (!m_out.endsWith(QLatin1Char(' ')))
                put(u" ");
            put(keywordCase(w) + QLatin1Char(' '));
            m_word.clear();
        } else {
            startClauseLine(word);
        }
        m_joinPending = false;
    } else if (is("ON") && m_joinPending) {
        m_clause = csCondition;
        startClauseLine(word);
    } else if (is("INSERT") && nextWordIs(m_p, QLatin1StringView("INTO"), false)) {
        flushPending();
        m_statement = skInsert;
        m_clause = csInsertColumns;
        breakUnlessAtLineStart();
        if (!m_indentWritten)
            put(indentText());
        flagsFalse();
        m_word.clear();
        put(padKeyword(keywordCase(u"INSERT INTO")));
        m_listParenSeen = false;
        m_intoPending = true;
    } else if (is("VALUES") && st == skInsert) {
        flushPending();
        m_clause = csValues;
        startKeywordLine(w);
        m_listParenSeen = false;
    } else if ((is("UPDATE") && !outputEndsWithWord(QLatin1StringView("FOR"))) || (is("SET") && st == skUpdate)
               || is("DELETE")) {
        flushPending();
        if (is("UPDATE")) {
            m_statement = skUpdate;
            m_clause = csTables;
        } else if (is("SET")) {
            m_clause = csSet;
        } else {
            m_statement = skDelete;
            m_clause = csTables;
        }
        startKeywordLine(w);
        m_pending.clear();
    } else if (is("UNION")) {
        m_statement = skSelect;
        m_clause = csSelect;
        startClauseLine(word);
    } else if (is("FOR") && (st == skSelect || st == skUpdate)) {
        flushPending();
        startKeywordLine(w);
    } else if (is("GO")) {
        const QChar before = at(m_wordStart - 1);
        const QChar after = m_src[m_p];
        const bool apart = (m_wordStart == 0 || isLineBreak(before) || before == QLatin1Char(' '))
                           && (after == QLatin1Char('\r') || after == QLatin1Char('\n') || after == QLatin1Char(' ')
                               || m_p >= m_realEnd);
        if (apart) {
            flushPending();
            breakUnlessAtLineStart();
            flagsFalse();
            put(indentText() + word);
            m_word.clear();
            // A batch separator must stay alone on its line.
            if (m_p >= m_realEnd || restOfLineBlank(m_p))
                m_mustBreak = true;
        }
    }
}

void SqlFormatter::itemRule(QChar c)
{
    switch (m_clause) {
    case csSet: setItemRule(c); break;
    case csCondition:
    case csHaving: conditionItemRule(c); break;
    default: listItemRule(c); break;
    }
}

// In the SET list the line after a comma at the end counts as begun.
void SqlFormatter::listComma(bool setList)
{
    if (m_oneLine) {
        put(u", ");
    } else if (m_commaAtEnd) {
        put(u",");
        copyListComment(m_p);
        if (!restOfLineBlank(m_p) && !nextStartsComment(m_p + 1)) {
            continueOnNextLine();
            m_atLineStart = setList;
        }
    } else {
        continueOnNextLine();
        put(u",");
        copyListComment(m_p + 1);
    }
}

void SqlFormatter::listItemRule(QChar c)
{
    if (m_out.endsWith(QLatin1Char(')')) && !(m_word.startsWith(QLatin1Char('.'))))
        put(u" ");
    put(itemCase(m_word));
    m_word.clear();

    switch (c.unicode()) {
    case ',':
        if (!m_inParens || ((m_clause == csInsertColumns || m_clause == csValues) && !m_listParenSeen))
            listComma();
        else
            put(u", ");
        break;
    case '(':
        if (m_clause == csInsertColumns && !copyListComment(m_p)) {
            lineBreak();
            put(indentText() + QString(7, QLatin1Char(' ')));
            flagsFalse();
        }
        put(u"(");
        break;
    case ')':
        if (m_clause == csInsertColumns) {
            copyListComment(m_p);
            put(u")");
            if (!restOfLineBlank(m_p + 1)) {
                lineBreak();
                m_atLineStart = true;
            }
        } else {
            put(u")");
        }
        break;
    case ' ':
        if (!endsWithAny(m_out, QLatin1StringView(" ,")) && (blankAllowed() || m_inParens))
            put(u" ");
        break;
    case '\n':
        if (nextStartsComment(m_p + 1) && !atLineStart()) {
            lineBreak();
            put(continuationLine(true));
            m_atLineStart = true;
            m_indentWritten = false;
        } else if (!endsWithAny(m_out, QLatin1StringView(" ,")) && !nextIsComma(m_p + 1)
                   && (blankAllowed() || !nextIsClauseKeyword(m_p + 1))) {
            put(u" ");
        }
        break;
    case '\r':
    case ';': break;
    case '*': putSourceChar(c, false); break;
    default: {
        const int before = m_p;
        if (!copyListComment(m_p) && m_p == before && !slashAlone(m_p))
            putSourceChar(c, false);
        break;
    }
    }
}

void SqlFormatter::setItemRule(QChar c)
{
    const QString word = m_word;
    if (!word.isEmpty()) {
        if (!m_pending.isEmpty() && !endsWithAny(m_pending, QLatin1StringView(" (-/<>")) && !stickyBeforeWord())
            m_pending += QLatin1Char(' ');
        appendPendingWord(itemCase(word));
        m_word.clear();
    }
    const char16_t u = c.unicode();
    if (!isBlank(c) && u != ',' && u != ';' && !slashAlone(m_p)) {
        if ((!m_pending.isEmpty() && u != '\'' && !equalsAscii(word, QLatin1StringView("N")) && u != '(' && u != ')'
             && !completesComment(m_p) && !m_pending.endsWith(QLatin1Char(' ')) && !sticky(m_p))
            || mergesWithTail(c))
            m_pending += QLatin1Char(' ');
        m_pending += c;
    }
    if (u == ',') {
        flushPending();
        if (m_inParens)
            put(u", ");
        else
            listComma(true);
        m_pending.clear();
    }
    if (u == '\n' && nextStartsComment(m_p + 1))
        m_pending += QLatin1String("\r\n") + continuationLine(true);
}

// The delimiter after a word of a condition joins the pending term.
void SqlFormatter::addConditionDelimiter(QChar c, const QString &word)
{
    const char16_t u = c.unicode();
    if (isBlank(c) || u == ';' || slashAlone(m_p))
        return;
    if ((!m_pending.isEmpty() && u != '(' && u != ')' && !equalsAscii(word, QLatin1StringView("N")) && u != '\''
         && !endsWithAny(m_pending, QLatin1StringView(" (-/<>")) && !completesComment(m_p) && !sticky(m_p))
        || mergesWithTail(c))
        m_pending += QLatin1Char(' ');
    m_pending += c;
}

void SqlFormatter::conditionItemRule(QChar c)
{
    const QString word = m_word;
    const bool andOr = equalsAscii(word, QLatin1StringView("AND")) || equalsAscii(word, QLatin1StringView("OR"));
    if (andOr && m_afterBetween) {
        m_afterBetween = false;
        if (!m_pending.isEmpty() && !endsWithAny(m_pending, QLatin1StringView("();")) && !m_inParens)
            m_pending += QLatin1Char(' ');
        appendPendingWord(itemCase(word));
        m_word.clear();
        addConditionDelimiter(c, word);
    } else if (andOr) {
        flushPending();
        const QString keyword = itemCase(word);
        m_word.clear();
        const int before = m_p;
        if (m_inParens) {
            if (!m_out.endsWith(QLatin1Char(' ')))
                put(u" ");
            put(keyword + QLatin1Char(' '));
        } else if (m_oneLine) {
            put(QLatin1Char(' ') + keyword + QLatin1Char(' '));
        } else if (m_opt.AndPos != 0) {
            put(QLatin1Char(' ') + keyword);
            if (!copyListComment(m_p) && !nextStartsComment(m_p + 1))
                continueOnNextLine();
        } else {
            // AND and OR take the keyword column; a comment after them stays
            // after them.
            lineBreak();
            put(indentText() + padKeyword(keyword));
            flagsFalse();
            copyListComment(m_p);
        }
        m_pending.clear();
        if (m_p == before)
            addConditionDelimiter(c, QString());
    } else if (equalsAscii(word, QLatin1StringView("BETWEEN"))) {
        m_afterBetween = true;
        if (!m_pending.isEmpty() && !m_pending.endsWith(QLatin1Char('(')))
            m_pending += QLatin1Char(' ');
        appendPendingWord(itemCase(word));
        m_word.clear();
        addConditionDelimiter(c, word);
    } else {
        if (!word.isEmpty()) {
            if (!m_pending.isEmpty() && !endsWithAny(m_pending, QLatin1StringView("()[]")) && !stickyBeforeWord())
                m_pending += QLatin1Char(' ');
            appendPendingWord(itemCase(word));
            m_word.clear();
        }
        addConditionDelimiter(c, word);
    }
    if (c == QLatin1Char('\n') && nextStartsComment(m_p + 1))
        m_pending += QLatin1String("\r\n") + continuationLine(true);
}

bool SqlFormatter::plainRule(QChar c)
{
    if (inLiteralOrComment()) {
        putRaw(m_word);
        m_word.clear();
        putSourceChar(c, true);
        m_indentWritten = false;
        return false;
    }
    if (m_atLineStart && !m_out.isEmpty()) {
        // The input's own indentation disappears outside statements.
        if (c == QLatin1Char(' ') && m_word.isEmpty())
            return true;
        if (!m_indentWritten && (!m_word.isEmpty() || !isLineBreak(c)) && (!m_word.isEmpty() || !slashAlone(m_p))) {
            put(indentText());
            m_indentWritten = true;
        }
    }
    if (!m_word.isEmpty()) {
        put(itemCase(m_word));
        m_word.clear();
        m_indentWritten = false;
    }
    const bool skip = (c == QLatin1Char(' ') && m_indentWritten) || (m_out.isEmpty() && c.unicode() < 32)
                      || (m_out.isEmpty() && c == QLatin1Char(' '));
    if (!skip)
        putSourceChar(c, false);
    m_indentWritten = false;
    return false;
}

void SqlFormatter::endStatement()
{
    m_statement = skNone;
    flagsFalse();
    m_afterCursor = false;
    m_byPending = m_intoPending = false;
}

void SqlFormatter::bookkeeping(QChar c)
{
    const char16_t u = c.unicode();
    const QChar before = at(m_p - 1);
    const bool literal = inLiteral();
    if (!literal && !m_lineComment && m_p - 1 != m_pairEnd) {
        if (u == '*' && before == QLatin1Char('/')) {
            ++m_commentDepth;
            m_pairEnd = m_p;
        } else if (u == '/' && before == QLatin1Char('*') && m_commentDepth > 0) {
            --m_commentDepth;
            m_pairEnd = m_p;
        } else if (u == '-' && before == QLatin1Char('-') && m_commentDepth == 0) {
            m_lineComment = true;
            m_pairEnd = m_p;
        }
    }
    const bool comment = inComment();
    if (!comment && !literal) {
        if (u == '(') {
            if ((m_clause == csInsertColumns || m_clause == csValues) && !m_listParenSeen)
                m_listParenSeen = true;
            else
                m_inParens = true;
        } else if (u == ')') {
            m_inParens = false;
        }
    }
    if (!comment) {
        if (u == '\'' && !m_doubleQuote)
            m_quote = !m_quote;
        else if (u == '"' && !m_quote)
            m_doubleQuote = !m_doubleQuote;
    }
    if (m_statement != skNone) {
        if (!comment && !literal) {
            if (u == ';') {
                flushPending();
                put(u";");
                endStatement();
            } else if (u == '/' && slashAlone(m_p)) {
                flushPending();
                trimOutputEnd();
                lineBreak();
                put(u"/");
                flagsFalse();
                endStatement();
            }
        }
    } else {
        const bool lineEnd = u == '\n' || (u == '\r' && at(m_p + 1) != QLatin1Char('\n'));
        m_atLineStart = lineEnd;
        if (lineEnd)
            m_lineComment = false;
    }
    m_word.clear();
}

// Keeps a comment that follows a list comma, AND/OR or a column-list bracket
// on its line. Moves m_p to the last character it copied; true when a line
// break was met (or written), so the caller writes none of its own.
bool SqlFormatter::copyListComment(int i)
{
    m_lineComment = false;
    bool result = false;
    for (;;) {
        int j = i;
        while (j < m_realEnd && isSpace(m_src[j]))
            ++j;
        const QChar a = at(j);
        const QChar b = j + 1 < m_realEnd ? m_src[j + 1] : QChar();
        if (a == QLatin1Char('-') && b == QLatin1Char('-')) {
            int e = j;
            while (e < m_realEnd && !isLineBreak(m_src[e]))
                ++e;
            if (m_pending.isEmpty() && m_out.endsWith(QLatin1Char('-')))
                put(u" "); // a - before it must not join the comment mark
            m_lineComment = true;
            putRaw(QStringView(m_src).mid(j, e - j));
            flagsFalse();
            m_p = e - 1;
            if (e >= m_realEnd)
                return true; // the comment ends the text
            const int lf = (m_src[e] == QLatin1Char('\r') && at(e + 1) == QLatin1Char('\n')) ? e + 1 : e;
            m_lineComment = false;
            m_p = lf;
            if (nextIsClauseKeyword(lf + 1) || (nextIsComma(lf + 1) && !m_commaAtEnd && m_opt.ItemReturn == 0)) {
                m_mustBreak = true;
            } else {
                lineBreak();
                put(continuationLine(true));
                flagsFalse();
            }
            return true;
        }
        if (!(a == QLatin1Char('/') && b == QLatin1Char('*')))
            return result;
        // A block comment, nested ones included, is copied whole.
        int depth = 0;
        int e = j;
        while (e < m_realEnd) {
            if (m_src[e] == QLatin1Char('/') && e + 1 < m_realEnd && m_src[e + 1] == QLatin1Char('*')) {
                ++depth;
                e += 2;
            } else if (m_src[e] == QLatin1Char('*') && e + 1 < m_realEnd && m_src[e + 1] == QLatin1Char('/')) {
                --depth;
                e += 2;
                if (depth == 0)
                    break;
            } else {
                ++e;
            }
        }
        if (depth > 0) {
            // Open to the end of the text: the rest stays as written.
            m_commentDepth = depth;
            putRaw(QStringView(m_src).mid(j, e - j));
            m_p = e - 1;
            return true;
        }
        putRaw(QStringView(m_src).mid(j, e - j));
        m_pairEnd = e - 1;
        flagsFalse();
        m_p = e - 1;
        int k = e;
        while (k < m_realEnd && isSpace(m_src[k]))
            ++k;
        if (k < m_realEnd && isLineBreak(m_src[k])) {
            const int lf = (m_src[k] == QLatin1Char('\r') && at(k + 1) == QLatin1Char('\n')) ? k + 1 : k;
            if (!nextIsClauseKeyword(lf + 1) && !nextStartsComment(lf + 1) && !(nextIsComma(lf + 1) && !m_commaAtEnd)) {
                continueOnNextLine();
                m_p = lf;
            }
            return true;
        }
        // Code or another comment follows on the same line.
        if (k > e)
            put(u" ");
        i = k;
    }
}

} // namespace

QString FormatSqlText(const QString &SQLText)
{
    SqlFormatter formatter(SQLText, FormatOption);
    return formatter.run();
}
