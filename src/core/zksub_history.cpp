#include "core/zksub_history.h"
#include "core/zkwaitcursor.h"

#include "core/zkoption.h"
#include "core/zksub.h"
#include "core/zksub_files.h"
#include "platform/encoding/textencoding.h"
#include "platform/process/runner.h"
#include "platform/rtl/exceptions.h"

#include <QApplication>
#include <QFileInfo>

namespace {

constexpr int kWhereHistoryMax = 20;
const QString kWhereSection = QStringLiteral("WHERE");

QString historyKey(int i)
{
    return QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0'));
}

QString workFolder()
{
    // Before the settings are loaded the option is empty: use its default.
    QString dir =
        zkOption.TempDir.isEmpty() && !DataPath.isEmpty() ? DataPath + QStringLiteral("temp/") : zkOption.TempDir;
    if (!dir.isEmpty() && !dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

} // namespace

// --- TzkIniFile ------------------------------------------------------------------

TzkIniFile::TzkIniFile(const QString &fileName, const TEncoding *encoding)
    : m_fileName(fileName)
    , m_encoding(encoding)
{
    if (!QFileInfo::exists(fileName))
        return;
    QString text;
    try {
        text = ReadTextFile(fileName, encoding);
    } catch (const Exception &) {
        return;
    }
    Section *current = nullptr;
    for (QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QStringView trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')))
            continue;
        if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
            const QString name = trimmed.mid(1, trimmed.size() - 2).trimmed().toString();
            current = findSection(name);
            if (!current) {
                m_sections.append({name, {}});
                current = &m_sections.last();
            }
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (!current || eq < 0)
            continue;
        const QString name = line.left(eq).trimmed().toString();
        const QString value = line.mid(eq + 1).trimmed().toString();
        bool replaced = false;
        for (auto &entry : current->values) {
            if (entry.first.compare(name, Qt::CaseInsensitive) == 0) {
                entry.second = value;
                replaced = true;
                break;
            }
        }
        if (!replaced)
            current->values.append({name, value});
    }
}

TzkIniFile::Section *TzkIniFile::findSection(const QString &name)
{
    for (Section &s : m_sections) {
        if (s.name.compare(name, Qt::CaseInsensitive) == 0)
            return &s;
    }
    return nullptr;
}

const TzkIniFile::Section *TzkIniFile::findSection(const QString &name) const
{
    return const_cast<TzkIniFile *>(this)->findSection(name);
}

QString TzkIniFile::ReadString(const QString &section, const QString &name, const QString &def) const
{
    if (const Section *s = findSection(section)) {
        for (const auto &entry : s->values) {
            if (entry.first.compare(name, Qt::CaseInsensitive) == 0)
                return entry.second;
        }
    }
    return def;
}

void TzkIniFile::WriteString(const QString &section, const QString &name, const QString &value)
{
    QString oneLine = value;
    oneLine.replace(QLatin1String("\r\n"), QLatin1String(" "));
    oneLine.replace(QLatin1Char('\r'), QLatin1Char(' '));
    oneLine.replace(QLatin1Char('\n'), QLatin1Char(' '));
    Section *s = findSection(section);
    if (!s) {
        m_sections.append({section, {}});
        s = &m_sections.last();
    }
    for (auto &entry : s->values) {
        if (entry.first.compare(name, Qt::CaseInsensitive) == 0) {
            entry.second = oneLine;
            return;
        }
    }
    s->values.append({name, oneLine});
}

void TzkIniFile::UpdateFile() const
{
    QString text;
    for (const Section &s : m_sections) {
        if (!text.isEmpty())
            text += QLatin1String("\r\n");
        text += QLatin1Char('[') + s.name + QLatin1String("]\r\n");
        for (const auto &entry : s.values)
            text += entry.first + QLatin1Char('=') + entry.second + QLatin1String("\r\n");
    }
    WriteTextFile(m_fileName, text, m_encoding, true);
}

// --- WHERE history -----------------------------------------------------------------

QString WhereHistoryFileName(const QString &server, const QString &database, const QString &schema,
                             const QString &objectName)
{
    return workFolder()
           + RemoveInvalidFileChars(server + QLatin1Char('.') + database + QLatin1Char('.') + schema + QLatin1Char('.')
                                    + objectName + QLatin1String(".ini"));
}

void LoadWhereHistory(const QString &server, const QString &database, const QString &schema, const QString &objectName,
                      QStringList &list)
{
    list.clear();
    if (objectName.isEmpty())
        return;
    ForceDir(workFolder());
    const TzkIniFile ini(WhereHistoryFileName(server, database, schema, objectName), GetFileEncoding());
    for (int i = 0; i < kWhereHistoryMax; ++i) {
        const QString text = ini.ReadString(kWhereSection, historyKey(i), QString());
        if (!text.isEmpty())
            list << text;
    }
}

void SaveWhereHistory(const QString &server, const QString &database, const QString &schema, const QString &objectName,
                      const QStringList &list)
{
    if (!ForceDir(workFolder()))
        throw Exception(QStringLiteral("フォルダ \"%1\" を作成できません。").arg(workFolder()));
    TzkIniFile ini(WhereHistoryFileName(server, database, schema, objectName), GetFileEncoding());
    const int count = qMin<int>(list.size(), kWhereHistoryMax);
    for (int i = 0; i < count; ++i)
        ini.WriteString(kWhereSection, historyKey(i), list.at(i));
    ini.UpdateFile();
}

// --- Command runner ------------------------------------------------------------------

bool RunCommandToMemo(const QString &commandLine, IzkLineSink *memo)
{
    TSQLWaitCursor busy;
    return RunCommandLines(commandLine, [memo](const QString &line) {
        if (memo)
            memo->AddLine(line);
    });
}

QString GetShortPath(const QString &path)
{
    if (path.isEmpty() || !QFileInfo::exists(path))
        return {};
    QString out = path;
    if (!out.endsWith(QLatin1Char('/')))
        out += QLatin1Char('/');
    bool blank = false;
    for (const QChar c : out)
        blank = blank || c.isSpace();
    return blank ? QLatin1Char('"') + out + QLatin1Char('"') : out;
}
