#include "common/testenv.h"
#include "core/zkoption.h"
#include "core/zkreg.h"
#include "core/zkscramble.h"
#include "core/zksub.h"

#include <QVariant>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

enum Kind { B, I, S, P, L, D };

struct Row
{
    const char *key; // below the settings root; "" for the root
    const char *name;
    Kind kind;
    QVariant def; // "{out}" and "{data}" stand for the output and data folders
};

// Every stored value that is written back, with its default.
const Row kRows[] = {
    {"", "TreeSort", I, 0},
    {"", "ShowLevel0", B, true},
    {"", "ShowLevel1", B, true},
    {"", "TypeTable", B, true},
    {"", "TypeIndex", B, true},
    {"", "TypeView", B, true},
    {"", "TypeProc", B, true},
    {"", "TypeFunc", B, true},
    {"", "TypeTrigger", B, true},
    {"", "TypeSeq", B, true},
    {"", "TypeSynonym", B, true},
    {"", "TypeConst", B, true},
    {"", "UserFirst", B, false},
    {"", "TreeData", B, true},
    {"", "Progress", B, true},
    {"", "RowSelect", B, false},
    {"", "DelErr", B, false},
    {"", "Find", B, true},
    {"", "FindAuto", B, true},
    {"", "OpenMode", I, 0},
    {"", "DefaultAutoQuote", B, false},
    {"", "ShowSysObj", B, false},
    {"", "ShowDDL", B, false},
    {"", "CloseDDL", B, true},
    {"", "BackupData", B, true},
    {"", "PurgeTable", B, false},
    {"", "ShowStorageSource", B, true},
    {"", "ShowColumnSource", B, true},
    {"", "SaveBeforeSource", B, false},
    {"", "SaveBeforeSrcDialog", B, false},
    {"", "SaveBeforeSrcRenum", B, false},
    {"", "SaveBeforeSrcHead", B, false},
    {"", "SaveBeforeSrcDir", S, "{data}"},
    {"", "SaveAfterSource", B, false},
    {"", "SaveAfterSrcDialog", B, false},
    {"", "SaveAfterSrcRenum", B, false},
    {"", "SaveAfterSrcHead", B, false},
    {"", "SaveAfterSrcDir", S, "{data}"},
    {"", "ShowFragment", B, false},
    {"", "DataFontName", S, "ＭＳ ゴシック"},
    {"", "DataFontSize", I, 10},
    {"", "DataShowMode", I, 0},
    {"", "DataColWidthV", I, 30},
    {"", "DataColWidthH", I, 20},
    {"", "Draw100ColOver", B, false},
    {"", "ShowWhereGrid", B, true},
    {"", "WhereAutoQuote", B, true},
    {"", "ShowNull", B, true},
    {"", "DefTopRecord", I, 1000},
    {"", "TestRecord", I, 1000},
    {"", "DateFormat", S, "yyyy/MM/dd"},
    {"", "TimeFormat", S, "HH:mm:ss"},
    {"", "DefaultDateFormat", I, 0},
    {"", "SQLBuf", I, 200},
    {"", "AddStripe", B, true},
    {"", "CurrecyInNumericFormat", B, false},
    {"", "UsePartial", B, true},
    {"", "DiagramFontName", S, "ＭＳ ゴシック"},
    {"", "DiagramFontSize", I, 9},
    {"", "GridFontName", S, "ＭＳ ゴシック"},
    {"", "GridFontSize", I, 9},
    {"", "PasteHeader", B, true},
    {"", "PasteColumn", I, 0},
    {"", "PasteDialog", B, false},
    {"", "FileDir", S, "{out}"},
    {"", "ExcelDir", S, "{out}"},
    {"", "ScrExecDir", S, ""},
    {"", "ExcelSheet", S, ""},
    {"", "ExcelForm", S, ""},
    {"", "ExcelTop", I, 0},
    {"", "ExcelLeft", I, 0},
    {"", "ExcelFormMatrix", S, "{data}xlsdef/zkmatrix.xlsx"},
    {"", "ExcelMatrixRow", I, 60},
    {"", "ExcelMatrixCol", I, 30},
    {"", "ExcelHeader", B, true},
    {"", "ExcelMode", I, 0},
    {"", "ExcelRefresh", B, false},
    {"", "ExcelDialog", B, false},
    {"", "ExcelExportAsString", B, false},
    {"", "CSVHeader", B, true},
    {"", "CSVRefresh", B, false},
    {"", "CSVQuotation", I, 0},
    {"", "CSVLineBreak", I, 0},
    {"", "CSVDir", S, "{out}"},
    {"", "UpdateMode", B, true},
    {"", "ScriptCompDel", B, false},
    {"", "ScriptErrStop", B, false},
    {"", "CrossLevel", I, 3},
    {"", "DataGenCommit", I, 500},
    {"", "OutputBuf", I, 65535},
    {"", "PlanTable", S, "PLAN_TABLE"},
    {"", "PlanTableID", S, "ZKP"},
    {"", "UserLowerName", B, true},
    {"", "DebugDialog", B, true},
    {"", "AutoTran", B, false},
    {"", "CodeAssist", B, true},
    {"", "TempDir", S, "{data}temp/"},
    {"", "IdxReorganize", I, 5},
    {"", "IdxRebuild", I, 31},
    {"", "MS_Cooperation", B, false},
    {"", "DTS_EXE", S, ""},
    {"", "SPF_EXE", S, ""},
    {"", "MS_EXE", S, ""},
    {"", "Encoding", I, 2},
    {"", "SleepTime", I, 50},
    {"", "RetryCnt", I, 100},
    {"", "CheckInternet", B, false},
    {"", "SessionKilledMode", I, 0},
    {"", "KeepAliveEnabled", B, false},
    {"", "KeepAliveInterval", I, 180},
    {"", "KeepAliveInvalidStandby", B, true},

    {"PRINTOPTION", "Orientation", I, 0},
    {"PRINTOPTION", "LeftMargin", I, 20},
    {"PRINTOPTION", "TopMargin", I, 20},
    {"PRINTOPTION", "RightMargin", I, 20},
    {"PRINTOPTION", "BottomMargin", I, 20},
    {"PRINTOPTION", "FontName", S, "ＭＳ ゴシック"},
    {"PRINTOPTION", "FontSize", I, 10},

    {"TEXTOUT", "OneScript", B, false},
    {"TEXTOUT", "SubDir", B, false},
    {"TEXTOUT", "SameName", B, true},
    {"TEXTOUT", "Path", S, "{out}"},
    {"TEXTOUT", "NameTable", L, ""},
    {"TEXTOUT", "Database", I, 3},
    {"TEXTOUT", "Schema", I, 2},
    {"TEXTOUT", "Index", B, false},
    {"TEXTOUT", "Insert", B, false},
    {"TEXTOUT", "InsertMode", I, 0},
    {"TEXTOUT", "FileGroup", B, true},
    {"TEXTOUT", "ViewCol", B, true},
    {"TEXTOUT", "Grant", B, false},
    {"TEXTOUT", "GrantMode", I, 0},
    {"TEXTOUT", "NullLine", B, false},
    {"TEXTOUT", "Drop", B, false},
    {"TEXTOUT", "MaskOutput", B, true},

    {"LOADER", "WriteDataFile", B, true},
    {"LOADER", "WriteCtlFile", B, true},
    {"LOADER", "SaveDir", S, "{out}"},
    {"LOADER", "LogFile", S, ""},
    {"LOADER", "BadFile", S, ""},
    {"LOADER", "Windows", B, false},
    {"LOADER", "UserID", S, ""},
    {"LOADER", "Pass", P, ""},
    {"LOADER", "FirstRow", I, 0},
    {"LOADER", "LastRow", I, 0},
    {"LOADER", "Rows", I, 0},
    {"LOADER", "Errors", I, 50},
    {"LOADER", "BindSize", I, 4096},
    {"LOADER", "Quoted", B, false},
    {"LOADER", "Background", B, false},
    {"LOADER", "Loader", S, ""},

    {"FORMAT", "Indent", I, 4},
    {"FORMAT", "ItemReturn", I, 0},
    {"FORMAT", "ReservePos", I, 0},
    {"FORMAT", "CommaPos", I, 0},
    {"FORMAT", "AndPos", I, 0},
    {"FORMAT", "ReserveTrans", I, 0},
    {"FORMAT", "ItemTrans", I, 0},

    {"COMP", "Equrl", B, true},
    {"COMP", "NotEqurl", B, true},
    {"COMP", "Only1", B, true},
    {"COMP", "Only2", B, true},

    {"DBTEST", "Session", I, 10},
    {"DBTEST", "SpanTime", I, 0},
    {"DBTEST", "UserId", S, ""},
    {"DBTEST", "Password", P, ""},
    {"DBTEST", "Error", B, true},

    {"TRACE", "Path", L, ""},
    {"TRACE", "TKPROF", B, false},
    {"TRACE", "Explan", B, true},
    {"TRACE", "PlanUser", S, ""},
    {"TRACE", "PlanPass", P, ""},
    {"TRACE", "PlanTable", S, ""},
    {"TRACE", "Aggregate", B, true},
    {"TRACE", "Sys", B, false},
    {"TRACE", "Sort", S, ""},
    {"TRACE", "Print", S, ""},

    {"LOCK", "AlertPath", L, ""},
    {"LOCK", "ShowSysObj", B, true},

    {"PERFORM", "LastAutoSave", D, 0.0},

    {"ATTACH", "Path", S, ""},

    {"EXPORT", "FileName", S, "{out}EXPDAT.DMP"},
    {"EXPORT", "UserID", S, ""},
    {"EXPORT", "Pass", P, ""},
    {"EXPORT", "BufSize", I, 4096},
    {"EXPORT", "RecSize", I, 1024},
    {"EXPORT", "Grants", B, true},
    {"EXPORT", "Indexes", B, true},
    {"EXPORT", "Rows", B, true},
    {"EXPORT", "Constraints", B, true},
    {"EXPORT", "Compress", B, true},
    {"EXPORT", "IncType", I, 0},
    {"EXPORT", "Record", B, true},
    {"EXPORT", "Consistent", B, false},
    {"EXPORT", "ExpPgm", S, ""},
    {"EXPORT", "Background", B, false},
    {"EXPORT", "LogFile", S, "{out}EXP.LOG"},

    {"IMPORT", "FileName", S, "{out}EXPDAT.DMP"},
    {"IMPORT", "UserID", S, ""},
    {"IMPORT", "Pass", P, ""},
    {"IMPORT", "BufSize", I, 4096},
    {"IMPORT", "RecSize", I, 1024},
    {"IMPORT", "Grants", B, true},
    {"IMPORT", "Indexes", B, true},
    {"IMPORT", "Rows", B, true},
    {"IMPORT", "IncType", I, 0},
    {"IMPORT", "IndexFile", S, ""},
    {"IMPORT", "Ignore", B, false},
    {"IMPORT", "Commit", B, false},
    {"IMPORT", "Destroy", B, false},
    {"IMPORT", "ImpPgm", S, ""},
    {"IMPORT", "Background", B, false},
    {"IMPORT", "LogFile", S, "{out}IMP.LOG"},
    {"IMPORT", "UserList", S, ""},
    {"IMPORT", "TableList", S, ""},
};

