#include "platform/rtl/exceptions.h"
#include "platform/xlsx/xlsxbook.h"
#include "platform/xlsx/xlsxbook_p.h"
#include "support/xlsx/xlsxread.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>

#include <gtest/gtest.h>

namespace {

QStringList row(std::initializer_list<const char *> cells)
{
    QStringList list;
    for (const char *c : cells)
        list << QString::fromUtf8(c);
    return list;
}

} // namespace

TEST(XlsxWorkbook, WritesTextsAndNumbersInBothMemoryModes)
{
    for (bool constantMemory : {true, false}) {
        SCOPED_TRACE(constantMemory ? "constant memory" : "in memory");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("一覧.xlsx"));
        {
            TXlsxWorkbook book(path, constantMemory);
            book.AddSheet(QStringLiteral("オブジェクト"));
            book.SetColumnWidth(0, 30);
            book.WriteString(0, 0, QStringLiteral("オブジェクト名"));
            book.WriteString(0, 1, QStringLiteral("ページ数"));
            book.WriteString(1, 0, QStringLiteral("顧客マスタ"));
            book.WriteNumber(1, 1, 864);
            book.WriteString(2, 0, QStringLiteral("a < b & \"c\""));
            book.WriteString(2, 1, QString());                // an empty cell
            book.WriteString(3, 2, QStringLiteral("𠮷野家")); // beyond the plane of UTF-16 units
            book.Save();
        }
        EXPECT_TRUE(ReadZipEntries(path).contains(QStringLiteral("xl/workbook.xml")));
        const QList<QStringList> cells = ReadXlsxCells(path);
        EXPECT_EQ(cells, (QList<QStringList>{row({"オブジェクト名", "ページ数", ""}), row({"顧客マスタ", "864", ""}),
                                             row({"a < b & \"c\"", "", ""}), row({"", "", "𠮷野家"})}));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"一覧.xlsx"})
            << "no temporary file is left";
    }
}

TEST(XlsxWorkbook, ReplacesAnExistingFileOnlyWhenTheSaveSucceeds)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sub/dir/out.xlsx"));
    {
        TXlsxWorkbook book(path);
        book.WriteString(0, 0, QStringLiteral("first"));
        book.Save(); // the folders are made
    }
    EXPECT_EQ(ReadXlsxCells(path).value(0).value(0), "first");

    {
        TXlsxWorkbook book(path);
        book.WriteString(0, 0, QStringLiteral("dropped"));
        // destroyed without Save: nothing is written
    }
    EXPECT_EQ(ReadXlsxCells(path).value(0).value(0), "first");

    {
        TXlsxWorkbook book(path);
        book.WriteString(0, 0, QStringLiteral("second"));
        book.Save();
    }
    EXPECT_EQ(ReadXlsxCells(path).value(0).value(0), "second");
}

TEST(XlsxWorkbook, FailuresRaiseWithTheReason)
{
    QTemporaryDir dir;
    // A file where a folder of the path should be.
    QFile blocker(dir.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    TXlsxWorkbook book(dir.filePath(QStringLiteral("blocker/out.xlsx")));
    book.WriteString(0, 0, QStringLiteral("x"));
    try {
        book.Save();
        FAIL() << "saved";
    } catch (const Exception &e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("フォルダを作成できません。"))) << e.what();
    }

    TXlsxWorkbook big(dir.filePath(QStringLiteral("big.xlsx")));
    EXPECT_THROW(big.WriteString(TXlsxWorkbook::MaxRows, 0, QStringLiteral("x")), Exception);
    EXPECT_THROW(big.AddSheet(QStringLiteral("bad[name]")), Exception);

    // A text longer than a cell holds is cut to the limit.
    TXlsxWorkbook longText(dir.filePath(QStringLiteral("long.xlsx")), false);
    longText.WriteString(0, 0, QString(TXlsxWorkbook::MaxTextLength + 10, QLatin1Char('x')));
    longText.Save();
    EXPECT_EQ(ReadXlsxCells(dir.filePath(QStringLiteral("long.xlsx"))).value(0).value(0).size(),
              TXlsxWorkbook::MaxTextLength);
}

// The new workbook replaces the old one in one step: when that step fails,
// the old file is there as it was and no temporary file is left.
TEST(XlsxWorkbook, AFailedReplaceKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.xlsx"));
    {
        TXlsxWorkbook book(path);
        book.WriteString(0, 0, QStringLiteral("old"));
        book.Save();
    }
    const auto saved = xlsxbook_detail::renameFile;
    xlsxbook_detail::renameFile = [](const char *, const char *) {
        errno = EACCES;
        return -1;
    };
    {
        TXlsxWorkbook book(path);
        book.WriteString(0, 0, QStringLiteral("new"));
        EXPECT_THROW(book.Save(), Exception);
    }
    xlsxbook_detail::renameFile = saved;
    EXPECT_EQ(ReadXlsxCells(path).value(0).value(0), "old");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"out.xlsx"});
}
