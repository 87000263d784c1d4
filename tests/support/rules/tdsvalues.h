#pragma once

// Literals of rule files and their conversion to typed values; shared by the
// rule parser, the server's encoders and its parameter decoding.

#include "support/rules/tdsrules.h"

#include <QByteArray>
#include <QDate>

namespace tdsrules {

using Int128 = __int128;

struct Literal
{
    enum Kind { Null, Text, Number, Binary };
    Kind kind = Null;
    QString text; // Text: the unquoted text; Number: as written
    bool national = false;
    QByteArray bytes; // Binary
};

// "nvarchar(40)", "decimal(18,4)", "varbinary(max)", "datetime2" ...
bool parseType(const QString &text, Column *column, QString *error);

// Comma-separated literals; stops at a "#" outside quotes (a comment).
bool parseLiterals(QStringView text, QList<Literal> *out, QString *error);

// Converts a literal to the column's type; *subTicks gets the 100 ns units
// below the millisecond of a date/time value. Fails when it does not fit.
bool convertLiteral(const Literal &literal, const Column &column, QVariant *value, int *subTicks, QString *error);

// The values an integer type holds (bigint's for any other type).
void integerRange(Type type, qint64 *lo, qint64 *hi);

// Decimal text <-> integer scaled by 10^scale. Fails on a bad number, more
// fraction digits than the scale, or overflow of 38 digits.
bool parseScaled(QStringView text, int scale, Int128 *out);
QString formatScaled(Int128 value, int scale);
int digitCount(Int128 value); // of the magnitude; 1 for 0

// '2024-01-31 12:34:56.1234567 +09:00', '2024-01-31', '12:34:56' ...
struct DateTimeParts
{
    bool hasDate = false;
    bool hasTime = false;
    bool hasOffset = false;
    QDate date;
    qint64 ticks = 0; // 100 ns since midnight
    int fractionDigits = 0;
    int offsetMinutes = 0;
};
bool parseDateTimeText(QStringView text, DateTimeParts *out);

constexpr qint64 TicksPerSecond = 10000000;
constexpr qint64 TicksPerDay = 86400 * TicksPerSecond;
// Days from 0001-01-01 to 1900-01-01 (the epoch of datetime/smalldatetime).
constexpr qint64 Days1900 = 693595;
QDate dateFromDays(qint64 daysSince0001);
qint64 daysOf(const QDate &date); // since 0001-01-01
// A date/time value as the QVariant a column holds (ms precision).
QVariant dateTimeValue(Type type, qint64 days, qint64 ticks, int offsetMinutes);

// Classic datetime keeps 1/300 s: the milliseconds it shows for a tick count, and back.
int datetimeTicksFromMs(int ms);
int datetimeMsFromTicks(int ticks300);

// A date/time sequence value (100 ns ticks) as days and ticks of the day,
// cut to what the column keeps.
void sequenceDateTime(const Column &column, qint64 value, qint64 *days, qint64 *ticks);
// An integer sequence value as the bytes of a GUID or binary column (big-endian).
QByteArray sequenceBytes(qint64 value, const Column &column);

// Text in a single-byte (1252) or Japanese (932) code page; *ok false when a
// character has no place in it.
QByteArray encodeText(QStringView text, int codePage, bool *ok = nullptr);
QString decodeText(const QByteArray &bytes, int codePage);

} // namespace tdsrules
