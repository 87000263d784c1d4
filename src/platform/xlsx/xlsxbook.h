#pragma once

#include <QString>

#include <memory>

// A new .xlsx workbook, written through libxlsxwriter.
//
//   TXlsxWorkbook book(QStringLiteral("/home/u/一覧.xlsx"));
//   book.AddSheet();
//   book.WriteString(0, 0, QStringLiteral("オブジェクト名"));
//   book.Save();                       // raises Exception on failure
//
// Cells go to the last sheet added. In constant-memory mode (the default,
// for large data) only the current row is kept in memory: rows must be
// written top to bottom, and a cell of an earlier row is dropped. The file
// appears only when Save succeeds: it is written beside the target under a
// temporary name and then replaces it, so a failed save leaves an existing
// file as it was. A workbook destroyed without Save writes nothing.
class TXlsxWorkbook
{
public:
    explicit TXlsxWorkbook(const QString &fileName, bool constantMemory = true);
    ~TXlsxWorkbook();
    TXlsxWorkbook(const TXlsxWorkbook &) = delete;
    TXlsxWorkbook &operator=(const TXlsxWorkbook &) = delete;

    // The most rows and columns a sheet holds, and the longest text of a cell.
    static constexpr int MaxRows = 1048576;
    static constexpr int MaxColumns = 16384;
    static constexpr int MaxTextLength = 32767;

    QString FileName() const;

    // Adds a sheet; an empty name takes the default ("Sheet1", ...).
    void AddSheet(const QString &name = QString());
    // Row and column from 0. A text longer than a cell holds is cut.
    void WriteString(int row, int col, const QString &text);
    void WriteNumber(int row, int col, double value);
    // Width in characters of the default font.
    void SetColumnWidth(int col, double width);

    // Writes the file, creating missing folders of its path. Raises
    // Exception with the reason; the workbook is finished either way.
    void Save();

private:
    struct Private;
    std::unique_ptr<Private> d;
};