QString keyOf(const Row &r)
{
    return *r.key ? ZK_REG_ROOT + "\\" + r.key : ZK_REG_ROOT;
}

QString expandFolders(QString s)
{
    return s.replace("{out}", OutputPath).replace("{data}", DataPath);
}

// Readable in a failure message.
std::string show(const QVariant &v)
{
    return QStringLiteral("%1 %2").arg(v.typeName(), v.toString()).toStdString();
}

QString trace(const Row &r)
{
    return QStringLiteral("%1\\%2").arg(r.key, r.name);
}

// A value that differs from the default and from every other row's value.
QVariant changedValue(const Row &r, int index, int pass)
{
    switch (r.kind) {
    case B: return (index % 2 == pass) ? !r.def.toBool() : r.def.toBool();
    case I: return r.def.toInt() + 1 + index;
    case S:
    case P: return QStringLiteral("値%1-%2").arg(index).arg(pass);
    case L: return QStringLiteral("a%1\r\nb%2\r\n").arg(index).arg(pass);
    case D: return 45000.25 + index;
    }
    return {};
}

class SettingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestEnv::resetRegistry();
        InitializeCore();
    }
    void TearDown() override
    {
        for (TSettingsSection s : {TSettingsSection::ShortCut, TSettingsSection::Reserve, TSettingsSection::Editor})
            RegisterSettingsSection(s, {}, {});
        FinalizeCore();
    }

    // The store's value as the row's kind, passwords unscrambled.
    QVariant stored(const Row &r)
    {
        TzkRegistry reg;
        if (!reg.OpenKey(keyOf(r), false))
            return QStringLiteral("<no key>");
        const RegDataType type = reg.GetDataType(r.name);
        switch (r.kind) {
        case B:
            if (type != RegDataType::Integer)
                return QStringLiteral("<not a number>");
            return reg.ReadBool(r.name);
        case I:
            if (type != RegDataType::Integer)
                return QStringLiteral("<not a number>");
            return reg.ReadInteger(r.name);
        case S:
        case L:
            if (type != RegDataType::String)
                return QStringLiteral("<not a text>");
            return reg.ReadString(r.name);
        case P:
            if (type != RegDataType::String)
                return QStringLiteral("<not a text>");
            return UnscrambleText(reg.ReadString(r.name));
        case D:
            if (type != RegDataType::Binary)
                return QStringLiteral("<not binary>");
            return reg.ReadDateTime(r.name);
        }
        return {};
    }

    void store(const Row &r, const QVariant &v)
    {
        TzkRegistry reg;
        ASSERT_TRUE(reg.OpenKey(keyOf(r), true));
        switch (r.kind) {
        case B: reg.WriteBool(r.name, v.toBool()); break;
        case I: reg.WriteInteger(r.name, v.toInt()); break;
        case S:
        case L: reg.WriteString(r.name, v.toString()); break;
        case P: reg.WriteString(r.name, ScrambleText(v.toString())); break;
        case D: reg.WriteDateTime(r.name, v.toDouble()); break;
        }
        reg.CloseKey();
    }
};

