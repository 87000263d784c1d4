#include "common/testenv.h"
#include "platform/registry/registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

class Registry : public ::testing::Test
{
protected:
    void SetUp() override { TestEnv::resetRegistry(); }

    // Drops what this process holds in memory, so the next read comes from
    // the file as another program would see it.
    static void reloadFromDisk()
    {
        ASSERT_TRUE(RegistryStore::flushAll());
        RegistryStore::resetAll();
    }
};

TEST_F(Registry, KeysAndValuesIgnoreCase)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\Test", true));
    reg.WriteString("MyValue", "x");
    reg.CloseKey();

    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\test", false));
    EXPECT_TRUE(reg.ValueExists("myvalue"));
    EXPECT_EQ(reg.ReadString("MYVALUE"), "x");
    reg.WriteString("MYVALUE", "y"); // the same value, keeping its first spelling
    EXPECT_EQ(reg.GetValueNames(), QStringList{"MyValue"});
    EXPECT_EQ(reg.ReadString("myValue"), "y");
}

TEST_F(Registry, OpenWithoutCreateFailsOnMissingKeyAndRelativePathsFollowOpenKey)
{
    TRegistry reg;
    EXPECT_FALSE(reg.OpenKey("\\Software\\Missing", false));
    EXPECT_FALSE(reg.KeyExists("\\Software\\Missing"));
    ASSERT_TRUE(reg.OpenKey("\\Software\\A", true));
    ASSERT_TRUE(reg.OpenKey("B", true)); // relative to Software\A
    EXPECT_EQ(reg.CurrentPath(), "Software\\A\\B");
    EXPECT_TRUE(reg.KeyExists("\\Software\\A\\B"));
    reg.CloseKey();
    EXPECT_FALSE(reg.HasCurrentKey());
    ASSERT_TRUE(reg.OpenKey("Software\\A", false)); // no open key: from the root
    EXPECT_EQ(reg.CurrentPath(), "Software\\A");
}

TEST_F(Registry, SubKeysEnumerateInCaseInsensitiveOrder)
{
    TRegistry reg;
    for (const char *k : {"2", "10", "b", "0", "A", "1"})
        ASSERT_TRUE(reg.CreateKey(QStringLiteral("\\Root\\") + k));
    ASSERT_TRUE(reg.OpenKey("\\Root", false));
    EXPECT_EQ(reg.GetKeyNames(), (QStringList{"0", "1", "10", "2", "A", "b"}));
    reg.CloseKey();
    reloadFromDisk();
    ASSERT_TRUE(reg.OpenKey("\\Root", false));
    EXPECT_EQ(reg.GetKeyNames(), (QStringList{"0", "1", "10", "2", "A", "b"}));
}

TEST_F(Registry, DeleteKeyTakesEverythingBelow)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Root\\Gone\\Deep\\Deeper", true));
    reg.WriteInteger("x", 1);
    ASSERT_TRUE(reg.OpenKey("\\Root\\Kept", true));
    reg.CloseKey();
    EXPECT_TRUE(reg.DeleteKey("\\Root\\Gone"));
    EXPECT_FALSE(reg.KeyExists("\\Root\\Gone\\Deep\\Deeper"));
    EXPECT_FALSE(reg.DeleteKey("\\Root\\Gone"));
    reloadFromDisk();
    EXPECT_FALSE(reg.KeyExists("\\Root\\Gone"));
    EXPECT_TRUE(reg.KeyExists("\\Root\\Kept"));
}

