#include "core/zksub_text.h"

#include "core/zkoption.h"

#include <QDateTime>
#include <QSet>

#include <pcre.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

bool isTrimmedBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

// SQL Server's reserved keywords: as names they must be delimited.
const QSet<QString> &reservedKeywords()
{
    static const QSet<QString> words = [] {
        static const char *const list[] = {
            "ADD",
            "ALL",
            "ALTER",
            "AND",
            "ANY",
            "AS",
            "ASC",
            "AUTHORIZATION",
            "BACKUP",
            "BEGIN",
            "BETWEEN",
            "BREAK",
            "BROWSE",
            "BULK",
            "BY",
            "CASCADE",
            "CASE",
            "CHECK",
            "CHECKPOINT",
            "CLOSE",
            "CLUSTERED",
            "COALESCE",
            "COLLATE",
            "COLUMN",
            "COMMIT",
            "COMPUTE",
            "CONSTRAINT",
            "CONTAINS",
            "CONTAINSTABLE",
            "CONTINUE",
            "CONVERT",
            "CREATE",
            "CROSS",
            "CURRENT",
            "CURRENT_DATE",
            "CURRENT_TIME",
            "CURRENT_TIMESTAMP",
            "CURRENT_USER",
            "CURSOR",
            "DATABASE",
            "DBCC",
            "DEALLOCATE",
            "DECLARE",
            "DEFAULT",
            "DELETE",
            "DENY",
            "DESC",
            "DISK",
            "DISTINCT",
            "DISTRIBUTED",
            "DOUBLE",
            "DROP",
            "DUMP",
            "ELSE",
            "END",
            "ERRLVL",
            "ESCAPE",
            "EXCEPT",
            "EXEC",
            "EXECUTE",
            "EXISTS",
            "EXIT",
            "EXTERNAL",
            "FETCH",
            "FILE",
            "FILLFACTOR",
            "FOR",
            "FOREIGN",
            "FREETEXT",
            "FREETEXTTABLE",
            "FROM",
            "FULL",
            "FUNCTION",
            "GOTO",
            "GRANT",
            "GROUP",
            "HAVING",
            "HOLDLOCK",
            "IDENTITY",
            "IDENTITY_INSERT",
            "IDENTITYCOL",
            "IF",
            "IN",
            "INDEX",
            "INNER",
            "INSERT",
            "INTERSECT",
            "INTO",
            "IS",
            "JOIN",
            "KEY",
            "KILL",
            "LEFT",
            "LIKE",
            "LINENO",
            "LOAD",
            "MERGE",
            "NATIONAL",
            "NOCHECK",
            "NONCLUSTERED",
            "NOT",
            "NULL",
            "NULLIF",
            "OF",
            "OFF",
            "OFFSETS",
            "ON",
            "OPEN",
            "OPENDATASOURCE",
            "OPENQUERY",
            "OPENROWSET",
            "OPENXML",
            "OPTION",
            "OR",
            "ORDER",
            "OUTER",
            "OVER",
            "PERCENT",
            "PIVOT",
            "PLAN",
            "PRECISION",
            "PRIMARY",
            "PRINT",
            "PROC",
            "PROCEDURE",
            "PUBLIC",
            "RAISERROR",
            "READ",
            "READTEXT",
            "RECONFIGURE",
            "REFERENCES",
            "REPLICATION",
            "RESTORE",
            "RESTRICT",
            "RETURN",
            "REVERT",
            "REVOKE",
            "RIGHT",
            "ROLLBACK",
            "ROWCOUNT",
            "ROWGUIDCOL",
            "RULE",
            "SAVE",
            "SCHEMA",
            "SECURITYAUDIT",
            "SELECT",
            "SEMANTICKEYPHRASETABLE",
            "SEMANTICSIMILARITYDETAILSTABLE",
            "SEMANTICSIMILARITYTABLE",
            "SESSION_USER",
            "SET",
            "SETUSER",
            "SHUTDOWN",
            "SOME",
            "STATISTICS",
            "SYSTEM_USER",
            "TABLE",
            "TABLESAMPLE",
            "TEXTSIZE",
            "THEN",
            "TO",
            "TOP",
            "TRAN",
            "TRANSACTION",
            "TRIGGER",
            "TRUNCATE",
            "TRY_CONVERT",
            "TSEQUAL",
            "UNION",
            "UNIQUE",
            "UNPIVOT",
            "UPDATE",
            "UPDATETEXT",
            "USE",
            "USER",
            "VALUES",
            "VARYING",
            "VIEW",
            "WAITFOR",
            "WHEN",
            "WHERE",
            "WHILE",
            "WITH",
            "WRITETEXT",
        };
        QSet<QString> set;
        for (const char *w : list)
            set.insert(QLatin1String(w));
        return set;
    }();
    return words;
}

