#pragma once

#include <QDateTime>
#include <QString>

// The program's date and time formats: one holder for the whole process,
// filled from the options DateFormat and TimeDelphi at start-up and when the
// options dialog confirms. Every text form of a date or a time goes through
// it, so none follows the system locale. The patterns are kept as the options
// store them (run-time library patterns such as "yyyy/MM/dd", "HH:mm:ss.zzz").
struct TzkFormatSettings
{
    QString ShortDateFormat = QStringLiteral("yyyy/MM/dd");
    QString LongDateFormat = QStringLiteral("yyyy/MM/dd");
    QString ShortTimeFormat = QStringLiteral("HH:mm:ss");
    QString LongTimeFormat = QStringLiteral("HH:mm:ss");
};
extern TzkFormatSettings FormatSettings;

// The short and long date formats become `dateFormat`, the short and long
// time formats `timeFormat`; the database layer's text forms follow them.
void SetDateTimeFormats(const QString &dateFormat, const QString &timeFormat);

// A run-time library pattern as a Qt date-time pattern: "m"/"mm" right after
// an hour are minutes, otherwise months; "n"/"nn" minutes; "ampm", "am/pm"
// and "a/p" a 12-hour clock; quoted texts and unknown letters stay literal;
// "c", "ddddd", "dddddd", "t" and "tt" expand to the holder's formats.
QString DelphiToQtDateTimeFormat(const QString &pattern);

QString FormatDateTime(const QString &pattern, const QDateTime &value);
// The short date format.
QString DateToStr(const QDate &value);
// The long time format.
QString TimeToStr(const QTime &value);
// Short date and long time joined by a blank; the time is left out at
// midnight exactly.
QString DateTimeToStr(const QDateTime &value);
// Reads a date, or a date and a time, written in the holder's formats (a
// time without seconds or with milliseconds is accepted). False when the
// text is none of these.
bool TryStrToDateTime(const QString &text, QDateTime &value);
