// The import dialog comes later. Earlier versions are found by their
// installers' entries under HKEY_LOCAL_MACHINE, which no installation on
// this platform has written: the outcome is the one of an empty list.

#include "mainwindow/fconnection.h"

#include "core/zksub.h"
#include "platform/rtl/exceptions.h"

bool TfrmConnection::ShowWindow(TzkListView *AList)
{
    Q_UNUSED(AList)
    ShowAppMessage(QStringLiteral("取込可能な接続情報が見つかりません。"), MB_ICONINFORMATION);
    Abort();
}
