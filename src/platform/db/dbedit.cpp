#include "platform/db/dbedit.h"

#include "platform/db/dbtext.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <QTime>
#include <QTimeZone>
#include <QUuid>

namespace {

bool isIntegerStorage(TDBStorage s)
{
    return s == TDBStorage::UInt8 || s == TDBStorage::Int16 || s == TDBStorage::Int32 || s == TDBStorage::Int64;
}

QDate parseDate(const QString &text)
{
    const QString t = text.trimmed();
    for (const QString &format :
         {DBFormatSettings().dateFormat, QStringLiteral("yyyy-MM-dd"), QStringLiteral("yyyy/MM/dd"),
          QStringLiteral("yyyy/M/d"), QStringLiteral("yyyy-M-d"), QStringLiteral("yyyyMMdd")}) {
        const QDate d = QDate::fromString(t, format);
        if (d.isValid())
            return d;
    }
    return {};
}

// "date[ |T]time" with an optional time part; ticks since midnight.
bool parseDateAndTime(const QString &text, QDate *date, qint64 *ticks)
{
    const QString t = text.trimmed();
    qsizetype split = t.indexOf(QLatin1Char(' '));
    if (split < 0)
        split = t.indexOf(QLatin1Char('T'));
    *date = parseDate(split < 0 ? t : t.left(split));
    *ticks = 0;
    if (!date->isValid())
        return false;
    if (split < 0)
        return true;
    QString time = t.mid(split + 1).trimmed();
    // hh:mm without seconds
    if (time.count(QLatin1Char(':')) == 1)
        time += QLatin1String(":00");
    return dbtext::ParseTime(time, ticks);
}

QTime timeOfTicks(qint64 ticks)
{
    return QTime::fromMSecsSinceStartOfDay(int(ticks / 10000));
}

QString fraction(qint64 ticks, int digits)
{
    if (digits <= 0)
        return QString();
    QString f = QStringLiteral("%1").arg(ticks % dbtext::TicksPerSecond, 7, 10, QLatin1Char('0'));
    return QLatin1Char('.') + f.left(qMin(digits, 7));
}

QString isoTime(qint64 ticks, int digits)
{
    const qint64 seconds = ticks / dbtext::TicksPerSecond;
    return QStringLiteral("%1:%2:%3")
               .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
               .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
               .arg(seconds % 60, 2, 10, QLatin1Char('0'))
           + fraction(ticks, digits);
}

QString isoDate(qint32 days)
{
    int y, m, d;
    dbtext::CivilFromDays(days, &y, &m, &d);
    return QStringLiteral("%1-%2-%3")
        .arg(y, 4, 10, QLatin1Char('0'))
        .arg(m, 2, 10, QLatin1Char('0'))
        .arg(d, 2, 10, QLatin1Char('0'));
}

// Fraction digits a datetime type keeps in its text form.
int dateTimeDigits(const TDBColumnDef &def)
{
    if (def.typeName == QLatin1String("datetime"))
        return 3;
    if (def.typeName == QLatin1String("smalldatetime"))
        return 0;
    return def.scale;
}

} // namespace

