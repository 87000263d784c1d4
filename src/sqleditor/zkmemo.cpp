#include "sqleditor/zkmemo.h"
#include "sqleditor/zksub_editor.h"

#include "core/zkoption.h"
#include "core/zksub.h"
#include "core/zkwindows.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

TzkMacroKeyHook MacroRecordKey;
std::function<bool(TzkMacroList *List)> MacroRecording;
std::function<void(TzkMacroList *List, TzkMemo *Memo)> MacroMemoDestroying;

namespace {

// The shared editor settings, given to every SQL editor of a form as the
// form is set up, and again when the options change.
void applyMemoSettings(TzkMemo *memo)
{
    if (prpEditor)
        prpEditor->AssignTo(*static_cast<TEditorSettingsHost *>(memo));
    if (zkMainForm)
        memo->SetPopupMenu(zkMainForm->popEditor());
    memo->SetMacroList(MacroList);
    memo->SetDefaultCaretFreeCaret(memo->Caret()->FreeCaret());
    memo->SetCodeAssistCallOfDot(CodeAssistOption.CodeAssistCallOfDot);
    memo->SetCodeAssistDelayShow(CodeAssistOption.CodeAssistDelayShow);
    memo->SetCodeAssistDelayTime(CodeAssistOption.CodeAssistDelayTime);
    memo->SetKeyDownAltKey(false);
}

const bool s_settingsRegistered = [] {
    RegisterControlSettings(
        [](QWidget *control) {
            auto *memo = qobject_cast<TzkMemo *>(control);
            if (!memo)
                return false;
            applyMemoSettings(memo);
            return true;
        },
        true);
    return true;
}();

// Case mapping unit by unit, so the text keeps its length ("ß" stays).
QString mapCase(QString s, bool upper)
{
    for (QChar &c : s)
        c = upper ? c.toUpper() : c.toLower();
    return s;
}

} // namespace

// ---- TzkMemo ----

TzkMemo::TzkMemo(QWidget *Parent)
    : TEditor(Parent)
{
    // The popup's place is taken from the caret: a user scroll moves the
    // text away under it.
    auto closeOnScroll = [this](int) { CloseCodeAssist(); };
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, closeOnScroll);
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this, closeOnScroll);
}

TzkMemo::~TzkMemo()
{
    if (FMacroList && MacroMemoDestroying)
        MacroMemoDestroying(FMacroList, this);
    if (CodeAssist) {
        CodeAssist->hide();
        CodeAssist->deleteLater();
        CodeAssist = nullptr;
    }
}

bool TzkMemo::IsDelimiter(QChar C)
{
    switch (C.unicode()) {
    case u' ':
    case u'(':
    case u')':
    case u'%':
    case u';':
    case u'.':
    case u',':
    case u'+':
    case u'-':
    case u'<':
    case u'>':
    case u'{':
    case u'}':
    case u'[':
    case u']':
    case u'"':
    case u'\'':
    case u'\r':
    case u'\n':
    case u'\t': return true;
    default: return false;
    }
}

int TzkMemo::CaretCharIndex() const
{
    return RowColToIndex(Row(), Row(), Col());
}

void TzkMemo::BeginUpdate()
{
    Lines()->BeginUpdate();
}

void TzkMemo::EndUpdate()
{
    Lines()->EndUpdate();
}

void TzkMemo::SetSelIndex(int StartRow, int SelIndex)
{
    SetRowColFromIndex(StartRow, SelIndex);
}

void TzkMemo::MultiLineSelect(int SP, int EP)
{
    CleanSelection();
    StartRowSelection(SP);
    ExtendRowSelection(EP);
}

void TzkMemo::ScrollCaret()
{
    if (!FLockScrollCaret)
        TEditor::ScrollCaret();
}

