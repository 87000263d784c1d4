#include "connection/testhelpers.h"

#include "connection/fobject.h"
#include "controls/zkcomctrls.h"
#include "core/modal.h"
#include "core/zkreg.h"
#include "core/zksub.h"
#include "mainwindow/fdbselect.h"
#include "mainwindow/fproject.h"

#include <QLabel>
#include <QListWidget>
#include <QStyle>
#include <QPushButton>

namespace {

const QStringList kDatabases{"InventoryDB", "master", "model", "msdb", "SalesDB", "tempdb", "人事DB"};

QStringList ticked(QWidget *dialog)
{
    auto *list = dialog->findChild<QListWidget *>(QStringLiteral("chkUserList"));
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->checkState() == Qt::Checked)
            names << list->item(i)->text();
    return names;
}

void tick(QWidget *dialog, const QString &name, bool on)
{
    auto *list = dialog->findChild<QListWidget *>(QStringLiteral("chkUserList"));
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->text() == name)
            list->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

void press(QWidget *dialog, const char *button)
{
    dialog->findChild<QPushButton *>(QLatin1String(button))->click();
}

class DatabaseSelectionTest : public ConnectionWindowTest
{
protected:
    QString stored(const QString &server)
    {
        TzkRegistry reg;
        const QString key = ZK_REG_ROOT + QStringLiteral("\\OBJECTTREE\\") + server;
        if (!reg.KeyExists(key) || !reg.OpenKey(key, false))
            return QStringLiteral("<none>");
        return reg.ReadString(QStringLiteral("DataBase"));
    }
};

} // namespace

TEST_F(DatabaseSelectionTest, TheTreesListIsKeptPerServer)
{
    TfrmObject *form = logon();
    TfrmObject *other = logon(QStringLiteral("SalesDB"), QStringLiteral("zkdemo"), QStringLiteral("srv2"));
    {
        TzkRegistry reg;
        ASSERT_TRUE(reg.OpenKey(form->TreeSettingsKey(), true));
        reg.WriteString(QStringLiteral("DataBase"), QStringLiteral("salesdb\r\ngone\r\n人事DB\r\n"));
    }
    QStringList first;
    QString caption, label;
    WhenModal([&](QWidget *d) {
        caption = d->windowTitle();
        label = d->findChild<QLabel *>(QStringLiteral("lblTitle"))->text();
        first = ticked(d);
        tick(d, QStringLiteral("InventoryDB"), true);
        press(d, "btnOK");
    });
    EXPECT_TRUE(TfrmProject::ShowWindow(form));
    EXPECT_EQ(caption, "表示データベース設定");
    EXPECT_EQ(label, "表示するデータベース");
    EXPECT_EQ(first, (QStringList{"SalesDB", "人事DB"})) << "any case; a name gone from the server is dropped";
    EXPECT_EQ(stored(QStringLiteral("srv1")), "InventoryDB\r\nSalesDB\r\n人事DB\r\n");
    EXPECT_EQ(stored(QStringLiteral("srv2")), "<none>") << "another server's tree is not touched";

    // Cancel stores nothing.
    WhenModal([&](QWidget *d) {
        tick(d, QStringLiteral("master"), true);
        press(d, "btnCancel");
    });
    EXPECT_FALSE(TfrmProject::ShowWindow(other));
    EXPECT_EQ(stored(QStringLiteral("srv2")), "<none>");
}

TEST_F(DatabaseSelectionTest, NothingTickedIsRefusedWithAWarning)
{
    TfrmObject *form = logon();
    QString warning;
    bool stillOpen = false;
    WhenModal([&](QWidget *d) {
        EXPECT_TRUE(ticked(d).isEmpty());
        WhenModal(
            [&](QWidget *box) {
                warning = box->findChild<QLabel *>(QStringLiteral("Message"))->text();
                box->findChild<QPushButton *>(QStringLiteral("OK"))->click();
                stillOpen = d->isVisible();
                tick(d, QStringLiteral("SalesDB"), true);
                press(d, "btnOK");
            },
            d);
        press(d, "btnOK");
    });
    EXPECT_TRUE(TfrmProject::ShowWindow(form));
    EXPECT_EQ(warning, "表示するデータベースを最低一つは選択して下さい。");
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(stored(QStringLiteral("srv1")), "SalesDB\r\n");
}

