#include "support/rules/tdsvalues.h"

#include <QRegularExpression>
#include <QTime>
#include <QUuid>

#include <cerrno>
#include <iconv.h>

namespace tdsrules {

namespace {

struct TypeInfo
{
    const char *name;
    Type type;
};

const TypeInfo TypeNames[] = {
    {"int", Type::Int},
    {"integer", Type::Int},
    {"bigint", Type::BigInt},
    {"smallint", Type::SmallInt},
    {"tinyint", Type::TinyInt},
    {"bit", Type::Bit},
    {"decimal", Type::Decimal},
    {"dec", Type::Decimal},
    {"numeric", Type::Numeric},
    {"float", Type::Float},
    {"real", Type::Real},
    {"money", Type::Money},
    {"smallmoney", Type::SmallMoney},
    {"char", Type::Char},
    {"varchar", Type::VarChar},
    {"nchar", Type::NChar},
    {"nvarchar", Type::NVarChar},
    {"text", Type::Text},
    {"ntext", Type::NText},
    {"datetime", Type::DateTime},
    {"smalldatetime", Type::SmallDateTime},
    {"datetime2", Type::DateTime2},
    {"date", Type::Date},
    {"time", Type::Time},
    {"datetimeoffset", Type::DateTimeOffset},
    {"uniqueidentifier", Type::UniqueIdentifier},
    {"binary", Type::Binary},
    {"varbinary", Type::VarBinary},
    {"image", Type::Image},
    {"xml", Type::Xml},
    {"sql_variant", Type::SqlVariant},
    {"timestamp", Type::Timestamp},
    {"rowversion", Type::Timestamp},
};

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

QString describe(const Literal &l)
{
    switch (l.kind) {
    case Literal::Null: return QStringLiteral("NULL");
    case Literal::Text: return (l.national ? QStringLiteral("N'") : QStringLiteral("'")) + l.text + QLatin1Char('\'');
    case Literal::Number: return l.text;
    case Literal::Binary: return QStringLiteral("0x") + QString::fromLatin1(l.bytes.toHex().toUpper());
    }
    return {};
}

const Int128 Pow10Max = [] {
    Int128 v = 1;
    for (int i = 0; i < 38; ++i)
        v *= 10;
    return v;
}();

} // namespace

QString Column::sqlType() const
{
    switch (type) {
    case Type::Decimal:
    case Type::Numeric: return QStringLiteral("%1(%2,%3)").arg(typeName).arg(precision).arg(scale);
    case Type::Char:
    case Type::VarChar:
    case Type::NChar:
    case Type::NVarChar:
    case Type::Binary:
    case Type::VarBinary:
        return QStringLiteral("%1(%2)").arg(typeName, length < 0 ? QStringLiteral("max") : QString::number(length));
    case Type::DateTime2:
    case Type::Time:
    case Type::DateTimeOffset: return QStringLiteral("%1(%2)").arg(typeName).arg(scale);
    default: return typeName;
    }
}

bool parseType(const QString &text, Column *column, QString *error)
{
    // Not static: the server also calls this from its connection threads.
    const QRegularExpression re(
        QStringLiteral("^\\s*([A-Za-z_0-9]+)\\s*(?:\\(\\s*(max|\\d+)\\s*(?:,\\s*(\\d+)\\s*)?\\))?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(text);
    if (!m.hasMatch())
        return fail(error, QStringLiteral("bad column type '%1'").arg(text.trimmed()));
    const QString name = m.captured(1).toLower();
    const TypeInfo *info = nullptr;
    for (const TypeInfo &t : TypeNames) {
        if (name == QLatin1String(t.name)) {
            info = &t;
            break;
        }
    }
    if (!info)
        return fail(error, QStringLiteral("unknown column type '%1'").arg(name));
    Column &c = *column;
    c.type = info->type;
    c.typeName = name == QLatin1String("integer")      ? QStringLiteral("int")
                 : name == QLatin1String("dec")        ? QStringLiteral("decimal")
                 : name == QLatin1String("rowversion") ? QStringLiteral("timestamp")
                                                       : name;
    const bool hasArg = m.hasCaptured(2);
    const bool isMax = m.captured(2).compare(QLatin1String("max"), Qt::CaseInsensitive) == 0;
    const int arg1 = isMax ? -1 : m.captured(2).toInt();
    const bool hasArg2 = m.hasCaptured(3);
    const int arg2 = m.captured(3).toInt();
    auto noArgs = [&] {
        return hasArg ? fail(error, QStringLiteral("type %1 takes no length").arg(c.typeName)) : true;
    };
    c.length = 0;
    c.precision = 0;
    c.scale = 0;
    switch (c.type) {
    case Type::Decimal:
    case Type::Numeric:
        if (isMax)
            return fail(error, QStringLiteral("bad precision in '%1'").arg(text.trimmed()));
        c.precision = hasArg ? arg1 : 18;
        c.scale = hasArg2 ? arg2 : 0;
        if (c.precision < 1 || c.precision > 38 || c.scale > c.precision)
            return fail(error, QStringLiteral("bad precision or scale in '%1'").arg(text.trimmed()));
        return true;
    case Type::Char:
    case Type::VarChar:
    case Type::NChar:
    case Type::NVarChar:
    case Type::Binary:
    case Type::VarBinary: {
        if (hasArg2)
            return fail(error, QStringLiteral("bad length in '%1'").arg(text.trimmed()));
        const bool wide = c.type == Type::NChar || c.type == Type::NVarChar;
        const bool fixed = c.type == Type::Char || c.type == Type::NChar || c.type == Type::Binary;
        const int limit = wide ? 4000 : 8000;
        if (!hasArg)
            c.length = fixed ? 1 : limit;
        else if (isMax && fixed)
            return fail(error, QStringLiteral("%1 cannot be max").arg(c.typeName));
        else
            c.length = arg1;
        if (c.length == 0 || c.length > limit)
            return fail(error, QStringLiteral("bad length in '%1'").arg(text.trimmed()));
        if (c.type == Type::Char || c.type == Type::VarChar)
            c.codePage = 1252;
        return true;
    }
    case Type::DateTime2:
    case Type::Time:
    case Type::DateTimeOffset:
        if (hasArg2 || isMax || (hasArg && arg1 > 7))
            return fail(error, QStringLiteral("bad fraction digits in '%1'").arg(text.trimmed()));
        c.scale = hasArg ? arg1 : 7;
        return true;
    case Type::Text: c.codePage = 1252; return noArgs();
    case Type::Timestamp: c.length = 8; return noArgs();
    default: return noArgs();
    }
}

bool parseLiterals(QStringView text, QList<Literal> *out, QString *error)
{
    static const QRegularExpression number(QStringLiteral("\\G[+-]?(?:\\d+(?:\\.\\d*)?|\\.\\d+)(?:[eE][+-]?\\d+)?"));
    out->clear();
    const qsizetype n = text.size();
    qsizetype i = 0;
    bool afterComma = false;
    auto skipBlanks = [&] {
        while (i < n && text[i].isSpace())
            ++i;
    };
    for (;;) {
        skipBlanks();
        if (i >= n || text[i] == QLatin1Char('#')) {
            if (afterComma)
                return fail(error, QStringLiteral("a value is missing after the last comma"));
            return true;
        }
        Literal lit;
        const QChar c = text[i];
        if (c == QLatin1Char('\'')
            || ((c == QLatin1Char('N') || c == QLatin1Char('n')) && i + 1 < n && text[i + 1] == QLatin1Char('\''))) {
            lit.kind = Literal::Text;
            lit.national = c != QLatin1Char('\'');
            i += lit.national ? 2 : 1;
            bool closed = false;
            while (i < n) {
                if (text[i] == QLatin1Char('\'')) {
                    if (i + 1 < n && text[i + 1] == QLatin1Char('\'')) {
                        lit.text += QLatin1Char('\'');
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                lit.text += text[i++];
            }
            if (!closed)
                return fail(error, QStringLiteral("a quoted text is not closed"));
        } else if (c == QLatin1Char('0') && i + 1 < n
                   && (text[i + 1] == QLatin1Char('x') || text[i + 1] == QLatin1Char('X'))) {
            i += 2;
            const qsizetype from = i;
            while (i < n && isxdigit(text[i].toLatin1()))
                ++i;
            const QByteArray hex = text.mid(from, i - from).toLatin1();
            if (hex.size() % 2)
                return fail(error,
                            QStringLiteral("binary 0x%1 has an odd number of digits").arg(QString::fromLatin1(hex)));
            lit.kind = Literal::Binary;
            lit.bytes = QByteArray::fromHex(hex);
        } else if (text.mid(i, 4).compare(QLatin1String("null"), Qt::CaseInsensitive) == 0
                   && (i + 4 >= n || !(text[i + 4].isLetterOrNumber() || text[i + 4] == QLatin1Char('_')))) {
            lit.kind = Literal::Null;
            i += 4;
        } else {
            const auto m = number.match(text.toString(), i);
            if (!m.hasMatch())
                return fail(error, QStringLiteral("unexpected text '%1'").arg(text.mid(i, 20).toString()));
            lit.kind = Literal::Number;
            lit.text = m.captured(0);
            i += m.capturedLength(0);
        }
        out->append(lit);
        skipBlanks();
        if (i >= n || text[i] == QLatin1Char('#'))
            return true;
        if (text[i] != QLatin1Char(','))
            return fail(error, QStringLiteral("a comma is missing before '%1'").arg(text.mid(i, 20).toString()));
        ++i;
        afterComma = true;
    }
}

void integerRange(Type type, qint64 *lo, qint64 *hi)
{
    switch (type) {
    case Type::Int:
        *lo = std::numeric_limits<qint32>::min();
        *hi = std::numeric_limits<qint32>::max();
        break;
    case Type::SmallInt:
        *lo = -32768;
        *hi = 32767;
        break;
    case Type::TinyInt:
        *lo = 0;
        *hi = 255;
        break;
    default:
        *lo = std::numeric_limits<qint64>::min();
        *hi = std::numeric_limits<qint64>::max();
        break;
    }
}

bool parseScaled(QStringView text, int scale, Int128 *out)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    Int128 value = 0;
    int digits = 0;
    int fraction = -1; // digits after the point so far; -1 before the point
    bool any = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('.')) {
            if (fraction >= 0)
                return false;
            fraction = 0;
            continue;
        }
        if (!c.isDigit())
            return false;
        any = true;
        const int d = c.digitValue();
        if (fraction >= 0) {
            if (fraction >= scale) {
                if (d != 0)
                    return false; // more precision than the column keeps
                continue;
            }
            ++fraction;
        }
        value = value * 10 + d;
        if (value != 0 && ++digits > 38)
            return false;
    }
    if (!any)
        return false;
    for (int f = fraction < 0 ? 0 : fraction; f < scale; ++f) {
        value *= 10;
        if (value >= Pow10Max)
            return false;
    }
    *out = negative ? -value : value;
    return true;
}

QString formatScaled(Int128 value, int scale)
{
    const bool negative = value < 0;
    if (negative)
        value = -value;
    char buf[48];
    int pos = 0;
    do {
        buf[pos++] = char('0' + int(value % 10));
        value /= 10;
    } while (value != 0 || pos <= scale);
    QString s;
    s.reserve(pos + 2);
    if (negative)
        s += QLatin1Char('-');
    for (int k = pos - 1; k >= 0; --k) {
        s += QLatin1Char(buf[k]);
        if (k == scale && scale > 0)
            s += QLatin1Char('.');
    }
    return s;
}

int digitCount(Int128 value)
{
    if (value < 0)
        value = -value;
    int n = 1;
    while (value >= 10) {
        value /= 10;
        ++n;
    }
    return n;
}

bool parseDateTimeText(QStringView text, DateTimeParts *out)
{
    static const QRegularExpression re(QStringLiteral(
        "^\\s*(?:(\\d{4})-(\\d{1,2})-(\\d{1,2}))?\\s*(?:[ T]?(\\d{1,2}):(\\d{2})(?::(\\d{2})(?:\\.(\\d{1,7}))?)?)?"
        "\\s*(?:([+-])(\\d{1,2}):(\\d{2})|(Z))?\\s*$"));
    const auto m = re.match(text.toString());
    if (!m.hasMatch())
        return false;
    DateTimeParts p;
    p.hasDate = m.hasCaptured(1);
    p.hasTime = m.hasCaptured(4);
    p.hasOffset = m.hasCaptured(8) || m.hasCaptured(11);
    if (!p.hasDate && !p.hasTime)
        return false;
    if (p.hasDate) {
        p.date = QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        if (!p.date.isValid())
            return false;
    }
    if (p.hasTime) {
        const int h = m.captured(4).toInt(), mi = m.captured(5).toInt(), s = m.captured(6).toInt();
        if (h > 23 || mi > 59 || s > 59)
            return false;
        const QString frac = m.captured(7);
        p.fractionDigits = int(frac.size());
        qint64 f = 0;
        if (!frac.isEmpty())
            f = QString(frac + QString(7 - frac.size(), QLatin1Char('0'))).toLongLong();
        p.ticks = ((h * 60 + mi) * 60 + s) * TicksPerSecond + f;
    }
    if (m.hasCaptured(8)) {
        const int oh = m.captured(9).toInt(), om = m.captured(10).toInt();
        if (oh > 14 || om > 59 || oh * 60 + om > 14 * 60)
            return false;
        p.offsetMinutes = (oh * 60 + om) * (m.captured(8) == QLatin1String("-") ? -1 : 1);
    }
    *out = p;
    return true;
}

QDate dateFromDays(qint64 daysSince0001)
{
    return QDate(1, 1, 1).addDays(daysSince0001);
}

qint64 daysOf(const QDate &date)
{
    return QDate(1, 1, 1).daysTo(date);
}

QVariant dateTimeValue(Type type, qint64 days, qint64 ticks, int offsetMinutes)
{
    const QDate date = dateFromDays(days);
    const QTime time = QTime::fromMSecsSinceStartOfDay(int(ticks / 10000));
    switch (type) {
    case Type::Date: return date;
    case Type::Time: return time;
    case Type::DateTimeOffset: return QDateTime(date, time, Qt::OffsetFromUTC, offsetMinutes * 60);
    default: return QDateTime(date, time, Qt::UTC);
    }
}

int datetimeTicksFromMs(int ms)
{
    return (ms * 3 + 5) / 10;
}

int datetimeMsFromTicks(int ticks300)
{
    return (ticks300 * 10 + 1) / 3;
}

QByteArray encodeText(QStringView text, int codePage, bool *ok)
{
    if (ok)
        *ok = true;
    bool ascii = true;
    for (QChar c : text) {
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return text.toLatin1();
    iconv_t cd = iconv_open(codePage == 932 ? "CP932" : "CP1252", "UTF-16LE");
    if (cd == iconv_t(-1)) {
        if (ok)
            *ok = false;
        return {};
    }
    QByteArray out(text.size() * 2 + 8, Qt::Uninitialized);
    char *in = const_cast<char *>(reinterpret_cast<const char *>(text.utf16()));
    size_t inLeft = size_t(text.size()) * 2;
    char *dst = out.data();
    size_t outLeft = size_t(out.size());
    const size_t r = iconv(cd, &in, &inLeft, &dst, &outLeft);
    iconv_close(cd);
    if (r == size_t(-1)) {
        if (ok)
            *ok = false;
        return {};
    }
    out.truncate(out.size() - qsizetype(outLeft));
    return out;
}

QString decodeText(const QByteArray &bytes, int codePage)
{
    bool ascii = true;
    for (char c : bytes) {
        if (uchar(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return QString::fromLatin1(bytes);
    iconv_t cd = iconv_open("UTF-16LE", codePage == 932 ? "CP932" : "CP1252");
    if (cd == iconv_t(-1))
        return QString::fromLatin1(bytes);
    QString out(bytes.size(), Qt::Uninitialized);
    char *in = const_cast<char *>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    char *dst = reinterpret_cast<char *>(out.data());
    size_t outLeft = size_t(out.size()) * 2;
    iconv(cd, &in, &inLeft, &dst, &outLeft);
    iconv_close(cd);
    out.truncate(out.size() - qsizetype(outLeft / 2));
    return out;
}

bool convertLiteral(const Literal &lit, const Column &col, QVariant *value, int *subTicks, QString *error)
{
    *subTicks = 0;
    if (lit.kind == Literal::Null) {
        *value = QVariant();
        return true;
    }
    auto misfit = [&](const QString &why = {}) {
        return fail(error, QStringLiteral("%1 does not fit column %2 %3%4")
                               .arg(describe(lit), col.name.isEmpty() ? QStringLiteral("''") : col.name, col.sqlType(),
                                    why.isEmpty() ? QString() : QStringLiteral(" (") + why + QLatin1Char(')')));
    };
    switch (col.type) {
    case Type::Int:
    case Type::BigInt:
    case Type::SmallInt:
    case Type::TinyInt: {
        static const QRegularExpression integer(QStringLiteral("^[+-]?\\d+$"));
        if (lit.kind != Literal::Number || !integer.match(lit.text).hasMatch())
            return misfit(QStringLiteral("an integer is expected"));
        bool ok = false;
        const qint64 v = lit.text.toLongLong(&ok);
        qint64 lo = 0, hi = 0;
        integerRange(col.type, &lo, &hi);
        if (!ok || v < lo || v > hi)
            return misfit(QStringLiteral("out of range"));
        *value = v;
        return true;
    }
    case Type::Bit:
        if (lit.kind != Literal::Number || (lit.text != QLatin1String("0") && lit.text != QLatin1String("1")))
            return misfit(QStringLiteral("1 or 0 is expected"));
        *value = lit.text == QLatin1String("1");
        return true;
    case Type::Decimal:
    case Type::Numeric:
    case Type::Money:
    case Type::SmallMoney: {
        if (lit.kind != Literal::Number)
            return misfit(QStringLiteral("a number is expected"));
        const bool money = col.type == Type::Money || col.type == Type::SmallMoney;
        const int scale = money ? 4 : col.scale;
        Int128 v = 0;
        if (!parseScaled(lit.text, scale, &v))
            return misfit(QStringLiteral("too many digits"));
        if (money) {
            const Int128 limit = col.type == Type::Money ? Int128(std::numeric_limits<qint64>::max())
                                                         : Int128(std::numeric_limits<qint32>::max());
            if (v > limit || v < -limit - 1)
                return misfit(QStringLiteral("out of range"));
        } else if (v != 0 && digitCount(v) > col.precision) {
            return misfit(QStringLiteral("too many digits"));
        }
        *value = formatScaled(v, scale);
        return true;
    }
    case Type::Float:
    case Type::Real: {
        if (lit.kind != Literal::Number)
            return misfit(QStringLiteral("a number is expected"));
        const double d = lit.text.toDouble();
        if (!std::isfinite(d) || (col.type == Type::Real && std::fabs(d) > 3.40282347e38))
            return misfit(QStringLiteral("out of range"));
        *value = d;
        return true;
    }
    case Type::Char:
    case Type::VarChar:
    case Type::Text:
    case Type::NChar:
    case Type::NVarChar:
    case Type::NText:
    case Type::Xml: {
        if (lit.kind != Literal::Text)
            return misfit(QStringLiteral("a quoted text is expected"));
        QString s = lit.text;
        qsizetype size = s.size();
        if (col.type == Type::Char || col.type == Type::VarChar || col.type == Type::Text) {
            bool ok = false;
            size = encodeText(s, 1252, &ok).size();
            if (!ok)
                size = encodeText(s, 932, &ok).size();
            if (!ok)
                return misfit(QStringLiteral("a character has no place in its code page"));
        }
        if (col.length > 0 && size > col.length)
            return misfit(QStringLiteral("too long"));
        if (col.type == Type::Char || col.type == Type::NChar)
            s += QString(col.length - size, QLatin1Char(' '));
        *value = s;
        return true;
    }
    case Type::SqlVariant:
        if (lit.kind != Literal::Text && lit.kind != Literal::Number)
            return misfit(QStringLiteral("a quoted text or a number is expected"));
        *value = lit.text;
        return true;
    case Type::DateTime:
    case Type::SmallDateTime:
    case Type::DateTime2:
    case Type::Date:
    case Type::Time:
    case Type::DateTimeOffset: {
        DateTimeParts p;
        if (lit.kind != Literal::Text || !parseDateTimeText(lit.text, &p))
            return misfit(QStringLiteral("a quoted date or time is expected"));
        const Type t = col.type;
        if (t == Type::Time ? p.hasDate || !p.hasTime : !p.hasDate)
            return misfit();
        if (t == Type::Date && p.hasTime)
            return misfit(QStringLiteral("a date has no time"));
        if (p.hasOffset && t != Type::DateTimeOffset)
            return misfit(QStringLiteral("only datetimeoffset keeps an offset"));
        const int maxDigits = (t == Type::DateTime || t == Type::SmallDateTime) ? 3 : col.scale;
        if (p.fractionDigits > maxDigits)
            return misfit(QStringLiteral("too many fraction digits"));
        qint64 days = p.hasDate ? daysOf(p.date) : 0;
        qint64 ticks = p.ticks;
        if (t == Type::DateTime) {
            if (p.date.year() < 1753)
                return misfit(QStringLiteral("out of range"));
            const int ms = int(ticks / 10000);
            const qint64 msShown = qint64(datetimeMsFromTicks(datetimeTicksFromMs(ms % 1000))) + (ms / 1000) * 1000;
            ticks = msShown * 10000;
            if (ticks >= TicksPerDay) {
                ticks -= TicksPerDay;
                ++days;
            }
        } else if (t == Type::SmallDateTime) {
            const qint64 minute = 60 * TicksPerSecond;
            ticks = (ticks + minute / 2 + 10000) / minute * minute; // 29.998 s rounds down, 29.999 s up
            if (ticks >= TicksPerDay) {
                ticks -= TicksPerDay;
                ++days;
            }
            if (days < Days1900 || dateFromDays(days) > QDate(2079, 6, 6))
                return misfit(QStringLiteral("out of range"));
        } else {
            *subTicks = int(ticks % 10000);
        }
        *value = dateTimeValue(t, days, ticks, p.offsetMinutes);
        return true;
    }
    case Type::UniqueIdentifier: {
        static const QRegularExpression guid(
            QStringLiteral("^\\{?[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}\\}?$"));
        if (lit.kind != Literal::Text || !guid.match(lit.text).hasMatch())
            return misfit(QStringLiteral("a quoted GUID is expected"));
        *value = QUuid::fromString(lit.text);
        return true;
    }
    case Type::Binary:
    case Type::VarBinary:
    case Type::Image:
    case Type::Timestamp: {
        if (lit.kind != Literal::Binary)
            return misfit(QStringLiteral("0x... is expected"));
        QByteArray b = lit.bytes;
        if (col.length > 0 && b.size() > col.length)
            return misfit(QStringLiteral("too long"));
        if (col.type == Type::Binary || col.type == Type::Timestamp)
            b.append(col.length - b.size(), '\0');
        *value = b;
        return true;
    }
    }
    return misfit();
}

} // namespace tdsrules
