#pragma once

#include "core/zkscramble.h"
#include "core/zksub_dialogs.h"
#include "core/zksub_files.h"
#include "core/zksub_history.h"
#include "core/zksub_objtype.h"
#include "core/zksub_text.h"

#include <QString>
#include <QStringList>

class TzkRegistry;
class TzkMacroList;

// The settings root below HKEY_CURRENT_USER.
inline const QString ZK_REG_ROOT = QStringLiteral("\\Software\\Quillmark\\ZKS25R");

// Process-wide objects of the core, valid between InitializeCore() and
// FinalizeCore().
extern TzkRegistry *zkReg;        // the shared registry object (HKEY_CURRENT_USER)
extern QStringList SQLLogList;    // SQL history index (SQLLOG.IDX)
extern QStringList SQLLogFList;   // favourites index (SQLLOGF.IDX)
extern QStringList ReserveWords;  // reserved words, filled by LoadSettings
extern QStringList NameTableList; // script option NameTable
extern QStringList TracePathList; // trace option Path
extern QStringList LockAlertList; // lock monitor AlertPath
extern TzkMacroList *MacroList;   // shared key-macro list; stays null until the SQL editor provides one

// Folders, each ending in "/", since callers append names to them.
extern QString ProgramPath; // the executable's folder
extern QString OutputPath;  // default folder of scripts and exports (Documents)
extern QString DataPath;    // program data (report definitions, user commands, work folder)

// Start-up and shut-down of the core, run explicitly by main(): after the
// application object exists, and after the main window is gone.
void InitializeCore();
void FinalizeCore();

// Opens the settings root on the shared registry object (creating it) and
// writes a Boolean there; the root key stays open.
void WriteRootBool(const QString &name, bool value);
