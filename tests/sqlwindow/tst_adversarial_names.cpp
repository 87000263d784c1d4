// Hostile names through every builder of SQL: a name may reach a statement
// only bracketed (with "]" doubled), double-quoted (with '"' doubled), inside
// a string literal (with "'" doubled) or as a bound parameter; a name that
// is a regular identifier and no reserved word may also stand bare.

#include "connection/fobject_script.h"
#include "connection/fobject_sql.h"
#include "controls/rdata_exporttext.h"
#include "core/zksub_text.h"
#include "sqlwindow/fexecprc.h"
#include "sqlwindow/ffldlist.h"
#include "sqlwindow/ftablelist.h"
#include "sqlwindow/rMemo.h"
#include "sqlwindow/zksqlbld_text.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// The names every builder is given. "SeLeCt" is a reserved word that the
// builders' own keywords (written in one case) never spell.
const QStringList &hostileNames()
{
    static const QStringList names = {
        QStringLiteral("a]b"),    QStringLiteral("x'y"),    QStringLiteral("名 前"),
        QStringLiteral("1abc"),   QStringLiteral("SeLeCt"), QStringLiteral("a.b"),
        QStringLiteral("[a]; x"), QStringLiteral("\"q"),    QString(128, QLatin1Char('n')) + QStringLiteral("]"),
        QStringLiteral("t\tab"),
    };
    return names;
}

struct Token
{
    enum Kind { Other, Literal, Bracketed, Quoted, Comment } kind = Other;
    qsizetype start = 0;
    qsizetype end = 0; // one past
    QString content;   // literals and names unescaped
    bool open = false; // never closed
};

// A T-SQL lexer of its own: literals ('...', N'...'), [names], "names",
// comments; everything else is Other, one character at a time.
QList<Token> lex(const QString &s)
{
    QList<Token> tokens;
    const qsizetype n = s.size();
    qsizetype i = 0;
    auto quoted = [&](Token::Kind kind, QChar close, qsizetype from, qsizetype start) {
        Token t{kind, start, n, {}, true};
        qsizetype j = from;
        while (j < n) {
            if (s[j] == close) {
                if (j + 1 < n && s[j + 1] == close) {
                    t.content += close;
                    j += 2;
                    continue;
                }
                t.end = j + 1;
                t.open = false;
                break;
            }
            t.content += s[j++];
        }
        tokens << t;
        i = t.end;
    };
    while (i < n) {
        const QChar c = s[i];
        const QChar next = i + 1 < n ? s[i + 1] : QChar();
        if (c == QLatin1Char('\''))
            quoted(Token::Literal, c, i + 1, i);
        else if ((c == QLatin1Char('N') || c == QLatin1Char('n')) && next == QLatin1Char('\'')
                 && (i == 0 || !(s[i - 1].isLetterOrNumber() || s[i - 1] == QLatin1Char('_'))))
            quoted(Token::Literal, next, i + 2, i);
        else if (c == QLatin1Char('['))
            quoted(Token::Bracketed, QLatin1Char(']'), i + 1, i);
        else if (c == QLatin1Char('"'))
            quoted(Token::Quoted, c, i + 1, i);
        else if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
            qsizetype e = i;
            while (e < n && s[e] != QLatin1Char('\n'))
                ++e;
            tokens << Token{Token::Comment, i, e, {}};
            i = e;
        } else {
            tokens << Token{Token::Other, i, i + 1, QString(c)};
            ++i;
        }
    }
    return tokens;
}

// A regular identifier and no reserved word: what the bracketing helper
// itself leaves bare.
bool mayStandBare(const QString &name)
{
    return BracketName(name) == name;
}

// Empty when STATEMENT carries NAME soundly (or not at all), else why not.
QString misuse(const QString &statement, const QString &name)
{
    const QList<Token> tokens = lex(statement);
    // Where the name stands as written, it must lie inside one literal or
    // quoted name: anything else means it escaped its quoting.
    for (qsizetype at = statement.indexOf(name); at >= 0; at = statement.indexOf(name, at + 1)) {
        const qsizetype end = at + name.size();
        bool inside = false;
        for (const Token &t : tokens) {
            if (t.kind != Token::Other && t.start < at && end < t.end + (t.kind == Token::Comment ? 1 : 0)) {
                inside = true;
                break;
            }
        }
        if (!inside && !mayStandBare(name))
            return QStringLiteral("stands unquoted at %1").arg(at);
    }
    // A literal or quoted name that ends inside the name's text shows a
    // quote of the name that was not doubled.
    for (const Token &t : tokens) {
        if (t.open)
            return QStringLiteral("a literal or quoted name is left open");
    }
    return {};
}

// The name reaches the statement at all, in one of the sound forms (a
// builder that drops it passes misuse() trivially).
bool carries(const QString &statement, const QString &name, const QStringList &params)
{
    if (params.contains(name))
        return true;
    if (mayStandBare(name) && statement.contains(name))
        return true;
    for (const Token &t : lex(statement)) {
        if ((t.kind == Token::Bracketed || t.kind == Token::Quoted) && t.content == name)
            return true;
        if (t.kind == Token::Literal
            && (t.content.contains(name)
                || t.content.contains(QLatin1Char('[') + QString(name).replace(QLatin1Char(']'), QStringLiteral("]]"))
                                      + QLatin1Char(']'))))
            return true;
    }
    return false;
}

struct Builder
{
    const char *what;
    std::function<QStringList(const QString &)> build;
    bool mustCarry = true;
};

