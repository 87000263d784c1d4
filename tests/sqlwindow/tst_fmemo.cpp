#include "../core/modal.h"

#include "core/zkreg.h"
#include "core/zksub.h"
#include "sqleditor/zkmemo.h"
#include "sqlwindow/fmemo.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct Seen
{
    bool nullVisible = true;
    bool okEnabled = false;
    QRect ok, cancel;
    int panelMiddle = 0;
    QString title;
};

Seen Look(QWidget *w)
{
    auto *dialog = static_cast<TfrmMemo *>(w);
    Seen s;
    s.nullVisible = dialog->chkNull->isVisible();
    s.okEnabled = dialog->btnOk->isEnabled();
    s.ok = dialog->btnOk->geometry();
    s.cancel = dialog->btnCancel->geometry();
    s.panelMiddle = dialog->pnlButtons->width() / 2;
    s.title = dialog->windowTitle();
    return s;
}

TEST(TfrmMemo, WithoutNullBoxTheButtonsAreCentred)
{
    QString text = QStringLiteral("abc");
    bool isNull = false;
    Seen seen;
    WhenModal([&](QWidget *w) {
        seen = Look(w);
        static_cast<TfrmMemo *>(w)->btnOk->click();
    });
    EXPECT_EQ(TfrmMemo::ShowWindow(text, isNull, false, false), 1);
    EXPECT_EQ(seen.title, "文字列の編集");
    EXPECT_FALSE(seen.nullVisible);
    EXPECT_EQ(seen.ok.right() + 1, seen.panelMiddle - 1);
    EXPECT_EQ(seen.cancel.left(), seen.panelMiddle + 1);
    EXPECT_EQ(text, "abc");
}

TEST(TfrmMemo, TypingClearsTheNullBox)
{
    QString text;
    bool isNull = true;
    bool boxBefore = false;
    bool boxAfter = true;
    WhenModal([&](QWidget *w) {
        auto *dialog = static_cast<TfrmMemo *>(w);
        boxBefore = dialog->chkNull->isChecked();
        EXPECT_TRUE(dialog->chkNull->isVisible());
        QTest::keyClicks(dialog->txtComment, QStringLiteral("x"));
        boxAfter = dialog->chkNull->isChecked();
        dialog->btnOk->click();
    });
    EXPECT_EQ(TfrmMemo::ShowWindow(text, isNull, true, false), 1);
    EXPECT_TRUE(boxBefore);
    EXPECT_FALSE(boxAfter);
    EXPECT_EQ(text, "x");
    EXPECT_FALSE(isNull);
}

TEST(TfrmMemo, ReadOnlyCanOnlyBeCancelled)
{
    QString text = QStringLiteral("keep");
    bool isNull = true;
    Seen seen;
    WhenModal([&](QWidget *w) {
        seen = Look(w);
        auto *dialog = static_cast<TfrmMemo *>(w);
        QTest::keyClicks(dialog->txtComment, QStringLiteral("zz"));
        dialog->close();
    });
    EXPECT_EQ(TfrmMemo::ShowWindow(text, isNull, true, true), 2);
    EXPECT_FALSE(seen.okEnabled);
    EXPECT_EQ(text, "keep");
    EXPECT_TRUE(isNull);
}

TEST(TfrmMemo, LayoutIsKeptUnderComment)
{
    QString text;
    bool isNull = false;
    WhenModal([&](QWidget *w) {
        w->resize(500, 320);
        static_cast<TfrmMemo *>(w)->btnCancel->click();
    });
    TfrmMemo::ShowWindow(text, isNull, true, false);
    TzkRegistry reg;
    ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT + QStringLiteral("\\GUI\\COMMENT"), false));
    EXPECT_EQ(reg.GetInteger("Width", 0), 500);
    EXPECT_EQ(reg.GetInteger("Height", 0), 320);
    reg.CloseKey();
    QSize size;
    WhenModal([&](QWidget *w) {
        size = w->size();
        static_cast<TfrmMemo *>(w)->btnCancel->click();
    });
    TfrmMemo::ShowWindow(text, isNull, true, false);
    EXPECT_EQ(size, QSize(500, 320));
}

} // namespace