bool TextToFieldValue(const TDBColumnDef &def, const QString &text, QVariant *value)
{
    *value = QVariant();
    if (IsTextField(def.fieldType) || def.fieldType == ftVariant) {
        *value = text;
        return true;
    }
    const QString t = text.trimmed();
    if (t.isEmpty())
        return true;
    bool ok = false;
    switch (def.storage) {
    case TDBStorage::Bool:
        if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || t == QLatin1String("1"))
            *value = true;
        else if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0 || t == QLatin1String("0"))
            *value = false;
        else
            return false;
        return true;
    case TDBStorage::UInt8:
    case TDBStorage::Int16:
    case TDBStorage::Int32:
    case TDBStorage::Int64: {
        const qint64 v = t.toLongLong(&ok);
        if (!ok)
            return false;
        const qint64 lo = def.storage == TDBStorage::UInt8   ? 0
                          : def.storage == TDBStorage::Int16 ? -32768
                          : def.storage == TDBStorage::Int32 ? qint64(INT_MIN)
                                                             : LLONG_MIN;
        const qint64 hi = def.storage == TDBStorage::UInt8   ? 255
                          : def.storage == TDBStorage::Int16 ? 32767
                          : def.storage == TDBStorage::Int32 ? qint64(INT_MAX)
                                                             : LLONG_MAX;
        if (v < lo || v > hi)
            return false;
        *value = v;
        return true;
    }
    case TDBStorage::Float32:
    case TDBStorage::Float64: {
        const double v = t.toDouble(&ok);
        if (!ok)
            return false;
        *value = v;
        return true;
    }
    case TDBStorage::Decimal: {
        qint64 scaled;
        if (!dbtext::ParseDecimal(t, def.scale, &scaled))
            return false;
        *value = dbtext::FormatDecimal(scaled, def.scale);
        return true;
    }
    case TDBStorage::BigDecimal: {
        static const QRegularExpression number(QStringLiteral("^[+-]?(\\d*)(?:\\.(\\d*))?$"));
        const QRegularExpressionMatch m = number.match(t);
        if (!m.hasMatch() || (m.capturedLength(1) + m.capturedLength(2)) == 0 || m.capturedLength(2) > def.scale
            || m.capturedLength(1) > def.precision - def.scale)
            return false;
        *value = t;
        return true;
    }
    case TDBStorage::Date: {
        const QDate d = parseDate(t);
        if (!d.isValid())
            return false;
        *value = d;
        return true;
    }
    case TDBStorage::Time: {
        qint64 ticks;
        if (!dbtext::ParseTime(t.count(QLatin1Char(':')) == 1 ? t + QLatin1String(":00") : t, &ticks))
            return false;
        *value = timeOfTicks(ticks);
        return true;
    }
    case TDBStorage::DateTime: {
        QDate d;
        qint64 ticks;
        if (!parseDateAndTime(t, &d, &ticks))
            return false;
        *value = QDateTime(d, timeOfTicks(ticks), QTimeZone::utc());
        return true;
    }
    case TDBStorage::DateTimeOffset: {
        qint64 local;
        int offset;
        QString iso = t;
        iso.replace(QLatin1Char('/'), QLatin1Char('-'));
        if (!dbtext::ParseDateTimeOffset(iso, &local, &offset))
            return false;
        const qint32 days = qint32(local / dbtext::TicksPerDay);
        *value =
            QDateTime(dbtext::DateFromDays(days), timeOfTicks(local % dbtext::TicksPerDay), QTimeZone(offset * 60));
        return true;
    }
    case TDBStorage::Guid: {
        const QUuid u(t);
        if (u.isNull()
            && t.count(QLatin1Char('0')) + t.count(QLatin1Char('-')) + t.count(QLatin1Char('{'))
                       + t.count(QLatin1Char('}'))
                   != t.size())
            return false;
        if (u.isNull() && t.size() < 32)
            return false;
        *value = u;
        return true;
    }
    case TDBStorage::Binary: {
        QString hex = t;
        if (hex.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
            hex = hex.mid(2);
        static const QRegularExpression hexDigits(QStringLiteral("^[0-9A-Fa-f]*$"));
        if (hex.size() % 2 != 0 || !hexDigits.match(hex).hasMatch())
            return false;
        *value = QByteArray::fromHex(hex.toLatin1());
        return true;
    }
    case TDBStorage::Text: *value = text; return true;
    }
    return false;
}

