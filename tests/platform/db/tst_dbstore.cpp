#include "platform/db/dbstore.h"
#include "platform/db/dbtext.h"

#include <QDateTime>
#include <QTimeZone>
#include <QUuid>

#include <gtest/gtest.h>

namespace {

struct TextCase
{
    const char *name;
    const char *type;
    int size, precision, scale;
    QVariant value;
    const char *text;
};

QDateTime utc(int y, int mo, int d, int h, int mi, int s, int ms)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), QTimeZone::utc());
}

TEST(DbStore, EveryTypeHasOneTextForm)
{
    const TextCase cases[] = {
        {"bit true", "bit", 0, 0, 0, true, "True"},
        {"bit false", "bit", 0, 0, 0, false, "False"},
        {"tinyint", "tinyint", 0, 0, 0, 255, "255"},
        {"smallint", "smallint", 0, 0, 0, -32768, "-32768"},
        {"int", "int", 0, 0, 0, -2147483647 - 1, "-2147483648"},
        {"bigint", "bigint", 0, 0, 0, qlonglong(INT64_MIN), "-9223372036854775808"},
        {"decimal keeps the scale", "decimal", 0, 18, 4, "0.5", "0.5000"},
        {"decimal leading point", "decimal", 0, 18, 4, "-.5", "-0.5000"},
        {"decimal max", "decimal", 0, 18, 0, "999999999999999999", "999999999999999999"},
        {"wide decimal", "decimal", 0, 38, 10, "-12345678901234567890.0123456789", "-12345678901234567890.0123456789"},
        {"wide decimal leading point", "numeric", 0, 38, 2, ".25", "0.25"},
        {"money", "money", 0, 0, 0, "922337203685477.5807", "922337203685477.5807"},
        {"smallmoney", "smallmoney", 0, 0, 0, "-214748.3648", "-214748.3648"},
        {"float shortest", "float", 0, 0, 0, 0.1, "0.1"},
        {"float large", "float", 0, 0, 0, 1e20, "1E+20"},
        {"real", "real", 0, 0, 0, double(0.1f), "0.1"},
        {"date", "date", 0, 0, 0, QDate(2024, 1, 31), "2024/01/31"},
        {"date first day", "date", 0, 0, 0, QDate(1, 1, 1), "0001/01/01"},
        {"time(0)", "time", 0, 0, 0, QTime(23, 59, 59), "23:59:59"},
        {"time(3)", "time", 0, 0, 3, QTime(1, 2, 3, 45), "01:02:03"},
        {"datetime", "datetime", 0, 0, 0, utc(2024, 1, 31, 12, 34, 56, 790), "2024/01/31 12:34:56"},
        {"smalldatetime", "smalldatetime", 0, 0, 0, utc(1900, 1, 1, 0, 0, 0, 0), "1900/01/01 00:00:00"},
        {"datetime2(7)", "datetime2", 0, 0, 7, utc(9999, 12, 31, 23, 59, 59, 999), "9999/12/31 23:59:59"},
        {"datetimeoffset", "datetimeoffset", 0, 0, 2,
         QDateTime(QDate(2024, 1, 31), QTime(12, 0, 0, 120), QTimeZone(9 * 3600)), "2024/01/31 12:00:00 +09:00"},
        {"datetimeoffset west", "datetimeoffset", 0, 0, 0,
         QDateTime(QDate(2024, 1, 31), QTime(12, 0), QTimeZone(-(5 * 3600 + 1800))), "2024/01/31 12:00:00 -05:30"},
        {"uniqueidentifier", "uniqueidentifier", 0, 0, 0, QUuid("{6f9619ff-8b86-d011-b42d-00c04fc964ff}"),
         "6F9619FF-8B86-D011-B42D-00C04FC964FF"},
        {"varbinary", "varbinary", 10, 0, 0, QByteArray("\x0a\x0b\xff", 3), "0x0A0BFF"},
        {"empty binary", "varbinary", 10, 0, 0, QByteArray(""), "0x"},
        {"image", "image", 0, 0, 0, QByteArray("\x01", 1), "0x01"},
        {"timestamp", "timestamp", 0, 0, 0, QByteArray("\0\0\0\0\0\0\x07\xd1", 8), "0x00000000000007D1"},
        {"rowversion", "rowversion", 0, 0, 0, QByteArray("\0\0\0\0\0\0\0\x01", 8), "0x0000000000000001"},
        {"hierarchyid", "hierarchyid", 0, 0, 0, QByteArray("\x58", 1), "0x58"},
        {"geography", "geography", 0, 0, 0, QByteArray("\xe6\x10", 2), "0xE610"},
        {"geometry", "geometry", 0, 0, 0, QByteArray("\0\0", 2), "0x0000"},
        {"text", "text", 0, 0, 0, "old text", "old text"},
        {"ntext", "ntext", 0, 0, 0, QString::fromUtf8("古い"), "古い"},
        {"nvarchar", "nvarchar", 40, 0, 0, QString::fromUtf8("テスト'x"), "テスト'x"},
        {"latin-1 text", "nvarchar", -1, 0, 0, QString::fromUtf8("äöü ÿ"), "äöü ÿ"},
        {"xml", "xml", 0, 0, 0, "<a b=\"1\"/>", "<a b=\"1\"/>"},
        {"sql_variant", "sql_variant", 0, 0, 0, "15.0.2000.5", "15.0.2000.5"},
        {"unknown type as text", "mystery", 0, 0, 0, "x", "x"},
        {"null", "int", 0, 0, 0, QVariant(), ""},
    };
    for (const TextCase &c : cases) {
        SCOPED_TRACE(c.name);
        TDBResultSet r({DescribeColumn("c", c.type, c.size, c.precision, c.scale)});
        r.AppendValue(0, c.value);
        r.EndRow();
        EXPECT_EQ(r.Text(0, 0), QString::fromUtf8(c.text));
        EXPECT_EQ(r.IsNull(0, 0), c.value.isNull());
    }
}

