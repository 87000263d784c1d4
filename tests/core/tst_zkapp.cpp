#include "core/zkapp.h"
#include "platform/rtl/exceptions.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

QStringList g_shown;

void record(const std::exception &e)
{
    const auto *ex = dynamic_cast<const Exception *>(&e);
    g_shown << (ex ? ex->message() : QString::fromUtf8(e.what()));
}

// Exceptions thrown by event handlers end at the application's event
// boundary: the silent abort quietly, others through the message display.
TEST(EventBoundary, AbortIsSilentOtherErrorsAreShown)
{
    g_shown.clear();
    TzkApplication::SetExceptionHandler(record);
    QTimer::singleShot(0, [] { Abort(); });
    QTimer::singleShot(0, [] { throw Exception("失敗しました"); });
    QTimer::singleShot(0, [] { throw std::runtime_error("plain"); });
    QTimer::singleShot(20, [] { QCoreApplication::quit(); });
    QCoreApplication::exec();
    TzkApplication::SetExceptionHandler(nullptr);
    EXPECT_EQ(g_shown, (QStringList{"失敗しました", "plain"}));
}

} // namespace
