#include "admin/fdb.h"
#include "connection/fobject_open.h"
#include "core/zkapp.h"
#include "core/zksub.h"
#include "core/zkwindows.h"
#include "editors/table/ftable.h"
#include "mainwindow/fmain.h"
#include "sqlwindow/fexecprc.h"
#include "platform/fonts/fontmap.h"
#include "platform/nls/qttranslations.h"
#include "platform/registry/regstore.h"

int main(int argc, char *argv[])
{
    TzkApplication app(argc, argv);
    FontMap::install();
    InstallQtJapaneseTranslations(app);
    TzkApplication::SetTitle(APP_TITLE);

    int rc = 1;
    bool started = false;
    // What escapes the start-up or the loop (the main window's creation
    // failing, say) is reported and ends the program, never a bare abort.
    try {
        InitializeCore();
        // The opening table: the connection window's placeholders first; the
        // folders that build the windows replace them with theirs after it.
        RegisterConnectionWindows();
        RegisterMainWindowWindows();
        RegisterSqlWindowWindows();
        RegisterTableEditorWindows();
        RegisterAdminWindows();
        const QString warning = RegistryStore::hive(RegHive::CurrentUser).takeLoadWarning();
        if (!warning.isEmpty())
            ShowAppMessage(warning, MB_ICONWARNING);

        TfrmMain mainWindow;
        mainWindow.show();
        started = true;
        rc = app.exec();
    } catch (const std::exception &e) {
        TzkApplication::HandleException(e);
    }

    // Settings still unsaved (a value written with its key left open) are
    // saved now; a failure is said, not lost silently (after a failed start
    // its cause has been shown already).
    QString error;
    if (!RegistryStore::flushAll(&error) && started)
        ShowAppMessage(QStringLiteral("設定を保存できませんでした。\n%1").arg(error), MB_ICONERROR);
    FinalizeCore();
    return rc;
}
