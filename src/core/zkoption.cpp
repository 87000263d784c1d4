#include "core/zkoption.h"

#include "core/zkreg.h"
#include "core/zkscramble.h"
#include "core/zksub.h"

TzkOption zkOption;
TzkPrintOption zkPrintOption;
TScriptOption ScriptOption;
TLoadOption LoadOption;
TFormatOption FormatOption;
TCompOption CompOption;
TDBTestOption DBTestOption;
TTrcOption TrcOption;
TLockOption LockOption;
TPerformOption PerformOption;
TAttachOption AttachOption;
TExpOption ExpOption;
TImpOption ImpOption;
TCodeAssistOption CodeAssistOption;

TScriptOption::TScriptOption()
    : NameTable(NameTableList)
{
}

TTrcOption::TTrcOption()
    : Path(TracePathList)
{
}

TLockOption::TLockOption()
    : AlertPath(LockAlertList)
{
}

namespace {

enum class Mode { Load, Save, Clear };

// Values that move one way only.
enum class Dir { Both, LoadOnly, SaveOnly };

// One list of a key's values serves loading, saving and clearing, so the
// names, types and defaults are written once.
class Exchange
{
public:
    explicit Exchange(Mode mode)
        : m_mode(mode)
    {
    }

    bool loading() const { return m_mode == Mode::Load; }

    void Bool(const QString &name, bool &field, bool def)
    {
        if (m_mode == Mode::Load)
            field = zkReg->GetBool(name, def);
        else if (m_mode == Mode::Save)
            zkReg->WriteBool(name, field);
    }

    void Int(const QString &name, int &field, int def)
    {
        if (m_mode == Mode::Load)
            field = zkReg->GetInteger(name, def);
        else if (m_mode == Mode::Save)
            zkReg->WriteInteger(name, field);
    }

    template<typename E>
    void Enum(const QString &name, E &field, E def)
    {
        int v = int(field);
        Int(name, v, int(def));
        field = E(v);
    }

    void Str(const QString &name, QString &field, const QString &def, Dir dir = Dir::Both)
    {
        if (m_mode == Mode::Load) {
            if (dir != Dir::SaveOnly)
                field = zkReg->GetString(name, def);
        } else if (m_mode == Mode::Save) {
            if (dir != Dir::LoadOnly)
                zkReg->WriteString(name, field);
        } else {
            field.clear();
        }
    }

    // A string list kept as one text, each line followed by CR LF.
    void Lines(const QString &name, QStringList &field)
    {
        if (m_mode == Mode::Load)
            field = TextToList(zkReg->GetString(name, QString()));
        else if (m_mode == Mode::Save)
            zkReg->WriteString(name, ListToText(field));
        else
            field.clear();
    }

    // A password kept scrambled. With plainFallback, a stored value that is
    // not a scrambled text is taken as it stands.
    void Secret(const QString &name, QString &field, bool plainFallback = false)
    {
        if (m_mode == Mode::Load) {
            const QString stored = zkReg->GetString(name, QString());
            if (!plainFallback)
                field = UnscrambleText(stored);
            else if (!TryUnscrambleText(stored, field))
                field = stored;
        } else if (m_mode == Mode::Save) {
            zkReg->WriteString(name, ScrambleText(field));
        } else {
            field.clear();
        }
    }

