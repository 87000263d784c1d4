#include "core/zksub.h"

#include "core/zkoption.h"
#include "core/zkreg.h"
#include "core/zksub_files.h"

#include "platform/db/dbwait.h"
#include "platform/registry/regstore.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

TzkRegistry *zkReg = nullptr;
QStringList SQLLogList;
QStringList SQLLogFList;
QStringList ReserveWords;
QStringList NameTableList;
QStringList TracePathList;
QStringList LockAlertList;
TzkMacroList *MacroList = nullptr;

QString ProgramPath;
QString OutputPath;
QString DataPath;

namespace {
QString withSlash(const QString &path)
{
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}
} // namespace

void InitializeCore()
{
    // A statement that ESC cancelled stops the loop around it.
    static const bool latched = [] {
        QObject::connect(TDBWaitNotifier::instance(), &TDBWaitNotifier::escapePressed, [] { SetEscapeLatch(); });
        return true;
    }();
    Q_UNUSED(latched)
    ResetEscapeLatch();

    SQLLogList.clear();
    SQLLogFList.clear();
    ReserveWords.clear();
    NameTableList.clear();
    TracePathList.clear();
    LockAlertList.clear();

    delete zkReg;
    zkReg = new TzkRegistry(HKEY_CURRENT_USER);

    ProgramPath = withSlash(QCoreApplication::applicationDirPath());

    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    OutputPath = documents.isEmpty() ? ProgramPath : withSlash(documents);
    QDir().mkpath(OutputPath);

    // The data folder is per user here: no all-users folder is writable on Linux.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    DataPath = data.isEmpty() ? ProgramPath : withSlash(data) + QStringLiteral("ZKS25R/");
    QDir().mkpath(DataPath);
}

void FinalizeCore()
{
    SQLLogList.clear();
    SQLLogFList.clear();
    ReserveWords.clear();
    NameTableList.clear();
    TracePathList.clear();
    LockAlertList.clear();
    delete zkReg;
    zkReg = nullptr;
    RegistryStore::flushAll();
    ProgramPath.clear();
    OutputPath.clear();
    DataPath.clear();
    FinalizeSettings();
}

void WriteRootBool(const QString &name, bool value)
{
    zkReg->OpenKey(ZK_REG_ROOT, true);
    zkReg->WriteBool(name, value);
}
