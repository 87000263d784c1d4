#pragma once

#include "core/zkforms.h"
#include "core/zksub_history.h"
#include "editorcontrol/edcontrol.h"
#include "editorcontrol/edprops.h"
#include "sqleditor/zksub_parse.h"

#include <QPointer>
#include <QStringList>
#include <QTreeWidget>

#include <functional>
#include <vector>

class QLineEdit;
class QMenu;
class QSizeGrip;
class TzkCodeAssist;
class TzkMacroList;
class TzkMemo;

// The settings holder of the SQL editors (the main window's prpEditor).
class TzkMemoProp : public TEditorProp
{
    Q_OBJECT
public:
    using TEditorProp::TEditorProp;
};

// Size of the completion popup, kept by its editor between openings.
struct TzkCodeAssistSize
{
    qint32 Width = 400;
    qint32 Height = 200;
    std::vector<qint32> ColumnWidth{250, 120};
};

// The modal search and replace dialogs and the not-found box, as the SQL
// editor drives them. The dialogs' own unit installs the real ones
// (SetSearchDialogs); tests give an editor their own.
class IzkSearchDialogs
{
public:
    virtual ~IzkSearchDialogs() = default;
    virtual bool ExecuteSearch(QString &SearchText, TSearchOptions &SearchOptions, bool &NotFindMsg,
                               bool &Research) = 0;
    virtual bool ExecuteReplace(QString &SearchText, QString &ReplaceText, TSearchOptions &SearchOptions,
                                bool &NotFindMsg, bool &Research) = 0;
    // The plain message box with an OK button.
    virtual void ShowNotFound(const QString &Text) = 0;
};
// The dialogs of every editor that has none of its own; null: the search and
// replace commands end as cancelled, the not-found text goes to a plain box.
void SetSearchDialogs(IzkSearchDialogs *Dialogs);
IzkSearchDialogs *SearchDialogs();

// Hooks of the key-macro recorder: while MacroList records, the editor hands
// it each key (true: the recorder consumed it). Set by the macro unit.
using TzkMacroKeyHook = std::function<bool(TzkMacroList *List, TzkMemo *Memo, QEvent *Event)>;
extern TzkMacroKeyHook MacroRecordKey;
// Whether MacroList is recording now.
extern std::function<bool(TzkMacroList *List)> MacroRecording;
// An editor goes: its recording ends and its replay stops.
extern std::function<void(TzkMacroList *List, TzkMemo *Memo)> MacroMemoDestroying;