    void DateTime(const QString &name, TDateTime &field, TDateTime def)
    {
        if (m_mode == Mode::Load)
            field = zkReg->GetDateTime(name, def);
        else if (m_mode == Mode::Save)
            zkReg->WriteDateTime(name, field);
    }

private:
    Mode m_mode;
};

void exchangeRoot(Exchange &x)
{
    TzkOption &o = zkOption;
    x.Int("TreeSort", o.TreeSort, 0);
    x.Bool("ShowLevel0", o.ShowLevel0, true);
    x.Bool("ShowLevel1", o.ShowLevel1, true);
    x.Bool("TypeTable", o.ShowTable, true);
    x.Bool("TypeIndex", o.ShowIndex, true);
    x.Bool("TypeView", o.ShowView, true);
    x.Bool("TypeProc", o.ShowProc, true);
    x.Bool("TypeFunc", o.ShowFunc, true);
    x.Bool("TypeTrigger", o.ShowTrigger, true);
    x.Bool("TypeSeq", o.ShowSeq, true);
    x.Bool("TypeSynonym", o.ShowSynonym, true);
    x.Bool("TypeConst", o.ShowConst, true);
    x.Bool("UserFirst", o.UserFirst, false);
    x.Bool("TreeData", o.TreeData, true);
    x.Bool("Progress", o.Progress, true);
    x.Bool("RowSelect", o.RowSelect, false);
    x.Bool("DelErr", o.DelErr, false);
    x.Bool("Find", o.Find, true);
    x.Bool("FindAuto", o.FindAuto, true);
    x.Enum("OpenMode", o.OpenMode, omDefine);
    x.Bool("DefaultAutoQuote", o.DefaultAutoQuote, false);
    x.Bool("ShowSysObj", o.ShowSysObj, false);
    x.Bool("ShowDDL", o.ShowDDL, false);
    x.Bool("CloseDDL", o.CloseDDL, true);
    x.Bool("BackupData", o.BackupData, true);
    x.Bool("PurgeTable", o.PurgeTable, false);
    x.Bool("ShowStorageSource", o.ShowStorageSource, true);
    x.Bool("ShowColumnSource", o.ShowColumnSource, true);
    x.Bool("SaveBeforeSource", o.SaveBeforeSrc, false);
    x.Bool("SaveBeforeSrcDialog", o.SaveBeforeSrcDialog, false);
    x.Bool("SaveBeforeSrcRenum", o.SaveBeforeSrcRenum, false);
    x.Bool("SaveBeforeSrcHead", o.SaveBeforeSrcHead, false);
    x.Str("SaveBeforeSrcDir", o.SaveBeforeSrcDir, DataPath);
    x.Bool("SaveAfterSource", o.SaveAfterSrc, false);
    x.Bool("SaveAfterSrcDialog", o.SaveAfterSrcDialog, false);
    x.Bool("SaveAfterSrcRenum", o.SaveAfterSrcRenum, false);
    x.Bool("SaveAfterSrcHead", o.SaveAfterSrcHead, false);
    x.Str("SaveAfterSrcDir", o.SaveAfterSrcDir, DataPath);
    x.Bool("ShowFragment", o.ShowFragment, false);
    x.Str("DataFontName", o.DataFontName, QStringLiteral("ＭＳ ゴシック"));
    x.Int("DataFontSize", o.DataFontSize, 10);
    x.Int("DataShowMode", o.DataShowMode, 0);
    x.Int("DataColWidthV", o.DataColWidthV, 30);
    x.Int("DataColWidthH", o.DataColWidthH, 20);
    x.Bool("Draw100ColOver", o.Draw100ColOver, false);
    x.Bool("ShowWhereGrid", o.ShowWhereGrid, true);
    x.Bool("WhereAutoQuote", o.WhereAutoQuote, true);
    x.Bool("ShowNull", o.ShowNull, true);
    x.Int("DefTopRecord", o.DefTopRecord, 1000);
    x.Int("TestRecord", o.TestRecord, 1000);
    x.Str("DateFormat", o.DateFormat, QStringLiteral("yyyy/MM/dd"));
    x.Str("TimeFormat", o.TimeDelphi, QStringLiteral("HH:mm:ss"));
    x.Int("DefaultDateFormat", o.NLSDateFormat, 0);
    x.Int("SQLBuf", o.SQLBuf, 200);
    x.Bool("AddStripe", o.AddStripe, true);
    x.Bool("CurrecyInNumericFormat", o.CurrecyInNumericFormat, false);
    x.Bool("UsePartial", o.UsePartial, true);
    x.Str("DiagramFontName", o.DiagramFontName, QStringLiteral("ＭＳ ゴシック"));
    x.Int("DiagramFontSize", o.DiagramFontSize, 9);
    x.Str("GridFontName", o.GridFontName, QStringLiteral("ＭＳ ゴシック"));
    x.Int("GridFontSize", o.GridFontSize, 9);
    x.Bool("PasteHeader", o.PasteHeader, true);
    x.Int("PasteColumn", o.PasteColumn, 0);
    x.Bool("PasteDialog", o.PasteDialog, false);
    x.Str("FileDir", o.FileDir, OutputPath);
    x.Str("ExcelDir", o.ExcelDir, OutputPath);
    x.Str("ScrExecDir", o.ScrExecDir, QString());
    x.Str("ExcelSheet", o.ExcelSheet, QString());
    x.Str("ExcelForm", o.ExcelForm, QString());
    x.Int("ExcelTop", o.ExcelTop, 0);
    x.Int("ExcelLeft", o.ExcelLeft, 0);
    // .xls templates are refused here, so the default template is an .xlsx.
    x.Str("ExcelFormMatrix", o.ExcelFormMatrix, DataPath + QStringLiteral("xlsdef/zkmatrix.xlsx"));
    x.Int("ExcelMatrixRow", o.ExcelMatrixRow, 60);
    x.Int("ExcelMatrixCol", o.ExcelMatrixCol, 30);
    x.Bool("ExcelHeader", o.ExcelHeader, true);
    x.Int("ExcelMode", o.ExcelMode, 0);
    x.Bool("ExcelRefresh", o.ExcelRefresh, false);
    x.Bool("ExcelDialog", o.ExcelDialog, false);
    x.Bool("ExcelExportAsString", o.ExcelExportAsString, false);
    x.Bool("CSVHeader", o.CSVHeader, true);
    x.Bool("CSVRefresh", o.CSVRefresh, false);
    x.Int("CSVQuotation", o.CSVQuotation, 0);
    x.Int("CSVLineBreak", o.CSVLineBreak, 0);
    x.Str("CSVDir", o.CSVDir, OutputPath);
    x.Bool("UpdateMode", o.UpdateMode, true);
    x.Bool("ScriptCompDel", o.ScriptCompDel, false);
    x.Bool("ScriptErrStop", o.ScriptErrStop, false);
    x.Int("CrossLevel", o.CrossLevel, 3);
    x.Int("DataGenCommit", o.DataGenCommit, 500);
    x.Int("OutputBuf", o.OutputBuf, 65535);
    x.Str("PlanTable", o.PlanTable, QStringLiteral("PLAN_TABLE"));
    x.Str("PlanTableID", o.PlanTableID, QStringLiteral("ZKP"));
    x.Bool("UserLowerName", o.UseLowerName, true);
    x.Bool("DebugDialog", o.DebugDialog, true);
    x.Bool("AutoTran", o.AutoTran, false);
    x.Bool("CodeAssist", o.CodeAssist, true);
    x.Str("TempDir", o.TempDir, DataPath + QStringLiteral("temp/"));
    // A user override only: the main window fills it when empty, nothing
    // writes it.
    x.Str("ExcelExt", o.ExcelExt, QString(), Dir::LoadOnly);
    if (x.loading())
        o.ExcelExt = o.ExcelExt.toLower();
    x.Int("IdxReorganize", o.IdxReorganize, 5);
    x.Int("IdxRebuild", o.IdxRebuild, 31);
    x.Bool("MS_Cooperation", o.MS_Cooperation, false);
    x.Str("DTS_EXE", o.DTS_EXE, QString());
    x.Str("SPF_EXE", o.SPF_EXE, QString());
    x.Str("MS_EXE", o.MS_EXE, QString());
    x.Int("Encoding", o.Encoding, 2);
    x.Int("SleepTime", o.SleepTime, 50);
    x.Int("RetryCnt", o.RetryCnt, 100);
    x.Bool("CheckInternet", o.CheckInternet, false);
    x.Enum("SessionKilledMode", o.SessionKilledMode, skmCommit);
    x.Bool("KeepAliveEnabled", o.KeepAliveEnabled, false);
    x.Int("KeepAliveInterval", o.KeepAliveInterval, 180);
    x.Bool("KeepAliveInvalidStandby", o.KeepAliveInvalidStandby, true);
}

void exchangePrint(Exchange &x)
{
    TzkPrintOption &o = zkPrintOption;
    x.Enum("Orientation", o.Orientation, poPortrait);
    x.Int("LeftMargin", o.MMLeftMargin, 20);
    x.Int("TopMargin", o.MMTopMargin, 20);
    x.Int("RightMargin", o.MMRightMargin, 20);
    x.Int("BottomMargin", o.MMBottomMargin, 20);
    x.Str("FontName", o.FontName, QStringLiteral("ＭＳ ゴシック"));
    x.Int("FontSize", o.FontSize, 10);
}

void exchangeScript(Exchange &x)
{
    TScriptOption &o = ScriptOption;
    x.Bool("OneScript", o.OneScript, false);
    x.Bool("SubDir", o.Dir, false);
    x.Bool("SameName", o.SameName, true);
    x.Str("Path", o.Path, OutputPath);
    x.Lines("NameTable", o.NameTable);
    x.Int("Database", o.Database, 3);
    x.Int("Schema", o.Owner, 2);
    x.Bool("Index", o.Index, false);
    x.Bool("Insert", o.Insert, false);
    x.Int("InsertMode", o.InsertMode, 0);
    x.Bool("ViewCol", o.ViewCol, true);
    x.Bool("FileGroup", o.Filegroup, true);
    x.Bool("Grant", o.Grant, false);
    x.Int("GrantMode", o.GrantMode, 0);
    x.Bool("NullLine", o.NullLine, false);
    x.Bool("Drop", o.Drop, false);
    x.Bool("MaskOutput", o.MaskOutput, true);
}

void exchangeExport(Exchange &x)
{
    TExpOption &o = ExpOption;
    x.Str("FileName", o.ExpFile, OutputPath + QStringLiteral("EXPDAT.DMP"));
    x.Str("UserID", o.UserID, QString());
    x.Secret("Pass", o.Pass);
    x.Int("BufSize", o.BufSize, 4096);
    x.Int("RecSize", o.RecSize, 1024);
    x.Bool("Grants", o.Grants, true);
    x.Bool("Indexes", o.Indexes, true);
    x.Bool("Rows", o.Rows, true);
    x.Bool("Constraints", o.Constraints, true);
    x.Bool("Compress", o.Compress, true);
    x.Int("IncType", o.IncType, 0);
    x.Int("IncType", o.Statics, 0);
    x.Bool("Record", o.Records, true);
    x.Bool("Consistent", o.Consistent, false);
    x.Str("ExpPgm", o.ExpPgm, QString());
    x.Bool("Background", o.Background, false);
    x.Str("LogFile", o.LogFile, OutputPath + QStringLiteral("EXP.LOG"));
}

void exchangeImport(Exchange &x)
{
    TImpOption &o = ImpOption;
    x.Str("FileName", o.ImpFile, OutputPath + QStringLiteral("EXPDAT.DMP"));
    x.Str("UserID", o.UserID, QString());
    x.Secret("Pass", o.Pass);
    x.Int("BufSize", o.BufSize, 4096);
    x.Int("RecSize", o.RecSize, 1024);
    x.Bool("Grants", o.Grants, true);
    x.Bool("Indexes", o.Indexes, true);
    x.Bool("Rows", o.Rows, true);
    if (x.loading())
        x.Bool("Constraints", o.Constraints, true);
    x.Int("IncType", o.IncType, 0);
    x.Str("IndexFile", o.IndexFile, QString());
    x.Bool("Ignore", o.Ignore, false);
    x.Bool("Commit", o.Commit, false);
    x.Bool("Destroy", o.Destroy, false);
    x.Str("ImpPgm", o.ImpPgm, QString());
    x.Bool("Background", o.Background, false);
    x.Str("LogFile", o.LogFile, OutputPath + QStringLiteral("IMP.LOG"));
    x.Str("UserList", o.UserList, QString());
    x.Str("TableList", o.TableList, QString());
}

void exchangeAttach(Exchange &x)
{
    x.Str("Path", AttachOption.Path, QString());
}

void exchangeLoader(Exchange &x)
{
    TLoadOption &o = LoadOption;
    x.Bool("WriteDataFile", o.WriteDataFile, true);
    x.Bool("WriteCtlFile", o.WriteCtlFile, true);
    x.Str("SaveDir", o.SaveDir, OutputPath);
    x.Str("LogFile", o.LogFile, QString());
    x.Str("BadFile", o.BadFile, QString());
    x.Bool("Windows", o.Windows, false);
    x.Str("UserID", o.UserID, QString());
    x.Secret("Pass", o.Pass);
    x.Int("FirstRow", o.FirstRow, 0);
    x.Int("LastRow", o.LastRow, 0);
    x.Int("Rows", o.Rows, 0);
    x.Int("Errors", o.Errors, 50);
    x.Int("BindSize", o.BindSize, 4096);
    x.Bool("Quoted", o.Quoted, false);
    x.Bool("Background", o.Background, false);
    x.Str("Loader", o.Loader, QString());
}

void exchangeTrace(Exchange &x)
{
    TTrcOption &o = TrcOption;
    x.Lines("Path", o.Path);
    x.Bool("TKPROF", o.TKProf, false);
    x.Bool("Explan", o.ExplainPlan, true);
    x.Str("PlanUser", o.PlanUserID, QString());
    x.Secret("PlanPass", o.PlanPass);
    x.Str("PlanTable", o.PlanTable, QString());
    x.Bool("Aggregate", o.Aggregate, true);
    x.Bool("Sys", o.Sys, false);
    x.Str("Sort", o.Sort, QString());
    x.Str("Print", o.Print, QString());
    x.Str("TrcPgm", o.TrcPgm, QString(), Dir::SaveOnly);
}

void exchangeComp(Exchange &x)
{
    TCompOption &o = CompOption;
    x.Bool("Equrl", o.Equrl, true);
    x.Bool("NotEqurl", o.NotEqurl, true);
    x.Bool("Only1", o.Only1, true);
    x.Bool("Only2", o.Only2, true);
}

void exchangePerform(Exchange &x)
{
    x.DateTime("LastAutoSave", PerformOption.LastAutoSave, 0);
}

void exchangeLock(Exchange &x)
{
    x.Lines("AlertPath", LockOption.AlertPath);
    x.Bool("ShowSysObj", LockOption.ShowSysObj, true);
}

void exchangeFormat(Exchange &x)
{
    TFormatOption &o = FormatOption;
    x.Int("Indent", o.Indent, 4);
    x.Int("ItemReturn", o.ItemReturn, 0);
    x.Int("ReservePos", o.ReservePos, 0);
    x.Int("CommaPos", o.CommaPos, 0);
    x.Int("AndPos", o.AndPos, 0);
    x.Int("ReserveTrans", o.ReserveTrans, 0);
    x.Int("ItemTrans", o.ItemTrans, 0);
}

void exchangeDBTest(Exchange &x)
{
    TDBTestOption &o = DBTestOption;
    x.Int("Session", o.Session, 10);
    x.Int("SpanTime", o.SpanTime, 0);
    x.Str("UserId", o.UserId, QString());
    // Stores of older builds hold the password in plain text.
    x.Secret("Password", o.Password, true);
    x.Bool("Error", o.Error, true);
}

struct Key
{
    const char *name; // below the settings root; empty for the root itself
    void (*exchange)(Exchange &);
};

// In load order; saving uses the same order.
constexpr Key kRootKey = {"", exchangeRoot};
constexpr Key kPrintKey = {"PRINTOPTION", exchangePrint};
constexpr Key kTextOutKey = {"TEXTOUT", exchangeScript};
constexpr Key kToolKeys[] = {
    {"EXPORT", exchangeExport}, {"IMPORT", exchangeImport}, {"ATTACH", exchangeAttach},   {"LOADER", exchangeLoader},
    {"TRACE", exchangeTrace},   {"COMP", exchangeComp},     {"PERFORM", exchangePerform}, {"LOCK", exchangeLock},
    {"FORMAT", exchangeFormat}, {"DBTEST", exchangeDBTest},
};

struct SectionHandlers
{
    TSettingsHandler load;
    TSettingsHandler save;
};
SectionHandlers g_sections[3];

SectionHandlers &handlers(TSettingsSection s)
{
    return g_sections[int(s)];
}

void runSection(TSettingsSection s, Mode mode)
{
    const SectionHandlers &h = handlers(s);
    const TSettingsHandler &f = mode == Mode::Load ? h.load : h.save;
    if (f)
        f();
}

QString keyPath(const char *name)
{
    return *name ? ZK_REG_ROOT + QLatin1Char('\\') + QLatin1String(name) : ZK_REG_ROOT;
}

void openKey(const char *name)
{
    const QString path = keyPath(name);
    if (!zkReg->OpenKey(path, true))
        throw ERegistryException(QStringLiteral("レジストリキー「%1」を開けません。").arg(path));
}

void exchangeKey(const Key &key, Mode mode)
{
    Exchange x(mode);
    if (mode == Mode::Clear) {
        key.exchange(x);
        return;
    }
    openKey(key.name);
    key.exchange(x);
    zkReg->CloseKey();
}

void exchangeAll(Mode mode)
{
    exchangeKey(kPrintKey, mode);
    if (mode != Mode::Clear)
        runSection(TSettingsSection::ShortCut, mode);
    exchangeKey(kTextOutKey, mode);
    for (const Key &key : kToolKeys)
        exchangeKey(key, mode);
    if (mode == Mode::Load) {
        runSection(TSettingsSection::Reserve, mode);
        runSection(TSettingsSection::Editor, mode);
    } else if (mode == Mode::Save) {
        runSection(TSettingsSection::Editor, mode);
        runSection(TSettingsSection::Reserve, mode);
    }
}

} // namespace

