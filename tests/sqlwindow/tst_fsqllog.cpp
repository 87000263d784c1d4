#include "../core/modal.h"

#include "controls/zkcomctrls.h"
#include "controls/zkstdctl.h"
#include "core/zkoption.h"
#include "core/zksqllog.h"
#include "core/zksub.h"
#include "editorcontrol/edlines.h"
#include "sqleditor/zkmemo.h"
#include "sqlwindow/fsqllog.h"

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

class SQLLogDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_saved = zkOption;
        m_lists = {SQLLogList, SQLLogFList};
        zkOption.TempDir = m_dir.filePath(QStringLiteral("temp/"));
        zkOption.Encoding = 2;
        zkOption.SQLBuf = 200;
        SQLLogList.clear();
        SQLLogFList.clear();
        // newest first: SQLLOG3 holds "third", SQLLOG1 "first"
        for (const char *text : {"first", "second\nline", "third"})
            AddSQLLog(QString::fromLatin1(text));
    }
    void TearDown() override
    {
        zkOption = m_saved;
        SQLLogList = m_lists.first;
        SQLLogFList = m_lists.second;
    }

    // The dialog as it is once shown, the history tab filled.
    std::unique_ptr<TfrmSQLLog> open()
    {
        auto dialog = std::make_unique<TfrmSQLLog>(nullptr);
        dialog->show();
        QApplication::processEvents();
        return dialog;
    }
    static QStringList texts(const TzkListView *list)
    {
        QStringList result;
        for (int i = 0; i < list->ItemCount(); ++i)
            result << list->ItemFirstSubItem(i);
        return result;
    }
    // Runs `act` and returns the text of the message box it shows.
    static QString messageOf(const std::function<void()> &act)
    {
        QString message;
        WhenModal([&](QWidget *w) {
            if (auto *label = w->findChild<QLabel *>(QStringLiteral("Message")))
                message = label->text();
            w->close();
        });
        act();
        return message;
    }

    QTemporaryDir m_dir;
    TzkOption m_saved;
    std::pair<QStringList, QStringList> m_lists;
};

TEST_F(SQLLogDialog, ListsTheHistoryAndPreviewsTheChosenEntry)
{
    auto d = open();
    EXPECT_EQ(d->windowTitle(), QStringLiteral("SQL 一覧"));
    EXPECT_EQ(texts(d->lstSQL), (QStringList{"third", "second line", "first"}));
    EXPECT_EQ(d->lstSQL->ColumnCaption(0), QStringLiteral("発行日時"));
    EXPECT_FALSE(d->lstSQL->ItemCaption(0).isEmpty());
    EXPECT_FALSE(d->btnRegist->isEnabled());
    d->lstSQL->SetSelected(1, true);
    QApplication::processEvents();
    EXPECT_EQ(d->txtSQL->Lines()->GetTextStr(), QStringLiteral("second\r\nline\r\n"));
    EXPECT_TRUE(d->btnRegist->isEnabled());

    // a header click keeps the index order
    d->lstSQL->Header()->sectionClicked(1);
    EXPECT_EQ(texts(d->lstSQL), (QStringList{"third", "second line", "first"}));

    d->btnSelectClick();
    EXPECT_EQ(d->Answer(), QStringLiteral("H1"));
}

TEST_F(SQLLogDialog, ClosingWithoutAChoiceAnswersMinusOne)
{
    for (const bool history : {true, false}) {
        auto d = open();
        d->SetHistoryTab(history);
        d->lstSQL->SetSelected(0, true);
        d->close();
        EXPECT_EQ(d->Answer(), history ? QStringLiteral("H-1") : QStringLiteral("F-1"));
    }
}