TEST(DbStore, TextFormsFollowTheDateAndTimeFormats)
{
    TDBResultSet r({DescribeColumn("d", "datetime2", 0, 0, 3)});
    r.AppendValue(0, utc(2024, 2, 5, 7, 8, 9, 10));
    r.EndRow();
    const TDBFormatSettings saved = DBFormatSettings();
    SetDBFormatSettings({"dd.MM.yyyy", "H:mm"});
    EXPECT_EQ(r.Text(0, 0), "05.02.2024 7:08");
    SetDBFormatSettings({"yyyy-MM-dd", "HH:mm:ss"});
    EXPECT_EQ(r.Text(0, 0), "2024-02-05 07:08:09");
    // A format with fractions shows every digit the type keeps.
    SetDBFormatSettings({"yyyy-MM-dd", "HH:mm:ss.zzz"});
    EXPECT_EQ(r.Text(0, 0), "2024-02-05 07:08:09.010");
    SetDBFormatSettings(saved);
}

// Shortest digits that read back the same value, plain up to 1E+15 and down
// to 1E-5, with an exponent beyond.
TEST(DbStore, FloatTextsArePlainDecimalsWithinReason)
{
    const std::pair<double, const char *> doubles[] = {
        {1000000, "1000000"},
        {0.0001, "0.0001"},
        {-2.5, "-2.5"},
        {0, "0"},
        {-0.0, "0"},
        {1, "1"},
        {123.456, "123.456"},
        {0.1, "0.1"},
        {1e-5, "0.00001"},
        {1.25e-5, "0.0000125"},
        {9.99e-6, "9.99E-6"},
        {1e-7, "1E-7"},
        {999999999999999, "999999999999999"},
        {1e15, "1E+15"},
        {1.5e20, "1.5E+20"},
        {-1.5e20, "-1.5E+20"},
        {1.7976931348623157e308, "1.7976931348623157E+308"},
        {5e-324, "5E-324"},
        {0.30000000000000004, "0.30000000000000004"},
        {123456789012.5, "123456789012.5"},
    };
    for (const auto &[value, text] : doubles) {
        EXPECT_EQ(dbtext::FormatDouble(value), QString::fromLatin1(text)) << text;
        EXPECT_EQ(dbtext::FormatDouble(value).toDouble(), value) << text;
    }
    const std::pair<float, const char *> singles[] = {
        {1000000.0f, "1000000"}, {0.1f, "0.1"},       {-3.25f, "-3.25"},
        {1e20f, "1E+20"},        {1.1e-6f, "1.1E-6"}, {16777216.0f, "16777216"},
    };
    for (const auto &[value, text] : singles)
        EXPECT_EQ(dbtext::FormatSingle(value), QString::fromLatin1(text)) << text;
}

