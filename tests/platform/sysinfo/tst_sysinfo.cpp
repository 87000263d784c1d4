#include "platform/sysinfo/sysinfo.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString fixtures = QStringLiteral(ZK_FIXTURES_DIR "/sysinfo/");

// Every test starts from the fixtures and leaves the system's sources behind.
class SysInfo : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_saved = SysInfoSources();
        SysInfoSources().OsReleaseFiles = {fixtures + QStringLiteral("os-release")};
        SysInfoSources().MemInfoFile = fixtures + QStringLiteral("meminfo");
        SysInfoSources().KernelRelease = QStringLiteral("6.1.0-18-amd64");
        SysInfoSources().Machine = QStringLiteral("x86_64");
    }
    void TearDown() override { SysInfoSources() = m_saved; }

    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    TSysInfoSources m_saved;
    QTemporaryDir m_dir;
};

TEST_F(SysInfo, ProductNameFromOsRelease)
{
    EXPECT_EQ(GetWindowsProductName(QStringLiteral("Unknown")), QStringLiteral("Debian GNU/Linux 12 (bookworm)"));
    // The first file missing: the second is read.
    SysInfoSources().OsReleaseFiles = {m_dir.filePath(QStringLiteral("none")), fixtures + QStringLiteral("os-release")};
    EXPECT_EQ(GetWindowsProductName(QStringLiteral("x")), QStringLiteral("Debian GNU/Linux 12 (bookworm)"));
    SysInfoSources().OsReleaseFiles = {m_dir.filePath(QStringLiteral("none"))};
    EXPECT_EQ(GetWindowsProductName(QStringLiteral("既定")), QStringLiteral("既定"));
    SysInfoSources().OsReleaseFiles = {writeFile(QStringLiteral("bare"), "NAME=x\n")};
    EXPECT_EQ(GetWindowsProductName(QStringLiteral("既定")), QStringLiteral("既定"));
}

TEST_F(SysInfo, VersionTextCodes)
{
    const struct
    {
        int code;
        const char *text;
    } cases[] = {
        {0, "64ビット"}, {1, "0"},     {2, "6"}, {3, "1"}, {4, "Debian GNU/Linux 12 (bookworm)"},
        {5, "Linux"},    {6, "0.0"},   {7, "0"}, {8, "0"}, {9, "6.1.0"},
        {10, "既定"},    {-1, "既定"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(GetWindowsVersionText(c.code, QStringLiteral("既定")), QString::fromUtf8(c.text));
    }
    SysInfoSources().KernelRelease = QStringLiteral("5.10");
    EXPECT_EQ(GetWindowsVersionText(9, QString()), QStringLiteral("5.10.0"));
}

TEST_F(SysInfo, VersionTextWithoutKernelReleaseIsEmpty)
{
    SysInfoSources().KernelRelease = QStringLiteral("unknown");
    for (int code = 1; code <= 9; ++code) {
        SCOPED_TRACE(code);
        EXPECT_EQ(GetWindowsVersionText(code, QStringLiteral("既定")), QString());
    }
    // The bitness does not depend on the release.
    EXPECT_EQ(GetWindowsVersionText(0, QStringLiteral("既定")), QStringLiteral("64ビット"));
}

TEST_F(SysInfo, SystemBitnessByMachine)
{
    const struct
    {
        const char *machine;
        const char *text;
    } cases[] = {
        {"x86_64", "64ビット"}, {"aarch64", "64ビット"}, {"i686", "32ビット"},
        {"i386", "32ビット"},   {"armv7l", "32ビット"},  {"riscv128", "既定"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.machine);
        SysInfoSources().Machine = QString::fromLatin1(c.machine);
        EXPECT_EQ(GetWindowsVersionText(0, QStringLiteral("既定")), QString::fromUtf8(c.text));
    }
}

TEST_F(SysInfo, ExeBitnessFromElfHeader)
{
    QByteArray elf32(52, '\0');
    elf32.replace(0, 5,
                  QByteArray("\x7f"
                             "ELF\x01",
                             5));
    QByteArray pe(300, '\0');
    pe.replace(0, 2, "MZ");
    const struct
    {
        const char *name;
        QString path;
        const char *text;
    } cases[] = {
        {"this test", QCoreApplication::applicationFilePath(), "64ビット"},
        {"32-bit header", writeFile(QStringLiteral("elf32"), elf32), "32ビット"},
        {"3 bytes",
         writeFile(QStringLiteral("short"), QByteArray("\x7f"
                                                       "EL",
                                                       3)),
         "Unknown"},
        {"class 3",
         writeFile(QStringLiteral("odd"), QByteArray("\x7f"
                                                     "ELF\x03",
                                                     5)),
         "Unknown"},
        {"PE file", writeFile(QStringLiteral("pe.exe"), pe), "Unknown"},
        {"missing", m_dir.filePath(QStringLiteral("none")), "Unknown"},
        {"folder", m_dir.path(), "Unknown"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(GetExeBitness(c.path), QString::fromUtf8(c.text));
    }
}

TEST_F(SysInfo, UserGroupByRootAndAdminGroups)
{
    const struct
    {
        const char *name;
        unsigned euid;
        QStringList groups;
        bool readable;
        const char *text;
    } cases[] = {
        {"root", 0, {}, true, "Administrator"},
        {"sudo member", 1000, {"users", "sudo"}, true, "Administrator"},
        {"wheel member", 1000, {"wheel"}, true, "Administrator"},
        {"plain user", 1000, {"users", "sudoers"}, true, "Users"},
        {"unreadable", 1000, {}, false, "既定"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        SysInfoSources().UserGroups = [&c](unsigned &euid, QStringList &groups) {
            euid = c.euid;
            groups = c.groups;
            return c.readable;
        };
        EXPECT_EQ(GetUserGroupName(QStringLiteral("既定")), QString::fromUtf8(c.text));
    }
    // The system's own answer is one of the two names.
    SysInfoSources().UserGroups = nullptr;
    EXPECT_TRUE(QStringList({"Administrator", "Users"}).contains(GetUserGroupName(QString())));
}

TEST_F(SysInfo, PhysicalMemory)
{
    EXPECT_NEAR(GetPhysicalMemoryMB(), 15921.58, 0.005);
    SysInfoSources().MemInfoFile = writeFile(QStringLiteral("nomem"), "MemFree: 12 kB\n");
    EXPECT_EQ(GetPhysicalMemoryMB(), 0);
    SysInfoSources().MemInfoFile = m_dir.filePath(QStringLiteral("none"));
    EXPECT_EQ(GetPhysicalMemoryMB(), 0);
    // The kernel's own file (size 0 on disk) reads too.
    if (QFile::exists(QStringLiteral("/proc/meminfo"))) {
        SysInfoSources().MemInfoFile = QStringLiteral("/proc/meminfo");
        EXPECT_GT(GetPhysicalMemoryMB(), 0);
    }
}

TEST_F(SysInfo, FixedAnswers)
{
    EXPECT_EQ(GetUacStateText(), QStringLiteral("未実装"));
    EXPECT_FALSE(IsOSVersion6(true));
    EXPECT_FALSE(IsOSVersion6(false));
}

} // namespace