bool FieldAcceptsChar(const TDBColumnDef &def, QChar ch)
{
    if (ch < QLatin1Char(' '))
        return true;
    switch (def.storage) {
    case TDBStorage::Bool:
    case TDBStorage::Text: return true;
    case TDBStorage::UInt8:
    case TDBStorage::Int16:
    case TDBStorage::Int32:
    case TDBStorage::Int64: return ch.isDigit() || ch == QLatin1Char('+') || ch == QLatin1Char('-');
    case TDBStorage::Float32:
    case TDBStorage::Float64: return ch.isDigit() || QStringLiteral("+-.eE").contains(ch);
    case TDBStorage::Decimal:
    case TDBStorage::BigDecimal: return ch.isDigit() || QStringLiteral("+-.").contains(ch);
    case TDBStorage::Date:
    case TDBStorage::Time:
    case TDBStorage::DateTime:
    case TDBStorage::DateTimeOffset: return ch.isDigit() || QStringLiteral("/-:. T+").contains(ch);
    case TDBStorage::Guid: return isxdigit(ch.unicode()) || QStringLiteral("-{}").contains(ch);
    case TDBStorage::Binary:
        return ch.unicode() < 128 && (isxdigit(ch.unicode()) || ch == QLatin1Char('x') || ch == QLatin1Char('X'));
    }
    return true;
}

bool ParamNeedsCast(const TDBColumnDef &def)
{
    switch (def.storage) {
    case TDBStorage::Bool:
    case TDBStorage::UInt8:
    case TDBStorage::Int16:
    case TDBStorage::Int32:
    case TDBStorage::Int64:
    case TDBStorage::Float32:
    case TDBStorage::Float64:
    case TDBStorage::Binary: return false;
    case TDBStorage::Text:
        // Unicode texts go as they are; the others keep their code page.
        return !(def.typeName == QLatin1String("nvarchar") || def.typeName == QLatin1String("nchar")
                 || def.typeName == QLatin1String("ntext") || def.typeName == QLatin1String("sysname"));
    default: return true;
    }
}

TDBParamValue CellParamValue(const TDBResultSet &store, int column, TRecordId record)
{
    const TDBColumnDef &def = store.Column(column);
    TDBParamValue p;
    if (store.IsNull(column, record)) {
        p.dataType = ftWideString;
        return p;
    }
    switch (def.storage) {
    case TDBStorage::Bool:
        p.value = store.AsBool(column, record);
        p.dataType = ftBoolean;
        break;
    case TDBStorage::UInt8:
    case TDBStorage::Int16:
    case TDBStorage::Int32:
    case TDBStorage::Int64:
        p.value = store.AsInt64(column, record);
        p.dataType = ftLargeint;
        break;
    case TDBStorage::Float32:
    case TDBStorage::Float64:
        p.value = store.AsDouble(column, record);
        p.dataType = ftFloat;
        break;
    case TDBStorage::Binary:
        p.value = store.AsBytes(column, record);
        p.dataType = ftVarBytes;
        break;
    case TDBStorage::Date: p.value = isoDate(store.Days(column, record)); break;
    case TDBStorage::Time: p.value = isoTime(store.Ticks(column, record), def.scale); break;
    case TDBStorage::DateTime: {
        const qint64 ticks = store.Ticks(column, record);
        p.value = isoDate(qint32(ticks / dbtext::TicksPerDay)) + QLatin1Char('T')
                  + isoTime(ticks % dbtext::TicksPerDay, dateTimeDigits(def));
        break;
    }
    case TDBStorage::DateTimeOffset: {
        const qint64 ticks = store.Ticks(column, record);
        const int offset = store.OffsetMinutes(column, record);
        p.value = isoDate(qint32(ticks / dbtext::TicksPerDay)) + QLatin1Char('T')
                  + isoTime(ticks % dbtext::TicksPerDay, def.scale)
                  + QStringLiteral(" %1%2:%3")
                        .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                        .arg(qAbs(offset) / 60, 2, 10, QLatin1Char('0'))
                        .arg(qAbs(offset) % 60, 2, 10, QLatin1Char('0'));
        break;
    }
    default:
        // Exact numerics, GUIDs, texts: the store's own text keeps every digit.
        p.value = store.Value(column, record).toString();
        if (def.storage == TDBStorage::Guid)
            p.value = store.Text(column, record);
        break;
    }
    if (p.dataType == ftWideString && !p.value.isNull())
        p.value = p.value.toString();
    return p;
}