void TzkMemo::SelectFromPos(const QPoint &Pos, bool, bool)
{
    if (ListCount() == 0)
        return;
    int row = 0;
    int col = 0;
    PosToRowCol(Pos.x(), Pos.y(), row, col, true);
    if (row < 0 || row >= ListCount())
        return;
    const QString s = ListString(row);
    const int index = RowColToIndex(row, row, col);
    if (s.isEmpty() || index < 1 || index > s.size())
        return;
    int first = index - 1;
    if (IsDelimiter(s[first]))
        return;
    int last = first;
    while (first > 0 && !IsDelimiter(s[first - 1]))
        --first;
    while (last + 1 < s.size() && !IsDelimiter(s[last + 1]))
        ++last;
    SetSelIndex(row, first);
    SetSelLength(last - first + 1);
}

void TzkMemo::SelUpperCase()
{
    convertCase(true);
}

void TzkMemo::SelLowerCase()
{
    convertCase(false);
}

// The selection is replaced by its converted text as one edit: the change
// can be undone and marks the text changed, so a window cannot close it
// unasked, and word wrap is followed because the text, not the rows, is
// converted.
void TzkMemo::convertCase(bool Upper)
{
    if (ReadOnly() || !Selected() || ListCount() == 0)
        return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    struct CursorBack
    {
        ~CursorBack() { QGuiApplication::restoreOverrideCursor(); }
    } cursorBack;
    const QString text = TEditor::SelText();
    const QString converted = mapCase(text, Upper);
    if (converted == text)
        return;
    if (SelectionMode() == smBox) {
        SetSelTextBox(converted);
    } else {
        const int start = SelStart();
        SetSelTextBuf(converted);
        SetSelStart(start);
        SetSelLength(int(converted.size()));
    }
    ScrollCaret();
    viewport()->update();
}

void TzkMemo::Jump(int Line)
{
    setFocus();
    int l = Leftbar()->ZeroBase() ? Line : Line - 1;
    // The bar numbers logical lines (the empty one after a final break too).
    const int lines = Lines()->Count();
    const bool extraLine = ListCount() == 0 || ListRow(ListCount() - 1) == raCrlf;
    const int lineCount = std::max(1, lines + (extraLine && lines > 0 ? 1 : 0));
    l = std::clamp(l, 0, lineCount - 1);
    const int row = l < lines ? Lines()->LinesToRow(l) : ListCount();
    const int lastRow = GetLineNumberCount() - 1;
    for (int visit : {row + 10, row - 10}) {
        if (visit < 0 || visit > lastRow)
            continue;
        try {
            SetSelIndex(visit, 0);
            ScrollCaret();
        } catch (...) {
        }
    }
    SetSelIndex(row, 0);
    StartSelection();
}

// ---- Row marks ----

bool TzkMemo::UsingRowMark() const
{
    return std::any_of(std::begin(FwUseRowMark), std::end(FwUseRowMark), [](bool b) { return b; });
}

bool TzkMemo::rowHasNumberedMark(int Row) const
{
    return (ListRowMarks(Row) & 0x03FF) != 0;
}

void TzkMemo::SetRowMark()
{
    const int row = Row();
    const TRowMarks marks = ListRowMarks(row);
    if (marks != 0) {
        int n = 0;
        for (int i = 0; i <= 9; ++i) {
            if (marks & RowMarkBit(TRowMark(i))) {
                n = i;
                break;
            }
        }
        DeleteRowMark(row, TRowMark(n));
        FwUseRowMark[n] = false;
        return;
    }
    int n = 0;
    for (int i = 0; i <= 9; ++i) {
        if (!FwUseRowMark[i]) {
            n = i;
            break;
        }
    }
    PutRowMark(row, TRowMark(n));
    FwUseRowMark[n] = true;
}

void TzkMemo::NextRowMark()
{
    const int last = GetLineNumberCount() - 1;
    for (int r = Row() + 1; r <= last && r < ListCount(); ++r) {
        if (rowHasNumberedMark(r)) {
            SetRowCol(r, 0);
            return;
        }
    }
}

void TzkMemo::PrevRowMark()
{
    for (int r = std::min(Row(), ListCount()) - 1; r >= 0; --r) {
        if (rowHasNumberedMark(r)) {
            SetRowCol(r, 0);
            return;
        }
    }
}

// ---- Messages and handlers ----

void TzkMemo::WMUndo(int WParam)
{
    if (ReadOnly())
        return;
    if (WParam == 1)
        Redo();
    else
        Undo();
}