TEST(DbStore, CivilDaysMatchTheCalendar)
{
    const qint64 base = QDate(1, 1, 1).toJulianDay();
    for (QDate d(1, 1, 1); d.year() < 10000; d = d.addDays(997)) {
        SCOPED_TRACE(d.toString(Qt::ISODate).toStdString());
        ASSERT_EQ(dbtext::DaysFromDate(d), d.toJulianDay() - base);
        ASSERT_EQ(dbtext::DateFromDays(qint32(d.toJulianDay() - base)), d);
    }
    EXPECT_EQ(dbtext::DaysFromCivil(9999, 12, 31), QDate(9999, 12, 31).toJulianDay() - base);
}

TEST(DbStore, DecimalTextParsesExactlyOrNotAtAll)
{
    struct Case
    {
        const char *text;
        int scale;
        bool ok;
        qint64 value;
    };
    const Case cases[] = {
        {"12.5", 2, true, 1250},
        {"-0.01", 2, true, -1},
        {".5", 1, true, 5},
        {"7", 3, true, 7000},
        {"1.2300", 2, true, 123},
        {"1.234", 2, false, 0},
        {"1e3", 0, false, 0},
        {"", 0, false, 0},
        {"-", 0, false, 0},
        {"922337203685477.5807", 4, true, INT64_MAX},
        {"922337203685477.5808", 4, false, 0},
        {"-922337203685477.5808", 4, true, INT64_MIN},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        qint64 v = 0;
        EXPECT_EQ(dbtext::ParseDecimal(QString::fromLatin1(c.text), c.scale, &v), c.ok);
        if (c.ok) {
            EXPECT_EQ(v, c.value);
        }
    }
}

TEST(DbStore, ValuesKeepTheirTypes)
{
    TDBResultSet r({DescribeColumn("i", "int"), DescribeColumn("d", "decimal", 0, 10, 2),
                    DescribeColumn("t", "datetime"), DescribeColumn("b", "bit"), DescribeColumn("s", "nvarchar", 10)});
    r.AppendInt(0, 42);
    r.AppendValue(1, "12.30");
    r.AppendValue(2, utc(2024, 1, 2, 3, 4, 5, 6));
    r.AppendBool(3, true);
    r.AppendValue(4, "x");
    r.EndRow();
    EXPECT_EQ(r.Value(0, 0), QVariant(42));
    EXPECT_EQ(r.Value(1, 0), QVariant("12.30"));
    EXPECT_DOUBLE_EQ(r.AsDouble(1, 0), 12.3);
    EXPECT_EQ(r.AsInt64(1, 0), 12);
    EXPECT_EQ(r.Value(2, 0).toDateTime(), utc(2024, 1, 2, 3, 4, 5, 6));
    EXPECT_EQ(r.Value(3, 0), QVariant(true));
    EXPECT_EQ(r.Value(4, 0), QVariant("x"));
    EXPECT_EQ(r.IndexOf("D"), 1);
    EXPECT_EQ(r.IndexOf("nope"), -1);
}