// Every value of a changed store survives a load and a save; then an empty
// store gives every default again (so the load reassigned every field), and
// the first save writes them all.
TEST_F(SettingsTest, EveryValueRoundTripsAndAnEmptyStoreGivesTheDefaults)
{
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass);
        TestEnv::resetRegistry();
        int index = 0;
        for (const Row &r : kRows)
            store(r, changedValue(r, index++, pass));
        LoadSettings();
        TestEnv::resetRegistry();
        SaveSettings();
        index = 0;
        for (const Row &r : kRows) {
            SCOPED_TRACE(trace(r).toStdString());
            EXPECT_EQ(show(stored(r)), show(changedValue(r, index++, pass)));
        }
    }

    TestEnv::resetRegistry();
    LoadSettings();
    SaveSettings();
    for (const Row &r : kRows) {
        SCOPED_TRACE(trace(r).toStdString());
        QVariant want = r.def;
        if (r.kind == S)
            want = expandFolders(want.toString());
        EXPECT_EQ(show(stored(r)), show(want));
    }

    TzkRegistry reg;
    ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT, false));
    EXPECT_FALSE(reg.ValueExists("ExcelExt"));
    EXPECT_EQ(reg.GetInteger("Version", 0), 80004);
    ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT + "\\IMPORT", false));
    EXPECT_FALSE(reg.ValueExists("Constraints"));
}

