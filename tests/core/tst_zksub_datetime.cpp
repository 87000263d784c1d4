#include "core/zksub_datetime.h"
#include "platform/db/dbstore.h"
#include "platform/db/dbtext.h"

#include <QTimeZone>

#include <gtest/gtest.h>

namespace {
struct FormatGuard
{
    TzkFormatSettings saved = FormatSettings;
    TDBFormatSettings savedDB = DBFormatSettings();
    ~FormatGuard()
    {
        FormatSettings = saved;
        SetDBFormatSettings(savedDB);
    }
};
} // namespace

TEST(DateTimeFormats, PatternsAsTheOptionsWriteThem)
{
    FormatGuard guard;
    SetDateTimeFormats(QStringLiteral("yyyy/MM/dd"), QStringLiteral("HH:mm:ss.zzz"));
    const QDateTime t(QDate(2024, 3, 9), QTime(7, 5, 4, 32));
    const std::pair<const char *, const char *> cases[] = {
        {"yyyy/MM/dd", "2024/03/09"},
        {"yy/mm/dd", "24/03/09"},
        {"dd/MM/yyyy", "09/03/2024"},
        {"hh:mm:ss", "07:05:04"}, // m after an hour: minutes
        {"hh:nn", "07:05"},
        {"h:m", "7:5"},
        {"yyyy-mm-dd hh:nn", "2024-03-09 07:05"},
        {"HH:mm:ss.zzz", "07:05:04.032"},
        {"'at' hh", "at 07"},
        {"\"day\" d", "day 9"},
        {"hh:nn am/pm", "07:05 AM"},
        {"c", "2024/03/09 07:05:04.032"},
        {"t", "07:05:04.032"},
        {"ddddd", "2024/03/09"},
        {"yyyy年mm月dd日", "2024年03月09日"},
        {"yyyy.mm.dd (week)", "2024.03.09 (week)"},
    };
    for (const auto &[pattern, text] : cases) {
        SCOPED_TRACE(pattern);
        EXPECT_EQ(FormatDateTime(QString::fromUtf8(pattern), t), QString::fromUtf8(text));
    }
}

TEST(DateTimeFormats, ShortFormsAndReadingBack)
{
    FormatGuard guard;
    SetDateTimeFormats(QStringLiteral("dd/MM/yyyy"), QStringLiteral("HH:mm:ss"));
    EXPECT_EQ(DateTimeToStr(QDateTime(QDate(2024, 3, 9), QTime(0, 0))), QStringLiteral("09/03/2024"));
    EXPECT_EQ(DateTimeToStr(QDateTime(QDate(2024, 3, 9), QTime(13, 1, 2))), QStringLiteral("09/03/2024 13:01:02"));
    QDateTime v;
    ASSERT_TRUE(TryStrToDateTime(QStringLiteral("09/03/2024 13:01:02"), v));
    EXPECT_EQ(v, QDateTime(QDate(2024, 3, 9), QTime(13, 1, 2)));
    ASSERT_TRUE(TryStrToDateTime(QStringLiteral(" 09/03/2024 "), v));
    EXPECT_EQ(v, QDateTime(QDate(2024, 3, 9), QTime(0, 0)));
    ASSERT_TRUE(TryStrToDateTime(QStringLiteral("09/03/2024 13:01"), v));
    EXPECT_EQ(v.time(), QTime(13, 1));
    EXPECT_FALSE(TryStrToDateTime(QStringLiteral("2024/03/09"), v)) << "another order";
    EXPECT_FALSE(TryStrToDateTime(QStringLiteral("31/02/2024"), v));
}

// The options' formats reach the database layer, so the grid, the lists and
// the copies write dates as the user set them; fractions only when the time
// format asks for them.
TEST(DateTimeFormats, DatabaseTextsFollowTheOptions)
{
    FormatGuard guard;
    TDBResultSet r({DescribeColumn("dt", "datetime", 0, 0, 0), DescribeColumn("d2", "datetime2", 0, 0, 7)});
    r.AppendValue(0, QDateTime(QDate(2023, 4, 3), QTime(10, 12, 31, 250), QTimeZone::utc()));
    r.AppendValue(1, QDateTime(QDate(2023, 4, 3), QTime(10, 12, 31, 250), QTimeZone::utc()));
    r.EndRow();
    SetDateTimeFormats(QStringLiteral("yyyy/MM/dd"), QStringLiteral("HH:mm:ss"));
    EXPECT_EQ(r.Text(0, 0), QStringLiteral("2023/04/03 10:12:31"));
    EXPECT_EQ(r.Text(1, 0), QStringLiteral("2023/04/03 10:12:31"));
    SetDateTimeFormats(QStringLiteral("dd/mm/yyyy"), QStringLiteral("hh:nn:ss.zzz"));
    EXPECT_EQ(r.Text(0, 0), QStringLiteral("03/04/2023 10:12:31.250"));
    EXPECT_EQ(r.Text(1, 0), QStringLiteral("03/04/2023 10:12:31.2500000"));
}
