#include "core/zkoption.h"
#include "core/zksub.h"
#include "platform/encoding/textencoding.h"
#include "platform/rtl/exceptions.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class WhereHistory : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_saved = zkOption;
        zkOption.TempDir = m_dir.filePath(QStringLiteral("work/temp/"));
        zkOption.Encoding = 2;
    }
    void TearDown() override { zkOption = m_saved; }

    QString file(const QString &name) const { return zkOption.TempDir + name; }
    QByteArray raw(const QString &name) const
    {
        QFile f(file(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void writeRaw(const QString &name, const QByteArray &bytes) const
    {
        QDir().mkpath(zkOption.TempDir);
        QFile f(file(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QTemporaryDir m_dir;
    TzkOption m_saved;
};

TEST_F(WhereHistory, LoadsTheKeysInOrderSkippingGaps)
{
    writeRaw(QStringLiteral("srv.db.dbo.T.ini"),
             "\xEF\xBB\xBF[WHERE]\r\n05=c = 3\r\n00=a = 1\r\n01=b = '2'\r\n02=\r\n[OTHER]\r\n03=x\r\n");
    QStringList list = {QStringLiteral("stale")};
    LoadWhereHistory(QStringLiteral("srv"), QStringLiteral("db"), QStringLiteral("dbo"), QStringLiteral("T"), list);
    EXPECT_EQ(list, (QStringList{"a = 1", "b = '2'", "c = 3"}));
}

TEST_F(WhereHistory, NothingIsReadWithoutAnObjectNameOrAFile)
{
    QStringList list = {QStringLiteral("stale")};
    LoadWhereHistory(QStringLiteral("srv"), QStringLiteral("db"), QStringLiteral("dbo"), QString(), list);
    EXPECT_TRUE(list.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(zkOption.TempDir));
    list << QStringLiteral("stale");
    LoadWhereHistory(QStringLiteral("srv"), QStringLiteral("db"), QStringLiteral("dbo"), QStringLiteral("T"), list);
    EXPECT_TRUE(list.isEmpty());
    EXPECT_TRUE(QFileInfo(zkOption.TempDir).isDir());
}

TEST_F(WhereHistory, SavesAtMostTwentyAndKeepsLaterKeys)
{
    QStringList many;
    for (int i = 0; i < 25; ++i)
        many << QStringLiteral("id = %1").arg(i);
    SaveWhereHistory(QStringLiteral("srv"), QStringLiteral("db"), QStringLiteral("dbo"), QStringLiteral("T"), many);
    QStringList loaded;
    LoadWhereHistory(QStringLiteral("srv"), QStringLiteral("db"), QStringLiteral("dbo"), QStringLiteral("T"), loaded);
    EXPECT_EQ(loaded, many.mid(0, 20));
    EXPECT_TRUE(raw(QStringLiteral("srv.db.dbo.T.ini")).contains("19=id = 19\r\n"));
    EXPECT_FALSE(raw(QStringLiteral("srv.db.dbo.T.ini")).contains("20="));

    // A shorter list overwrites its own keys only.
    SaveWhereHistory(QStringLiteral("srv"), QStringLiteral("db"), QStringLiteral("dbo"), QStringLiteral("T"),
                     {QStringLiteral("新しい条件")});
    LoadWhereHistory(QStringLiteral("srv"), QStringLiteral("db"), QStringLiteral("dbo"), QStringLiteral("T"), loaded);
    ASSERT_EQ(loaded.size(), 20);
    EXPECT_EQ(loaded.first(), QStringLiteral("新しい条件"));
    EXPECT_EQ(loaded.at(1), QStringLiteral("id = 1"));
}

TEST_F(WhereHistory, FileNamesDropInvalidCharacters)
{
    EXPECT_EQ(WhereHistoryFileName(QStringLiteral("host\\inst"), QStringLiteral("db"), QStringLiteral("dbo"),
                                   QStringLiteral("a:b")),
              file(QStringLiteral("hostinst.db.dbo.ab.ini")));
    // Names that differ only in a removed character share one history.
    SaveWhereHistory(QStringLiteral("srv"), QStringLiteral("db"), QStringLiteral("dbo"), QStringLiteral("a|b"),
                     {QStringLiteral("x = 1")});
    QStringList loaded;
    LoadWhereHistory(QStringLiteral("srv"), QStringLiteral("db"), QStringLiteral("dbo"), QStringLiteral("ab"), loaded);
    EXPECT_EQ(loaded, QStringList{QStringLiteral("x = 1")});
}

TEST_F(WhereHistory, FilesAreInTheChosenEncoding)
{
    const std::tuple<int, QByteArray> cases[] = {
        {0, QByteArray("[WHERE]\r\n00=\x96\xBC\x91\x4F = N'\x83\x65\x83\x58\x83\x67'\r\n")},
        {2, QByteArray(
                "\xEF\xBB\xBF[WHERE]\r\n00=\xE5\x90\x8D\xE5\x89\x8D = N'\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88'\r\n")},
        {3, TEncoding::GetUnicode()->GetPreamble()
                + TEncoding::GetUnicode()->GetBytes(QStringLiteral("[WHERE]\r\n00=名前 = N'テスト'\r\n"))},
    };
    for (const auto &[encoding, bytes] : cases) {
        SCOPED_TRACE(encoding);
        zkOption.Encoding = encoding;
        const QString object = QStringLiteral("T%1").arg(encoding);
        SaveWhereHistory(QStringLiteral("s"), QStringLiteral("d"), QStringLiteral("o"), object,
                         {QStringLiteral("名前 = N'テスト'")});
        EXPECT_EQ(raw(QStringLiteral("s.d.o.%1.ini").arg(object)), bytes);
        QStringList loaded;
        LoadWhereHistory(QStringLiteral("s"), QStringLiteral("d"), QStringLiteral("o"), object, loaded);
        EXPECT_EQ(loaded, QStringList{QStringLiteral("名前 = N'テスト'")});
    }
}

TEST_F(WhereHistory, ALineBreakCannotSplitAnEntry)
{
    SaveWhereHistory(QStringLiteral("s"), QStringLiteral("d"), QStringLiteral("o"), QStringLiteral("T"),
                     {QStringLiteral("a = 1\r\nand b = 2"), QStringLiteral("[x]\ny=1")});
    QStringList loaded;
    LoadWhereHistory(QStringLiteral("s"), QStringLiteral("d"), QStringLiteral("o"), QStringLiteral("T"), loaded);
    EXPECT_EQ(loaded, (QStringList{"a = 1 and b = 2", "[x] y=1"}));
}

TEST_F(WhereHistory, WriteErrorsReachTheCaller)
{
    QDir().mkpath(zkOption.TempDir);
    QDir().mkpath(file(QStringLiteral("s.d.o.T.ini"))); // a folder where the file should be
    EXPECT_THROW(SaveWhereHistory(QStringLiteral("s"), QStringLiteral("d"), QStringLiteral("o"), QStringLiteral("T"),
                                  {QStringLiteral("x")}),
                 Exception);
}

TEST(TzkIniFile, KeepsOtherSectionsAndComparesNamesWithoutCase)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("widths.ini"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[COLWIDTH_V]\nID=40\nName = 120\n\n[Other]\nkey=v=w\n");
    }
    TzkIniFile ini(path, TEncoding::GetUTF8());
    EXPECT_EQ(ini.ReadString(QStringLiteral("colwidth_v"), QStringLiteral("name"), QString()), QStringLiteral("120"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("OTHER"), QStringLiteral("key"), QString()), QStringLiteral("v=w"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("none"), QStringLiteral("key"), QStringLiteral("def")),
              QStringLiteral("def"));
    ini.WriteString(QStringLiteral("COLWIDTH_V"), QStringLiteral("id"), QStringLiteral("55"));
    ini.WriteString(QStringLiteral("COLWIDTH_H"), QStringLiteral("ID"), QStringLiteral("10"));
    ini.UpdateFile();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("\xEF\xBB\xBF[COLWIDTH_V]\r\nID=55\r\nName=120\r\n\r\n[Other]\r\nkey=v=w\r\n"
                                      "\r\n[COLWIDTH_H]\r\nID=10\r\n"));
}

class LineRecorder : public IzkLineSink
{
public:
    QStringList lines;
    void AddLine(const QString &line) override { lines << line; }
};

TEST(RunCommandToMemo, AddsEveryLineWithTheBusyCursorShown)
{
    LineRecorder memo;
    EXPECT_TRUE(RunCommandToMemo(QStringLiteral(R"(printf "a\r\nb")"), &memo));
    EXPECT_EQ(memo.lines, (QStringList{"a", "b"}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    LineRecorder during;
    EXPECT_TRUE(RunCommandToMemo(QStringLiteral(R"(sh -c "echo start; sleep 0.2; echo end")"), &during));
    EXPECT_EQ(during.lines, (QStringList{"start", "end"}));

    LineRecorder none;
    EXPECT_FALSE(RunCommandToMemo(QStringLiteral("/no/such/bcp -v"), &none));
    EXPECT_TRUE(none.lines.isEmpty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(GetShortPath, GivesAFolderThatStaysOneArgument)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("plain"));
    QDir(dir.path()).mkdir(QStringLiteral("with blank"));
    EXPECT_EQ(GetShortPath(dir.filePath(QStringLiteral("plain"))), dir.filePath(QStringLiteral("plain/")));
    EXPECT_EQ(GetShortPath(dir.filePath(QStringLiteral("plain/"))), dir.filePath(QStringLiteral("plain/")));
    const QString quoted = GetShortPath(dir.filePath(QStringLiteral("with blank")));
    EXPECT_EQ(quoted, QLatin1Char('"') + dir.filePath(QStringLiteral("with blank/")) + QLatin1Char('"'));
    // Joined with a file name it is still one argument of the command line.
    LineRecorder memo;
    ASSERT_TRUE(RunCommandToMemo(QStringLiteral("printf \"%s\\n\" ") + quoted + QStringLiteral("data.dat"), &memo));
    EXPECT_EQ(memo.lines, QStringList{dir.filePath(QStringLiteral("with blank/data.dat"))});
    EXPECT_EQ(GetShortPath(dir.filePath(QStringLiteral("missing"))), QString());
}

} // namespace
