#include "core/zkapp.h"
#include "core/zksub.h"
#include "mainwindow/fmain.h"
#include "platform/fonts/fontmap.h"
#include "platform/registry/regstore.h"

#include <QMessageBox>

int main(int argc, char *argv[])
{
    TzkApplication app(argc, argv);
    FontMap::install();
    InitializeCore();
    TzkApplication::SetTitle(APP_TITLE);

    int rc = 0;
    {
        const QString warning = RegistryStore::hive(RegHive::CurrentUser).takeLoadWarning();
        if (!warning.isEmpty())
            QMessageBox::warning(nullptr, TzkApplication::Title(), warning);

        TfrmMain mainWindow;
        frmMain = &mainWindow;
        mainWindow.show();
        rc = app.exec();
    }
    FinalizeCore();
    return rc;
}
