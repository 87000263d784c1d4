#pragma once

#include "platform/rtl/datetime.h"

#include <QString>
#include <QStringList>

#include <functional>

// The settings records. Each record has one global instance, named after its
// type without the leading T, filled by LoadSettings at start-up (and again
// after a settings import) and written back by SaveSettings at exit. Every
// window reads and changes the fields directly; a change lives in memory until
// SaveSettings.
//
// Folder fields end in "/". Their defaults are the output and data folders of
// the core start-up, so they are set by LoadSettings, not here.

// Tab on which an opened object window starts.
enum TOpenMode : int {
    omDefine = 0, // definition
    omSource = 1, // source
    omData = 2,   // data, where the window has one, else definition
    omCross = 3,  // dependencies
    omGrant = 4,  // privileges
};

// What closing a connection does with an open transaction.
enum TSessionKilledMode : int {
    skmCommit = 0,
    skmRollBack = 1,
    skmConfirm = 2, // ask the user
};

// The statement kind the SQL parser reports; not stored.
enum TzkSQLType : int {
    sqltNone = 0,
    sqltSelect = 1,
    sqltInsert = 2,
    sqltUpdate = 3,
    sqltDelete = 4,
    sqltCreateView = 5,
};

// Page orientation of printing. Stored numbers are not range-checked: any
// other number is handed on unchanged.
enum TPrinterOrientation : int {
    poPortrait = 0,
    poLandscape = 1,
};

// The general options (values directly under the settings root).
struct TzkOption
{
    int TreeSort = 0; // tree order: 0 database, then kind; 1 kind, then database
    bool ShowLevel0 = true;
    bool ShowLevel1 = true;
    bool ShowTable = true;
    bool ShowIndex = true;
    bool ShowView = true;
    bool ShowProc = true;
    bool ShowFunc = true;
    bool ShowTrigger = true;
    bool ShowSeq = true;
    bool ShowSynonym = true;
    bool ShowConst = true;
    bool UserFirst = false;
    bool TreeData = true;
    bool Progress = true;
    bool RowSelect = false;
    bool DelErr = false;
    bool Find = true;
    bool FindAuto = true;
    TOpenMode OpenMode = omDefine;
    bool DefaultAutoQuote = false;
    bool ShowSysObj = false;
    bool ShowDDL = false;
    bool CloseDDL = true;
    bool BackupData = true;
    bool PurgeTable = false;
    bool ShowStorageSource = true;
    bool ShowColumnSource = true;
    bool SaveBeforeSrc = false;
    bool SaveBeforeSrcDialog = false;
    bool SaveBeforeSrcRenum = false;
    bool SaveBeforeSrcHead = false;
    QString SaveBeforeSrcDir; // default: the data folder
    bool SaveAfterSrc = false;
    bool SaveAfterSrcDialog = false;
    bool SaveAfterSrcRenum = false;
    bool SaveAfterSrcHead = false;
    QString SaveAfterSrcDir; // default: the data folder
    bool ShowFragment = false;
    QString DataFontName = QStringLiteral("ＭＳ ゴシック");
    int DataFontSize = 10;
    int DataShowMode = 0; // transposed grid: 0 standard, 1 left, 2 right
    int DataColWidthV = 30;
    int DataColWidthH = 20;
    bool Draw100ColOver = false;
    bool ShowWhereGrid = true;
    bool WhereAutoQuote = true;
    bool ShowNull = true;
    int DefTopRecord = 1000;
    int TestRecord = 1000;
    QString DateFormat = QStringLiteral("yyyy/MM/dd");
    QString TimeDelphi = QStringLiteral("HH:mm:ss");
    int NLSDateFormat = 0;
    int SQLBuf = 200;
    bool AddStripe = true;
    bool CurrecyInNumericFormat = false;
    bool UsePartial = true;
    QString DiagramFontName = QStringLiteral("ＭＳ ゴシック");
    int DiagramFontSize = 9;
    QString GridFontName = QStringLiteral("ＭＳ ゴシック");
    int GridFontSize = 9;
    bool PasteHeader = true;
    int PasteColumn = 0; // 0 tab, 1 comma
    bool PasteDialog = false;
    QString FileDir;  // default: the output folder
    QString ExcelDir; // default: the output folder
    QString ScrExecDir;
    QString ExcelSheet;
    QString ExcelForm;
    int ExcelTop = 0;
    int ExcelLeft = 0;
    QString ExcelFormMatrix; // default: the data folder + "xlsdef/zkmatrix.xlsx"
    int ExcelMatrixRow = 60;
    int ExcelMatrixCol = 30;
    bool ExcelHeader = true;
    int ExcelMode = 0; // 0 one row per record, 1 one column per record
    bool ExcelRefresh = false;
    bool ExcelDialog = false;
    bool ExcelExportAsString = false;
    bool CSVHeader = true;
    bool CSVRefresh = false;
    int CSVQuotation = 0; // 0 every value, 1 text values, 2 where needed
    int CSVLineBreak = 0; // 0 CR LF, 1 LF
    QString CSVDir;       // default: the output folder
    bool UpdateMode = true;
    bool ScriptCompDel = false;
    bool ScriptErrStop = false;
    int CrossLevel = 3;
    int DataGenCommit = 500;
    int OutputBuf = 65535;
    QString PlanTable = QStringLiteral("PLAN_TABLE");
    QString PlanTableID = QStringLiteral("ZKP");
    bool UseLowerName = true; // every generated object name in [ ]
    bool DebugDialog = true;
    bool AutoTran = false;
    bool CodeAssist = true;
    QString TempDir;  // default: the data folder + "temp/"
    QString ExcelExt; // lower-cased on load; never written
    int IdxReorganize = 5;
    int IdxRebuild = 31;
    bool MS_Cooperation = false;
    QString DTS_EXE;
    QString SPF_EXE;
    QString MS_EXE;
    int Encoding = 2; // 0 ANSI (CP932), 1 UTF-7, 2 UTF-8, 3 UTF-16LE, 4 UTF-16BE
    int SleepTime = 50;
    int RetryCnt = 100;
    bool CheckInternet = false;
    TSessionKilledMode SessionKilledMode = skmCommit;
    bool KeepAliveEnabled = false;
    int KeepAliveInterval = 180;
    bool KeepAliveInvalidStandby = true;
};
extern TzkOption zkOption;