void LoadSettings()
{
    openKey("");
    // A store of an older version loses its window layouts, so they start
    // from the built-in ones.
    if (zkReg->GetInteger(QStringLiteral("Version"), 0) < ZK_SETTINGS_VERSION) {
        zkReg->DeleteKey(QStringLiteral("GUI"));
        zkReg->WriteInteger(QStringLiteral("Version"), ZK_SETTINGS_VERSION);
    }
    Exchange x(Mode::Load);
    exchangeRoot(x);
    zkReg->CloseKey();
    exchangeAll(Mode::Load);
}

void SaveSettings()
{
    exchangeKey(kRootKey, Mode::Save);
    exchangeAll(Mode::Save);
}

void FinalizeSettings()
{
    exchangeKey(kRootKey, Mode::Clear);
    exchangeAll(Mode::Clear);
}

QString GetEncryptOption()
{
    zkReg->CloseKey();
    const HKEY root = zkReg->RootKey();
    const quint32 access = zkReg->Access();
    struct Restore
    {
        HKEY root;
        quint32 access;
        ~Restore()
        {
            try {
                zkReg->SetRootKey(root);
                zkReg->SetAccess(access);
                zkReg->CloseKey();
            } catch (const ERegistryException &) {
                // Only reading happened; there is nothing to lose.
            }
        }
    } restore{root, access};

    zkReg->SetRootKey(HKEY_CURRENT_USER);
    zkReg->SetAccess(KEY_READ);
    if (!zkReg->OpenKey(ZK_REG_ROOT + QStringLiteral("\\DATABASE"), false))
        return QStringLiteral("No");
    return zkReg->GetBool(QStringLiteral("EncryptOption"), false) ? QStringLiteral("Yes") : QStringLiteral("No");
}

void RegisterSettingsSection(TSettingsSection section, TSettingsHandler load, TSettingsHandler save)
{
    handlers(section) = {std::move(load), std::move(save)};
}
