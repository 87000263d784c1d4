#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Short descriptions of the machine for the support information. Every
// routine returns display text and never raises: a failure gives the
// caller's default or the routine's own fallback.
//
// There is no start-up version record here: IsOSVersion6 answers without
// one, so nothing reads such a record.

// Where the routines read the machine. Tests point them at fixtures; empty
// kernel texts and an unset UserGroups mean "ask the system".
struct TSysInfoSources
{
    QStringList OsReleaseFiles{QStringLiteral("/etc/os-release"), QStringLiteral("/usr/lib/os-release")};
    QString MemInfoFile = QStringLiteral("/proc/meminfo");
    QString KernelRelease; // uname's release, e.g. "6.1.0-18-amd64"
    QString Machine;       // uname's machine, e.g. "x86_64"
    // The effective user id and the names of the user's groups; false when
    // they cannot be read.
    std::function<bool(unsigned &euid, QStringList &groups)> UserGroups;
};
TSysInfoSources &SysInfoSources();

// PRETTY_NAME of os-release; Default when no file gives one.
QString GetWindowsProductName(const QString &Default);
// 0 the system's bitness, 1 build, 2 major, 3 minor (from the kernel
// release), 4 the product name, 5 "Linux", 6 service pack "0.0", 7 and 8
// "0", 9 major.minor.build. Codes 1 to 9 give an empty text when the kernel
// release cannot be read; anything else that fails gives Default.
QString GetWindowsVersionText(int Code, const QString &Default);
// "32ビット" or "64ビット" by the ELF header's class; "Unknown" otherwise.
QString GetExeBitness(const QString &FileName);
// "Administrator" for root or a member of "sudo" or "wheel", else "Users";
// Default when the groups cannot be read.
QString GetUserGroupName(const QString &Default);
// There is no UAC: always "未実装".
QString GetUacStateText();
// MemTotal in MB; 0 when it cannot be read.
double GetPhysicalMemoryMB();
// No Windows version applies: false for both questions.
bool IsOSVersion6(bool AtLeast);

// Hands the heap's free pages back to the system. glibc keeps what a closed
// window freed (a 300,000-item list is some 190 MB) as the process's own
// until then.
void ReleaseFreedMemory();
