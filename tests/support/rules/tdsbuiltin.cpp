#include "support/rules/tdsrules_p.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <QUuid>

namespace tdsrules {

namespace {

constexpr auto Ci = QRegularExpression::CaseInsensitiveOption;

const char *const ServerName = "ZKTDS";

Column makeColumn(const QString &name, const char *type)
{
    Column c;
    parseType(QString::fromLatin1(type), &c, nullptr);
    c.name = name;
    return c;
}

QVariant serverProperty(const QString &name)
{
    static const QHash<QString, QString> props = {
        {QStringLiteral("productversion"), QString::fromLatin1(ProductVersion)},
        {QStringLiteral("productlevel"), QStringLiteral("RTM")},
        {QStringLiteral("productmajorversion"), QStringLiteral("15")},
        {QStringLiteral("productminorversion"), QStringLiteral("0")},
        {QStringLiteral("productbuild"), QStringLiteral("2000")},
        {QStringLiteral("edition"), QStringLiteral("Developer Edition (64-bit)")},
        {QStringLiteral("engineedition"), QStringLiteral("3")},
        {QStringLiteral("machinename"), QString::fromLatin1(ServerName)},
        {QStringLiteral("servername"), QString::fromLatin1(ServerName)},
        {QStringLiteral("isclustered"), QStringLiteral("0")},
        {QStringLiteral("isintegratedsecurityonly"), QStringLiteral("0")},
        {QStringLiteral("isfulltextinstalled"), QStringLiteral("0")},
        {QStringLiteral("ishadrenabled"), QStringLiteral("0")},
        {QStringLiteral("collation"), QStringLiteral("SQL_Latin1_General_CP1_CI_AS")},
        {QStringLiteral("lcid"), QStringLiteral("1033")},
        {QStringLiteral("sqlcharsetname"), QStringLiteral("iso_1")},
        {QStringLiteral("sqlsortordername"), QStringLiteral("nocase_iso")},
        {QStringLiteral("resourceversion"), QStringLiteral("15.00.2000")},
    };
    const auto it = props.constFind(name.toLower());
    return it == props.constEnd() ? QVariant() : QVariant(*it);
}

// The value and type of a scalar a logon query asks for; false if unknown.
bool scalar(const QString &expr, const QString &arg, const Session &s, Column *col, QVariant *value)
{
    const QString e = expr.toLower().remove(QLatin1Char(' '));
    struct Text
    {
        const char *expr;
        QString value;
    };
    const Text texts[] = {
        {"db_name()", s.database},
        {"suser_sname()", s.user},
        {"suser_name()", s.user},
        {"system_user", s.user},
        {"original_login()", s.user},
        {"user_name()", QStringLiteral("dbo")},
        {"current_user", QStringLiteral("dbo")},
        {"session_user", QStringLiteral("dbo")},
        {"schema_name()", QStringLiteral("dbo")},
        {"host_name()", s.hostName},
        {"app_name()", s.appName},
        {"@@servername", QString::fromLatin1(ServerName)},
        {"@@servicename", QStringLiteral("MSSQLSERVER")},
        {"@@language", QStringLiteral("us_english")},
    };
    for (const Text &t : texts) {
        if (e == QLatin1String(t.expr)) {
            *col = makeColumn(col->name, "nvarchar(128)");
            *value = t.value;
            return true;
        }
    }
    if (e == QLatin1String("@@version")) {
        *col = makeColumn(col->name, "nvarchar(300)");
        *value = versionText();
    } else if (e == QLatin1String("@@spid")) {
        *col = makeColumn(col->name, "smallint");
        *value = qint64(s.spid);
    } else if (e == QLatin1String("@@trancount")) {
        *col = makeColumn(col->name, "int");
        *value = qint64(s.tranCount);
    } else if (e == QLatin1String("@@microsoftversion")) {
        *col = makeColumn(col->name, "int");
        *value = qint64((15 << 24) | 2000);
    } else if (e == QLatin1String("@@textsize")) {
        *col = makeColumn(col->name, "int");
        *value = qint64(2147483647);
    } else if (e == QLatin1String("@@langid")) {
        *col = makeColumn(col->name, "smallint");
        *value = qint64(0);
    } else if (e == QLatin1String("@@max_precision")) {
        *col = makeColumn(col->name, "tinyint");
        *value = qint64(38);
    } else if (e.startsWith(QLatin1String("serverproperty("))) {
        *col = makeColumn(col->name, "sql_variant");
        *value = serverProperty(arg);
    } else if (e.startsWith(QLatin1String("is_srvrolemember("))) {
        *col = makeColumn(col->name, "int");
        *value = qint64(1);
    } else {
        return false;
    }
    return true;
}

bool selectOfScalars(const QString &list, const Session &s, QList<Answer> *out)
{
    static const QRegularExpression itemRe(
        QStringLiteral("^(@@\\w+|[a-z_]+\\s*\\(\\s*(?:N?'([^']*)')?\\s*\\)|system_user|current_user|session_user)"
                       "\\s*(?:(?:as\\s+)?(\\[(?:[^\\]]|\\]\\])*\\]|\"[^\"]*\"|'[^']*'|\\w+))?$"),
        Ci);
    Answer a;
    a.kind = Answer::Result;
    QList<QVariant> row;
    for (const QString &item : splitTopLevel(list)) {
        const auto m = itemRe.match(item);
        if (!m.hasMatch())
            return false;
        Column col;
        QString alias = m.captured(3);
        if (alias.startsWith(QLatin1Char('[')))
            alias = alias.mid(1, alias.size() - 2).replace(QLatin1String("]]"), QLatin1String("]"));
        else if (alias.startsWith(QLatin1Char('"')) || alias.startsWith(QLatin1Char('\'')))
            alias = alias.mid(1, alias.size() - 2);
        col.name = alias;
        QVariant v;
        if (!scalar(m.captured(1), m.captured(2), s, &col, &v))
            return false;
        a.result.columns << col;
        row << v;
    }
    a.result.rows << row;
    *out << a;
    return true;
}

} // namespace

QString versionText()
{
    return QStringLiteral("Microsoft SQL Server 2019 (RTM) - %1 (X64) \n\tSep 24 2019 13:48:23 \n\t"
                          "Copyright (C) 2019 Microsoft Corporation\n\tDeveloper Edition (64-bit) on Linux "
                          "(Debian GNU/Linux 12 (bookworm)) <X64>")
        .arg(QLatin1String(ProductVersion));
}

QString normalizeSql(const QString &sql)
{
    QString out;
    out.reserve(sql.size());
    bool blank = false;
    for (QChar c : sql) {
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            blank = true;
            continue;
        }
        if (blank && !out.isEmpty())
            out += QLatin1Char(' ');
        blank = false;
        out += c;
    }
    return out;
}