// Printing (key PRINTOPTION).
struct TzkPrintOption
{
    TPrinterOrientation Orientation = poPortrait;
    int MMLeftMargin = 20;
    int MMTopMargin = 20;
    int MMRightMargin = 20;
    int MMBottomMargin = 20;
    QString FontName = QStringLiteral("ＭＳ ゴシック");
    int FontSize = 10;
};
extern TzkPrintOption zkPrintOption;

// DDL script output (key TEXTOUT).
struct TScriptOption
{
    bool OneScript = false; // one file per output run
    bool Dir = false;       // sub-folders by object kind
    bool SameName = true;   // overwrite a file of the same name
    QString Path;           // output folder; default: the output folder
    // Name table per server: "server=database.schema.table" lines. The list
    // is the core's NameTableList.
    QStringList &NameTable;
    // When generated SQL names the database / the schema: 0 always, 1 when it
    // differs from the connection's current one, 2 when it differs from the
    // owning object's, 3 never.
    int Database = 3;
    int Owner = 2;
    bool Index = false;
    bool Insert = false;
    int InsertMode = 0; // 0 in the table's script, 1 separate folder, 2 separate file
    bool Filegroup = true;
    bool ViewCol = true;
    bool Grant = false;
    int GrantMode = 0;     // as InsertMode
    bool NullLine = false; // leave blank lines out
    bool Drop = false;
    bool MaskOutput = true;

    TScriptOption();
};
extern TScriptOption ScriptOption;

// The bcp loader (key LOADER).
struct TLoadOption
{
    bool WriteDataFile = true;
    bool WriteCtlFile = true;
    QString SaveDir; // default: the output folder
    QString LogFile;
    QString BadFile;
    bool Windows = false;
    QString UserID;
    QString Pass; // stored scrambled
    int FirstRow = 0;
    int LastRow = 0;
    int Rows = 0;
    int Errors = 50;
    int BindSize = 4096;
    bool Quoted = false;
    bool Background = false;
    QString Loader;
    // Filled by the loader window; not stored.
    QString ControlFile;
    QString DataFile;
};
extern TLoadOption LoadOption;

// The SQL formatter's options (key FORMAT).
struct TFormatOption
{
    int Indent = 4;       // indentation width in characters
    int ItemReturn = 0;   // 0 one list item per line, 1 none
    int ReservePos = 0;   // keywords: 0 aligned right, 1 aligned left
    int CommaPos = 0;     // commas: 0 at the start of a line, 1 at its end
    int AndPos = 0;       // AND/OR: 0 at the start of a line, 1 at its end
    int ReserveTrans = 0; // keywords: 0 upper, 1 lower, 2 unchanged
    int ItemTrans = 0;    // other words: 0 upper, 1 lower, 2 unchanged
};
extern TFormatOption FormatOption;

// Which results the object comparison lists (key COMP).
struct TCompOption
{
    bool Equrl = true;
    bool NotEqurl = true;
    bool Only1 = true;
    bool Only2 = true;
};
extern TCompOption CompOption;

