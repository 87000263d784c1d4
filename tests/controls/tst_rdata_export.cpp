// The result exports: CSV lines and files, INSERT scripts, clipboard text.
#include "gridtest.h"

#include "controls/rdata_exporttext.h"
#include "core/zkoption.h"
#include "core/zksub_files.h"
#include "platform/encoding/textencoding.h"

#include <QFile>
#include <QTemporaryDir>
#include <QUuid>

namespace {

const QString Guid = QStringLiteral("{6f9619ff-8b86-d011-b42d-00c04fc964ff}");

QByteArray ReadAll(const QString &fileName)
{
    QFile f(fileName);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << fileName.toStdString();
    return f.readAll();
}

// Regular names stay bare, as most users keep it.
class RegularNamesBare
{
public:
    RegularNamesBare()
        : m_saved(zkOption.UseLowerName)
    {
        zkOption.UseLowerName = false;
    }
    ~RegularNamesBare() { zkOption.UseLowerName = m_saved; }

private:
    bool m_saved;
};

TzkExportCell Cell(TFieldType type, const QString &text, bool isNull = false)
{
    return {type, isNull, text};
}

// --- CSV lines --------------------------------------------------------------------

TEST(CsvRecord, QuotingByMode)
{
    const TzkExportRecord record = {Cell(ftWideString, "a b"),
                                    Cell(ftWideString, QStringLiteral("a　b")),
                                    Cell(ftString, "abc123"),
                                    Cell(ftWideString, ""),
                                    Cell(ftGuid, "6F9619FF-8B86-D011-B42D-00C04FC964FF"),
                                    Cell(ftInteger, "42"),
                                    Cell(ftVarBytes, "0xABCD"),
                                    Cell(ftWideString, "say \"hi\""),
                                    Cell(ftWideString, QStringLiteral("x\u00a0y\u2028z")),
                                    Cell(ftWideString, "a\tb")};
    const struct
    {
        int quoting;
        QString expected;
    } cases[] = {
        {0, QStringLiteral("\"a b\",\"a　b\",\"abc123\",\"\",\"6F9619FF-8B86-D011-B42D-00C04FC964FF\",\"42\",\"\","
                           "\"say \"\"hi\"\"\",\"x\u00a0y\u2028z\",\"a\tb\"\r\n")},
        {1, QStringLiteral("\"a b\",\"a　b\",\"abc123\",\"\",\"6F9619FF-8B86-D011-B42D-00C04FC964FF\",42,,"
                           "\"say \"\"hi\"\"\",\"x\u00a0y\u2028z\",\"a\tb\"\r\n")},
        // Only the pattern's characters: no-break space and U+2028 are not white space here.
        {2, QStringLiteral("\"a b\",\"a　b\",abc123,,6F9619FF-8B86-D011-B42D-00C04FC964FF,42,,"
                           "\"say \"\"hi\"\"\",x\u00a0y\u2028z,\"a\tb\"\r\n")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.quoting);
        QString out;
        AppendCsvRecord(out, record, c.quoting, QStringLiteral("\r\n"));
        EXPECT_EQ(out, c.expected);
    }
}

TEST(CsvHeaderLine, AlwaysQuotedWithTheLineEnd)
{
    EXPECT_EQ(CsvHeaderLine({"id", "say \"x\"", "名前"}, "\n"), "\"id\",\"say \"\"x\"\"\",\"名前\"\n");
}

// --- INSERT texts ----------------------------------------------------------------------

TEST(InsertValueText, ValueTable)
{
    const struct
    {
        const char *name;
        TzkExportCell cell;
        QString expected;
    } cases[] = {
        {"BitTrue", Cell(ftBoolean, "True"), "1"},
        {"BitFalse", Cell(ftBoolean, "False"), "0"},
        {"BitNull", Cell(ftBoolean, "", true), "NULL"},
        {"VarcharNull", Cell(ftString, "", true), "NULL"},
        {"VarcharEmpty", Cell(ftString, ""), "''"},
        {"NvarcharEmpty", Cell(ftWideString, ""), "N''"},
        {"NvarcharApostrophe", Cell(ftWideString, "O'Neil"), "N'O''Neil'"},
        {"GuidIsNull", Cell(ftGuid, "6F9619FF-8B86-D011-B42D-00C04FC964FF"), "NULL"},
        {"BinaryIsNull", Cell(ftVarBytes, "0xAB"), "NULL"},
        {"TextCutAtNul", Cell(ftWideMemo, QStringLiteral("ab") + QChar(0) + QStringLiteral("cd")), "N'ab'"},
        {"Decimal", Cell(ftBCD, "-12.50"), "-12.50"},
        {"FloatPlain", Cell(ftFloat, "0.0001"), "0.0001"},
        {"DateTime", Cell(ftTimeStamp, "2024/01/02 03:04:05.1234567"), "'2024/01/02 03:04:05.1234567'"},
        {"IntNull", Cell(ftInteger, "", true), "NULL"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(InsertValueText(c.cell), c.expected);
    }
}

TEST(InsertTableName, BracketsEachPart)
{
    RegularNamesBare bare;
    const struct
    {
        QString name;
        QString expected;
    } cases[] = {
        {"dbo.people", "dbo.people"},
        {"[Order Details]", "[Order Details]"},
        {"dbo.[Order Details]", "dbo.[Order Details]"},
        {"Order Details", "[Order Details]"},
        {"a]b", "[a]]b]"},
        {"[a.b].c", "[a.b].c"},
        {"\"x y\".t", "[x y].t"},
        {"select", "[select]"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        EXPECT_EQ(InsertTableName(c.name), c.expected);
    }
}

TEST(FirstFromName, KeepsBracketsAndQuotesWhole)
{
    EXPECT_EQ(FirstFromName("select * from [Order Details] o"), "[Order Details]");
    EXPECT_EQ(FirstFromName("select * FROM dbo.[a ]] b] where x = 1"), "dbo.[a ]] b]");
    EXPECT_EQ(FirstFromName("select 'from x' as [from], c from \"t u\""), "\"t u\"");
    EXPECT_EQ(FirstFromName("select 1 -- from x\n/* from y */ from z"), "z");
    EXPECT_EQ(FirstFromName("select * from [open"), "");
    EXPECT_EQ(FirstFromName("select 1"), "");
}

TEST(InsertStatement, ColumnsBracketedFromFieldNames)
{
    RegularNamesBare bare;
    EXPECT_EQ(InsertStatement("dbo.t", {"id", "Order Date", "[x]"},
                              {Cell(ftInteger, "1"), Cell(ftDate, "2024/01/02"), Cell(ftWideString, "", true)}),
              "INSERT INTO dbo.t (id, [Order Date], [[x]]]) VALUES (1, '2024/01/02', NULL)");
}

// --- Clipboard -----------------------------------------------------------------------------

TEST(ClipboardRecord, QuotesLikeTheGridCopy)
{
    QString out = ClipboardHeaderLine({"a", "b c", "g"}, QLatin1Char('\t'));
    AppendClipboardRecord(out, {Cell(ftWideString, "x\r\ny\rz"), Cell(ftInteger, "1"), Cell(ftGuid, "6F96")},
                          QLatin1Char('\t'));
    AppendClipboardRecord(out, {Cell(ftWideString, "q\"r"), Cell(ftVarBytes, "0x01"), Cell(ftGuid, "", true)},
                          QLatin1Char(','));
    EXPECT_EQ(out, "a\tb c\tg\r\n\"x\ny\nz\"\t1\t\r\n\"q\"\"r\",,\r\n");
}

// --- Over an open query --------------------------------------------------------------------

class ExportTest : public GridTest
{
public:
    void SetUp() override
    {
        GridTest::SetUp();
        ASSERT_TRUE(dir.isValid());
    }
    QString Path(const QString &name) const { return dir.filePath(name); }
    void OpenSample()
    {
        Open({DescribeColumn("id", "int"), DescribeColumn("name", "nvarchar", 20), DescribeColumn("flag", "bit"),
              DescribeColumn("g", "uniqueidentifier"), DescribeColumn("b", "varbinary", 10),
              DescribeColumn("v", "varchar", 10)},
             {{1, QStringLiteral("O'Neil 様"), true, QUuid(Guid), QByteArray("\x01", 1), QString()},
              {2, QVariant(), false, QVariant(), QVariant(), QVariant()},
              {3, QStringLiteral("a\r\nb"), QVariant(), QVariant(), QVariant(), "x"}},
             false);
    }
    QTemporaryDir dir;
};

TEST_F(ExportTest, CsvFileByEncoding)
{
    OpenSample();
    const QByteArray expectedText = "\"id\",\"name\",\"flag\",\"g\",\"b\",\"v\"\n"
                                    "1,\"O'Neil 様\",True,6F9619FF-8B86-D011-B42D-00C04FC964FF,,\n"
                                    "2,,False,,,\n"
                                    "3,\"a\r\nb\",,,,x\n";
    TzkCsvOptions options;
    options.quoting = csvQuoteNeeded;
    options.lineFeedOnly = true;
    WriteCsvFile(&query, Path("u8.csv"), options, TEncoding::GetUTF8());
    EXPECT_EQ(ReadAll(Path("u8.csv")), expectedText) << "UTF-8 without a byte-order mark";

    WriteCsvFile(&query, Path("le.csv"), options, TEncoding::GetUnicode());
    const QByteArray le = ReadAll(Path("le.csv"));
    EXPECT_EQ(le.left(2), QByteArray("\xff\xfe"));
    EXPECT_EQ(TEncoding::GetUnicode()->GetString(le.mid(2)), QString::fromUtf8(expectedText));

    WriteCsvFile(&query, Path("be.csv"), options, TEncoding::GetBigEndianUnicode());
    EXPECT_EQ(ReadAll(Path("be.csv")).left(2), QByteArray("\xfe\xff"));

    for (const TEncoding *e : {TEncoding::GetANSI(), TEncoding::GetUTF7()}) {
        SCOPED_TRACE(e->Name().toStdString());
        WriteCsvFile(&query, Path("x.csv"), options, e);
        EXPECT_EQ(e->GetString(ReadAll(Path("x.csv"))), QString::fromUtf8(expectedText)) << "decoded back, no mark";
    }
}

TEST_F(ExportTest, CsvInChunksEqualsOnePiece)
{
    // 70,000 records are written in two pieces; UTF-7 keeps state inside a
    // piece, so the bytes show whether pieces were cut at record ends.
    QList<QVariantList> rows;
    for (int i = 0; i < 70000; ++i)
        rows << QVariantList{i, QStringLiteral("名前+%1 ~").arg(i)};
    Open({DescribeColumn("id", "int"), DescribeColumn("name", "nvarchar", 30)}, rows, false);
    QString whole = CsvHeaderLine({"id", "name"}, "\r\n");
    for (int i = 0; i < 70000; ++i)
        AppendCsvRecord(whole,
                        {Cell(ftInteger, QString::number(i)), Cell(ftWideString, QStringLiteral("名前+%1 ~").arg(i))},
                        csvQuoteText, "\r\n");
    TzkCsvOptions options;
    options.quoting = csvQuoteText;
    QList<qint64> progress;
    WriteCsvFile(&query, Path("big.csv"), options, TEncoding::GetUTF7(), [&](qint64 n, qint64 total) {
        EXPECT_EQ(total, 70000);
        progress << n;
    });
    const QByteArray file = ReadAll(Path("big.csv"));
    EXPECT_EQ(file.size(), TEncoding::GetUTF7()->GetBytes(whole).size());
    EXPECT_TRUE(file == TEncoding::GetUTF7()->GetBytes(whole));
    EXPECT_EQ(progress.value(1), 1024);
    EXPECT_EQ(progress.last(), 70000);
}

TEST_F(ExportTest, InsertScriptGolden)
{
    RegularNamesBare bare;
    OpenSample();
    WriteInsertScript(&query, InsertTableName("dbo.Order Details"), Path("insert.sql"), TEncoding::GetUTF8());
    const QByteArray expected =
        "\xef\xbb\xbf"
        "INSERT INTO dbo.[Order Details] (id, name, flag, g, b, v) VALUES (1, N'O''Neil \xe6\xa7\x98', 1, NULL, NULL, '')\r\n"
        "go\r\n"
        "INSERT INTO dbo.[Order Details] (id, name, flag, g, b, v) VALUES (2, NULL, 0, NULL, NULL, NULL)\r\n"
        "go\r\n"
        "INSERT INTO dbo.[Order Details] (id, name, flag, g, b, v) VALUES (3, N'a\r\nb', NULL, NULL, NULL, 'x')\r\n"
        "go\r\n";
    EXPECT_EQ(ReadAll(Path("insert.sql")), expected);
}

TEST_F(ExportTest, FailedWriteKeepsTheOldFile)
{
    OpenSample();
    EXPECT_THROW(WriteCsvFile(&query, Path("missing/x.csv"), {}, TEncoding::GetUTF8()), Exception);
    EXPECT_FALSE(QFile::exists(Path("missing/x.csv")));
}

TEST_F(ExportTest, ClipboardTextAndEscape)
{
    OpenSample();
    EXPECT_EQ(ClipboardText(&query, true, QLatin1Char(',')), "id,name,flag,g,b,v\r\n"
                                                             "1,O'Neil 様,True,,,\r\n"
                                                             "2,,False,,,\r\n"
                                                             "3,\"a\nb\",,,,x\r\n");
    // An ESC seen in the sizing pass ends the copy: the title line only.
    SetEscapeLatch();
    EXPECT_EQ(ClipboardText(&query, true, QLatin1Char('\t')), "id\tname\tflag\tg\tb\tv\r\n");
    ResetEscapeLatch();
}

} // namespace