// A regular identifier: a letter, "_", "@" or "#" first, then letters,
// decimal digits, "@", "$", "#" and "_". Letters and digits of every script
// count; characters outside the basic plane do not.
bool isRegularIdentifier(const QString &name)
{
    if (name.isEmpty())
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        if (c.isSurrogate())
            return false;
        if (c.isLetter() || c == QLatin1Char('_') || c == QLatin1Char('@') || c == QLatin1Char('#'))
            continue;
        if (i > 0 && (c.isDigit() || c == QLatin1Char('$')))
            continue;
        return false;
    }
    return true;
}

bool hasBracketingChar(const QString &name)
{
    static const QString chars = QStringLiteral(".,?/\\:;{}@!\"#$%&()=^|");
    for (QChar c : name)
        if (chars.contains(c))
            return true;
    return false;
}

// Exactly one delimited identifier: open first, close last, at least one
// character between them (SQL Server has no empty name), and every close
// inside doubled. "[a]b]" is none: its first "]" ends the name.
bool isDelimitedName(const QString &s, QChar open, QChar close)
{
    if (s.size() < 3 || s.front() != open || s.back() != close)
        return false;
    const qsizetype end = s.size() - 1;
    for (qsizetype i = 1; i < end; ++i) {
        if (s[i] != close)
            continue;
        if (i + 1 >= end || s[i + 1] != close)
            return false;
        ++i;
    }
    return true;
}

QString quotedDouble(const QString &s)
{
    QString out = s;
    out.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

// The index just after the next closer from index from on; the end of the
// text when there is none (an unclosed construct runs to the end).
qsizetype skipTo(const QString &s, qsizetype from, QStringView closer)
{
    const qsizetype at = s.indexOf(closer, from);
    return at < 0 ? s.size() : at + closer.size();
}

qsizetype skipBlockComment(const QString &s, qsizetype i)
{
    int depth = 1;
    qsizetype j = i + 2;
    while (j < s.size()) {
        if (s[j] == QLatin1Char('/') && j + 1 < s.size() && s[j + 1] == QLatin1Char('*')) {
            ++depth;
            j += 2;
        } else if (s[j] == QLatin1Char('*') && j + 1 < s.size() && s[j + 1] == QLatin1Char('/')) {
            j += 2;
            if (--depth == 0)
                return j;
        } else {
            ++j;
        }
    }
    return s.size();
}

bool passesKeywordBoundary(const QString &s, const QString &w, int p)
{
    if (p <= 1)
        return true;
    const QChar before = s[p - 2];
    if (before == QLatin1Char('\t') || before == QLatin1Char('\n') || before == QLatin1Char(' ')
        || before == QLatin1Char('"') || before == QLatin1Char(']'))
        return true;
    if (CopyByPos(s, p - 2, p - 1) != QLatin1String("*/"))
        return false;
    const int after = p + int(w.size());
    const QString next = CopyByPos(s, after, after);
    const QString next2 = CopyByPos(s, after, after + 1);
    return next == QLatin1String("\t") || next == QLatin1String("\r") || next == QLatin1String(" ")
           || next == QLatin1String("\"") || next == QLatin1String("[") || next2 == QLatin1String("/*")
           || next2 == QLatin1String("--");
}

bool isDecimalText(const QString &s)
{
    const QString t = s.trimmed();
    qsizetype i = 0;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+')))
        ++i;
    bool digit = false;
    bool point = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digit = true;
        else if (c == QLatin1Char('.') && !point)
            point = true;
        else
            return false;
    }
    return digit;
}

TDateTime timeOnly(const QTime &t)
{
    return double(t.msecsSinceStartOfDay()) / 86400000.0;
}

} // namespace

QString BracketName(const QString &name, bool force)
{
    // Blanks around one well-formed bracketed name are layout, not part of
    // the name: the bracketed name is kept, without them.
    const QString trimmed = TrimBlanks(name);
    if (isDelimitedName(trimmed, QLatin1Char('['), QLatin1Char(']')))
        return trimmed;
    return BracketCatalogName(name, force);
}

QString QuoteName(const QString &name)
{
    QString inner = name;
    inner.replace(QLatin1Char(']'), QLatin1String("]]"));
    return QLatin1Char('[') + inner + QLatin1Char(']');
}