// Fields whose names differ from their stored names, read from a store.
TEST_F(SettingsTest, StoredNamesReachTheirFields)
{
    TzkRegistry reg;
    ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT, true));
    reg.WriteBool("UserLowerName", false);
    reg.WriteString("TimeFormat", "hh:mm");
    reg.WriteInteger("DefaultDateFormat", 7);
    reg.WriteBool("SaveBeforeSource", true);
    reg.WriteBool("TypeSynonym", false);
    reg.WriteInteger("OpenMode", 3);
    reg.WriteInteger("SessionKilledMode", 2);
    ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT + "\\TEXTOUT", true));
    reg.WriteBool("SubDir", true);
    reg.WriteInteger("Schema", 0);
    reg.WriteBool("FileGroup", false);
    ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT + "\\PRINTOPTION", true));
    reg.WriteInteger("Orientation", 1);
    reg.WriteInteger("BottomMargin", 5);
    ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT + "\\TRACE", true));
    reg.WriteBool("Explan", false);
    reg.WriteString("PlanUser", "planner");
    reg.CloseKey();

    LoadSettings();
    EXPECT_FALSE(zkOption.UseLowerName);
    EXPECT_EQ(zkOption.TimeDelphi, "hh:mm");
    EXPECT_EQ(zkOption.NLSDateFormat, 7);
    EXPECT_TRUE(zkOption.SaveBeforeSrc);
    EXPECT_FALSE(zkOption.ShowSynonym);
    EXPECT_EQ(zkOption.OpenMode, omCross);
    EXPECT_EQ(zkOption.SessionKilledMode, skmConfirm);
    EXPECT_TRUE(ScriptOption.Dir);
    EXPECT_EQ(ScriptOption.Owner, 0);
    EXPECT_FALSE(ScriptOption.Filegroup);
    EXPECT_EQ(zkPrintOption.Orientation, poLandscape);
    EXPECT_EQ(zkPrintOption.MMBottomMargin, 5);
    EXPECT_FALSE(TrcOption.ExplainPlan);
    EXPECT_EQ(TrcOption.PlanUserID, "planner");
}