TEST_F(Registry, ValuesRoundTripThroughTheFile)
{
    const QByteArray sixteen = QByteArray::fromHex("00ff102030405060708090a0b0c0d0e0");
    const QString awkward = QStringLiteral("line1\r\nsay \"hi\" C:\\temp\\\r\n漢字\r\n");
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\RoundTrip", true));
    reg.WriteString("Awkward", awkward);
    reg.WriteString("Plain", "a \"quoted\" \\ text");
    reg.WriteString("Empty", "");
    reg.WriteBinary("Sixteen", sixteen);
    reg.WriteInteger("Negative", -5);
    reg.WriteMultiString("Multi", {"one", "", "three"});
    reg.WriteExpandString("Expand", "%HOME%/x");
    reg.WriteDateTime("When", 45000.75);
    reg.CloseKey();
    reloadFromDisk();

    ASSERT_TRUE(reg.OpenKey("\\Software\\RoundTrip", false));
    EXPECT_EQ(reg.ReadString("Awkward"), awkward);
    EXPECT_EQ(reg.ReadString("Plain"), "a \"quoted\" \\ text");
    EXPECT_EQ(reg.GetDataType("Empty"), RegDataType::String);
    EXPECT_EQ(reg.ReadString("Empty"), "");
    EXPECT_EQ(reg.ReadBinary("Sixteen"), sixteen);
    EXPECT_EQ(reg.ReadInteger("Negative"), -5);
    EXPECT_EQ(reg.ReadMultiString("Multi"), (QStringList{"one", "", "three"}));
    EXPECT_EQ(reg.ReadString("Expand"), "%HOME%/x");
    EXPECT_DOUBLE_EQ(reg.ReadDateTime("When"), 45000.75);
}

// Types the program never writes itself (a 64-bit number, say) come back in
// the file as they were, when the store is saved for other changes.
TEST_F(Registry, ForeignValueTypesAreWrittenBackUnchanged)
{
    const QByteArray lines[] = {"\"Q\"=hex(b):01,02,03,04,05,06,07,08", "\"None\"=hex(0):ff"};
    {
        QFile f(TestEnv::registryRoot() + "/HKEY_CURRENT_USER.reg");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n");
        for (const QByteArray &l : lines)
            f.write(l + "\r\n");
    }
    RegistryStore::resetAll();
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software", false));
    EXPECT_EQ(reg.GetDataSize("Q"), 8);
    reg.WriteInteger("Mine", 1);
    reg.CloseKey();
    QFile f(TestEnv::registryRoot() + "/HKEY_CURRENT_USER.reg");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    for (const QByteArray &l : lines) {
        SCOPED_TRACE(l.toStdString());
        EXPECT_TRUE(text.contains(l + "\r\n"));
    }
}

TEST_F(Registry, ReadsOfMissingOrWrongTypedValues)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\Types", true));
    reg.WriteString("Text", "12");
    reg.WriteInteger("Number", 2);
    reg.WriteBinary("Short", QByteArray(4, '\1'));
    EXPECT_EQ(reg.ReadString("Missing"), "");
    EXPECT_EQ(reg.ReadBinary("Missing"), QByteArray());
    EXPECT_THROW(reg.ReadInteger("Missing"), ERegistryException);
    EXPECT_THROW(reg.ReadInteger("Text"), ERegistryException);
    EXPECT_THROW(reg.ReadString("Number"), ERegistryException);
    EXPECT_THROW(reg.ReadFloat("Short"), ERegistryException);
    EXPECT_TRUE(reg.ReadBool("Number"));
    EXPECT_EQ(reg.GetDataSize("Missing"), -1);
}

TEST_F(Registry, ReadOnlyKeyRefusesWrites)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\RO", true));
    reg.CloseKey();
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\Software\\RO"));
    EXPECT_EQ(reg.Access(), KEY_READ);
    EXPECT_THROW(reg.WriteInteger("x", 1), ERegistryException);
    reg.SetAccess(KEY_ALL_ACCESS);
}

// A line break in a key or value name would leave a store file that cannot be
// read back: such names are refused, and the rest of the store stays readable.
TEST_F(Registry, NamesWithLineBreaksAreRefused)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\Kept", true));
    reg.WriteString("Value", "kept");
    for (const char *name : {"a\nb", "a\r\nb", "a\rb"}) {
        SCOPED_TRACE(QString(name).toStdString());
        EXPECT_THROW(reg.WriteString(name, "x"), ERegistryException);
        EXPECT_FALSE(reg.CreateKey(QStringLiteral("\\Software\\") + name));
        TRegistry other;
        EXPECT_FALSE(other.OpenKey(QStringLiteral("\\Software\\") + name, true));
    }
    reg.CloseKey();
    reloadFromDisk();
    ASSERT_TRUE(reg.OpenKey("\\Software", false));
    EXPECT_EQ(reg.GetKeyNames(), QStringList{"Kept"});
    ASSERT_TRUE(reg.OpenKey("Kept", false));
    EXPECT_EQ(reg.GetValueNames(), QStringList{"Value"});
    EXPECT_TRUE(RegistryStore::hive(RegHive::CurrentUser).takeLoadWarning().isEmpty());
}