// The load test (key DBTEST).
struct TDBTestOption
{
    int Session = 10;
    int SpanTime = 0;
    QString UserId;
    QString Password;  // stored scrambled
    bool Error = true; // ignore errors
};
extern TDBTestOption DBTestOption;

// Server-side traces (key TRACE). Path's whole text is the trace folder; the
// list is the core's TracePathList.
struct TTrcOption
{
    QStringList &Path;
    bool TKProf = false;
    bool ExplainPlan = true;
    QString PlanUserID;
    QString PlanPass; // stored scrambled
    QString PlanTable;
    bool Aggregate = true;
    bool Sys = false;
    QString Sort;
    QString Print;
    QString TrcPgm; // written (always empty), never read

    TTrcOption();
};
extern TTrcOption TrcOption;

// The lock monitor (key LOCK). AlertPath is the core's LockAlertList.
struct TLockOption
{
    QStringList &AlertPath;
    bool ShowSysObj = true;

    TLockOption();
};
extern TLockOption LockOption;

// Key PERFORM.
struct TPerformOption
{
    TDateTime LastAutoSave = 0;
};
extern TPerformOption PerformOption;

// Key ATTACH.
struct TAttachOption
{
    QString Path;
};
extern TAttachOption AttachOption;

// Key EXPORT.
struct TExpOption
{
    QString ExpFile; // default: the output folder + "EXPDAT.DMP"
    QString UserID;
    QString Pass; // stored scrambled
    int BufSize = 4096;
    int RecSize = 1024;
    bool Grants = true;
    bool Indexes = true;
    bool Rows = true;
    bool Constraints = true;
    bool Compress = true;
    // "IncType" is read into both; Statics is written last, so its number is
    // the one kept.
    int IncType = 0;
    int Statics = 0;
    bool Records = true;
    bool Consistent = false;
    QString ExpPgm;
    bool Background = false;
    QString LogFile; // default: the output folder + "EXP.LOG"
};
extern TExpOption ExpOption;

// Key IMPORT.
struct TImpOption
{
    QString ImpFile; // default: the output folder + "EXPDAT.DMP"
    QString UserID;
    QString Pass; // stored scrambled
    int BufSize = 4096;
    int RecSize = 1024;
    bool Grants = true;
    bool Indexes = true;
    bool Rows = true;
    bool Constraints = true; // read, not written back
    int IncType = 0;
    QString IndexFile;
    bool Ignore = false;
    bool Commit = false;
    bool Destroy = false;
    QString ImpPgm;
    bool Background = false;
    QString LogFile; // default: the output folder + "IMP.LOG"
    QString UserList;
    QString TableList;
};
extern TImpOption ImpOption;

// Code completion and the editor frame's tool palette: values of the key
// EDITOR, loaded and saved with the shared editor settings (prpEditor, in
// sqleditor/zksub_editor.h). The editors copy the first three into their
// properties of the same names.
struct TCodeAssistOption
{
    bool CodeAssistCallOfDot = true; // a typed full stop calls code completion
    bool CodeAssistDelayShow = true; // ... after a pause
    int CodeAssistDelayTime = 800;   // that pause in milliseconds
    bool ShowToolPalette = true;     // new editor frames show their tool palette
};
extern TCodeAssistOption CodeAssistOption;
// The name the SQL editor's side uses for the same record.
using TEditorOption = TCodeAssistOption;

// The settings version: a store written before it loses its window layouts
// (key GUI) at the next start.
constexpr int ZK_SETTINGS_VERSION = 80004;

// Fills every record from the settings store (shared object zkReg), each value
// with its default when missing or unreadable. Runs at start-up and again
// after a settings import, so it assigns every stored field.
void LoadSettings();
// Writes every record back. Stops at the first key or value that cannot be
// written and passes the error on; what came before it is written.
void SaveSettings();
// "Yes" or "No": the encryption setting stored for the last logon.
QString GetEncryptOption();
// Empties the records' texts at shut-down.
void FinalizeSettings();

// Keys whose content belongs to higher units: the main window's shortcuts and
// the editor settings with the reserved words. LoadSettings and SaveSettings
// call the handlers registered for them at the key's place in their order
// (load: ..PRINTOPTION, SHORTCUT, TEXTOUT.. DBTEST, RESERVE, EDITOR; save:
// ..PRINTOPTION, SHORTCUT, TEXTOUT.. DBTEST, EDITOR, RESERVE). A handler opens,
// uses and closes its own key on zkReg; no key is open when it is called.
// Registering again replaces a handler; empty functions remove it.
enum class TSettingsSection { ShortCut, Reserve, Editor };
using TSettingsHandler = std::function<void()>;
void RegisterSettingsSection(TSettingsSection section, TSettingsHandler load, TSettingsHandler save);