TEST_F(SettingsTest, VersionBelowTheCurrentDropsTheWindowLayouts)
{
    struct Case
    {
        const char *name;
        int version; // -1: no value
        bool guiKept;
        int versionAfter;
    };
    const Case cases[] = {
        {"older", 80003, false, 80004},
        {"missing", -1, false, 80004},
        {"current", 80004, true, 80004},
        {"newer", 90000, true, 90000},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TestEnv::resetRegistry();
        TzkRegistry reg;
        ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT + "\\GUI\\MAIN", true));
        reg.WriteInteger("Width", 800);
        ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT, false));
        if (c.version >= 0)
            reg.WriteInteger("Version", c.version);
        reg.CloseKey();

        LoadSettings();
        EXPECT_EQ(reg.KeyExists(ZK_REG_ROOT + "\\GUI\\MAIN"), c.guiKept);
        ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT, false));
        EXPECT_EQ(reg.GetInteger("Version", 0), c.versionAfter);
        reg.CloseKey();
    }
}

TEST_F(SettingsTest, ValuesLoadWithoutRangeChecksAndBadOnesFallBack)
{
    TzkRegistry reg;
    ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT, true));
    reg.WriteString("DateFormat", "");
    reg.WriteString("TempDir", "");
    reg.WriteString("TreeSort", "1");
    reg.WriteInteger("KeepAliveInterval", 5000);
    reg.WriteInteger("ShowNull", 2);
    reg.WriteString("ExcelExt", ".XLSX");
    ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT + "\\PRINTOPTION", true));
    reg.WriteInteger("Orientation", 7);
    reg.CloseKey();

    LoadSettings();
    EXPECT_EQ(zkOption.DateFormat, "yyyy/MM/dd");
    EXPECT_EQ(zkOption.TempDir, DataPath + "temp/");
    EXPECT_EQ(zkOption.TreeSort, 0);
    EXPECT_EQ(zkOption.KeepAliveInterval, 5000);
    EXPECT_TRUE(zkOption.ShowNull);
    EXPECT_EQ(zkOption.ExcelExt, ".xlsx");
    EXPECT_EQ(int(zkPrintOption.Orientation), 7);

    zkOption.ExcelExt = ".xlsm";
    SaveSettings();
    ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT, false));
    EXPECT_EQ(reg.GetDataType("TreeSort"), RegDataType::Integer);
    EXPECT_EQ(reg.GetInteger("KeepAliveInterval", 0), 5000);
    EXPECT_EQ(reg.ReadString("ExcelExt"), ".XLSX"); // never written
    ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT + "\\PRINTOPTION", false));
    EXPECT_EQ(reg.GetInteger("Orientation", 0), 7);
    reg.CloseKey();
}