void TzkMemo::AddLine(const QString &line)
{
    Lines()->Add(line);
    const int lines = Lines()->Count();
    SetRowCol(Lines()->LinesToRow(std::max(0, lines - 1)), 0);
}

void TzkMemo::SetPopupMenu(QMenu *Menu)
{
    // An item with a key of its own for the editor (context "widget with
    // children") works only where it is added: a closed pop-up takes no keys.
    auto editorKeys = [](QMenu *menu) {
        QList<QAction *> keys;
        if (menu)
            for (QAction *item : menu->actions())
                if (item->shortcutContext() == Qt::WidgetWithChildrenShortcut && !item->shortcut().isEmpty())
                    keys << item;
        return keys;
    };
    for (QAction *item : editorKeys(m_popupMenu))
        removeAction(item);
    m_popupMenu = Menu;
    addActions(editorKeys(Menu));
}

void TzkMemo::resetSelectModes()
{
    SetSelectionMode(DefaultSelectMode());
    Caret()->SetFreeCaret(DefaultCaretFreeCaret());
    TEditor::SetKeyDownAltKey(false);
}

bool TzkMemo::event(QEvent *Event)
{
    if (Event->type() == QEvent::ShortcutOverride && CodeAssist
        && CodeAssist->WantsShortcut(static_cast<QKeyEvent *>(Event))) {
        Event->accept();
        return true;
    }
    return TEditor::event(Event);
}

void TzkMemo::keyPressEvent(QKeyEvent *Event)
{
    if (FMacroList && MacroRecording && MacroRecordKey && MacroRecording(FMacroList)
        && MacroRecordKey(FMacroList, this, Event))
        return;
    if (CodeAssist) {
        QPointer<TzkMemo> self(this);
        if (CodeAssist->HandleKey(Event)) {
            Event->accept();
            return;
        }
        if (!self)
            return;
    }
    TEditor::keyPressEvent(Event);
}

void TzkMemo::inputMethodEvent(QInputMethodEvent *Event)
{
    if (FMacroList && MacroRecording && MacroRecordKey && MacroRecording(FMacroList)
        && MacroRecordKey(FMacroList, this, Event))
        return;
    if (CodeAssist && !Event->commitString().isEmpty() && !ReadOnly())
        CodeAssist->HandleCommit(Event->commitString());
    TEditor::inputMethodEvent(Event);
}

void TzkMemo::mousePressEvent(QMouseEvent *Event)
{
    CloseCodeAssist();
    TEditor::mousePressEvent(Event);
}

void TzkMemo::mouseDoubleClickEvent(QMouseEvent *Event)
{
    TEditor::mouseDoubleClickEvent(Event);
    if (Event->button() == Qt::LeftButton && Event->position().x() > LeftMargin())
        SelectWordFromCaret();
}

void TzkMemo::contextMenuEvent(QContextMenuEvent *Event)
{
    CloseCodeAssist();
    if (m_popupMenu) {
        m_popupMenu->exec(Event->globalPos());
        Event->accept();
        return;
    }
    TEditor::contextMenuEvent(Event);
}

void TzkMemo::focusInEvent(QFocusEvent *Event)
{
    TEditor::focusInEvent(Event);
    resetSelectModes();
}

void TzkMemo::focusOutEvent(QFocusEvent *Event)
{
    CloseCodeAssist();
    resetSelectModes();
    TEditor::focusOutEvent(Event);
}

void TzkMemo::resizeEvent(QResizeEvent *Event)
{
    CloseCodeAssist();
    TEditor::resizeEvent(Event);
}

// One row per notch of the wheel; a high-resolution wheel's smaller steps
// add up to a notch first.
void TzkMemo::wheelEvent(QWheelEvent *Event)
{
    if (!rect().contains(Event->position().toPoint())) {
        Event->ignore();
        return;
    }
    CloseCodeAssist();
    m_wheelRest += Event->angleDelta().y();
    const int rows = m_wheelRest / 120;
    m_wheelRest -= rows * 120;
    if (rows != 0)
        SetTopRow(TopRow() - rows);
    Event->accept();
}
