#include "core/zkoption.h"
#include "core/zksqllog.h"
#include "core/zksub.h"
#include "platform/encoding/textencoding.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class SQLLog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_saved = zkOption;
        m_lists = {SQLLogList, SQLLogFList};
        zkOption.TempDir = m_dir.filePath(QStringLiteral("work/temp/"));
        zkOption.Encoding = 2;
        SQLLogList.clear();
        SQLLogFList.clear();
    }
    void TearDown() override
    {
        zkOption = m_saved;
        SQLLogList = m_lists.first;
        SQLLogFList = m_lists.second;
    }

    static QByteArray raw(const QString &name)
    {
        QFile f(zkOption.TempDir + name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void writeRaw(const QString &name, const QByteArray &bytes)
    {
        QDir().mkpath(zkOption.TempDir);
        QFile f(zkOption.TempDir + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QTemporaryDir m_dir;
    TzkOption m_saved;
    std::pair<QStringList, QStringList> m_lists;
};

TEST_F(SQLLog, RecordingTakesTheLowestFreeNumberAndTrimsTheIndex)
{
    struct Case
    {
        int buf;
        QStringList before;
        QStringList after;
        QString file; // the file written, empty for none
    };
    const Case cases[] = {
        // the oldest goes and its number is reused
        {3,
         {"SQLLOG2.SQL", "SQLLOG1.SQL", "SQLLOG3.SQL"},
         {"SQLLOG3.SQL", "SQLLOG2.SQL", "SQLLOG1.SQL"},
         "SQLLOG3.SQL"},
        // a lowered SQLBuf drops every surplus entry, so the run is still kept
        {2,
         {"SQLLOG1.SQL", "SQLLOG2.SQL", "SQLLOG5.SQL", "SQLLOG4.SQL", "SQLLOG3.SQL"},
         {"SQLLOG2.SQL", "SQLLOG1.SQL"},
         "SQLLOG2.SQL"},
        // names compare without regard to case
        {5, {"sqllog1.sql", "SQLLOG3.SQL"}, {"SQLLOG2.SQL", "sqllog1.sql", "SQLLOG3.SQL"}, "SQLLOG2.SQL"},
        {3, {}, {"SQLLOG1.SQL"}, "SQLLOG1.SQL"},
        // switched off
        {0, {"SQLLOG1.SQL"}, {"SQLLOG1.SQL"}, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.before.join(QLatin1Char(',')).toStdString());
        QDir(zkOption.TempDir).removeRecursively();
        zkOption.SQLBuf = c.buf;
        SQLLogList = c.before;
        AddSQLLog(QStringLiteral("SELECT 1\nFROM T"));
        EXPECT_EQ(SQLLogList, c.after);
        if (c.file.isEmpty()) {
            EXPECT_FALSE(QFile::exists(zkOption.TempDir + QStringLiteral("SQLLOG.IDX")));
            continue;
        }
        EXPECT_EQ(raw(c.file), QByteArray("\xEF\xBB\xBFSELECT 1\r\nFROM T\r\n"));
        EXPECT_EQ(raw(QStringLiteral("SQLLOG.IDX")),
                  "\xEF\xBB\xBF" + c.after.join(QStringLiteral("\r\n")).toUtf8() + "\r\n");
    }
}

TEST_F(SQLLog, ReusedNumberOverwritesTheOldFile)
{
    zkOption.SQLBuf = 1;
    SQLLogList = {QStringLiteral("SQLLOG1.SQL")};
    writeRaw(QStringLiteral("SQLLOG1.SQL"), "old text that is longer\r\n");
    AddSQLLog(QStringLiteral("new"));
    EXPECT_EQ(SQLLogList, QStringList{"SQLLOG1.SQL"});
    EXPECT_EQ(ReadSQLLogFile(QStringLiteral("SQLLOG1.SQL")), QStringLiteral("new\r\n"));
}

TEST_F(SQLLog, FilesCarryTheEncodingsMarkAndEndEveryLineWithCrLf)
{
    struct Case
    {
        int encoding;
        QByteArray bytes;
    };
    const Case cases[] = {
        {2, QByteArray("\xEF\xBB\xBF"
                       "a\r\nb\r\n")},
        {3, QByteArray("\xFF\xFE"
                       "a\0\r\0\n\0b\0\r\0\n\0",
                       14)},
        {4, QByteArray("\xFE\xFF"
                       "\0a\0\r\0\n\0b\0\r\0\n",
                       14)},
        {0, QByteArray("a\r\nb\r\n")},
        {1, QByteArray("a\r\nb\r\n")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.encoding);
        zkOption.Encoding = c.encoding;
        SQLLogList = {QStringLiteral("a"), QStringLiteral("b")};
        WriteSQLLogIndex();
        EXPECT_EQ(raw(QStringLiteral("SQLLOG.IDX")), c.bytes);
        SQLLogList.clear();
        LoadSQLLogLists();
        EXPECT_EQ(SQLLogList, (QStringList{"a", "b"}));
    }
}

TEST_F(SQLLog, FavouriteEntriesSplitIntoFileAndName)
{
    struct Case
    {
        QString entry, file, name;
    };
    const Case cases[] = {
        {"SQLLOGF1.SQL お気に入りSQL", "SQLLOGF1.SQL", "お気に入りSQL"},
        {"SQLLOGF12.SQL 月次 集計 ", "SQLLOGF12.SQL", "月次 集計"},
        {"SQLLOGF3.SQL \t  \r", "SQLLOGF3.SQL", ""},
        {"SQLLOGF4.SQL", "SQLLOGF4.SQL", ""},
        {"SQLLOGF5.sql name", "", "SQLLOGF5.sql name"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.entry.toStdString());
        EXPECT_EQ(SQLLogFFileName(c.entry), c.file);
        EXPECT_EQ(SQLLogFName(c.entry), c.name);
    }
    EXPECT_EQ(ReadSQLLogFile(QString()), QString());
    EXPECT_EQ(ReadSQLLogFile(QStringLiteral("SQLLOG99.SQL")), QString());
}

TEST_F(SQLLog, RegisteringGivesTheUpperEntryTheHigherNumber)
{
    zkOption.SQLBuf = 10;
    AddSQLLog(QStringLiteral("older"));
    AddSQLLog(QStringLiteral("newer"));
    ASSERT_EQ(SQLLogList, (QStringList{"SQLLOG2.SQL", "SQLLOG1.SQL"}));
    SQLLogFList = {QStringLiteral("SQLLOGF1.SQL 既存 SQLLOGF3.SQL")};
    RegistSQLLogFavorites(SQLLogList);
    // 2 and then 4: "SQLLOGF3.SQL" occurs inside the existing display name
    EXPECT_EQ(SQLLogFList, (QStringList{"SQLLOGF4.SQL お気に入りSQL", "SQLLOGF2.SQL お気に入りSQL",
                                        "SQLLOGF1.SQL 既存 SQLLOGF3.SQL"}));
    EXPECT_EQ(ReadSQLLogFile(QStringLiteral("SQLLOGF4.SQL")), QStringLiteral("newer\r\n"));
    EXPECT_EQ(ReadSQLLogFile(QStringLiteral("SQLLOGF2.SQL")), QStringLiteral("older\r\n"));
    const QStringList saved[] = {SQLLogList, SQLLogFList};
    SQLLogFList.clear();
    LoadSQLLogLists();
    EXPECT_EQ(SQLLogFList, saved[1]);
    // what the dialog changed reaches the files with the next SQL window
    SQLLogList.swapItemsAt(0, 1);
    SQLLogFList.removeLast();
    WriteSQLLogIndexes();
    LoadSQLLogLists();
    EXPECT_EQ(SQLLogList, (QStringList{"SQLLOG1.SQL", "SQLLOG2.SQL"}));
    EXPECT_EQ(SQLLogFList, saved[1].mid(0, 2));
}

TEST_F(SQLLog, LoadingReadsEachIndexOnItsOwnAndFollowsTheMark)
{
    // UTF-8 with its mark still reads after the option moved to SHIFT-JIS
    writeRaw(QStringLiteral("SQLLOGF.IDX"), "\xEF\xBB\xBFSQLLOGF1.SQL 日本語\r\n");
    writeRaw(QStringLiteral("SQLLOGF1.SQL"), "\xEF\xBB\xBF"
                                             "SELECT '表'\r\n");
    zkOption.Encoding = 0;
    SQLLogList = {QStringLiteral("stale")};
    LoadSQLLogLists();
    EXPECT_TRUE(SQLLogList.isEmpty());
    EXPECT_EQ(SQLLogFList, QStringList{"SQLLOGF1.SQL 日本語"});
    EXPECT_EQ(SQLLogOneLine(ReadSQLLogFile(QStringLiteral("SQLLOGF1.SQL"))), QStringLiteral("SELECT '表'"));

    writeRaw(QStringLiteral("SQLLOG.IDX"), "SQLLOG1.SQL\r\n");
    QFile::remove(zkOption.TempDir + QStringLiteral("SQLLOGF.IDX"));
    LoadSQLLogLists();
    EXPECT_EQ(SQLLogList, QStringList{"SQLLOG1.SQL"});
    EXPECT_TRUE(SQLLogFList.isEmpty());
}

} // namespace