TEST_F(SQLLogDialog, MovesOneItemAndWarnsForSeveral)
{
    auto d = open();
    d->lstSQL->SetSelected(0, true);
    d->btnUpClick();
    d->lstSQL->ClearSelection();
    d->lstSQL->SetSelected(2, true);
    d->btnDownClick();
    EXPECT_EQ(SQLLogList, (QStringList{"SQLLOG3.SQL", "SQLLOG2.SQL", "SQLLOG1.SQL"}));

    d->btnUpClick();
    EXPECT_EQ(SQLLogList, (QStringList{"SQLLOG3.SQL", "SQLLOG1.SQL", "SQLLOG2.SQL"}));
    EXPECT_EQ(texts(d->lstSQL), (QStringList{"third", "first", "second line"}));
    EXPECT_TRUE(d->lstSQL->IsSelected(1));

    d->lstSQL->SetSelected(0, true);
    EXPECT_EQ(messageOf([&] { d->btnDownClick(); }),
              QStringLiteral("同時に複数行を移動する事は出来ません。１行だけ選択して下さい。"));
    EXPECT_EQ(SQLLogList, (QStringList{"SQLLOG3.SQL", "SQLLOG1.SQL", "SQLLOG2.SQL"}));
}

TEST_F(SQLLogDialog, DeletingKeepsTheFilesAndClosingWritesTheIndex)
{
    auto d = open();
    d->lstSQL->SetSelected(0, true);
    d->lstSQL->SetSelected(2, true);
    d->btnDelClick();
    EXPECT_EQ(SQLLogList, QStringList{"SQLLOG2.SQL"});
    EXPECT_EQ(texts(d->lstSQL), QStringList{"second line"});
    EXPECT_TRUE(QFile::exists(zkOption.TempDir + QStringLiteral("SQLLOG3.SQL")));
    EXPECT_TRUE(QFile::exists(zkOption.TempDir + QStringLiteral("SQLLOG1.SQL")));
    d->close();
    SQLLogList.clear();
    LoadSQLLogLists();
    EXPECT_EQ(SQLLogList, QStringList{"SQLLOG2.SQL"});
}

TEST_F(SQLLogDialog, SearchWrapsAndReportsAMiss)
{
    auto d = open();
    d->lstSQL->SetSelected(2, true);
    d->txtFind->setText(QStringLiteral("ir"));
    d->btnFindClick();
    EXPECT_EQ(d->lstSQL->SelectedItems(), QList<int>{0}); // "third", after wrapping
    d->txtFind->setText(QStringLiteral("nothing"));
    EXPECT_EQ(messageOf([&] { d->btnFindClick(); }), QStringLiteral("検索対象が見つかりませんでした。"));
}

TEST_F(SQLLogDialog, FavouritesRegisterRenameAndShowMissingFilesEmpty)
{
    SQLLogFList = {QStringLiteral("SQLLOGF9.SQL 消えた"), QStringLiteral("壊れた")};
    auto d = open();
    d->lstSQL->SetSelected(0, true);
    d->lstSQL->SetSelected(1, true);
    EXPECT_EQ(messageOf([&] { d->btnRegistClick(); }), QStringLiteral("お気に入りSQLに登録しました。"));
    d->SetHistoryTab(false);
    QApplication::processEvents();
    EXPECT_EQ(d->lstSQL->ColumnCaption(0), QStringLiteral("SQL名"));
    EXPECT_EQ(texts(d->lstSQL), (QStringList{"third", "second line", "", ""}));
    EXPECT_EQ(d->lstSQL->ItemCaption(3), QStringLiteral("壊れた"));

    // rename: both words stay; the file name part is kept
    d->lstSQL->SetSelected(0, true);
    d->mnuRenameClick();
    ASSERT_TRUE(d->lstSQL->IsEditing());
    auto *editor = d->lstSQL->ReportView()->viewport()->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral(" 月次 集計 "));
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(d->lstSQL->ItemCaption(0), QStringLiteral("月次 集計"));
    EXPECT_EQ(SQLLogFList.first(), QStringLiteral("SQLLOGF2.SQL 月次 集計"));
    ASSERT_TRUE(d->isVisible()); // the Enter that ends the edit chooses nothing
    d->close();
    SQLLogFList.clear();
    LoadSQLLogLists();
    EXPECT_EQ(SQLLogFList.first(), QStringLiteral("SQLLOGF2.SQL 月次 集計"));
    EXPECT_EQ(SQLLogFList.size(), 4);
}

} // namespace