TEST(DbStore, RecordIdsSurviveInsertsAndDeletes)
{
    TDBResultSet r({DescribeColumn("n", "int"), DescribeColumn("s", "nvarchar", 20)});
    for (int i = 0; i < 5; ++i) {
        r.AppendInt(0, i);
        r.AppendValue(1, QStringLiteral("row %1").arg(i));
        r.EndRow();
    }
    EXPECT_EQ(r.RecordId(3), 3); // identity until the first change
    r.DeleteRecord(1);
    const TRecordId added = r.InsertRecord(0);
    EXPECT_EQ(r.RecordCount(), 5);
    EXPECT_EQ(r.RecordId(0), added);
    EXPECT_EQ(r.PositionOf(added), 0);
    EXPECT_EQ(r.PositionOf(1), -1); // deleted
    EXPECT_EQ(r.PositionOf(4), 4);
    EXPECT_TRUE(r.IsNull(0, added));
    r.SetValue(0, added, 99);
    r.SetValue(1, added, "新しい");
    r.SetValue(1, 2, QVariant());
    EXPECT_EQ(r.Text(0, added), "99");
    EXPECT_EQ(r.Text(1, added), "新しい");
    EXPECT_TRUE(r.IsNull(1, 2));
    EXPECT_EQ(r.Text(1, 3), "row 3");
    QStringList order;
    for (qint64 p = 0; p < r.RecordCount(); ++p)
        order << r.Text(0, r.RecordId(p));
    EXPECT_EQ(order, (QStringList{"99", "0", "2", "3", "4"}));
}

TEST(DbStore, TextsMixOneByteAndTwoByteCells)
{
    TDBResultSet r({DescribeColumn("s", "nvarchar", -1)});
    const QStringList values = {"a", "漢字", "", "abc", "ü", "かな", QString(70000, QChar(0x3042))};
    for (const QString &v : values) {
        r.AppendText(0, v);
        r.EndRow();
    }
    r.AppendNull(0);
    r.EndRow();
    for (qsizetype i = 0; i < values.size(); ++i)
        EXPECT_EQ(r.Text(0, i), values.at(i)) << i;
    EXPECT_TRUE(r.IsNull(0, values.size()));
    EXPECT_FALSE(r.IsNull(0, 2)); // empty is not NULL
}

TEST(DbStore, CellOffsetsWidenWhenTheArenaOutgrowsThem)
{
    const quint64 saved = dbstore_p::offsetLimit32;
    dbstore_p::offsetLimit32 = 64; // as if 2 GB had been reached
    TDBResultSet r({DescribeColumn("s", "nvarchar", -1), DescribeColumn("b", "varbinary", -1)});
    QStringList texts;
    for (int i = 0; i < 40; ++i) {
        texts << (i % 3 ? QStringLiteral("text %1").arg(i) : QStringLiteral("漢字 %1").arg(i));
        r.AppendText(0, texts.last());
        r.AppendBytes(1, "\x01\x02", 2);
        r.EndRow();
    }
    dbstore_p::offsetLimit32 = saved;
    for (int i = 0; i < 40; ++i) {
        ASSERT_EQ(r.Text(0, i), texts.at(i)) << i;
        ASSERT_EQ(r.Text(1, i), "0x0102") << i;
    }
}

TEST(DbStore, OneByteTextsStayNearTheirRawSize)
{
    TDBResultSet r({DescribeColumn("s", "nvarchar", 40), DescribeColumn("n", "int")});
    const qint64 rows = 200000;
    for (qint64 i = 0; i < rows; ++i) {
        r.AppendText(0, QStringLiteral("customer name %1").arg(i, 8, 10, QLatin1Char('0')));
        r.AppendInt(1, i);
        r.EndRow();
    }
    // 22 characters and an int a row; offsets cost 8 bytes a row.
    const qint64 raw = rows * (22 + 4);
    EXPECT_LT(r.MemoryUsage(), raw * 2);
    EXPECT_EQ(r.Text(0, rows - 1), "customer name 00199999");
}

} // namespace
