#include "platform/sysinfo/sysinfo.h"

#include <QFile>
#include <QRegularExpression>

#include <grp.h>
#include <malloc.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <vector>

namespace {

QString unameField(bool machine)
{
    struct utsname info;
    if (uname(&info) != 0)
        return QString();
    return QString::fromLocal8Bit(machine ? info.machine : info.release);
}

QString kernelRelease()
{
    const QString &given = SysInfoSources().KernelRelease;
    return given.isEmpty() ? unameField(false) : given;
}

QString machineName()
{
    const QString &given = SysInfoSources().Machine;
    return given.isEmpty() ? unameField(true) : given;
}

struct TKernelVersion
{
    QString Major, Minor, Build;
};

// "6.1.0-18-amd64": major 6, minor 1, build 0. A release without a third
// number has build 0.
bool readKernelVersion(TKernelVersion &version)
{
    static const QRegularExpression re(QStringLiteral("^(\\d+)\\.(\\d+)(?:\\.(\\d+))?"));
    const QRegularExpressionMatch m = re.match(kernelRelease());
    if (!m.hasMatch())
        return false;
    auto plain = [](const QString &digits) { return QString::number(digits.toULongLong()); };
    version.Major = plain(m.captured(1));
    version.Minor = plain(m.captured(2));
    version.Build = m.captured(3).isEmpty() ? QStringLiteral("0") : plain(m.captured(3));
    return true;
}

bool systemUserGroups(unsigned &euid, QStringList &groups)
{
    euid = geteuid();
    const int count = getgroups(0, nullptr);
    if (count < 0)
        return false;
    std::vector<gid_t> ids(size_t(count) + 1);
    const int read = getgroups(int(ids.size()), ids.data());
    if (read < 0)
        return false;
    ids.resize(size_t(read));
    ids.push_back(getegid());
    for (gid_t id : ids)
        if (const group *g = getgrgid(id))
            groups.append(QString::fromLocal8Bit(g->gr_name));
    return true;
}

} // namespace

TSysInfoSources &SysInfoSources()
{
    static TSysInfoSources sources;
    return sources;
}

QString GetWindowsProductName(const QString &Default)
{
    for (const QString &name : std::as_const(SysInfoSources().OsReleaseFiles)) {
        QFile file(name);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        while (!file.atEnd()) {
            const QString line = QString::fromUtf8(file.readLine()).trimmed();
            if (!line.startsWith(QLatin1String("PRETTY_NAME=")))
                continue;
            QString value = line.mid(12).trimmed();
            if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
                value = value.mid(1, value.size() - 2);
            value.replace(QLatin1String("\\\""), QLatin1String("\""));
            return value.isEmpty() ? Default : value;
        }
        // The first readable file is the one that counts, as os-release says.
        return Default;
    }
    return Default;
}

QString GetWindowsVersionText(int Code, const QString &Default)
{
    if (Code == 0) {
        static const QStringList bits64 = {QStringLiteral("x86_64"), QStringLiteral("aarch64"),
                                           QStringLiteral("arm64")};
        static const QRegularExpression bits32(QStringLiteral("^(i[3-6]86|armv[5-7].*|arm)$"));
        const QString machine = machineName();
        if (bits64.contains(machine))
            return QStringLiteral("64ビット");
        if (bits32.match(machine).hasMatch())
            return QStringLiteral("32ビット");
        return Default;
    }
    if (Code < 0 || Code > 9)
        return Default;
    TKernelVersion v;
    if (!readKernelVersion(v))
        return QString();
    switch (Code) {
    case 1: return v.Build;
    case 2: return v.Major;
    case 3: return v.Minor;
    case 4: return GetWindowsProductName(QStringLiteral("Unknown"));
    case 5: return QStringLiteral("Linux");
    // Linux has no service packs: the texts of a system without one.
    case 6: return QStringLiteral("0.0");
    case 7:
    case 8: return QStringLiteral("0");
    default: return v.Major + u'.' + v.Minor + u'.' + v.Build;
    }
}

QString GetExeBitness(const QString &FileName)
{
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("Unknown");
    const QByteArray head = file.read(5);
    if (head.size() == 5
        && head.startsWith("\x7f"
                           "ELF")) {
        if (head.at(4) == 1)
            return QStringLiteral("32ビット");
        if (head.at(4) == 2)
            return QStringLiteral("64ビット");
    }
    return QStringLiteral("Unknown");
}

QString GetUserGroupName(const QString &Default)
{
    unsigned euid = 0;
    QStringList groups;
    const auto &given = SysInfoSources().UserGroups;
    if (!(given ? given(euid, groups) : systemUserGroups(euid, groups)))
        return Default;
    if (euid == 0 || groups.contains(QLatin1String("sudo")) || groups.contains(QLatin1String("wheel")))
        return QStringLiteral("Administrator");
    return QStringLiteral("Users");
}

QString GetUacStateText()
{
    return QStringLiteral("未実装");
}

double GetPhysicalMemoryMB()
{
    QFile file(SysInfoSources().MemInfoFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return 0;
    static const QRegularExpression re(QStringLiteral("^MemTotal:\\s*(\\d+)\\s*kB"));
    // A /proc file has no size, so atEnd() can hold before the first read:
    // read until a line comes back empty instead.
    for (QByteArray line = file.readLine(); !line.isEmpty(); line = file.readLine()) {
        const QRegularExpressionMatch m = re.match(QString::fromLatin1(line));
        if (m.hasMatch())
            return m.captured(1).toDouble() / 1024.0;
    }
    return 0;
}

bool IsOSVersion6(bool AtLeast)
{
    Q_UNUSED(AtLeast)
    return false;
}

void ReleaseFreedMemory()
{
    malloc_trim(0);
}
