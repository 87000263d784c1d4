#include "../core/modal.h"

#include "controls/rdata.h"
#include "sqlwindow/fexecprc.h"
#include "sqlwindow/fmemo.h"

#include <QPushButton>

#include <gtest/gtest.h>

namespace {

TEST(TfrmMemoRegister, RegisteredForTheResultFrames)
{
    TfraData::ShowMemoWindow = nullptr;
    RegisterSqlWindowWindows();
    ASSERT_TRUE(bool(TfraData::ShowMemoWindow));
    QString text = QStringLiteral("t");
    bool isNull = false;
    WhenModal([](QWidget *w) { static_cast<TfrmMemo *>(w)->btnCancel->click(); });
    EXPECT_EQ(TfraData::ShowMemoWindow(text, isNull, true, false), 2);
}

} // namespace
