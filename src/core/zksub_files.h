#pragma once

#include "platform/rtl/datetime.h"

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QStringList>
#include <QVariant>

class QFontMetrics;
class QWidget;
class TEncoding;
class TzkStrEdit;

// File, encoding, process and interface utilities of the core.

// --- Files and folders -----------------------------------------------------

bool DirExists(const QString &dir);
// Creates the folder and its missing parents; true when it exists afterwards.
bool ForceDir(const QString &dir);

// The name without / * ? \ : < > " | — for file names built from server,
// database, schema and object names. A result of "." or ".." would name a
// folder instead of a file and is refused with an Exception.
QString RemoveInvalidFileChars(const QString &name);

// The extension of the file-name part, from its last dot, with the dot;
// empty when there is none.
QString ExtractFileExt(const QString &fileName);

// `fileName` when nothing of that name exists; otherwise the first free
// name of the form <name without extension><nn><extension>, counting from 01
// (two digits at least, and on past 99).
QString MakeUniqueFileName(const QString &fileName);

// True when the extension, in lower case, is one of the 54 the save dialogs
// keep as typed (office documents, text, sql, csv, web, images, media,
// archives, programs, ini, dmp, log, lst, bak and ".zkmcr").
bool HasKnownFileExt(const QString &fileName);

// --- Encodings ---------------------------------------------------------------

// The encoding of an Encoding option value (its low byte): 1 UTF-7, 2 UTF-8,
// 3 UTF-16 LE, 4 UTF-16 BE, anything else the ANSI code page (CP932).
const TEncoding *EncodingFromOption(int value);
// The encoding of every text file the program writes and reads with the
// chosen encoding: by the option Encoding.
const TEncoding *GetFileEncoding();

// The system's ANSI code page (CP932) form of the text; the array's data is
// zero-terminated.
QByteArray StrToAnsiBuffer(const QString &text);

// Half-width and full-width forms of the text (kana, ASCII, the blank).
QString ToFullWidth(const QString &text);
QString ToHalfWidth(const QString &text);

// --- Processes and the internet ---------------------------------------------

// Ends a spreadsheet automation session. There is no such session here (the
// workbooks are written directly), so it only clears the handle.
void CloseExcelApp(QVariant &excel);

// The id of the process that owns the window: ours for our own windows, 0
// for none.
qint64 GetWindowProcessId(const QWidget *window);

bool IsInternetConnected();

struct TzkUrlInfo
{
    TDateTime LastModified = 0; // local time
    qint64 Size = 0;
};
// The Last-Modified time (local) and Content-Length of a URL; (0, 0) when
// either is unknown or the server cannot be reached. Never raises.
TzkUrlInfo GetUrlInfo(const QString &url);

// A UTC time as a local date-time value; 0 for an invalid time.
TDateTime SystemTimeToLocalDateTime(const QDateTime &utc);

// --- Interface helpers -------------------------------------------------------

// True when the user pressed ESC in the active window since the last look.
// Long loops in the main thread call it between items: it delivers the
// waiting events (so windows repaint) with every other user input dropped.
// False when no window is active. Also true once after ESC cancelled a
// statement: the statement's wait took that key, so a loop over statements
// stops as if it had seen it.
bool IsEscapePressed();
// ESC cancelled a statement (the core hears of it from the database layer's
// wait). Loops read it through IsEscapePressed.
void SetEscapeLatch();
// Forgets an ESC latched before a loop starts, so that an earlier cancelled
// statement does not stop it.
void ResetEscapeLatch();

// A control with a pending edit that it can commit on request (a grid's
// in-place editor); ExitActiveControl finds it among the focused widget and
// its parents.
class IzkEditCommit
{
public:
    virtual ~IzkEditCommit() = default;
    virtual void CommitEdit() = 0;
};

// Commits the pending edit of the focused control before a command reads the
// controls: an IzkEditCommit among the focus widget and its parents, or the
// open cell editor of an item view. Nothing happens without a focus widget.
void ExitActiveControl();

// What FindInListView needs of a list view.
class IzkSearchableList
{
public:
    virtual ~IzkSearchableList() = default;
    virtual int ItemCount() const = 0;
    // The first selected item, -1 when none.
    virtual int SelectedIndex() const = 0;
    virtual QString ItemCaption(int index) const = 0;
    // The item's first sub-item; empty when it has none.
    virtual QString ItemFirstSubItem(int index) const = 0;
    // Clears the selection, selects the item and scrolls it to the top row.
    virtual void ShowFoundItem(int index) = 0;
};

// Focuses the edit and selects the next item after the selected one (from
// the first when none is selected, wrapping round) whose caption or first
// sub-item contains the edit's text, compared in upper case; tells the user
// "検索対象が見つかりませんでした。" when none does. Nothing for an empty text.
void FindInListView(TzkStrEdit *edit, IzkSearchableList *list);

// The colour dialog, with the sixteen custom colours kept under COLORS of the
// settings root (written back whatever the user chose). True, with `color`
// set, when the user chose a colour.
bool PickColor(QWidget *owner, QColor &color);

// What AutoSizeGridColumn needs of a string grid.
class IzkSizableGrid
{
public:
    virtual ~IzkSizableGrid() = default;
    virtual int RowCount() const = 0;
    virtual QString CellText(int col, int row) const = 0;
    virtual QFontMetrics GridFontMetrics() const = 0;
    virtual int GridWidth() const = 0;
    virtual void SetColumnWidth(int col, int width) = 0;
};

// Sizes a column to its widest text (in half-width cells, as wide as that
// many "M"): at least 100 pixels, and a wider column at most a third of the
// grid.
void AutoSizeGridColumn(IzkSizableGrid *grid, int col);
