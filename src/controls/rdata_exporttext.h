#pragma once

// The texts the result exports write: CSV lines, clipboard lines and INSERT
// statements, built from one record's values so that they can be checked
// without a window or a file.
//
//   QString out = CsvHeaderLine(titles, QStringLiteral("\r\n"));
//   AppendCsvRecord(out, cells, csvQuoteNeeded, QStringLiteral("\r\n"));

#include "platform/db/dbtypes.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class TField;

// One value of a record as the exports read it: the field definition's type,
// whether it is NULL and its text form (empty for NULL).
struct TzkExportCell
{
    TFieldType type = ftUnknown;
    bool isNull = false;
    QString text;
};
using TzkExportRecord = QList<TzkExportCell>;

// The current record of the fields' data set.
TzkExportCell ExportCell(TField *field);

// CSV quoting choices (the option CSVQuotation).
enum TzkCsvQuoting { csvQuoteAll = 0, csvQuoteText = 1, csvQuoteNeeded = 2 };

// The value in double quotes, embedded double quotes doubled.
QString CsvQuoted(const QString &value);
// Whether a value is quoted under the quoting choice; any choice but 0 and 2
// quotes the values of text and GUID columns.
bool CsvNeedsQuotes(const QString &value, TFieldType type, int quoting);
// The title line: every title quoted, whatever the quoting choice.
QString CsvHeaderLine(const QStringList &titles, const QString &lineEnd);
// Appends one record: binary values empty, the rest by the quoting choice.
void AppendCsvRecord(QString &out, const TzkExportRecord &record, int quoting, const QString &lineEnd);

// The clipboard's title line: titles unquoted, CR LF at the end.
QString ClipboardHeaderLine(const QStringList &titles, QChar separator);
// Appends one record with CR LF: binary and GUID values empty; a value with a
// tab, a line break or a double quote is quoted as the grid's copy does.
void AppendClipboardRecord(QString &out, const TzkExportRecord &record, QChar separator);

// The value an INSERT statement writes for a cell: NULL, a number, 1 or 0 for
// bit, '…' or N'…' (texts cut at their first NUL); binary and GUID give NULL.
QString InsertValueText(const TzkExportCell &cell);
// Each part of a dotted table name through BracketName; dots inside
// brackets or double quotes do not split.
QString InsertTableName(const QString &name);
// "INSERT INTO table (columns) VALUES (values)" with the columns bracketed.
QString InsertStatement(const QString &tableName, const QStringList &columns, const TzkExportRecord &record);

// The object name of a FROM item as the user wrote it, read from the
// statement with brackets and quotes kept whole ("[Order Details]",
// dbo."a b"): the name at the first FROM outside literals, comments,
// brackets and quotes. Empty when none can be read.
QString FirstFromName(const QString &sql);

// --- Writers over an open query (no dialogs) --------------------------------------

class TFDQuery;
class TEncoding;

struct TzkCsvOptions
{
    bool header = true;
    int quoting = csvQuoteAll;
    bool lineFeedOnly = false;
};

// Reads the query from its first record to its last (or an ESC) and writes
// the CSV file, replaced only once it is complete, in `encoding` behind its
// byte-order mark (none for UTF-8). The text is written every 65,536
// records, cut only at record ends. `progress` is told the count every 1,024
// records. Raises Exception when the file cannot be written.
void WriteCsvFile(TFDQuery *query, const QString &fileName, const TzkCsvOptions &options, const TEncoding *encoding,
                  const std::function<void(qint64, qint64)> &progress = {});

// The INSERT script: two lines per record ("INSERT INTO …" and "go"), each
// ended by CR LF, behind the encoding's byte-order mark (UTF-8 too),
// streamed to the file, which is replaced once it is complete. Raises
// Exception when the file cannot be written.
void WriteInsertScript(TFDQuery *query, const QString &tableName, const QString &fileName, const TEncoding *encoding,
                       const std::function<void(qint64, qint64)> &progress = {});

// The clipboard text of every record (or up to an ESC), the title line
// first when `header`.
QString ClipboardText(TFDQuery *query, bool header, QChar separator,
                      const std::function<void(qint64, qint64)> &progress = {});