TEST_F(Registry, DamagedFileIsKeptAsideAndTheStoreStartsEmpty)
{
    struct Case
    {
        const char *name;
        QByteArray text; // empty: a folder stands where the file should be
    };
    const Case cases[] = {
        {"unreadable value",
         "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n\"x\"=dword:zz\r\n"},
        {"not UTF-8",
         "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n\"x\"=\"\x82\xa0\"\r\n"},
        {"cannot be opened", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TestEnv::resetRegistry();
        const QString dir = TestEnv::registryRoot();
        const QString file = dir + "/HKEY_CURRENT_USER.reg";
        if (c.text.isEmpty()) {
            ASSERT_TRUE(QDir().mkpath(file));
        } else {
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(c.text);
        }
        RegistryStore::resetAll();

        TRegistry reg;
        EXPECT_FALSE(reg.KeyExists("\\Software"));
        const QString warning = RegistryStore::hive(RegHive::CurrentUser).takeLoadWarning();
        EXPECT_FALSE(warning.isEmpty());
        const QStringList aside =
            QDir(dir).entryList({"HKEY_CURRENT_USER.reg.damaged-*"}, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
        ASSERT_EQ(aside.size(), 1);
        EXPECT_TRUE(warning.contains(aside.first()));

        // The program goes on and saves normally.
        ASSERT_TRUE(reg.OpenKey("\\Software", true));
        reg.WriteInteger("x", 7);
        reg.CloseKey();
        reloadFromDisk();
        ASSERT_TRUE(reg.OpenKey("\\Software", false));
        EXPECT_EQ(reg.ReadInteger("x"), 7);
    }
}

// Another program leaves a file this one cannot read: what this one read
// before stays, and its next save writes it back with the new changes.
TEST_F(Registry, FileDamagedWhileRunningKeepsWhatWasRead)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\Kept", true));
    reg.WriteString("Old", "old");
    reg.CloseKey();
    {
        QFile f(TestEnv::registryRoot() + "/HKEY_CURRENT_USER.reg");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("not a settings file");
    }
    ASSERT_TRUE(reg.OpenKey("\\Software\\Kept", false));
    EXPECT_EQ(reg.ReadString("Old"), "old");
    reg.WriteString("New", "new");
    reg.CloseKey();
    reloadFromDisk();
    ASSERT_TRUE(reg.OpenKey("\\Software\\Kept", false));
    EXPECT_EQ(reg.ReadString("Old"), "old");
    EXPECT_EQ(reg.ReadString("New"), "new");
}

// Run by TwoProgramsKeepEachOthersChanges in a second process: writes one
// value into the store named by the environment.
TEST_F(Registry, DISABLED_ChildWriter)
{
    qputenv("ZK_REGISTRY_ROOT", qgetenv("ZK_CHILD_REGISTRY"));
    RegistryStore::resetAll();
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\Shared", true));
    reg.WriteString(qEnvironmentVariable("ZK_CHILD_NAME"), "child");
    reg.CloseKey();
}

TEST_F(Registry, TwoProgramsKeepEachOthersChanges)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\Shared", true));
    reg.WriteString("Parent1", "parent");
    reg.CloseKey();

    // This process now holds unsaved changes while the other one saves.
    ASSERT_TRUE(reg.OpenKey("\\Software\\Shared", true));
    reg.WriteString("Parent2", "parent");

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ZK_CHILD_REGISTRY", TestEnv::registryRoot());
    env.insert("ZK_CHILD_NAME", "Child");
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_also_run_disabled_tests", "--gtest_filter=Registry.DISABLED_ChildWriter"});
    ASSERT_TRUE(child.waitForFinished(30000));
    ASSERT_EQ(child.exitCode(), 0) << child.readAll().toStdString();

    reg.CloseKey();
    reloadFromDisk();
    ASSERT_TRUE(reg.OpenKey("\\Software\\Shared", false));
    EXPECT_EQ(reg.ReadString("Parent1"), "parent");
    EXPECT_EQ(reg.ReadString("Parent2"), "parent");
    EXPECT_EQ(reg.ReadString("Child"), "child");
}

} // namespace