QStringList splitLeadingUse(const QString &sql, QStringList *databases, QString *rest)
{
    static const QRegularExpression useRe(
        QStringLiteral("\\G\\s*(use\\s+(\\[(?:[^\\]]|\\]\\])+\\]|\"(?:[^\"]|\"\")+\"|[^\\s;\\[\\]\"]+))\\s*;?"), Ci);
    QStringList statements;
    databases->clear();
    qsizetype pos = 0;
    for (;;) {
        const auto m = useRe.match(sql, pos);
        if (!m.hasMatch())
            break;
        // "use x" must end its statement: the name runs to a blank, ";" or the end.
        statements << m.captured(1);
        QString name = m.captured(2);
        if (name.startsWith(QLatin1Char('[')))
            name = name.mid(1, name.size() - 2).replace(QLatin1String("]]"), QLatin1String("]"));
        else if (name.startsWith(QLatin1Char('"')))
            name = name.mid(1, name.size() - 2).replace(QLatin1String("\"\""), QLatin1String("\""));
        *databases << name;
        pos = m.capturedEnd(0);
    }
    *rest = sql.mid(pos);
    return statements;
}

QString renderValue(const QVariant &value, const QString &typeName)
{
    if (value.isNull())
        return QStringLiteral("NULL");
    const QString t = typeName.toLower();
    switch (value.typeId()) {
    case QMetaType::Bool: return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UChar: return value.toString();
    case QMetaType::Double:
    case QMetaType::Float: return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QMetaType::QByteArray:
        return QStringLiteral("0x") + QString::fromLatin1(value.toByteArray().toHex().toUpper());
    case QMetaType::QDate:
        return QLatin1Char('\'') + value.toDate().toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char('\'');
    case QMetaType::QTime:
        return QLatin1Char('\'') + value.toTime().toString(QStringLiteral("HH:mm:ss.zzz")) + QLatin1Char('\'');
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        QString s = dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
        if (dt.timeSpec() == Qt::OffsetFromUTC) {
            const int off = dt.offsetFromUtc() / 60;
            s += QStringLiteral(" %1%2:%3")
                     .arg(off < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                     .arg(std::abs(off) / 60, 2, 10, QLatin1Char('0'))
                     .arg(std::abs(off) % 60, 2, 10, QLatin1Char('0'));
        }
        return QLatin1Char('\'') + s + QLatin1Char('\'');
    }
    case QMetaType::QUuid:
        return QLatin1Char('\'') + value.toUuid().toString(QUuid::WithoutBraces).toUpper() + QLatin1Char('\'');
    default: break;
    }
    const QString s = value.toString();
    if (t.startsWith(QLatin1String("decimal")) || t.startsWith(QLatin1String("numeric"))
        || t.contains(QLatin1String("money")))
        return s;
    QString quoted = s;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    const bool single =
        t.startsWith(QLatin1String("char")) || t.startsWith(QLatin1String("varchar")) || t == QLatin1String("text");
    return (single ? QStringLiteral("'") : QStringLiteral("N'")) + quoted + QLatin1Char('\'');
}