QString BracketCatalogName(const QString &name, bool force)
{
    if (!force && !zkOption.UseLowerName) {
        if (name.isEmpty())
            return name;
        if (!hasBracketingChar(name) && isRegularIdentifier(name) && !reservedKeywords().contains(name.toUpper()))
            return name;
    }
    return QuoteName(name);
}

QString UnbracketName(const QString &s)
{
    if (!isDelimitedName(s, QLatin1Char('['), QLatin1Char(']')))
        return s;
    QString inner = s.mid(1, s.size() - 2);
    inner.replace(QLatin1String("]]"), QLatin1String("]"));
    return inner;
}

QString QuoteSQLStr(const QString &s)
{
    QString out;
    out.reserve(s.size() + 2);
    out += QLatin1Char('\'');
    for (QChar c : s) {
        if (c == QLatin1Char('\''))
            out += QLatin1Char('\'');
        out += c;
    }
    out += QLatin1Char('\'');
    return out;
}

QString AddNationalPrefix(const QString &s)
{
    if (s.startsWith(QLatin1Char('\'')) && s.endsWith(QLatin1Char('\'')))
        return QLatin1Char('N') + s;
    return s;
}

bool IsNationalLiteral(const QString &s)
{
    // Compiled once; pcre16 matching on a compiled pattern is reentrant.
    static pcre16 *const re = [] {
        const char *error = nullptr;
        int offset = 0;
        static const char16_t pattern[] = u"^N'.*'$";
        return pcre16_compile(reinterpret_cast<PCRE_SPTR16>(pattern), PCRE_UTF16, &error, &offset, nullptr);
    }();
    if (!re)
        return false;
    int ovector[3];
    return pcre16_exec(re, nullptr, reinterpret_cast<PCRE_SPTR16>(s.utf16()), int(s.size()), 0, 0, ovector, 3) >= 0;
}

QString QuoteNameDouble(const QString &s)
{
    if (s.isEmpty())
        return s;
    const QString trimmed = TrimBlanks(s);
    // A name in double quotes already is kept; quoting it again would name
    // another object.
    if (isDelimitedName(trimmed, QLatin1Char('"'), QLatin1Char('"')))
        return trimmed;
    if (trimmed != s.toUpper() || s.contains(QLatin1Char('-')) || zkOption.UseLowerName)
        return quotedDouble(s);
    // A blank, a quote, a semicolon or a keyword would end the name early
    // and let the rest run as SQL.
    if (!isRegularIdentifier(s) || reservedKeywords().contains(s))
        return quotedDouble(s);
    for (QChar c : {u'(', u')', u'（', u'）'})
        if (s.contains(c))
            return quotedDouble(s);
    return s;
}

QString UnquoteDouble(const QString &s)
{
    if (!isDelimitedName(s, QLatin1Char('"'), QLatin1Char('"')))
        return s;
    QString inner = s.mid(1, s.size() - 2);
    inner.replace(QLatin1String("\"\""), QLatin1String("\""));
    return inner;
}

QString TrimBlanks(const QString &s)
{
    qsizetype first = 0;
    qsizetype last = s.size();
    while (first < last && isTrimmedBlank(s[first]))
        ++first;
    while (last > first && isTrimmedBlank(s[last - 1]))
        --last;
    return s.mid(first, last - first);
}

QString RemoveCR(const QString &s)
{
    QString out = s;
    out.remove(QLatin1Char('\r'));
    return out;
}

QString CopyByPos(const QString &s, int first, int last)
{
    if (last < first)
        return QString();
    const qsizetype from = qMax(1, first);
    const qsizetype to = qMin<qsizetype>(last, s.size());
    if (to < from)
        return QString();
    return s.mid(from - 1, to - from + 1);
}

int AnsiPosFrom(const QString &pattern, const QString &s, int offset)
{
    if (offset < 1 || offset > s.size() || pattern.isEmpty())
        return 0;
    return int(s.indexOf(pattern, offset - 1)) + 1;
}

bool MatchStr(const QString &value, const QStringList &items, bool contains)
{
    for (const QString &item : items) {
        if (item == value)
            return true;
        if (contains && !item.isEmpty() && value.contains(item))
            return true;
    }
    return false;
}

