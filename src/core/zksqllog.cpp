#include "core/zksqllog.h"

#include "core/zkoption.h"
#include "core/zksub.h"
#include "core/zksub_files.h"
#include "core/zksub_text.h"
#include "platform/encoding/textencoding.h"
#include "platform/rtl/exceptions.h"

#include <QDir>
#include <QSet>

namespace {

const QString kSQLLogIndex = QStringLiteral("SQLLOG.IDX");
const QString kSQLLogFIndex = QStringLiteral("SQLLOGF.IDX");

QStringList readIndex(const QString &fileName)
{
    try {
        return TextToList(ReadTextFile(zkOption.TempDir + fileName, GetFileEncoding()));
    } catch (const std::exception &) {
        return {};
    }
}

void forceTempDir()
{
    if (!zkOption.TempDir.isEmpty() && !QDir().mkpath(zkOption.TempDir))
        throw Exception(QStringLiteral("フォルダ %1 を作成できません。").arg(zkOption.TempDir));
}

void writeLines(const QString &fileName, const QStringList &lines)
{
    WriteTextFile(zkOption.TempDir + fileName, ListToText(lines), GetFileEncoding(), true);
}

} // namespace

void LoadSQLLogLists()
{
    SQLLogList = readIndex(kSQLLogIndex);
    SQLLogFList = readIndex(kSQLLogFIndex);
}

void WriteSQLLogIndex()
{
    forceTempDir();
    writeLines(kSQLLogIndex, SQLLogList);
}

void WriteSQLLogFIndex()
{
    forceTempDir();
    writeLines(kSQLLogFIndex, SQLLogFList);
}

void WriteSQLLogIndexes()
{
    WriteSQLLogIndex();
    WriteSQLLogFIndex();
}

void WriteSQLLogFile(const QString &FileName, const QString &Text)
{
    writeLines(FileName, TextToList(Text));
}

void AddSQLLog(const QString &Text)
{
    const int buf = zkOption.SQLBuf;
    if (buf <= 0)
        return;
    // All surplus entries go, so a lowered SQLBuf never leaves every number
    // taken and the run unrecorded. Their files stay.
    while (SQLLogList.size() >= buf)
        SQLLogList.removeLast();
    forceTempDir();
    QSet<QString> taken;
    for (const QString &entry : std::as_const(SQLLogList))
        taken.insert(entry.toUpper());
    for (int n = 1; n <= buf; ++n) {
        const QString name = QStringLiteral("SQLLOG%1.SQL").arg(n);
        if (taken.contains(name))
            continue;
        SQLLogList.prepend(name);
        WriteSQLLogFile(name, Text);
        writeLines(kSQLLogIndex, SQLLogList);
        return;
    }
}

QString SQLLogFFileName(const QString &Entry)
{
    const int at = Entry.indexOf(QLatin1String(".SQL"));
    return at < 0 ? QString() : Entry.left(at + 4);
}

QString SQLLogFName(const QString &Entry)
{
    const int at = Entry.indexOf(QLatin1String(".SQL"));
    return at < 0 ? TrimBlanks(Entry) : TrimBlanks(Entry.mid(at + 5));
}

QString ReadSQLLogFile(const QString &FileName)
{
    if (FileName.isEmpty())
        return {};
    try {
        return ReadTextFile(zkOption.TempDir + FileName, GetFileEncoding());
    } catch (const std::exception &) {
        return {};
    }
}

QString SQLLogOneLine(const QString &Text)
{
    return TextToList(Text).join(QLatin1Char(' '));
}

void RegistSQLLogFavorites(const QStringList &HistoryEntries)
{
    forceTempDir();
    for (qsizetype i = HistoryEntries.size() - 1; i >= 0; --i) {
        const QString all = SQLLogFList.join(QLatin1Char('\n'));
        int n = 1;
        while (all.contains(QStringLiteral("SQLLOGF%1.SQL").arg(n)))
            ++n;
        const QString name = QStringLiteral("SQLLOGF%1.SQL").arg(n);
        const QString text = ReadTextFile(zkOption.TempDir + HistoryEntries.at(i), GetFileEncoding());
        WriteSQLLogFile(name, text);
        SQLLogFList.prepend(name + QStringLiteral(" お気に入りSQL"));
        writeLines(kSQLLogFIndex, SQLLogFList);
    }
}
