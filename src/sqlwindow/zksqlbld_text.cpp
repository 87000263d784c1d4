#include "sqlwindow/zksqlbld_text.h"

#include "core/zksub_text.h"

#include <algorithm>

namespace {

bool IsNull(const QString &s)
{
    return s.trimmed().isEmpty();
}

const QString kGroupBy = QStringLiteral("GROUP BY");
const QString kHaving = QStringLiteral("HAVING");
const QString kDesc = QStringLiteral("降順");
const QString kAsc = QStringLiteral("昇順");

// Appending to the text, with the final separator taken off the last line.
class Lines
{
public:
    void Add(const QString &s) { m_lines.append(s); }
    void DropTail(int n)
    {
        if (!m_lines.isEmpty())
            m_lines.last().chop(n);
    }
    bool Contains(const QString &s) const { return m_lines.contains(s); }
    QStringList Take() { return std::move(m_lines); }

private:
    QStringList m_lines;
};

QString TableRef(const TzkDesignBox &b)
{
    QString s = b.Database + b.Schema + BracketName(b.TableName);
    if (!b.Alias.isEmpty() && b.Alias != b.TableName)
        s += QLatin1Char(' ') + b.Alias;
    return s;
}

QString Operator(TzkSQLBuildConnectType t)
{
    switch (t) {
    case ctEQ: return QStringLiteral(" = ");
    case ctGT: return QStringLiteral(" > ");
    case ctGE: return QStringLiteral(" >= ");
    case ctLT: return QStringLiteral(" < ");
    case ctLE: return QStringLiteral(" <= ");
    case ctNE: return QStringLiteral(" != ");
    }
    return QStringLiteral(" = ");
}

bool IsGroupRow(const TzkDesignRow &r)
{
    return r.Group == kGroupBy || r.Group == kHaving;
}

void AddSelect(const TzkDesign &d, Lines &out)
{
    const bool hasTables = !d.Boxes.isEmpty();
    bool selectAdded = false;
    if (hasTables) {
        out.Add(QStringLiteral("SELECT"));
        selectAdded = true;
    }
    bool anyItem = false;
    for (const TzkDesignRow &r : d.Rows) {
        if ((IsNull(r.Expr) && IsNull(r.Alias)) || !r.Show)
            continue;
        if (!selectAdded) {
            out.Add(QStringLiteral("SELECT"));
            selectAdded = true;
        }
        QString item =
            IsNull(r.Group) || IsGroupRow(r) ? r.Expr : r.Group + QLatin1Char('(') + r.Expr + QLatin1Char(')');
        if (!IsNull(r.Alias))
            item += QLatin1Char(' ') + r.Alias;
        out.Add(QStringLiteral("  ") + item + QLatin1Char(','));
        anyItem = true;
    }
    if (anyItem)
        out.DropTail(1);
    if (hasTables) {
        out.Add(QStringLiteral("FROM"));
        for (const TzkDesignBox &b : d.Boxes)
            out.Add(QStringLiteral("  ") + TableRef(b) + QLatin1Char(','));
        out.DropTail(1);
    }
}

void AddInsert(const TzkDesign &d, Lines &out)
{
    if (d.Boxes.isEmpty()) {
        out.Add(QStringLiteral("INSERT INTO "));
        return;
    }
    out.Add(QStringLiteral("INSERT INTO ") + TableRef(d.Boxes.first()));
    QStringList columns, values;
    for (const TzkDesignRow &r : d.Rows) {
        if (IsNull(r.Alias))
            continue;
        columns << r.Expr;
        values << r.Alias;
    }
    const QString columnList = columns.join(QStringLiteral(", "));
    const QString valueList = values.join(QStringLiteral(", "));
    if (!columnList.isEmpty())
        out.Add(QStringLiteral("  (") + columnList + QLatin1Char(')'));
    if (!valueList.isEmpty())
        out.Add(QStringLiteral("  VALUES(") + valueList + QLatin1Char(')'));
}

void AddUpdate(const TzkDesign &d, Lines &out)
{
    if (d.Boxes.isEmpty())
        return;
    out.Add(QStringLiteral("UPDATE ") + TableRef(d.Boxes.first()) + QStringLiteral(" SET"));
    bool any = false;
    for (const TzkDesignRow &r : d.Rows) {
        if (IsNull(r.Alias) || IsNull(r.Expr))
            continue;
        out.Add(QStringLiteral("  ") + r.Expr + QStringLiteral(" = ") + r.Alias + QLatin1Char(','));
        any = true;
    }
    if (any)
        out.DropTail(1);
}

void AddWhere(const TzkDesign &d, Lines &out)
{
    bool whereAdded = false;
    auto where = [&] {
        if (!whereAdded)
            out.Add(QStringLiteral("WHERE"));
        whereAdded = true;
    };
    for (const TzkDesignJoin &j : d.Joins) {
        where();
        const TzkDesignBox &from = d.Boxes.at(j.From);
        const TzkDesignBox &to = d.Boxes.at(j.To);
        out.Add(QStringLiteral("  ") + from.RefName + BracketName(j.FromColumn) + Operator(j.ConnectType) + to.RefName
                + BracketName(j.ToColumn) + QStringLiteral(" AND "));
    }
    for (const TzkDesignRow &r : d.Rows) {
        if (IsNull(r.Criterion) || IsGroupRow(r))
            continue;
        where();
        out.Add(QStringLiteral("  ") + r.Expr + QLatin1Char(' ') + r.Criterion + QStringLiteral(" AND "));
    }
    if (whereAdded)
        out.DropTail(5);
}

void AddGroupBy(const TzkDesign &d, Lines &out)
{
    QStringList items;
    for (const TzkDesignRow &r : d.Rows)
        if (!IsNull(r.Expr) && r.Group == kGroupBy)
            items << r.Expr;
    if (!items.isEmpty())
        out.Add(QStringLiteral("GROUP BY ") + items.join(QLatin1Char(',')));
}

void AddHaving(const TzkDesign &d, Lines &out)
{
    bool any = false;
    for (const TzkDesignRow &r : d.Rows) {
        if (IsNull(r.Criterion) || !IsGroupRow(r))
            continue;
        if (!any)
            out.Add(kHaving);
        any = true;
        out.Add(QStringLiteral("  ") + r.Expr + QLatin1Char(' ') + r.Criterion + QStringLiteral(" AND "));
    }
    if (any)
        out.DropTail(5);
}

void AddOrderBy(TzkDesign &d, Lines &out)
{
    struct Keyed
    {
        int Key;
        int Row;
    };
    QList<Keyed> keyed;
    for (int i = 0; i < d.Rows.size(); ++i) {
        TzkDesignRow &r = d.Rows[i];
        if ((IsNull(r.Expr) && IsNull(r.Alias)) || (IsNull(r.SortDir) && IsNull(r.SortOrder)))
            continue;
        QString digits;
        for (QChar c : r.SortOrder.trimmed())
            if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
                digits += c;
        if (!digits.isEmpty() || !IsNull(r.SortDir)) {
            bool ok = false;
            int key = digits.toInt(&ok);
            // Compared as numbers; digits beyond an integer count as none.
            if (!ok)
                key = 99999;
            keyed.append({key, i});
        }
        r.SortOrder.clear();
    }
    if (keyed.isEmpty())
        return;
    // Equal keys keep their grid order.
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed &a, const Keyed &b) { return a.Key < b.Key; });
    QStringList items;
    int n = 0;
    for (const Keyed &k : keyed) {
        TzkDesignRow &r = d.Rows[k.Row];
        QString item = IsNull(r.Alias) ? r.Expr : r.Alias;
        if (r.SortDir == kDesc)
            item += QStringLiteral(" DESC");
        if (IsNull(r.SortDir))
            r.SortDir = kAsc;
        r.SortOrder = QString::number(++n);
        items << item;
    }
    out.Add(QStringLiteral("ORDER BY ") + items.join(QLatin1Char(',')));
}

} // namespace