QString ReplaceEach(const QString &s, const QStringList &patterns, const QString &replacement, TReplaceFlags flags)
{
    const Qt::CaseSensitivity cs = flags.testFlag(rfIgnoreCase) ? Qt::CaseInsensitive : Qt::CaseSensitive;
    QString out = s;
    for (const QString &pattern : patterns) {
        if (pattern.isEmpty())
            continue;
        if (flags.testFlag(rfReplaceAll)) {
            out.replace(pattern, replacement, cs);
        } else {
            const qsizetype at = out.indexOf(pattern, 0, cs);
            if (at >= 0)
                out.replace(at, pattern.size(), replacement);
        }
    }
    return out;
}

QString ListToText(const QStringList &lines)
{
    QString out;
    for (const QString &line : lines) {
        out += line;
        out += QLatin1String("\r\n");
    }
    return out;
}

QStringList TextToList(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        lines += text.mid(start, i - start);
        if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines += text.mid(start);
    return lines;
}

int GetDisplayWidth(const QString &s)
{
    int width = 0;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        if ((c >= 0x20 && c <= 0x7E) || (c >= 0xFF61 && c <= 0xFF9F))
            width += 1;
        else
            width += 2;
        // A pair of surrogates is one character.
        if (QChar::isHighSurrogate(c) && i + 1 < s.size() && s[i + 1].isLowSurrogate())
            ++i;
    }
    return width;
}

QString ExtractExecuteSqlText(const QString &s, bool checkCall)
{
    if (checkCall) {
        QString packed = s;
        packed.remove(QLatin1String("\r\n"));
        packed.remove(QLatin1Char(' '));
        packed.remove(QChar(0x3000));
        packed.remove(QLatin1Char('\t'));
        if (!packed.toUpper().startsWith(QLatin1String("EXECSP_EXECUTESQL")))
            return s;
    }
    const qsizetype open = s.indexOf(QLatin1Char('\''));
    if (open < 0)
        return s;
    QString content;
    for (qsizetype i = open + 1; i < s.size(); ++i) {
        if (s[i] != QLatin1Char('\'')) {
            content += s[i];
            continue;
        }
        if (i + 1 < s.size() && s[i + 1] == QLatin1Char('\'')) {
            content += QLatin1Char('\'');
            ++i;
            continue;
        }
        return content;
    }
    return s;
}

void RemoveRepeatedUse(QStringList &lines)
{
    const auto isUse = [](const QString &line) { return line.toUpper().startsWith(QLatin1String("USE ")); };
    const auto isGo = [](const QString &line) { return line.toUpper() == QLatin1String("GO"); };

    const qsizetype n = lines.size();
    std::vector<bool> marked(size_t(n), false);
    for (qsizetype k = 0; k < n; ++k) {
        if (!isUse(lines[k]))
            continue;
        for (qsizetype j = k + 1; j < n; ++j) {
            if (!isUse(lines[j]))
                continue;
            if (lines[j] != lines[k])
                break;
            marked[size_t(j)] = true;
            if (j + 1 < n && (isGo(lines[j + 1]) || lines[j + 1].isEmpty())) {
                marked[size_t(j + 1)] = true;
                if (isGo(lines[j + 1]) && j + 2 < n && lines[j + 2].isEmpty())
                    marked[size_t(j + 2)] = true;
            }
        }
    }
    for (qsizetype i = n - 1; i >= 0; --i)
        if (marked[size_t(i)])
            lines.removeAt(i);
}

void RemoveNullLines(QStringList &lines)
{
    if (!ScriptOption.NullLine)
        return;
    for (qsizetype i = lines.size() - 1; i >= 0; --i)
        if (lines[i].isEmpty())
            lines.removeAt(i);
}

bool IsDefinitionKeywordAt(const QString &s, const QString &w, int p)
{
    if (p < 1)
        return true;
    // No word stands past the end; the walk below must not run beyond it.
    if (p > s.size())
        return false;
    if (CopyByPos(s, p, p + 1) == QLatin1String("AS") || CopyByPos(s, p, p + 6) == QLatin1String("RETURNS")) {
        if (!passesKeywordBoundary(s, w, p))
            return false;
    }

    // Walk the text before p; constructs that reach p or beyond hide it.
    const qsizetype target = p - 1; // 0-based
    qsizetype i = 0;
    while (i < target) {
        const QChar c = s[i];
        const QChar next = i + 1 < s.size() ? s[i + 1] : QChar();
        qsizetype end = -1; // 0-based index just after the construct
        if (c == QLatin1Char('\''))
            end = skipTo(s, i + 1, u"'");
        else if (c == QLatin1Char('"'))
            end = skipTo(s, i + 1, u"\"");
        else if (c == QLatin1Char('['))
            end = skipTo(s, i + 1, u"]");
        else if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
            const qsizetype at = s.indexOf(QLatin1String("\r\n"), i + 2);
            end = at < 0 ? s.size() : at;
        } else if (c == QLatin1Char('/') && next == QLatin1Char('*'))
            end = skipBlockComment(s, i);
        if (end < 0) {
            ++i;
            continue;
        }
        if (end > target)
            return false;
        i = end;
    }
    return true;
}