QString renderParams(const QList<Param> &params, bool withTypes)
{
    QStringList parts;
    for (const Param &p : params) {
        QString s = p.name;
        if (withTypes && !p.typeName.isEmpty())
            s += QLatin1Char(' ') + p.typeName;
        s += QStringLiteral(" = ") + renderValue(p.value, p.typeName);
        if (p.output)
            s += QStringLiteral(" output");
        parts << s;
    }
    return parts.join(QStringLiteral(", "));
}

bool builtinAnswer(const QString &text, Session *session, QList<Answer> *out)
{
    QString body = normalizeSql(text);
    while (body.endsWith(QLatin1Char(';')) || body.endsWith(QLatin1Char(' ')))
        body.chop(1);
    if (body.isEmpty())
        return true;

    static const QRegularExpression separators(QStringLiteral("[;\\n]"));
    bool allSet = true;
    for (const QString &st : text.split(separators, Qt::SkipEmptyParts)) {
        const QString t = st.trimmed();
        if (!t.isEmpty() && !t.startsWith(QLatin1String("set "), Qt::CaseInsensitive)
            && !t.startsWith(QLatin1String("set\t"), Qt::CaseInsensitive)) {
            allSet = false;
            break;
        }
    }
    if (allSet)
        return true;

    static const QRegularExpression waitRe(
        QStringLiteral("^waitfor\\s+delay\\s+'(\\d{1,2}):(\\d{2})(?::(\\d{2})(?:\\.(\\d{1,3}))?)?'$"), Ci);
    if (const auto m = waitRe.match(body); m.hasMatch()) {
        Answer a;
        a.kind = Answer::Delay;
        a.delayMs = ((m.captured(1).toInt() * 60 + m.captured(2).toInt()) * 60 + m.captured(3).toInt()) * 1000
                    + m.captured(4).leftJustified(3, QLatin1Char('0')).toInt();
        *out << a;
        return true;
    }

    static const QRegularExpression beginRe(QStringLiteral("^begin\\s+tran(?:saction)?(?:\\s+\\S+)?$"), Ci);
    static const QRegularExpression endRe(
        QStringLiteral("^(commit|rollback)(?:\\s+(?:tran|transaction|work))?(?:\\s+\\S+)?$"), Ci);
    if (beginRe.match(body).hasMatch()) {
        if (session->tranCount++ == 0) {
            Answer a;
            a.kind = Answer::Transaction;
            a.text = QStringLiteral("begin");
            *out << a;
        }
        return true;
    }
    if (const auto m = endRe.match(body); m.hasMatch()) {
        const bool commit = m.captured(1).compare(QLatin1String("commit"), Qt::CaseInsensitive) == 0;
        if (session->tranCount == 0) {
            *out << (commit ? errorAnswer(
                         3902, 1, 16, 1,
                         QStringLiteral("The COMMIT TRANSACTION request has no corresponding BEGIN TRANSACTION."))
                            : errorAnswer(
                                3903, 1, 16, 1,
                                QStringLiteral(
                                    "The ROLLBACK TRANSACTION request has no corresponding BEGIN TRANSACTION.")));
            return true;
        }
        if (commit && session->tranCount > 1) {
            --session->tranCount;
            return true;
        }
        session->tranCount = 0;
        Answer a;
        a.kind = Answer::Transaction;
        a.text = commit ? QStringLiteral("commit") : QStringLiteral("rollback");
        *out << a;
        return true;
    }

    static const QRegularExpression selectRe(QStringLiteral("^select\\s+(.+)$"), Ci);
    if (const auto m = selectRe.match(body); m.hasMatch())
        return selectOfScalars(m.captured(1), *session, out);
    return false;
}

} // namespace tdsrules
