#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringView>

// The one place where values of every SQL Server type get their text form,
// for the grid, CSV, INSERT scripts, the clipboard and workbooks alike.
//
//   bit                         True / False
//   integers                    decimal digits
//   decimal, numeric, money     every digit the type's scale keeps: 0.5000
//   float, real                 the shortest digits that read back the same value, in plain
//                               decimal: 1000000, 0.0001; 1.5E+20, 1E-7 from 1E+15 up and below 1E-5
//   date                        the date format
//   time(n)                     the time format; when it has fractions ("HH:mm:ss.zzz"),
//                               every fraction digit the type keeps (n), else none
//   datetime, datetime2(n)      date format, blank, time format as for time(n)
//   datetimeoffset(n)           as datetime2(n), then " +09:00"
//   uniqueidentifier            6F9619FF-8B86-D011-B42D-00C04FC964FF
//   binary types                0x0A0B (upper-case hex)
//   text types, xml, variant    the text itself
// Qt date and time patterns.
struct TDBFormatSettings
{
    QString dateFormat = QStringLiteral("yyyy/MM/dd");
    QString timeFormat = QStringLiteral("HH:mm:ss");
};

// Process-wide; the options set them (main thread).
const TDBFormatSettings &DBFormatSettings();
void SetDBFormatSettings(const TDBFormatSettings &settings);

namespace dbtext {

constexpr qint64 TicksPerSecond = 10000000;
constexpr qint64 TicksPerDay = 86400 * TicksPerSecond;

// Days since 0001-01-01 in the proleptic Gregorian calendar, and back.
qint32 DaysFromCivil(int year, int month, int day);
void CivilFromDays(qint32 days, int *year, int *month, int *day);
QDate DateFromDays(qint32 days);
qint32 DaysFromDate(const QDate &date);

QString FormatBool(bool value);
QString FormatInt(qint64 value);
QString FormatDouble(double value);
QString FormatSingle(float value);
QString FormatDecimal(qint64 scaled, int scale);
// A decimal of up to 38 digits: its magnitude scaled by 10^scale, and its sign.
QString FormatDecimal128(unsigned __int128 magnitude, bool negative, int scale);
QString FormatDate(qint32 days);
// ticks since midnight; fraction digits 0 to 7
QString FormatTime(qint64 ticks, int fractionDigits);
// ticks since 0001-01-01 00:00
QString FormatDateTime(qint64 ticks, int fractionDigits);
QString FormatDateTimeOffset(qint64 localTicks, int offsetMinutes, int fractionDigits);
// 16 bytes in the layout of the ODBC GUID structure (first three fields in
// the machine's byte order)
QString FormatGuid(const uchar *bytes);
QString FormatBinary(const char *data, qsizetype size);

// Exact decimal text ("-12.5", ".5", "1e3" is refused) as an integer scaled
// by 10^scale; false when it does not fit 64 bits or has more fraction
// digits than scale.
bool ParseDecimal(QStringView text, int scale, qint64 *scaled);
bool ParseDecimal(const char *text, qsizetype size, int scale, qint64 *scaled);
// "hh:mm:ss[.fffffff]" to ticks since midnight.
bool ParseTime(QStringView text, qint64 *ticks);
// "yyyy-mm-dd hh:mm:ss[.fffffff] [+|-]hh:mm"
bool ParseDateTimeOffset(QStringView text, qint64 *localTicks, int *offsetMinutes);

} // namespace dbtext