QString UtcToJstExpr(const QString &e)
{
    return QStringLiteral("dateadd(HOUR, 9, ") + e + QLatin1Char(')');
}

QString FormatBcdValue(const QString &decimal)
{
    QString t = decimal.trimmed();
    bool negative = false;
    if (t.startsWith(QLatin1Char('-')) || t.startsWith(QLatin1Char('+'))) {
        negative = t[0] == QLatin1Char('-');
        t.remove(0, 1);
    }
    const qsizetype point = t.indexOf(QLatin1Char('.'));
    QString whole = point < 0 ? t : t.left(point);
    QString fraction = point < 0 ? QString() : t.mid(point + 1);
    while (whole.size() > 1 && whole[0] == QLatin1Char('0'))
        whole.remove(0, 1);
    if (whole.isEmpty())
        whole = QStringLiteral("0");
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);

    QString out;
    const qsizetype n = whole.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += QLatin1Char(',');
        out += whole[i];
    }
    if (!fraction.isEmpty())
        out += QLatin1Char('.') + fraction;
    if (negative && (whole != QLatin1String("0") || !fraction.isEmpty()))
        out.prepend(QLatin1Char('-'));
    return out;
}

QString FormatBcdText(const QString &s)
{
    return isDecimalText(s) ? FormatBcdValue(s) : s;
}

QString GetDateSampleText()
{
    const QString &f = zkOption.DateFormat;
    if (f == QLatin1String("yy/MM/dd"))
        return QStringLiteral("00/01/01 00:00:00");
    if (f == QLatin1String("MM/dd/yy") || f == QLatin1String("dd/MM/yy"))
        return QStringLiteral("01/01/00 00:00:00");
    if (f == QLatin1String("MM/dd/yyyy") || f == QLatin1String("dd/MM/yyyy"))
        return QStringLiteral("01/01/2000 00:00:00");
    return QStringLiteral("2000/01/01 00:00:00");
}

double VarToFloatDef(const QVariant &v, double def)
{
    if (v.isNull())
        return def;
    bool ok = false;
    const double d = v.typeId() == QMetaType::QString ? v.toString().trimmed().toDouble(&ok) : v.toDouble(&ok);
    return ok && std::isfinite(d) ? d : def;
}

int VarToIntDef(const QVariant &v, int def)
{
    if (v.isNull())
        return def;
    bool ok = false;
    if (v.typeId() == QMetaType::QString) {
        const int i = v.toString().trimmed().toInt(&ok);
        if (ok)
            return i;
    }
    const double d = VarToFloatDef(v, std::numeric_limits<double>::quiet_NaN());
    if (std::isnan(d))
        return def;
    // Banker's rounding: halves go to the even neighbour.
    const double r = std::nearbyint(d);
    if (r < std::numeric_limits<int>::min() || r > std::numeric_limits<int>::max())
        return def;
    return int(r);
}

TDateTime VarToDateTimeDef(const QVariant &v, TDateTime def)
{
    if (v.isNull())
        return def;
    switch (v.typeId()) {
    case QMetaType::QDateTime: return v.toDateTime().isValid() ? TDateTimeFromDateTime(v.toDateTime()) : def;
    case QMetaType::QDate: return v.toDate().isValid() ? TDateTimeFromDateTime(v.toDate().startOfDay()) : def;
    case QMetaType::QTime: return v.toTime().isValid() ? timeOnly(v.toTime()) : def;
    case QMetaType::QString: {
        const QString t = v.toString().trimmed();
        for (const char *format : {"yyyy/MM/dd HH:mm:ss", "yyyy/MM/dd HH:mm", "yyyy/MM/dd"}) {
            const QDateTime dt = QDateTime::fromString(t, QLatin1String(format));
            if (dt.isValid())
                return TDateTimeFromDateTime(dt);
        }
        const QDateTime iso = QDateTime::fromString(t, Qt::ISODateWithMs);
        if (iso.isValid())
            return TDateTimeFromDateTime(iso);
        const QTime time = QTime::fromString(t, QStringLiteral("HH:mm:ss"));
        return time.isValid() ? timeOnly(time) : def;
    }
    default: return VarToFloatDef(v, def);
    }
}