QStringList DesignStatementLines(TzkDesign &Design)
{
    Lines out;
    const TzkSQLType kind = Design.Kind;
    if (kind == sqltCreateView)
        out.Add(QStringLiteral("CREATE VIEW ") + Design.ViewName + QStringLiteral(" AS "));
    switch (kind) {
    case sqltSelect:
    case sqltCreateView: AddSelect(Design, out); break;
    case sqltInsert: AddInsert(Design, out); break;
    case sqltUpdate: AddUpdate(Design, out); break;
    case sqltDelete:
        if (!Design.Boxes.isEmpty())
            out.Add(QStringLiteral("DELETE FROM ") + TableRef(Design.Boxes.first()));
        break;
    default: break;
    }
    const bool selectLike = kind == sqltSelect || kind == sqltCreateView;
    if (selectLike || kind == sqltUpdate || kind == sqltDelete)
        AddWhere(Design, out);
    if (selectLike)
        AddGroupBy(Design, out);
    if (selectLike || kind == sqltUpdate || kind == sqltDelete)
        AddHaving(Design, out);
    if (selectLike)
        AddOrderBy(Design, out);
    return out.Take();
}

QString NextAliasCandidate(const QString &Alias)
{
    if (Alias.isEmpty())
        return QStringLiteral("a");
    QString next = Alias;
    if (next.back() < QLatin1Char('z')) {
        next.back() = QChar(next.back().unicode() + 1);
        return next;
    }
    next.back() = QLatin1Char('a');
    return next + QLatin1Char('a');
}