TEST_F(SettingsTest, StringListsAreOneTextWithALineBreakAfterEachLine)
{
    TzkRegistry reg;
    ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT + "\\TEXTOUT", true));
    reg.WriteString("NameTable", "SRV1=db.dbo.names\r\nSRV2=x.y\r\n");
    ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT + "\\TRACE", true));
    reg.WriteString("Path", "/var/trace/\r\n");
    reg.CloseKey();

    LoadSettings();
    EXPECT_EQ(ScriptOption.NameTable, QStringList({"SRV1=db.dbo.names", "SRV2=x.y"}));
    EXPECT_EQ(&ScriptOption.NameTable, &NameTableList);
    EXPECT_EQ(TrcOption.Path, QStringList({"/var/trace/"}));
    EXPECT_EQ(&TrcOption.Path, &TracePathList);
    EXPECT_EQ(&LockOption.AlertPath, &LockAlertList);
    EXPECT_TRUE(LockOption.AlertPath.isEmpty());

    ScriptOption.NameTable.clear();
    LockOption.AlertPath = QStringList({"a", "b"});
    SaveSettings();
    ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT + "\\TEXTOUT", false));
    EXPECT_EQ(reg.GetDataType("NameTable"), RegDataType::String);
    EXPECT_EQ(reg.ReadString("NameTable"), "");
    ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT + "\\LOCK", false));
    EXPECT_EQ(reg.ReadString("AlertPath"), "a\r\nb\r\n");
    reg.CloseKey();
}

TEST_F(SettingsTest, OddValuesOfTheToolKeys)
{
    TzkRegistry reg;
    ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT + "\\EXPORT", true));
    reg.WriteInteger("IncType", 2);
    ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT + "\\IMPORT", true));
    reg.WriteBool("Constraints", false);
    ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT + "\\TRACE", true));
    reg.WriteString("TrcPgm", "trace.exe");
    reg.CloseKey();

    LoadSettings();
    EXPECT_EQ(ExpOption.IncType, 2);
    EXPECT_EQ(ExpOption.Statics, 2);
    EXPECT_FALSE(ImpOption.Constraints);
    EXPECT_TRUE(TrcOption.TrcPgm.isEmpty());

    ExpOption.IncType = 1;
    ExpOption.Statics = 3;
    ImpOption.Constraints = true;
    SaveSettings();
    ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT + "\\EXPORT", false));
    EXPECT_EQ(reg.GetInteger("IncType", 0), 3);
    ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT + "\\IMPORT", false));
    EXPECT_FALSE(reg.GetBool("Constraints", true));
    ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT + "\\TRACE", false));
    EXPECT_EQ(reg.GetDataType("TrcPgm"), RegDataType::String);
    EXPECT_EQ(reg.ReadString("TrcPgm"), "");
    reg.CloseKey();
}

TEST_F(SettingsTest, PasswordsAreStoredScrambled)
{
    LoadSettings();
    LoadOption.Pass = " pass 秘密 ";
    DBTestOption.Password = "load-test";
    SaveSettings();

    TzkRegistry reg;
    ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT + "\\LOADER", false));
    const QString first = reg.ReadString("Pass");
    EXPECT_FALSE(first.contains("pass"));
    ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT + "\\DBTEST", false));
    EXPECT_NE(reg.ReadString("Password"), "load-test");
    reg.CloseKey();

    LoadSettings();
    EXPECT_EQ(LoadOption.Pass, " pass 秘密 ");
    EXPECT_EQ(DBTestOption.Password, "load-test");
    SaveSettings();
    ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT + "\\LOADER", false));
    EXPECT_NE(reg.ReadString("Pass"), first);

    // A load-test password written in plain text by an older build.
    for (const QString &plain : {QString("plain"), QString(132, '~')}) {
        SCOPED_TRACE(plain.toStdString());
        ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT + "\\DBTEST", false));
        reg.WriteString("Password", plain);
        reg.CloseKey();
        LoadSettings();
        EXPECT_EQ(DBTestOption.Password, plain);
    }
}

