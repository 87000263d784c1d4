#include "platform/xlsx/xlsxbook.h"
#include "platform/xlsx/xlsxbook_p.h"

#include "platform/rtl/exceptions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <xlsxwriter.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

xlsxbook_detail::RenameFunction xlsxbook_detail::renameFile = &std::rename;

namespace {

QString reason(lxw_error error)
{
    return QString::fromUtf8(lxw_strerror(error));
}

} // namespace

struct TXlsxWorkbook::Private
{
    QString fileName;
    QString tempName;
    QByteArray tempPath; // kept alive: the library holds the pointer
    lxw_workbook *book = nullptr;
    lxw_worksheet *sheet = nullptr;

    void check(lxw_error error, int row, int col) const
    {
        if (error == LXW_NO_ERROR)
            return;
        if (error == LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE)
            throw Exception(QStringLiteral("Excelのシートに書き込める範囲（%1行、%2列）を超えています。")
                                .arg(TXlsxWorkbook::MaxRows)
                                .arg(TXlsxWorkbook::MaxColumns));
        throw Exception(QStringLiteral("Excelファイルのセル(%1, %2)に書き込めません。\n%3")
                            .arg(row + 1)
                            .arg(col + 1)
                            .arg(reason(error)));
    }
};

TXlsxWorkbook::TXlsxWorkbook(const QString &fileName, bool constantMemory)
    : d(std::make_unique<Private>())
{
    d->fileName = QFileInfo(fileName).absoluteFilePath();
    const QFileInfo target(d->fileName);
    d->tempName = target.absolutePath() + QStringLiteral("/.~")
                  + QString::number(QRandomGenerator::global()->generate(), 16) + QLatin1Char('~') + target.fileName();
    d->tempPath = QFile::encodeName(d->tempName);
    lxw_workbook_options options = {};
    options.constant_memory = constantMemory ? LXW_TRUE : LXW_FALSE;
    options.use_zip64 = LXW_TRUE;
    d->book = workbook_new_opt(d->tempPath.constData(), &options);
    if (!d->book)
        throw Exception(QStringLiteral("Excelファイルを作成できません。\n") + d->fileName);
}

TXlsxWorkbook::~TXlsxWorkbook()
{
    if (d->book)
        lxw_workbook_free(d->book);
    QFile::remove(d->tempName);
}

QString TXlsxWorkbook::FileName() const
{
    return d->fileName;
}

void TXlsxWorkbook::AddSheet(const QString &name)
{
    if (!d->book)
        throw Exception(QStringLiteral("Excelファイルは既に保存されています。"));
    const QByteArray utf8 = name.toUtf8();
    lxw_worksheet *sheet = workbook_add_worksheet(d->book, name.isEmpty() ? nullptr : utf8.constData());
    if (!sheet)
        throw Exception(QStringLiteral("シート名が正しくありません: ") + name);
    d->sheet = sheet;
}

void TXlsxWorkbook::WriteString(int row, int col, const QString &text)
{
    if (!d->sheet)
        AddSheet();
    if (text.isEmpty())
        return; // an empty text is an empty cell
    QString cell = text.left(MaxTextLength);
    // A surrogate pair cut in half would not be valid UTF-8.
    if (cell.size() < text.size() && cell.back().isHighSurrogate())
        cell.chop(1);
    d->check(worksheet_write_string(d->sheet, lxw_row_t(row), lxw_col_t(col), cell.toUtf8().constData(), nullptr), row,
             col);
}

void TXlsxWorkbook::WriteNumber(int row, int col, double value)
{
    if (!d->sheet)
        AddSheet();
    d->check(worksheet_write_number(d->sheet, lxw_row_t(row), lxw_col_t(col), value, nullptr), row, col);
}

void TXlsxWorkbook::SetColumnWidth(int col, double width)
{
    if (!d->sheet)
        AddSheet();
    d->check(worksheet_set_column(d->sheet, lxw_col_t(col), lxw_col_t(col), width, nullptr), 0, col);
}

void TXlsxWorkbook::Save()
{
    if (!d->book)
        throw Exception(QStringLiteral("Excelファイルは既に保存されています。"));
    if (!d->sheet)
        AddSheet();
    const QFileInfo target(d->fileName);
    if (!QDir().mkpath(target.absolutePath())) {
        throw Exception(QStringLiteral("フォルダを作成できません。\n") + target.absolutePath());
    }
    lxw_workbook *book = d->book;
    d->book = nullptr;
    d->sheet = nullptr;
    const lxw_error error = workbook_close(book); // frees the workbook in every case
    if (error != LXW_NO_ERROR) {
        QFile::remove(d->tempName);
        throw Exception(QStringLiteral("Excelファイルを保存できません。\n") + d->fileName + QLatin1Char('\n')
                        + reason(error));
    }
    // One rename over the old file: a failure leaves the old workbook as
    // it was, never a moment without one.
    if (xlsxbook_detail::renameFile(d->tempPath.constData(), QFile::encodeName(d->fileName).constData()) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(d->tempName);
        throw Exception(QStringLiteral("ファイルを上書きできません。\n") + d->fileName + QLatin1Char('\n') + why);
    }
}