QString FirstFreeAlias(const QStringList &Used)
{
    QString candidate = QStringLiteral("a");
    while (Used.contains(candidate, Qt::CaseSensitive))
        candidate = NextAliasCandidate(candidate);
    return candidate;
}

QString DequoteName(const QString &Name)
{
    if (!Name.startsWith(QLatin1Char('"')))
        return Name;
    QString inner = Name.mid(1);
    if (inner.endsWith(QLatin1Char('"')))
        inner.chop(1);
    return inner.replace(QStringLiteral("\"\""), QStringLiteral("\""));
}

QStringList SplitTableName(const QString &Name)
{
    QStringList parts;
    QString part;
    bool inBracket = false;
    for (qsizetype i = 0; i < Name.size(); ++i) {
        const QChar c = Name.at(i);
        if (inBracket) {
            if (c == QLatin1Char(']')) {
                if (i + 1 < Name.size() && Name.at(i + 1) == QLatin1Char(']')) {
                    part += c;
                    ++i;
                } else {
                    inBracket = false;
                }
            } else {
                part += c;
            }
        } else if (c == QLatin1Char('[')) {
            inBracket = true;
        } else if (c == QLatin1Char('.')) {
            parts << part;
            part.clear();
        } else if (c != QLatin1Char(']')) {
            part += c;
        }
    }
    parts << part;
    for (QString &p : parts)
        p = TrimBlanks(p);
    return parts;
}

QString CatalogUsePrefix(const QString &Database)
{
    return QStringLiteral("Use ") + QuoteName(Database) + QLatin1Char(' ');
}

QString SynonymTargetSQL(const QString &Database)
{
    // quotename keeps names holding ".", "]" or blanks whole.
    return CatalogUsePrefix(Database)
           + QStringLiteral("select base_object_name from sys.synonyms where object_id = "
                            "object_id(quotename(:OWNER) + N'.' + quotename(:NAME))");
}

QString KeyColumnsSQL(const QString &Database, bool IsAzure)
{
    return CatalogUsePrefix(Database)
           + (IsAzure
                  ? QStringLiteral(
                      "select b.COLUMN_NAME  from sysobjects a              inner join INFORMATION_SCHEMA.KEY_COLUMN_USAGE b     on a.name = b.CONSTRAINT_NAME                        inner join sys.indexes c                             on b.CONSTRAINT_NAME  = c.name                       where a.xtype = N'PK' and TABLE_SCHEMA = :OWNER and TABLE_NAME = :TABLE ")
                  : QStringLiteral(
                      "select b.COLUMN_NAME  from sysobjects a              inner join INFORMATION_SCHEMA.KEY_COLUMN_USAGE b     on a.name = b.CONSTRAINT_NAME                        inner join sysindexes c                              on b.CONSTRAINT_NAME  = c.name                       where a.xtype = N'PK' and TABLE_SCHEMA = :OWNER and TABLE_NAME = :TABLE "));
}

