#include "core/zkapp.h"

#include "core/zksub_dialogs.h"
#include "platform/rtl/exceptions.h"

namespace {
QString g_title = APP_TITLE;

void defaultHandler(const std::exception &e)
{
    const auto *ex = dynamic_cast<const Exception *>(&e);
    const QString text = ex ? ex->message() : QString::fromUtf8(e.what());
    ShowAppMessage(text, MB_ICONERROR);
}

TzkApplication::ExceptionHandler g_handler = defaultHandler;
} // namespace

TzkApplication::TzkApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
}

TzkApplication::~TzkApplication() = default;

QString TzkApplication::Title()
{
    return g_title;
}

void TzkApplication::SetTitle(const QString &title)
{
    g_title = title;
}

void TzkApplication::SetExceptionHandler(ExceptionHandler handler)
{
    g_handler = handler ? handler : defaultHandler;
}

void TzkApplication::HandleException(const std::exception &e)
{
    if (dynamic_cast<const EAbort *>(&e))
        return;
    try {
        g_handler(e);
    } catch (...) {
        // The display itself failed: nothing more can be shown.
    }
}

bool TzkApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        HandleException(e);
    } catch (...) {
        HandleException(Exception(QStringLiteral("予期しないエラーが発生しました。")));
    }
    return false;
}
