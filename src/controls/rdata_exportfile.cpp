// The export loops over an open query: CSV file, INSERT script, clipboard text.
#include "controls/rdata_exporttext.h"

#include "core/zksub_files.h"
#include "platform/db/dbquery.h"
#include "platform/encoding/textencoding.h"
#include "platform/rtl/exceptions.h"

#include <QFileInfo>
#include <QSaveFile>

namespace {

constexpr qint64 CsvWriteEvery = 65536;
constexpr qint64 ProgressEvery = 1024;

// One ESC ends the whole export: IsEscapePressed reports a key only once.
class EscapeLatch
{
public:
    bool Pressed()
    {
        if (!m_pressed)
            m_pressed = IsEscapePressed();
        return m_pressed;
    }

private:
    bool m_pressed = false;
};

class ExportFile
{
public:
    ExportFile(const QString &fileName, const TEncoding *encoding)
        : m_file(fileName)
        , m_encoding(encoding)
    {
        if (!m_file.open(QIODevice::WriteOnly))
            throw Exception(m_file.errorString());
    }
    void WriteBytes(const QByteArray &bytes)
    {
        if (!bytes.isEmpty() && m_file.write(bytes) != bytes.size())
            throw Exception(m_file.errorString());
    }
    // Whole records only: a stateful encoding (UTF-7) then gives the same
    // bytes however the text is cut.
    void Write(QString &text)
    {
        WriteBytes(m_encoding->GetBytes(text));
        text.clear();
    }
    void Commit()
    {
        if (!m_file.commit())
            throw Exception(m_file.errorString());
    }

private:
    QSaveFile m_file;
    const TEncoding *m_encoding;
};

TzkExportRecord CurrentRecord(TFDQuery *query)
{
    TzkExportRecord record;
    const int count = query->FieldCount();
    record.reserve(count);
    for (int i = 0; i < count; ++i)
        record << ExportCell(query->Fields(i));
    return record;
}

QStringList DisplayNames(TFDQuery *query)
{
    QStringList names;
    for (int i = 0; i < query->FieldCount(); ++i)
        names << query->Fields(i)->DisplayName();
    return names;
}

void Report(const std::function<void(qint64, qint64)> &progress, qint64 n, qint64 total)
{
    if (progress)
        progress(n, total);
}

} // namespace

void WriteCsvFile(TFDQuery *query, const QString &fileName, const TzkCsvOptions &options, const TEncoding *encoding,
                  const std::function<void(qint64, qint64)> &progress)
{
    const QString lineEnd = options.lineFeedOnly ? QStringLiteral("\n") : QStringLiteral("\r\n");
    ExportFile file(fileName, encoding);
    if (encoding->kind() != TEncoding::UTF8)
        file.WriteBytes(encoding->GetPreamble());
    QString text;
    if (options.header)
        text = CsvHeaderLine(DisplayNames(query), lineEnd);
    query->Last();
    query->First();
    const qint64 total = query->RecordCount();
    EscapeLatch esc;
    qint64 j = 0;
    for (;;) {
        const bool end = query->Eof() || esc.Pressed();
        if (j % CsvWriteEvery == 0 || end)
            file.Write(text);
        if (end)
            break;
        if (j % ProgressEvery == 0)
            Report(progress, j, total);
        ++j;
        AppendCsvRecord(text, CurrentRecord(query), options.quoting, lineEnd);
        query->Next();
    }
    Report(progress, j, total);
    file.Commit();
}

void WriteInsertScript(TFDQuery *query, const QString &tableName, const QString &fileName, const TEncoding *encoding,
                       const std::function<void(qint64, qint64)> &progress)
{
    ExportFile file(fileName, encoding);
    file.WriteBytes(encoding->GetPreamble());
    QStringList columns;
    for (int i = 0; i < query->FieldCount(); ++i)
        columns << query->Fields(i)->FieldName();
    query->Last();
    query->First();
    const qint64 total = query->RecordCount();
    EscapeLatch esc;
    QString text;
    qint64 n = 0;
    while (!query->Eof() && !esc.Pressed()) {
        ++n;
        if (n % ProgressEvery == 0)
            Report(progress, n, total);
        text += InsertStatement(tableName, columns, CurrentRecord(query));
        text += QStringLiteral("\r\ngo\r\n");
        if (n % CsvWriteEvery == 0)
            file.Write(text);
        query->Next();
    }
    file.Write(text);
    Report(progress, n, total);
    file.Commit();
}

QString ClipboardText(TFDQuery *query, bool header, QChar separator,
                      const std::function<void(qint64, qint64)> &progress)
{
    QString text;
    if (header)
        text = ClipboardHeaderLine(DisplayNames(query), separator);
    EscapeLatch esc;
    query->Last();
    query->First();
    const qint64 total = query->RecordCount();
    // A first pass sizes the text, so it is built in one buffer; an ESC
    // there ends the copy before any record is taken.
    qsizetype size = text.size() + 1;
    const int fields = query->FieldCount();
    while (!query->Eof() && !esc.Pressed()) {
        size += fields + 4;
        for (int i = 0; i < fields; ++i)
            size += 2 * query->Fields(i)->AsString().size();
        query->Next();
    }
    text.reserve(size);
    query->First();
    qint64 n = 0;
    while (!query->Eof() && !esc.Pressed()) {
        ++n;
        if (n % ProgressEvery == 0)
            Report(progress, n, total);
        AppendClipboardRecord(text, CurrentRecord(query), separator);
        query->Next();
    }
    Report(progress, n, total);
    return text;
}