QString TableColumnsSQL(const QString &Database)
{
    return CatalogUsePrefix(Database)
           + QStringLiteral("select name from syscolumns where id = object_id(quotename(:OWNER) + N'.' + "
                            "quotename(:NAME)) ORDER BY colid");
}

QString DerivedColumnsSQL(const QString &Derived)
{
    // The inner text may end in a -- comment: the closing part goes on a
    // line of its own. top 0: only the columns are wanted.
    return QStringLiteral("select top 0 * from ") + Derived.chopped(1) + QStringLiteral("\n) as x");
}

namespace {

QString CleanCriterion(QString s)
{
    return TrimBlanks(s.replace(QStringLiteral("\r\n"), QStringLiteral(" ")));
}

// The data row whose alias, else whose expression, equals Text (case
// ignored); -1 when none.
int FindRow(const QList<TzkDesignRow> &Rows, const QString &Text)
{
    for (int i = 0; i < Rows.size(); ++i)
        if (QString::compare(Rows[i].Alias, Text, Qt::CaseInsensitive) == 0)
            return i;
    for (int i = 0; i < Rows.size(); ++i)
        if (QString::compare(Rows[i].Expr, Text, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

const QStringList kJoinOps = {"=", ">", ">=", "<", "<=", "!=", "<>"};
const TzkSQLBuildConnectType kJoinTypes[] = {ctEQ, ctGT, ctGE, ctLT, ctLE, ctNE, ctNE};
const QStringList kCriterionOps = {"=", ">", ">=", "<", "<=", "!=", "<>", "IS", "IN", "LIKE", "BETWEEN"};

// An operator the criterion list does not know belongs to the left side.
void FoldUnknownOperator(QString &L, QString &O, QString &R)
{
    if (kCriterionOps.contains(O.toUpper()))
        return;
    L = L + QLatin1Char(' ') + O + QLatin1Char(' ') + R;
    O.clear();
    R.clear();
}

void SplitQualified(const QString &Side, QString &Qualifier, QString &Column)
{
    const qsizetype dot = Side.indexOf(QLatin1Char('.'));
    if (dot < 0) {
        Qualifier.clear();
        Column = DequoteName(Side);
        return;
    }
    Qualifier = DequoteName(TrimBlanks(Side.left(dot)));
    Column = DequoteName(TrimBlanks(Side.mid(dot + 1)));
}

// The condition walk: "AND" ends a condition unless it closes a BETWEEN.
template<typename Ordinary, typename Complete>
void WalkConditions(QStringList Tokens, Ordinary ordinary, Complete complete)
{
    Tokens << QStringLiteral("AND");
    bool between = false;
    for (const QString &token : Tokens) {
        if (QString::compare(token, QLatin1String("BETWEEN"), Qt::CaseInsensitive) == 0) {
            between = true;
            ordinary(token);
        } else if (QString::compare(token, QLatin1String("AND"), Qt::CaseInsensitive) == 0) {
            if (between) {
                between = false;
                ordinary(token);
            } else {
                complete();
            }
        } else {
            ordinary(token);
        }
    }
}

} // namespace

void DesignFromStatement(const TzkParsedStatement &Statement, const QStringList &GroupPick, const TzkFindBox &FindBox,
                         QList<TzkDesignRow> &Rows, QList<TzkRebuiltJoin> &Joins)
{
    Rows.clear();
    Joins.clear();
    const bool selectLike = Statement.Kind == sqltSelect || Statement.Kind == sqltCreateView;
    for (const auto &[expr, alias] : Statement.Columns) {
        TzkDesignRow row;
        row.Expr = expr;
        row.Alias = alias;
        row.Show = selectLike;
        for (const QString &entry : GroupPick) {
            const QString head = entry + QLatin1Char('(');
            if (expr.toUpper().startsWith(head) && expr.endsWith(QLatin1Char(')'))) {
                row.Expr = TrimBlanks(expr.mid(head.size(), expr.size() - head.size() - 1));
                row.Group = entry;
                break;
            }
        }
        Rows.append(row);
    }

    for (const QString &item : Statement.Group) {
        const auto it = std::find_if(Rows.begin(), Rows.end(), [&](const TzkDesignRow &r) {
            return QString::compare(r.Expr, item, Qt::CaseInsensitive) == 0;
        });
        if (it != Rows.end())
            it->Group = kGroupBy;
        else
            Rows.append({item, {}, false, {}, {}, kGroupBy, {}});
    }

    QString L, O, R;
    bool leftOuter = false, rightOuter = false;
    // A condition no join takes: a criterion on its row, or a new row.
    auto newCriterionRow = [&](const QString &group) {
        TzkDesignRow row;
        row.Group = group;
        if (!L.isEmpty() && !O.isEmpty() && !R.isEmpty()) {
            row.Expr = L;
            row.Criterion = CleanCriterion(O + QLatin1Char(' ') + R);
        } else {
            row.Criterion = CleanCriterion(L + QLatin1Char(' ') + O + QLatin1Char(' ') + R);
        }
        Rows.append(row);
    };
    auto clear = [&] {
        L.clear();
        O.clear();
        R.clear();
        leftOuter = rightOuter = false;
    };
    WalkConditions(
        Statement.Where,
        [&](const QString &token) {
            if (L.isEmpty() || L.endsWith(QLatin1Char('.')))
                L += token;
            else if (O.isEmpty()) {
                if (token == QLatin1String("(+)"))
                    rightOuter = true;
                else
                    O = token;
            } else if (R.isEmpty())
                R = token;
            else if (token == QLatin1String("(+)"))
                leftOuter = true;
            else
                R += QLatin1Char(' ') + token;
        },
        [&] {
            if (L.isEmpty() && O.isEmpty() && R.isEmpty())
                return clear();
            QString lq, lc, rq, rc;
            SplitQualified(L, lq, lc);
            SplitQualified(R, rq, rc);
            const int from = FindBox(lq, lc);
            const int to = FindBox(rq, rc);
            const qsizetype op = kJoinOps.indexOf(O);
            if (from >= 0 && to >= 0 && op >= 0) {
                Joins.append({from, to, lc, rc, kJoinTypes[op],
                              rightOuter ? jtRightOuter : (leftOuter ? jtLeftOuter : jtInner)});
                return clear();
            }
            FoldUnknownOperator(L, O, R);
            const int row = FindRow(Rows, L);
            if (row >= 0 && IsNull(Rows[row].Criterion))
                Rows[row].Criterion = CleanCriterion(O + QLatin1Char(' ') + R);
            else
                newCriterionRow(QString());
            clear();
        });

    WalkConditions(
        Statement.Having,
        [&](const QString &token) {
            if (L.isEmpty())
                L = token;
            else if (O.isEmpty())
                O = token;
            else if (R.isEmpty())
                R = token;
            else
                R += QLatin1Char(' ') + token;
        },
        [&] {
            if (L.isEmpty() && O.isEmpty() && R.isEmpty())
                return clear();
            FoldUnknownOperator(L, O, R);
            const int row = FindRow(Rows, L);
            if (row >= 0 && IsNull(Rows[row].Criterion) && (IsNull(Rows[row].Group) || Rows[row].Group == kGroupBy)) {
                if (IsNull(Rows[row].Group))
                    Rows[row].Group = kHaving;
                Rows[row].Criterion = CleanCriterion(O + QLatin1Char(' ') + R);
            } else {
                newCriterionRow(kHaving);
            }
            clear();
        });

    int n = 0;
    for (const auto &[expr, second] : Statement.Order) {
        const QString dir = QString::compare(second, QLatin1String("DESC"), Qt::CaseInsensitive) == 0 ? kDesc : kAsc;
        const QString order = QString::number(++n);
        const int row = FindRow(Rows, expr);
        if (row >= 0) {
            Rows[row].SortDir = dir;
            Rows[row].SortOrder = order;
        } else {
            Rows.append({expr, {}, false, dir, order, {}, {}});
        }
    }
}
