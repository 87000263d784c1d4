// The join dialog: its columns and comparison, OK, Cancel and delete.
#include "../core/modal.h"
#include "designerfixture.h"

#include "controls/zkstdctl.h"
#include "sqlwindow/fsqlbldc.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

namespace {

class JoinDialogTest : public DesignerTest
{
protected:
    void SetUp() override
    {
        DesignerTest::SetUp();
        a = box("Orders", "a", {"OrderID", "CustomerID", "ShipVia"});
        b = box("Customers", "b", {"CustomerID", "Name"}, {}, QPoint(300, 16));
        join = new TzkSQLBuildConnect(designer, a, b, "CustomerID", "CustomerID");
        join->SetConnectType(ctGE);
    }
    static QStringList items(const TzkComboBox *combo)
    {
        QStringList out;
        for (int i = 0; i < combo->count(); ++i)
            out << combo->itemText(i);
        return out;
    }
    static void check(TfrmSQLBldConnect *form, int index)
    {
        form->rdoConnectType->findChildren<QRadioButton *>().at(index)->setChecked(true);
    }
    // Runs the dialog, acting on it once it shows.
    bool run(const std::function<void(TfrmSQLBldConnect *)> &act)
    {
        WhenModal([&](QWidget *w) { act(qobject_cast<TfrmSQLBldConnect *>(w)); });
        return TfrmSQLBldConnect::ShowWindow(join);
    }

    TzkSQLBuildTable *a = nullptr;
    TzkSQLBuildTable *b = nullptr;
    TzkSQLBuildConnect *join = nullptr;
};

TEST_F(JoinDialogTest, ShowsTheColumnsWithoutStarAndTheJoinsChoice)
{
    TfrmSQLBldConnect form;
    form.SetConnect(join);
    EXPECT_EQ(form.windowTitle(), "結合");
    EXPECT_EQ(form.size(), QSize(532, 193));
    EXPECT_EQ(form.property("HelpContext").toInt(), 51100);
    EXPECT_EQ(form.grpTable1->title(), " Orders の列選択 ");
    EXPECT_EQ(form.grpTable2->title(), " Customers の列選択 ");
    EXPECT_EQ(items(form.cmbColumn1), (QStringList{"OrderID", "CustomerID", "ShipVia"}));
    EXPECT_EQ(items(form.cmbColumn2), (QStringList{"CustomerID", "Name"}));
    EXPECT_EQ(form.cmbColumn1->Text(), "CustomerID");
    EXPECT_EQ(form.cmbColumn2->Text(), "CustomerID");
    EXPECT_FALSE(form.cmbColumn1->isEditable());
    EXPECT_EQ(form.rdoConnectType->title(), " 結合条件 ");
    QStringList captions;
    for (const QRadioButton *r : form.rdoConnectType->findChildren<QRadioButton *>())
        captions << r->text();
    EXPECT_EQ(captions, (QStringList{"＝", "＞", ">=", "＜", "<=", "!="}));
    EXPECT_EQ(form.ConnectTypeIndex(), int(ctGE));
    QStringList buttons;
    for (const QPushButton *p : {form.btnOk, form.btnDelete, form.btnCancel, form.btnHelp})
        buttons << p->text();
    EXPECT_EQ(buttons, (QStringList{"OK", "削除", "キャンセル", "ヘルプ"}));
    if (qEnvironmentVariableIsSet("ZK_SCREENSHOT_DIR")) {
        form.show();
        QApplication::processEvents();
        form.grab().save(qEnvironmentVariable("ZK_SCREENSHOT_DIR") + QStringLiteral("/joindialog.png"));
    }

    // A column the box does not list (exact names) selects nothing.
    join->SetFromColumn("customerid");
    form.SetConnect(join);
    EXPECT_EQ(form.cmbColumn1->currentIndex(), -1);
}

TEST_F(JoinDialogTest, OkStoresTheChoiceAsAnInnerJoinAndMovesTheLine)
{
    join->SetJoinType(jtLeftOuter);
    join->CalcLines();
    const int before = join->Lines()[0].y();
    const bool ok = run([](TfrmSQLBldConnect *form) {
        form->cmbColumn1->setCurrentIndex(2); // ShipVia, one row lower
        check(form, ctLE);
        form->btnOk->click();
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(join->FromColumn(), "ShipVia");
    EXPECT_EQ(join->ToColumn(), "CustomerID");
    EXPECT_EQ(join->ConnectType(), ctLE);
    EXPECT_EQ(join->JoinType(), jtInner);
    join->CalcLines();
    EXPECT_EQ(join->Lines()[0].y(), before + a->ItemList()->ItemHeight());
}

TEST_F(JoinDialogTest, CancelKeepsTheJoinAsItWas)
{
    join->SetJoinType(jtRightOuter);
    const bool ok = run([](TfrmSQLBldConnect *form) {
        form->cmbColumn1->setCurrentIndex(0);
        check(form, ctEQ);
        form->btnCancel->click();
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(join->FromColumn(), "CustomerID");
    EXPECT_EQ(join->ConnectType(), ctGE);
    EXPECT_EQ(join->JoinType(), jtRightOuter);
}

TEST_F(JoinDialogTest, DeleteFreesTheJoinAndReturnsTrue)
{
    auto *other = new TzkSQLBuildConnect(designer, a, b, "OrderID", "Name");
    const bool ok = run([](TfrmSQLBldConnect *form) { form->btnDelete->click(); });
    EXPECT_TRUE(ok);
    EXPECT_EQ(designer->Connects(), TzkSQLBuildConnectList{other});
}

} // namespace
