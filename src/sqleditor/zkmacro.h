#pragma once

#include <QString>
#include <QtGlobal>

#include <vector>

class QEvent;
class QKeyEvent;

// State of the program's one key macro.
enum TzkMacroStatus : quint8 {
    msNone, // no macro
    msRecording,
    msWaiting, // a macro is ready
    msRunning, // a replay is under way
};

// One recorded key message, in the Windows terms the macro files keep: the
// message number, its WParam (virtual-key or character code) and LParam,
// and the key-state bytes of Shift, Ctrl and Alt (0x80 while down).
struct TKeyMacroData
{
    quint32 Msg = 0;
    quint16 CharCode = 0;
    qint32 KeyData = 0;
    quint8 Shift = 0;
    quint8 Ctrl = 0;
    quint8 Alt = 0;

    bool operator==(const TKeyMacroData &) const = default;
};
using PKeyMacroData = TKeyMacroData *;

constexpr quint32 WM_IME_CHAR = 0x0286;
constexpr quint32 CN_KEYDOWN = 0xBD00;
constexpr quint32 CN_CHAR = 0xBD02;
constexpr quint8 KeyStateDown = 0x80;

// The items a key press records: a key-down with the key's virtual-key code,
// then a character where Windows makes one (text, Enter, Tab, Backspace,
// Esc, Ctrl with a letter). System keys (Alt held, F10, Alt itself) and
// modifier keys alone record nothing.
std::vector<TKeyMacroData> MacroItemsOfKey(const QKeyEvent *Event);
// The items committed text records: one input-method character per UTF-16 unit.
std::vector<TKeyMacroData> MacroItemsOfCommit(const QString &Text);

// A macro file line: six quoted decimal fields, no blanks.
QString MacroDataToLine(const TKeyMacroData &Data);
// Reads a line as the settings lists split comma text; false unless it
// gives six non-empty decimal fields and a message number the recorder
// writes. Values are cut to their field widths.
bool MacroLineToData(const QString &Line, TKeyMacroData &Data);

// The program's key macro: the recorded items and the state. The list owns
// its items.
class TzkMacroList
{
public:
    TzkMacroStatus Status() const { return FStatus; }
    int Count() const { return int(m_items.size()); }
    const TKeyMacroData &Item(int Index) const { return m_items[size_t(Index)]; }
    const std::vector<TKeyMacroData> &Items() const { return m_items; }

    // Records what a key press or a committed text makes (the editor calls
    // it while recording); the number of items added.
    int Add(const QEvent *Event);
    PKeyMacroData Add(const TKeyMacroData &i_wMacroData);
    void Clear() { m_items.clear(); }

    // The state changes; each does nothing in a state it does not leave.
    void BeginRec();
    void EndRec();
    void CancelRec();
    void CancelExec();
    // A replay begins and ends (the editor's ExecMacro).
    bool BeginRun();
    void EndRun();
    // An editor goes while recording or replaying.
    void EditorGone();

    // The file text: one line per item, each ending CR LF.
    QString FileText() const;
    // Appends the items of a file's lines; false at the first malformed
    // line (the items before it stay) or when the list is empty after all.
    bool AddFileText(const QString &Text);

private:
    std::vector<TKeyMacroData> m_items;
    TzkMacroStatus FStatus = msNone;
};
