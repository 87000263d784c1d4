#pragma once

#include <QList>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QVariant>

class QFont;
class QWidget;

// The program's message boxes and small dialogs. Every caption is the
// application title.

// Message-box flags, combined by the callers: buttons, icon, default button.
constexpr int MB_OK = 0x0;
constexpr int MB_OKCANCEL = 0x1;
constexpr int MB_ABORTRETRYIGNORE = 0x2;
constexpr int MB_YESNOCANCEL = 0x3;
constexpr int MB_YESNO = 0x4;
constexpr int MB_RETRYCANCEL = 0x5;
constexpr int MB_ICONERROR = 0x10;
constexpr int MB_ICONQUESTION = 0x20;
constexpr int MB_ICONWARNING = 0x30;
constexpr int MB_ICONINFORMATION = 0x40;
constexpr int MB_DEFBUTTON1 = 0x000;
constexpr int MB_DEFBUTTON2 = 0x100;
constexpr int MB_DEFBUTTON3 = 0x200;
constexpr int MB_DEFBUTTON4 = 0x300;

// Results. Closing a box by its window (Esc, Alt+F4, the close button) gives
// IDCANCEL, whatever buttons it has.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// One check box of a dialog: its caption and the caller's variable, which
// gives the box's first state and receives its last.
struct TzkCheckItem
{
    QString Caption;
    bool *Value = nullptr;
};
using TzkCheckList = QList<TzkCheckItem>;

// Processes the pending events, then shows the text with the flags' buttons
// (OK Cancel / Abort Retry Ignore / Yes No Cancel / Yes No / Retry Cancel, in
// that order on screen), icon and default button. Returns the ID of the
// button pressed.
int ShowAppMessage(const QString &text, int flags);

// Formats the text with the arguments, then ShowAppMessage.
int ShowAppMessageFmt(const QString &format, const QVariantList &args, int flags);

// The run-time library's Format: "%" [index ":"] ["-"] [width] ["." prec]
// type, with the types d, u, x, e, f, g, n and s, "*" for a width or
// precision taken from the arguments, and "%%". Raises Exception on a format
// that does not match its arguments.
QString FormatText(const QString &format, const QVariantList &args);

// A message dialog with one check box under the text per item. Its buttons
// are made in the order Yes, No, OK, Cancel, Abort, Retry, Ignore (so Retry
// and Cancel show as Cancel, Retry), and the flags' default button counts in
// that order. Without an icon flag it shows the information icon.
// `buttonCaptions`, when given, renames the buttons in that order, as far as
// the list reaches. Every check state is written back, whatever closed the
// dialog. Returns the ID of the button pressed.
int ShowCheckMessage(const QString &text, int flags, const TzkCheckList &checks,
                     const QStringList *buttonCaptions = nullptr);

// Asks for one value: a text (at most 255 characters) or, with `numeric`, a
// number (TzkNumEdit, at most 9 characters). With owners, a combo box
// "コピー先所有者" offers them, preset to `owner` when it is among them; an
// owner typed into it counts too. On OK writes `value`, `owner` (when there
// were owners) and the check states back and returns true; on cancel changes
// nothing.
bool InputQueryDialog(const QString &caption, const QString &prompt, QString &value, const TzkCheckList &checks,
                      const QStringList &owners, QString &owner, bool numeric);

// Asks for a source and a target database name ("コピー元DB", "コピー先DB");
// on OK writes both back and returns true.
bool ShowCopyDatabaseDialog(const QString &caption, const QString &prompt, QString &source, QString &target);

// Asks "結果をクリップボードにコピーしますか？" with the clipboard options as
// check boxes (title line; commas instead of tabs); on Yes stores them in the
// options and returns true, on No leaves them and returns false.
bool ConfirmClipboardCopy();

// The save dialog for a workbook, starting in the folder of `fileName` with
// its file-name part. A chosen name without a known extension gets the option
// ExcelExt (lower case) appended. A name that is blank without its folder and
// extension is refused with "ファイル名を入力して下さい。". True, with
// `fileName` set, when a name was chosen.
bool ShowExcelSaveDialog(QWidget *owner, QString &fileName);

// Puts a top-level form at a stored position when that lies on the desktop
// (the virtual desktop of all screens, bounds inclusive); otherwise, and for
// -1, -1 (nothing stored), centres it: the main window on the desktop, any
// other form over the main window.
void PlaceForm(QWidget *form, int top, int left);

// The average width of the letters A-Z and a-z in the font (x) and its text
// height (y): the units the run-time dialogs are measured in.
QPoint GetAverageCharWidth(const QFont &font);

// The filters of a file dialog from the "desc|pattern|desc|pattern" form:
// each description keeps its text, with the patterns in parentheses as Qt
// reads them ("*.*" becomes "*", which also matches names without a dot).
QStringList FileDialogFilters(const QString &filter);
// The 1-based position of the chosen filter (as QFileDialog reports it by
// its text) in the list; 0 when it is not one of them.
int FileDialogFilterIndex(const QStringList &filters, const QString &chosen);