// Rows of Latin and Japanese names are equally tall, with room between the
// check boxes.
TEST_F(DatabaseSelectionTest, EveryRowIsEquallyTallWithAGapBetweenTheBoxes)
{
    TfrmObject *form = logon();
    QList<int> heights;
    int indicator = 0;
    WhenModal([&](QWidget *d) {
        auto *list = d->findChild<QListWidget *>(QStringLiteral("chkUserList"));
        indicator = list->style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, list);
        for (int i = 0; i < list->count(); ++i)
            heights << list->visualItemRect(list->item(i)).height();
        press(d, "btnCancel");
    });
    TfrmProject::ShowWindow(form);
    ASSERT_EQ(heights.size(), kDatabases.size());
    for (int h : heights) {
        EXPECT_EQ(h, heights.first());
        EXPECT_GE(h, indicator + 4);
    }
}

TEST_F(DatabaseSelectionTest, TheReferenceSelectionStartsWithEveryDatabase)
{
    TfrmObject *form = logon();
    QStringList names;
    QStringList first;
    QString caption;
    WhenModal([&](QWidget *d) {
        caption = d->windowTitle();
        first = ticked(d);
        press(d, "btnClear");
        EXPECT_TRUE(ticked(d).isEmpty());
        tick(d, QStringLiteral("人事DB"), true);
        tick(d, QStringLiteral("InventoryDB"), true);
        press(d, "btnOK");
    });
    EXPECT_TRUE(Tfrmdbselect::ShowWindow(form, QString(), names));
    EXPECT_EQ(caption, "参照データベース");
    EXPECT_EQ(first, kDatabases) << "an empty choice ticks every database";
    EXPECT_EQ(names, (QStringList{"InventoryDB", "人事DB"})) << "in list order";

    // The choice comes back ticked; cancel leaves it as it was.
    WhenModal([&](QWidget *d) {
        first = ticked(d);
        press(d, "btnAll");
        EXPECT_EQ(ticked(d), kDatabases);
        press(d, "btnCancel");
    });
    names << QStringLiteral("not_there");
    EXPECT_FALSE(Tfrmdbselect::ShowWindow(form, QString(), names));
    EXPECT_EQ(first, (QStringList{"InventoryDB", "人事DB"}));
    EXPECT_EQ(names, (QStringList{"InventoryDB", "人事DB", "not_there"}));

    QString warning;
    WhenModal([&](QWidget *d) {
        press(d, "btnClear");
        WhenModal(
            [&](QWidget *box) {
                warning = box->findChild<QLabel *>(QStringLiteral("Message"))->text();
                box->findChild<QPushButton *>(QStringLiteral("OK"))->click();
                press(d, "btnCancel");
            },
            d);
        press(d, "btnOK");
    });
    EXPECT_FALSE(Tfrmdbselect::ShowWindow(form, QString(), names));
    EXPECT_EQ(warning, "参照するデータベースを最低一つは選択して下さい。");
}

TEST_F(DatabaseSelectionTest, AFailingDatabaseListShowsNoDialog)
{
    TfrmObject *form = logon();
    rules("rule exact: select name from master.dbo.sysdatabases where has_dbaccess(name) = 1\n"
          "  error: 4060, 1, 11, 1, Cannot open the catalogue\n");
    QStringList names;
    EXPECT_THROW(TfrmProject::ShowWindow(form), EDBError);
    EXPECT_THROW(Tfrmdbselect::ShowWindow(form, QString(), names), EDBError);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// The tree's third setting opens the dialog of the main window's folder.
TEST_F(DatabaseSelectionTest, TheTreesSettingOpensIt)
{
    TfrmObject *form = logon();
    WhenModal([&](QWidget *d) {
        tick(d, QStringLiteral("master"), true);
        press(d, "btnOK");
    });
    emit form->cmbTree->activated(2);
    EXPECT_EQ(form->Disp, 2);
    EXPECT_EQ(form->lstTree->TopItem(0)->Count(), 1);
    EXPECT_EQ(form->lstTree->TopItem(0)->Item(0)->Text(), "master");
}
