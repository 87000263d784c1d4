// The designer and its editor: boxes are usable only while the editor's
// text is the one the design was last brought in step with.
#include "designerfixture.h"

#include "sqleditor/zkmemo.h"

#include <QLayout>

namespace {

TEST_F(DesignerTest, AnUnownedEditorIsForgottenWhenFreed)
{
    auto *memo = new TzkMemo(host.get());
    designer->SetSQLText(memo);
    delete memo;
    EXPECT_EQ(designer->SQLText(), nullptr);
    EXPECT_EQ(designer->EditorText(), "");
}

TEST_F(DesignerTest, AnEditedTextDisablesUnfocusedBoxes)
{
    auto *memo = new TzkMemo(host.get());
    host->layout()->addWidget(memo);
    designer->SetSQLText(memo);
    TzkSQLBuildTable *a = box("Orders", "a", {"OrderID"});
    TzkSQLBuildTable *b = box("Customers", "b", {"CustomerID"}, {}, QPoint(300, 16));
    host->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(host.get()));
    a->ItemList()->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), a->ItemList());

    // The user types into the editor.
    QTest::keyClicks(memo, "select 1");
    EXPECT_EQ(designer->EditorText(), "select 1");
    EXPECT_TRUE(a->isEnabled()); // it has the focus
    EXPECT_FALSE(b->isEnabled());
    // Leaving the box disables it too.
    memo->setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(a->isEnabled());

    // Text and design in step again: entering the surface finds every box
    // usable.
    memo->WMSetText("");
    ASSERT_EQ(designer->EditorText(), designer->SaveSQL());
    designer->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(a->isEnabled());
    EXPECT_TRUE(b->isEnabled());
}

} // namespace