TEST_F(SettingsTest, SectionsOfHigherUnitsRunInTheirPlace)
{
    QStringList log;
    auto handler = [&log](const char *what) {
        return [&log, what] {
            // No key is left open, and the keys before have been handled.
            EXPECT_FALSE(zkReg->HasCurrentKey());
            const bool textOut = zkReg->KeyExists(ZK_REG_ROOT + "\\TEXTOUT");
            const bool dbTest = zkReg->KeyExists(ZK_REG_ROOT + "\\DBTEST");
            log << QStringLiteral("%1 textout=%2 dbtest=%3").arg(what).arg(textOut).arg(dbTest);
        };
    };
    RegisterSettingsSection(TSettingsSection::ShortCut, handler("load SHORTCUT"), handler("save SHORTCUT"));
    RegisterSettingsSection(TSettingsSection::Reserve, handler("load RESERVE"), handler("save RESERVE"));
    RegisterSettingsSection(TSettingsSection::Editor, handler("load EDITOR"), handler("save EDITOR"));

    LoadSettings();
    SaveSettings();
    EXPECT_EQ(log, QStringList({
                       "load SHORTCUT textout=0 dbtest=0",
                       "load RESERVE textout=1 dbtest=1",
                       "load EDITOR textout=1 dbtest=1",
                       "save SHORTCUT textout=1 dbtest=1",
                       "save EDITOR textout=1 dbtest=1",
                       "save RESERVE textout=1 dbtest=1",
                   }));
}

TEST_F(SettingsTest, SaveStopsAtTheFirstFailureAndPassesItOn)
{
    LoadSettings();
    RegisterSettingsSection(TSettingsSection::ShortCut, {}, [] { throw std::runtime_error("shortcut failed"); });
    zkPrintOption.FontSize = 12;
    ScriptOption.Path = "/scripts/";
    EXPECT_THROW(SaveSettings(), std::runtime_error);

    TzkRegistry reg;
    ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT + "\\PRINTOPTION", false));
    EXPECT_EQ(reg.GetInteger("FontSize", 0), 12);
    ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT + "\\TEXTOUT", false));
    EXPECT_FALSE(reg.ValueExists("Path"));
    reg.CloseKey();

    RegisterSettingsSection(TSettingsSection::ShortCut, {}, {});
    zkReg->SetAccess(KEY_READ);
    EXPECT_THROW(SaveSettings(), ERegistryException);
    zkReg->SetAccess(KEY_ALL_ACCESS);
}

TEST_F(SettingsTest, EncryptOptionOfTheLastLogon)
{
    struct Case
    {
        const char *name;
        bool createKey;
        int value; // -1: no value
        const char *want;
    };
    const Case cases[] = {
        {"no key", false, -1, "No"}, {"no value", true, -1, "No"},     {"off", true, 0, "No"},
        {"on", true, 1, "Yes"},      {"any non-zero", true, 2, "Yes"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TestEnv::resetRegistry();
        if (c.createKey) {
            TzkRegistry reg;
            ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT + "\\DATABASE", true));
            if (c.value >= 0)
                reg.WriteInteger("EncryptOption", c.value);
            reg.CloseKey();
        }
        zkReg->SetRootKey(HKEY_LOCAL_MACHINE);
        zkReg->SetAccess(KEY_WRITE);
        EXPECT_EQ(GetEncryptOption(), c.want);
        EXPECT_EQ(zkReg->RootKey(), HKEY_LOCAL_MACHINE);
        EXPECT_EQ(zkReg->Access(), KEY_WRITE);
        EXPECT_FALSE(zkReg->HasCurrentKey());
        zkReg->SetRootKey(HKEY_CURRENT_USER);
        zkReg->SetAccess(KEY_ALL_ACCESS);
    }
}

TEST_F(SettingsTest, ShutDownEmptiesTheTexts)
{
    LoadSettings();
    ScriptOption.NameTable << "SRV=a.b.c";
    LoadOption.Pass = "pw";
    FinalizeCore();
    EXPECT_TRUE(zkOption.DateFormat.isEmpty());
    EXPECT_TRUE(zkOption.DataFontName.isEmpty());
    EXPECT_TRUE(zkPrintOption.FontName.isEmpty());
    EXPECT_TRUE(ScriptOption.NameTable.isEmpty());
    EXPECT_TRUE(LoadOption.Pass.isEmpty());
    EXPECT_TRUE(ExpOption.LogFile.isEmpty());
    EXPECT_TRUE(DBTestOption.Password.isEmpty());
    InitializeCore();
}

} // namespace