TzkExportRecord oneCell()
{
    TzkExportRecord record;
    TzkExportCell cell;
    cell.type = ftInteger;
    cell.text = QStringLiteral("1");
    record << cell;
    return record;
}

const QList<Builder> &builders()
{
    static const TCatalogDialect v15{15, false, false};
    static const TCatalogDialect v8{8, false, false};
    static const QList<Builder> list = {
        {"UseText", [](const QString &n) { return QStringList{UseText(n)}; }},
        {"GetUserSQL",
         [](const QString &n) {
             return QStringList{GetUserSQL(v15, n, true), GetUserSQL(v15, n, false), GetUserSQL(v8, n, false)};
         }},
        {"GetObjectSQL",
         [](const QString &n) {
             return QStringList{GetObjectSQL(v15, n, QStringLiteral("TABLE")),
                                GetObjectSQL(v8, n, QStringLiteral("VIEW"))};
         }},
        {"ObjectListSQL",
         [](const QString &n) {
             TObjectListQuery q;
             q.Dialect = v15;
             q.Database = n;
             QStringList out{ObjectListSQL(q)};
             q.Dialect = v8;
             q.View = TObjectListView::Index;
             q.Fragment = true;
             out << ObjectListSQL(q);
             return out;
         }},
        {"FragmentPermsSQL",
         [](const QString &n) {
             return QStringList{FragmentPermsSQL(v15, n), FragmentPermsSQL(v8, n)};
         }},
        {"TempIdxCreateSQL",
         [](const QString &n) {
             return QStringList{TempIdxCreateSQL(n), TempIdxFillSQL(n)};
         }},
        {"IndexObjectProbeSQL", [](const QString &n) { return QStringList{IndexObjectProbeSQL(n, n)}; }},
        {"RenameObjectSQL", [](const QString &n) { return QStringList{RenameObjectSQL(n, n, n, n)}; }},
        {"RenameIndexSQL", [](const QString &n) { return QStringList{RenameIndexSQL(n, n, n, n, n)}; }},
        {"FieldListSQL",
         [](const QString &n) {
             return QStringList{FieldListSQL(8, n), FieldListSQL(15, n)};
         }},
        {"TableListSQL",
         [](const QString &n) {
             return QStringList{TableListSQL(15, false, n, TTableListKinds(tlkTable | tlkView | tlkSynonym)),
                                TableListSQL(8, false, n, TTableListKinds(tlkTable | tlkView | tlkSynonym))};
         }},
        {"ExecProcCallSQL", [](const QString &n) { return QStringList{ExecProcCallSQL(n, n, {}, {})}; }},
        {"ObjTreeColumnListSQL", [](const QString &n) { return QStringList{ObjTreeColumnListSQL(n, n)}; }},
        {"CatalogUsePrefix",
         [](const QString &n) {
             return QStringList{CatalogUsePrefix(n), SynonymTargetSQL(n), KeyColumnsSQL(n, false),
                                KeyColumnsSQL(n, true), TableColumnsSQL(n)};
         }},
        {"InsertStatement",
         [](const QString &n) {
             return QStringList{InsertStatement(InsertTableName(QString(n).replace(QLatin1Char('.'), QLatin1Char('_'))),
                                                {n}, oneCell())};
         }},
        {"GrantScript",
         [](const QString &n) {
             TGrantContext c;
             c.Database = n;
             c.Schema = n;
             c.CurrentDatabase = QStringLiteral("other");
             TGrantRow row{n, QStringLiteral("SELECT"), QStringLiteral("NO"), n, QStringLiteral("SL")};
             TGrantRow deny{n, QStringLiteral("UPDATE"), QStringLiteral("DENY"), n, QStringLiteral("UP")};
             return GrantScript(c, {row, deny});
         }},
    };
    return list;
}

} // namespace

TEST(AdversarialNames, EveryBuilderQuotesEveryName)
{
    for (const Builder &b : builders()) {
        for (const QString &name : hostileNames()) {
            const QStringList statements = b.build(name);
            bool carried = false;
            for (const QString &sql : statements) {
                const QString why = misuse(sql, name);
                EXPECT_TRUE(why.isEmpty())
                    << b.what << " with " << name.toStdString() << ": " << why.toStdString() << "\n"
                    << sql.toStdString();
                carried = carried || carries(sql, name, {});
            }
            if (b.mustCarry)
                EXPECT_TRUE(carried) << b.what << " dropped " << name.toStdString() << "\n"
                                     << statements.join(QLatin1Char('\n')).toStdString();
        }
    }
}

// The checker itself: hand-made quoting of each kind is caught.
TEST(AdversarialNames, TheCheckCatchesHandMadeQuoting)
{
    EXPECT_FALSE(misuse(QStringLiteral("use [a]b]"), QStringLiteral("a]b")).isEmpty());
    EXPECT_FALSE(misuse(QStringLiteral("where name = N'x'y'"), QStringLiteral("x'y")).isEmpty());
    EXPECT_FALSE(misuse(QStringLiteral("select * from 1abc"), QStringLiteral("1abc")).isEmpty());
    EXPECT_FALSE(misuse(QStringLiteral("select * from \"\"q\""), QStringLiteral("\"q")).isEmpty());
    EXPECT_TRUE(misuse(QStringLiteral("use [a]]b]"), QStringLiteral("a]b")).isEmpty());
    EXPECT_TRUE(misuse(QStringLiteral("where name = N'x''y'"), QStringLiteral("x'y")).isEmpty());
    EXPECT_TRUE(misuse(QStringLiteral("exec sp_rename N'[a]]b]'"), QStringLiteral("a]b")).isEmpty());
}