// The SQL editing control.
class TzkMemo
    : public TEditor
    , public ISqlErrorSelection
    , public IzkLineSink
    , public IzkAltKeyEditor
{
    Q_OBJECT
public:
    explicit TzkMemo(QWidget *Parent = nullptr);
    ~TzkMemo() override;

    QWidget *CaretPosPanel() const { return FCaretPosPanel; }
    void SetCaretPosPanel(QWidget *Value) { FCaretPosPanel = Value; }
    QWidget *CaretPosBar() const { return FCaretPosBar; }
    void SetCaretPosBar(QWidget *Value) { FCaretPosBar = Value; }
    TzkMacroList *MacroList() const { return FMacroList; }
    void SetMacroList(TzkMacroList *Value) { FMacroList = Value; }
    void SetReplaceValue(const QString &Value) { FReplaceValue = Value; }
    void SetSearchOptions(TSearchOptions Value) { FSearchOptions = Value; }
    void SetSearchValue(const QString &Value) { FSearchValue = Value; }
    // Readers for the hosts and tests.
    QString SearchValue() const { return FSearchValue; }
    QString ReplaceValue() const { return FReplaceValue; }
    TSearchOptions SearchOptions() const { return FSearchOptions; }
    bool LockScrollCaret() const { return FLockScrollCaret; }
    void SetLockScrollCaret(bool Value) { FLockScrollCaret = Value; }
    void SetNotFindMsg(bool Value) { FbNotFindMsg = Value; }
    void SetResearch(bool Value) { FbResearch = Value; }
    // The context menu (the main window's editor menu).
    void SetPopupMenu(QMenu *Menu);
    // Dialogs of this editor alone (tests); null uses SearchDialogs().
    void SetDialogs(IzkSearchDialogs *Value) { m_dialogs = Value; }

    TzkCodeAssist *CodeAssist = nullptr;
    TzkCodeAssistSize CASize;

    void BeginUpdate();
    void EndUpdate();
    // Caret to the start of a line as the line-number bar counts it.
    void Jump(int Line);
    void SetSelIndex(int StartRow, int SelIndex);
    // Selects the whole screen rows SP..EP.
    void MultiLineSelect(int SP, int EP) override;
    QString SelText() const override { return TEditor::SelText(); }
    void SelUpperCase();
    void SelLowerCase();
    void ShowSearchDialog();
    void ShowReplaceDialog();
    // 6 when an occurrence was found and shown, 7 when not.
    quint16 NextSearch();
    quint16 PrevSearch();
    void ClearSearch(bool i_bSearchValCrear);
    bool UsingRowMark() const;
    void SetRowMark();
    void NextRowMark();
    void PrevRowMark();
    // The dotted name before the caret.
    QString GetCodeAssistToken();
    // Closes the completion popup and keeps its size.
    void CloseCodeAssist();

    void ScrollCaret() override;
    // The word (by the SQL delimiters) before the point.
    void SelectFromPos(const QPoint &Pos, bool UseScheme, bool Bracket) override;

    // IzkLineSink, IzkAltKeyEditor.
    void AddLine(const QString &line) override;
    void SetKeyDownAltKey(bool down) override { TEditor::SetKeyDownAltKey(down); }

    // Redo with WParam 1, undo otherwise; nothing while read-only.
    void WMUndo(int WParam);
    void EditUndo() override { WMUndo(0); }
    void EditRedo() override { WMUndo(1); }

    // The twenty characters that end a word.
    static bool IsDelimiter(QChar C);

    // The editor's own keys and the popup's (for the popup's replays).
    void EditorKeyDown(int Key, Qt::KeyboardModifiers Modifiers) { KeyDown(Key, Modifiers); }
    void EditorKeyChar(char16_t Ch, Qt::KeyboardModifiers Modifiers) { KeyChar(Ch, Modifiers); }
    // Character index of the caret in its screen row.
    int CaretCharIndex() const;

protected:
    bool event(QEvent *Event) override;
    void keyPressEvent(QKeyEvent *Event) override;
    void inputMethodEvent(QInputMethodEvent *Event) override;
    void mousePressEvent(QMouseEvent *Event) override;
    void mouseDoubleClickEvent(QMouseEvent *Event) override;
    void focusInEvent(QFocusEvent *Event) override;
    void focusOutEvent(QFocusEvent *Event) override;
    void resizeEvent(QResizeEvent *Event) override;
    void wheelEvent(QWheelEvent *Event) override;
    void contextMenuEvent(QContextMenuEvent *Event) override;

private:
    IzkSearchDialogs *dialogs() const;
    void convertCase(bool Upper);
    void notFound();
    // Whether SearchValue occurs anywhere, searched from the top (Down) or
    // the bottom; the caret and selection stay.
    bool wrapCheck(bool Down) const;
    // With Research on and an occurrence elsewhere: from the top (Down) or
    // the bottom, searched again.
    bool researchFromEnd(bool Down);
    void goTop();
    void goBottom();
    quint16 searchAgain(bool Down);
    void replaceHit();
    void replaceAll();
    bool rowHasNumberedMark(int Row) const;
    void resetSelectModes();

    QPointer<QWidget> FCaretPosPanel;
    QPointer<QWidget> FCaretPosBar;
    TzkMacroList *FMacroList = nullptr;
    QString FReplaceValue;
    TSearchOptions FSearchOptions = 0;
    QString FSearchValue;
    bool FLockScrollCaret = false;
    bool FwUseRowMark[10] = {};
    bool FbNotFindMsg = false;
    bool FbResearch = false;
    IzkSearchDialogs *m_dialogs = nullptr;
    QPointer<QMenu> m_popupMenu;
    // Wheel angle not yet turned into rows.
    int m_wheelRest = 0;
};

// The completion list under the caret of a TzkMemo. It never takes the
// focus: the editor offers it every key and committed text first, and the
// popup keeps its filter text (Buf) in step with what the editor types.
class TzkCodeAssist : public QTreeWidget
{
    Q_OBJECT
public:
    // X, Y: the caret in the editor's client pixels; AOwner: the form the
    // popup floats in.
    TzkCodeAssist(TzkMemo *AEdit, QWidget *AOwner, int X, int Y);
    ~TzkCodeAssist() override;

    QStringList RWTable() const { return FRWTable; }
    void SetRWTable(const QStringList &Value) { FRWTable = Value; }
    bool UseBQuote() const { return FUseBQuote; }
    void SetUseBQuote(bool Value) { FUseBQuote = Value; }

    QStringList CaptionList;
    QStringList SubItemList;
    std::vector<int> ImageList;
    QStringList CaptionListW;
    QStringList SubItemListW;
    std::vector<int> ImageListW;
    int ItemMax = 100;

    // Picture of an index (the main window's images); none by default.
    std::function<QIcon(int Index)> ImageOf;

    void SetBuffer(const QString &buffer);
    QString Buffer() const;
    void ShowItems();
    void AddItems();
    int RowCount() const { return topLevelItemCount(); }
    // Accepts the selected row; Ch (Tab, Enter, blank, ...) then goes on
    // to the editor unless it is Enter.
    void Accept(char16_t Ch);

    // Offered by the editor before it handles them: true when the popup
    // consumed the key, false when the editor handles it as well.
    bool HandleKey(QKeyEvent *Event);
    // Keys the popup claims before window shortcuts.
    bool WantsShortcut(const QKeyEvent *Event) const;
    void HandleCommit(const QString &Text);

protected:
    void resizeEvent(QResizeEvent *Event) override;
    void wheelEvent(QWheelEvent *Event) override;
    void mouseDoubleClickEvent(QMouseEvent *Event) override;
    void focusInEvent(QFocusEvent *Event) override;

private:
    void moveCurrent(int Delta);
    void addRow(int Index);

    QPointer<TzkMemo> FOwner;
    QLineEdit *Buf = nullptr;
    QSizeGrip *m_grip = nullptr;
    QStringList FRWTable;
    bool FUseBQuote = false;
};
