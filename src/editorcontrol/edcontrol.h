#pragma once

#include "editorcontrol/edcellmap.h"
#include "editorcontrol/edclient.h"
#include "editorcontrol/edcontrol_settings.h"
#include "editorcontrol/edimagelist.h"
#include "editorcontrol/edfountain.h"
#include "editorcontrol/edrowlist.h"
#include "editorcontrol/edtextsearch.h"
#include "core/zkeditcommands.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QPointer>
#include <QRawFont>
#include <QTimer>

#include <climits>
#include <memory>
#include <vector>

class QIODevice;
class QPainter;

// The editor control: the screen rows of a text (its row list, shared with
// other editors that show the same text) in a grid of half-width cells,
// coloured by a colouring scheme, with an optional ruler above, an image bar
// of row marks and a line-number bar to the left, a caret, a selection and
// search hits.
//
// Client coordinates are those of the viewport. Rows are screen rows from 0;
// columns count cells from 0 (a wide character takes two, a tab reaches the
// next tab stop). When the text ends with a line break the caret may stand
// on the end-of-text row, whose index is the row count.
//
// The unit is split by topic: edcontrol.cpp (the control, its properties,
// positions and metrics), edcontrol_paint.cpp (painting), edcontrol_keys.cpp
// (keyboard, input method, caret, scrolling, mouse and dragging),
// edcontrol_edit.cpp (the selection, replacing it and the clipboard),
// edcontrol_commands.cpp (indenting, comments, rows, marks, undo and the text
// as a whole), edcontrol_tokens.cpp (the token or word at a point),
// edcontrol_search.cpp (searching) and edcontrol_messages.cpp (the
// operations of a standard edit control).

enum TEditorSelectionMode : quint8 { smLine, smBox };
enum TEditorSelectionState : quint8 { sstNone, sstInit, sstSelected, sstHitSelected };
enum TEditorSelDragState : quint8 { sdNone, sdInit, sdDragging };
enum TEditorMouseCursorState : quint8 { mcClient, mcLeftMargin, mcTopMargin, mcInSel, mcDragging, mcDraggingCopy };
enum TBorderStyle : quint8 { bsNone, bsSingle };

// A selection: start and end row, and start and end column (or character
// index, as the field that holds it says).
struct TSelectedPosition
{
    qint32 Sr = 0;
    qint32 Er = 0;
    qint32 Sc = 0;
    qint32 Ec = 0;
    bool operator==(const TSelectedPosition &) const = default;
};

// The scanner of words: the base scanner's character classes without a
// colouring scheme, so no reserved words, bracket pairs or colours. It is
// given start states whose bracket index is -2.
class TTokenParser : public TFountainParser
{
public:
    TTokenParser();
    TFountainColor *TokenToFountainColor() override { return nullptr; }
};

class TEditor
    : public QAbstractScrollArea
    , public TEditorClient
    , public TEditorSettingsHost
    , public IzkEditCommands
{
    Q_OBJECT
public:
    explicit TEditor(QWidget *Parent = nullptr);
    ~TEditor() override;

    // Drawing stops at this many cells of a row.
    static constexpr int MaxLineCells = 10000;

    // ---- Settings ----
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    TEditorCaret *Caret() const override { return FCaret.get(); }
    void SetCaret(const TEditorCaret *Value) { FCaret->Assign(Value); }
    TColor Color() const override { return FColor; }
    void SetColor(TColor Value) override;
    // An outside colouring scheme; null uses the view's own.
    TFountain *Fountain() const { return FFountain; }
    void SetFountain(TFountain *Value);
    TFont Font() const override { return FFont; }
    void SetFont(const TFont &Value) override;
    TEditorHitStyle HitStyle() const override { return FHitStyle; }
    void SetHitStyle(TEditorHitStyle Value) override;
    TEditorImagebar *Imagebar() const override { return FImagebar.get(); }
    void SetImagebar(const TEditorImagebar *Value) { FImagebar->Assign(Value); }
    TImageList *ImageDigits() const { return FImageDigits; }
    void SetImageDigits(TImageList *Value);
    TImageList *ImageMarks() const { return FImageMarks; }
    void SetImageMarks(TImageList *Value);
    TEditorStrings *Lines() const { return FLines.get(); }
    // The lines as the whole text; every editor of the text re-measures.
    void SetLines(const QStringList &Value);
    TEditorMarks *Marks() const override { return FMarks.get(); }
    void SetMarks(const TEditorMarks *Value) { FMarks->Assign(Value); }
    TEditorMargin *Margin() const override { return FMargin.get(); }
    void SetMargin(const TEditorMargin *Value) { FMargin->Assign(Value); }
    TEditorLeftbar *Leftbar() const override { return FLeftbar.get(); }
    void SetLeftbar(const TEditorLeftbar *Value) { FLeftbar->Assign(Value); }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    QStringList ReserveWordList() const override;
    void SetReserveWordList(const QStringList &Value) override;
    TEditorRuler *Ruler() const override { return FRuler.get(); }
    void SetRuler(const TEditorRuler *Value) { FRuler->Assign(Value); }
    TScrollStyle ScrollBars() const override { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value) override;
    int ScrollMax() const { return FHScrollMax; }
    void SetScrollMax(int Value) { FHScrollMax = Value; }
    TEditorSpeed *Speed() const override { return FSpeed.get(); }
    void SetSpeed(const TEditorSpeed *Value) { FSpeed->Assign(Value); }
    int UndoListMax() const;
    // Never below 64.
    void SetUndoListMax(int Value);
    TEditorViewInfo *View() const override { return FView.get(); }
    void SetView(const TEditorViewInfo *Value);
    bool WantReturns() const { return FWantReturns; }
    void SetWantReturns(bool Value) { FWantReturns = Value; }
    bool WantTabs() const { return FWantTabs; }
    void SetWantTabs(bool Value) { FWantTabs = Value; }
    bool WordWrap() const override;
    void SetWordWrap(bool Value) override;
    TEditorWrapOption *WrapOption() const override;
    void SetWrapOption(const TEditorWrapOption *Value) { WrapOption()->Assign(Value); }
    // Characters above U+00FF drawn with a font of their own.
    TFont MBCSFont() const { return FMBCSFont; }
    void SetMBCSFont(const TFont &Value);
    bool UseMBCSFont() const { return FUseMBCSFont; }
    void SetUseMBCSFont(bool Value);
    // Shown highlighted wherever it occurs (letter case ignored).
    QString HitText() const { return FHitText; }
    void SetHitText(const QString &Value);

    // ---- State ----
    TFountain *ActiveFountain() const { return GetActiveFountain(); }
    // The painter during a paint (for OnDrawLine handlers); null otherwise.
    QPainter *Canvas() const { return m_canvas; }
    int Col() const override { return FCol; }
    void SetCol(int Value) override;
    int Row() const override { return FRow; }
    void SetRow(int Value) override;
    int ColCount() const { return FColCount; }
    int RowCount() const { return FRowCount; }
    int ColWidth() const { return FFontWidth; }
    TEditorMouseCursorState CursorState() const { return FCursorState; }
    void SetCursorState(TEditorMouseCursorState Value);
    const TCharSet &Delimiters() const { return FDelimiters; }
    void SetDelimiters(const TCharSet &Value) { FDelimiters = Value; }
    TEditorUndoObj *EditorUndoObj() const { return FList->UndoObj(); }
    int FontHeight() const { return FFontHeight; }
    bool HitSelected() const { return FSelectionState == sstHitSelected; }
    int HitSelLength() const { return FHitSelLength; }
    void SetHitSelLength(int Value);
    TEditorScreenStrings *InternalList() const override { return FList; }
    int ListCount() const { return FList->Count(); }
    int LeftScrollWidth() const { return FLeftScrollWidth; }
    bool Modified() const { return FModified; }
    void SetModified(bool Value) { FModified = Value; }
    bool OverWrite() const { return FOverWrite; }
    void SetOverWrite(bool Value);
    int RowHeight() const override;
    TSelectedPosition SelDrawPosition() const { return FSelDraw; }
    TSelectedPosition SelStrPosition() const { return FSelStr; }
    bool Selected() const { return FSelectionState == sstSelected; }
    bool SelectedData() const override { return FSelectionState == sstSelected || FSelectionState == sstHitSelected; }
    bool SelectedDraw() const
    {
        return FSelectionState == sstSelected || (FSelectionState == sstHitSelected && FHitStyle == hsDraw);
    }
    TEditorSelectionState SelectionState() const { return FSelectionState; }
    TEditorSelectionMode SelectionMode() const { return FSelectionMode; }
    void SetSelectionMode(TEditorSelectionMode Value);
    int SelLength() const;
    void SetSelLength(int Value);
    int SelStart() const;
    void SetSelStart(int Value);
    QString SelText() const;
    int TopCol() const { return FTopCol; }
    void SetTopCol(int Value);
    int TopRow() const override { return FTopRow; }
    void SetTopRow(int Value) override;
    bool CodeAssistCallOfDot() const { return FCodeAssistCallOfDot; }
    void SetCodeAssistCallOfDot(bool Value) { FCodeAssistCallOfDot = Value; }
    bool CodeAssistDelayShow() const { return FCodeAssistDelayShow; }
    void SetCodeAssistDelayShow(bool Value) { FCodeAssistDelayShow = Value; }
    int CodeAssistDelayTime() const { return FCodeAssistDelayTime; }
    void SetCodeAssistDelayTime(int Value) { FCodeAssistDelayTime = Value; }
    TEditorSelectionMode DefaultSelectMode() const { return FDefaultSelectMode; }
    void SetDefaultSelectMode(TEditorSelectionMode Value) { FDefaultSelectMode = Value; }
    bool DefaultCaretFreeCaret() const { return FDefaultCaretFreeCaret; }
    void SetDefaultCaretFreeCaret(bool Value) { FDefaultCaretFreeCaret = Value; }
    bool KeyDownAltKey() const { return FKeyDownAltKey; }
    void SetKeyDownAltKey(bool Value) { FKeyDownAltKey = Value; }

    // ---- Screen rows, with neutral values outside the list ----
    int ListBracket(int Index) const;
    TRowAttributeData ListData(int Index) const;
    QString ListDataString(int Index) const;
    int ListElement(int Index) const;
    TRowAttribute ListPrevRow(int Index) const;
    char16_t ListPrevToken(int Index) const;
    int ListRemain(int Index) const;
    TRowAttribute ListRow(int Index) const;
    QString ListString(int Index) const;
    char16_t ListToken(int Index) const;
    int ListWrappedByte(int Index) const;
    TRowMarks ListRowMarks(int Index) const;
    // Nothing outside the list or for the stored value.
    void SetListRowMarks(int Index, TRowMarks Value);

    // ---- Positions ----
    int TopMargin() const;
    int LeftMargin() const;
    // Client point to row and column; with Split a point in a cell's right
    // half gives the next column.
    void PosToRowCol(int XPos, int YPos, int &ARow, int &ACol, bool Split) const;
    // Moves the caret with one caret update at the end.
    void SetRowCol(int ARow, int ACol);
    void SetRowColFromIndex(int StartRow, int Index) override;
    int RowColToIndex(int StartRow, int ARow, int ACol) const;
    // Brings Col to a legal column of the caret row after a move.
    void NormalizeCaretCol(bool KeepCol, int Direction);
    // Shows Source's text (several editors can show one text).
    void ExchangeList(TEditor *Source);
    void ChangingSelectModeAltKey();
    void ChangedSelectModeAltKey();
    // The cell map of a row as this editor measures it.
    QString RowCellMap(int Index) const;
    int RowCells(int Index) const;
    TCellMapOptions CellMapOptions() const override;

    // ---- Metrics ----
    void UpdateMetrics();
    void UpdateColCount();
    void UpdateScrollBars();
    void RefreshMetrics() override;
    // Re-wraps and re-colours after the settings were given (a form's load).
    void Loaded();

    // ---- Painting ----
    void InvalidateRow(int ARow) override;
    void InvalidateRows(int ARow1, int ARow2) override;
    // 1-based position of HitText in S at or after Start; 0 when none.
    static int FindHitText(const QString &HitText, const QString &S, int Start, bool MatchCase);
    int UnderlineY(int ARow) const;
    void BeginUnderlineUpdate() override;
    void EndUnderlineUpdate() override;

    // ---- Caret ----
    void BeginCaretUpdate() override;
    void EndCaretUpdate() override;
    virtual void HideEditorCaret();
    virtual void ShowEditorCaret();
    virtual bool CaretOutOfView() const;
    virtual void SetCaretPosition();
    virtual void UpdateCaretShape();
    virtual void ScrollCaret();
    virtual void CaretToPoint(int &X, int &Y) const;
    QPoint CaretPoint() const;
    void UpdateCaret() override;
    // Whether the caret is shown now, and where (client pixels).
    bool CaretShowing() const { return FCaretShowing; }
    QRect CaretRect() const { return m_caretRect; }

    // ---- Scrolling ----
    // The page keys: scrolls Delta rows keeping the caret's place on screen.
    void ScrollRows(int Delta);
    void ScrollTextRows(int ARow, int Delta);
    void ScrollImagebarRows(int ARow, int Delta);

    // ---- Words, indentation, input method ----
    bool NextTokenPos(int &ARow, int &ACol, int Direction) const;
    int PrevLineIndent(int ARow) const;
    void UpdateImeWindow();
    QVariant inputMethodQuery(Qt::InputMethodQuery Query) const override;

    // ---- Selection (edcontrol_edit.cpp) ----
    void StartSelection();
    void ExtendSelection();
    void ConfirmSelection();
    void UpdateSelection();
    void CleanSelection() override;
    // Deletes the selected text.
    void ClearSelection();
    // A line selection of the whole text.
    void SelectAll();
    // A selected search hit becomes an ordinary selection.
    void HitToSelected();
    bool IsSelectedArea(int ARow, int ACol) const;
    // A line selection of an editable control, when the caret settings let
    // selections move.
    virtual bool CanSelDrag() const;
    // Drops a copy of the selected text at the cell.
    virtual void CopySelection(int ARow, int ACol);
    // Moves the selected text to the cell as one edit.
    void MoveSelection(int ARow, int ACol);
    virtual void CancelSelDrag();
    TEditorSelDragState SelDragState() const { return FSelDragState; }
    bool RowSelecting() const { return FRowSelecting; }
    // Rows of the selection as they read once it is removed: one entry per
    // box row, or one entry for a line selection; each entry's data is the
    // 1-based position where the removed part was (past the row's end, for a
    // box row shorter than the box's left column).
    void RowsWithoutSelection(TEditorStringList &List) const;
    // Removes the selected text as one edit.
    void DeleteSelection();
    // Replace the selection, or insert at the caret: Buffer as a stream, or
    // its lines as a rectangle. Text after a NUL is ignored; a read-only
    // control does not change.
    void SetSelTextBuf(const QString &Buffer);
    void SetSelTextBox(const QString &Buffer);
    void SetSelText(const QString &Value) { SetSelTextBuf(Value); }
    // A box goes to the clipboard with a mark (BoxClipboardMimeType) beside
    // its text, so that pasting puts it back as a box.
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();

    // ---- Tokens and words at a point (client pixels) or at the caret ----
    // The Bracket variants scan from the bracket state stored with the line,
    // so that a position inside a region that began on an earlier line gives
    // the whole region's part on its line; the others ignore bracket pairs.
    char16_t TokenBracketFromPos(const QPoint &Pos);
    char16_t TokenBracketFromCaret();
    char16_t TokenFromPos(const QPoint &Pos);
    char16_t TokenFromCaret();
    QString TokenStringBracketFromPos(const QPoint &Pos);
    QString TokenStringBracketFromCaret();
    QString TokenStringFromPos(const QPoint &Pos);
    QString TokenStringFromCaret();
    // Words by character classes alone, without the colouring scheme.
    QString WordFromPos(const QPoint &Pos);
    QString WordFromCaret();
    void SelectTokenBracketFromPos(const QPoint &Pos);
    void SelectTokenBracketFromCaret();
    void SelectTokenFromPos(const QPoint &Pos);
    void SelectTokenFromCaret();
    void SelectWordFromPos(const QPoint &Pos);
    void SelectWordFromCaret();

    // ---- Edit commands (typing in edcontrol_edit.cpp, the others in edcontrol_commands.cpp) ----
    // None of them consults ReadOnly; each text change is one undo step.
    // Puts Source at the caret as typing does: over the selection, inserted,
    // or over the characters at the caret in overwrite mode.
    void PutStringToLine(const QString &Source);
    // One blank more or less of indentation on the selected rows.
    void SelIndent();
    void SelUnIndent();
    // One indent step (a tab, or TabSpaceCount blanks with soft tabs) more or
    // less on the selected rows, or on the caret row.
    void SelTabIndent();
    void SelTabUnIndent();
    // Toggles the line comment "--" on the selected rows, or on the caret row.
    void SelCommentOut();
    void DeleteRow(int Index);
    // rm0..rm9 stand on one row at most: putting one moves it.
    virtual void PutRowMark(int Index, TRowMark Mark);
    virtual void DeleteRowMark(int Index, TRowMark Mark);
    virtual void GotoRowMark(TRowMark Mark);
    virtual void Undo();
    virtual void Redo();
    virtual bool CanUndo() const;
    virtual bool CanRedo() const;
    void Clear();
    // Lines the line-number bar numbers (the empty line after a final break too).
    int GetLineNumberCount() const;
    // Length of the whole text, CR LF counted as 2.
    int GetTextLen() const;
    // Copies at most BufSize - 1 selected characters and a zero; the count copied.
    int GetSelTextBuf(QChar *Buffer, int BufSize) const;
    // The screen rows, one per line (a wrapped text with its wrapping).
    void ListToFile(const QString &FileName) const;
    void ListToStream(QIODevice &Stream) const;

    // ---- Search (edcontrol_search.cpp) ----
    // Finds SearchValue from the caret or the selection, moves the caret to
    // the hit and shows it as HitStyle says; false (and nothing changed)
    // when there is none.
    virtual bool Search(const QString &SearchValue, TSearchOptions SearchOptions);

    // ---- The operations of a standard edit control (edcontrol_messages.cpp) ----
    // Offsets count the characters of the whole text, a line break 2 and a
    // wrap 0. Those that change the text do nothing on a read-only control.
    bool EMCanUndo() const;
    // Offset of the character nearest to a client point (-1 outside the
    // client area); its row in ARow.
    int EMCharFromPos(const QPoint &Pos, int *ARow = nullptr) const;
    void EMEmptyUndoBuffer();
    int EMGetFirstVisibleLine() const { return TopRow(); }
    // At most MaxLength characters of a screen row; empty outside the list.
    QString EMGetLine(int ARow, int MaxLength = INT_MAX) const;
    int EMGetLineCount() const { return ListCount(); }
    bool EMGetModify() const { return Modified(); }
    void EMGetSel(int &Start, int &End) const;
    // The row holding an offset; -1 asks for the row of the selection's start
    // or of the caret.
    int EMLineFromChar(int Offset) const;
    // Offset of a row's start; -1 asks for the caret row. -1 for a row past
    // the list or the end-of-text row.
    int EMLineIndex(int ARow) const;
    // Length of the row holding an offset; -1 asks for the caret row's
    // characters outside the selection.
    int EMLineLength(int Offset) const;
    // Client point of the character at an offset (the caret does not move).
    QPoint EMPosFromChar(int Offset) const;
    void EMReplaceSel(const QString &Text);
    void EMScrollCaret();
    void EMSetModify(bool Value);
    void EMSetReadOnly(bool Value) { SetReadOnly(Value); }
    // Start 0 with End -1 selects everything; the order does not matter.
    void EMSetSel(int Start, int End);
    bool EMUndo();
    void WMClear();
    // With nothing selected, the clipboard stays as it was.
    void WMCopy();
    void WMCut();
    void WMPaste();
    QString WMGetText() const;
    int WMGetTextLength() const { return GetTextLen(); }
    void WMSetText(const QString &Text);

    // The main window's edit commands.
    void EditUndo() override;
    void EditRedo() override;
    void EditCut() override { WMCut(); }
    void EditCopy() override { WMCopy(); }
    void EditPaste() override { WMPaste(); }
    void EditDelete() override { WMClear(); }
    void EditSelectAll() override { EMSetSel(0, -1); }

signals:
    void OnCaretMoved();
    void OnChange();
    // A row was painted; handlers may draw over it on Canvas().
    void OnDrawLine(const QString &LineStr, int X, int Y, int Index, QRect &ARect, bool Selected);
    void OnSelectionChange(bool Selected);
    void OnSelectionModeChange();
    void OnTopColChange();
    void OnTopRowChange();
    // The user asks for code completion at the caret (client pixels).
    void CodeAssist(const QPoint &Caret);

protected:
    // Factories: a descendant substitutes its own classes. Constructors do
    // not reach overrides, so a descendant that overrides one replaces the
    // object from its own constructor.
    virtual std::unique_ptr<TEditorCaret> CreateEditorCaret();
    virtual std::unique_ptr<TEditorImagebar> CreateEditorImagebar();
    virtual std::unique_ptr<TEditorLeftbar> CreateEditorLeftbar();
    virtual std::unique_ptr<TEditorMarks> CreateEditorMarks();
    virtual std::unique_ptr<TEditorMargin> CreateEditorMargin();
    virtual std::unique_ptr<TEditorRuler> CreateEditorRuler();
    virtual std::unique_ptr<TEditorSpeed> CreateEditorSpeed();
    virtual std::unique_ptr<TEditorScreen> CreateEditorScreen();
    virtual TEditorScreenStrings *CreateEditorScreenStrings();
    virtual std::unique_ptr<TEditorStrings> CreateEditorStrings();
    virtual std::unique_ptr<TEditorViewInfo> CreateEditorViewInfo();
    virtual TFountain *GetActiveFountain() const;
    virtual TCharSet DefaultDelimiters() const;

    virtual void DoCaretMoved();
    void DoChange() override;
    virtual void DoDrawLine(QRect &ARect, int X, int Y, const QString &LineStr, int Index, bool Selected);
    virtual void DoSelectionChange(bool Selected);
    virtual void DoSelectionModeChange();
    virtual void DoTopColChange();
    virtual void DoTopRowChange();
    // Every settings object reports its changes here.
    virtual void PropertyChanged(QObject *Sender);

    // Painting pieces.
    virtual void UpdateImagebarWidth();
    virtual bool UpdateLeftbarColumn();
    virtual void UpdateLeftbarWidth();
    virtual void UpdateRulerHeight();
    virtual void InitRuler();
    virtual void InitRulerDigitMask();
    virtual void ColorRulerDigits();
    virtual void DrawRulerGauge();
    virtual void DrawRulerMark(int ACol);
    virtual void EraseRulerMark(int ACol);
    virtual void InitLeftbarEdge();
    virtual void DrawOrigin();
    virtual void InvalidateLeftbar(int ARow1, int ARow2) override;
    virtual void LeftbarWidthChanged(int OldWidth, int NewWidth);
    // The bars and the ruler, drawn with the painter of the paint in progress.
    virtual void PaintLeftbar(int ARow1, int ARow2);
    void PaintImagebar(int ARow1, int ARow2);
    virtual void PaintRuler();
    virtual void ScrollText(int Dx, int Dy, const QRect &ScrollRect);

    // Marks, drawn with the painter of the paint in progress.
    virtual void DrawEofMark(int X, int Y);
    virtual void DrawRetMark(int X, int Y);
    virtual void DrawRetMarkSelected(int X, int Y);
    virtual void DrawWrapMark(int X, int Y);
    virtual void DrawWrapMarkSelected(int X, int Y);
    virtual void DrawHideMark(int X, int Y);
    virtual void DrawHideMarkSelected(int X, int Y);
    virtual void DrawArrowMark(int X, int Y, bool Selected);
    virtual void DrawTabMark(int X, int Y);
    virtual void DrawTabMarkSelected(int X, int Y);
    virtual void DrawSemiSpaceMark(int X, int Y);
    virtual void DrawSpaceMark(int X, int Y);
    virtual void DrawCustomMark(int X, int Y);

    // Draws S from (X, Y), one cell per character (two for a wide one),
    // clipped to Rect and, with Opaque, on the brush colour over all of Rect.
    void DrawTextRect(const QRect &Rect, int X, int Y, QStringView S, bool Opaque);

    // The text model's repaint requests.
    void InvalidateTextArea() override;
    void ScrollRows(int ARow, int Delta) override;
    TLeftbarNumbers LeftbarNumbers() const override;
    int VisibleRows() const override { return FRowCount; }
    bool Focused() const override;
    bool IsDestroying() const override { return m_destroying; }
    bool IsShowing() const override { return isVisible(); }
    void SetRedraw(bool Value) override;
    void SetCaretNoMove(bool Value) override { FCaretNoMove = Value; }
    std::unique_ptr<TRowStateParser> CreateRowStateParser() override;
    int DisplayHeight() const override;
    bool InitBracketsFull() const override;

    // Qt events.
    bool event(QEvent *Event) override;
    void paintEvent(QPaintEvent *Event) override;
    void resizeEvent(QResizeEvent *Event) override;
    void keyPressEvent(QKeyEvent *Event) override;
    void keyReleaseEvent(QKeyEvent *Event) override;
    void inputMethodEvent(QInputMethodEvent *Event) override;
    void mousePressEvent(QMouseEvent *Event) override;
    void mouseMoveEvent(QMouseEvent *Event) override;
    void mouseReleaseEvent(QMouseEvent *Event) override;
    void focusInEvent(QFocusEvent *Event) override;
    void focusOutEvent(QFocusEvent *Event) override;
    void timerEvent(QTimerEvent *Event) override;
    void scrollContentsBy(int Dx, int Dy) override;

    // Keyboard actions: a key that moves or deletes, and a typed character.
    void KeyDown(int Key, Qt::KeyboardModifiers Modifiers);
    void KeyChar(char16_t Ch, Qt::KeyboardModifiers Modifiers);

    // Row selection from the bars left of the text, and the steps of
    // dragging a selection (edcontrol_keys.cpp).
    virtual void StartRowSelection(int ARow);
    virtual void ExtendRowSelection(int ARow);
    virtual void InitSelDrag();
    virtual void BeginSelDrag();
    virtual void EndSelDrag();
    // While a drag is pending or running, or the button is down, keys and
    // the other mouse buttons are swallowed; Ctrl shows the copy cursor and
    // Esc cancels the drag.
    bool eventFilter(QObject *Watched, QEvent *Event) override;

    // The character under a client point: its screen row and its index in
    // that row; false (Line set when the row exists) when there is none.
    virtual bool PosToStrInfo(const QPoint &Pos, TEditorStrInfo &Info) const;
    // The token under a point and its kind (0 for none), scanned with the
    // colouring scheme or, without UseScheme, by character classes.
    virtual QString TokenInfoFromPos(const QPoint &Pos, bool UseScheme, char16_t &Kind, bool Bracket);
    // Selects the token under a point.
    virtual void SelectFromPos(const QPoint &Pos, bool UseScheme, bool Bracket);

    std::unique_ptr<TEditorCaret> FCaret;
    std::unique_ptr<TEditorMarks> FMarks;
    std::unique_ptr<TEditorMargin> FMargin;
    std::unique_ptr<TEditorImagebar> FImagebar;
    std::unique_ptr<TEditorLeftbar> FLeftbar;
    std::unique_ptr<TEditorRuler> FRuler;
    std::unique_ptr<TEditorSpeed> FSpeed;
    std::unique_ptr<TEditorViewInfo> FView;
    TEditorScreenStrings *FList = nullptr;
    std::unique_ptr<TEditorStrings> FLines;
    std::unique_ptr<TEditorScreen> FScreen;

private:
    struct RowPaint;

    // Painting (edcontrol_paint.cpp).
    void paintArea(QPainter &Painter, const QRect &Clip);
    void paintRows(const QRect &Clip);
    void paintRowSplit(RowPaint &Row, const QRect &R, int X0);
    void paintRowPart(RowPaint &Row, const QRect &R, int X0, bool Selected);
    void prepareRow(RowPaint &Row, int Index);
    void drawBlankMarks(const RowPaint &Row, int X0, int Y);
    void drawTabMarks(int X, int Y, QStringView CellMap, bool Selected);
    void paintOrigin();
    void paintPreedit();
    // Cells of the text being composed (of its first Units units).
    int preeditCells(int Units = -1) const;
    void drawCaret();
    void drawRetArrow(int X, int Y, const QColor &Color);
    void drawAngleMark(int X, int Y, const QColor &Color, bool Opening);
    void drawTabChevron(int X, int Y, const QColor &Color);
    QRect underlineRect(int ARow) const;
    QRect rowBand(int ARow) const;
    void updateDrawFonts();
    const QRawFont &rawFont(TFontStyles Style, bool Mbcs);
    QColor colorOf(TColor Value, bool Background) const;
    QColor selectionColor() const;
    void markPen(TColor Value, bool Dotted = false);

    // Keyboard (edcontrol_keys.cpp).
    void moveCaretToRowEnd(int ARow);
    void keyBackspace();
    void keyTab(Qt::KeyboardModifiers Modifiers);
    void keyReturn(Qt::KeyboardModifiers Modifiers);
    void keyDelete();
    // Removes characters of the caret row (keeping its break) as one edit;
    // the caret goes to offset Target from row Base.
    void removeFromCaretRow(int Index, int Length, int Base, int Target);
    void requestCodeAssist();
    void codeAssistAfterDot();
    void cancelCodeAssist();
    void setScrollBarValue(Qt::Orientation Orientation, int Value);
    void verticalScrolled(int Value);
    void horizontalScrolled(int Value);
    void invalidateCaret();

    // Rows replaced from First, with the end-of-list rules of the commands.
    void replaceRowRange(int First, int Last, const QString &Text);
    // The same, but no edit (and no undo step) when the rows read Text already.
    bool replaceChangedRows(int First, int Last, const QString &Text);
    // The text of a stream or box replacement: up to a NUL; an empty one only
    // removes the selection. False when nothing more is to be done.
    bool replacementText(const QString &Buffer, QString &Text);
    // Typing and stream replacement: Text over the selection or at the caret.
    void putText(const QString &Text, bool Overwrite);
    // The indent commands: a step of Step (a tab or blanks), or one blank
    // (Blank), more (Delta 1) or less (-1).
    void indentRows(int Delta, bool Blank);
    void commentBox();
    void commentLines();
    // The token under a point: its start in the logical line's text (its
    // first row in FirstRow), its length and kind; false when none.
    bool tokenAt(const QPoint &Pos, bool UseScheme, bool Bracket, int &FirstRow, int &Start, QString &Token,
                 char16_t &Kind);
    bool searchForwards(const QString &Pattern, TSearchOptions Options);
    bool searchBackwards(const QString &Pattern, TSearchOptions Options);
    void showSearchHit(int BlockRow, const TSearchHit &Hit);
    // Offset of a row's start from the top of the text.
    int rowStartOffset(int ARow) const;
    // The row holding an offset and the offset left inside it.
    int rowOfOffset(int Offset, int *Rest = nullptr) const;
    bool ctrlDown() const { return m_modifiers & Qt::ControlModifier; }
    int baseRowOf(int ARow) const;
    TEditorGeometry editorGeometry() const;
    int charIndexAtCaret() const;

    TBorderStyle FBorderStyle = bsSingle;
    TColor FColor = clWhite;
    QPointer<TFountain> FFountain;
    TFont FFont;
    TFont FMBCSFont;
    bool FUseMBCSFont = false;
    TEditorHitStyle FHitStyle = hsSelect;
    QPointer<TImageList> FImageDigits;
    QPointer<TImageList> FImageMarks;
    bool FReadOnly = false;
    TScrollStyle FScrollBars = ssNone;
    bool FWantReturns = true;
    bool FWantTabs = true;
    bool FModified = false;
    TCharSet FDelimiters;
    QString FHitText;

    // Caret and view.
    int FRow = 0;
    int FCol = 0;
    int FTopRow = 0;
    int FTopCol = 0;
    int FRowCount = 1;
    int FColCount = 1;
    int FLeftScrollWidth = 0;
    int FHScrollMax = 10000;
    int FVScrollMax = 0;
    int FCaretUpdateCount = 0;
    bool FCaretShowing = false;
    bool FCaretNoMove = false;
    int FColBuf = 0;
    bool FColKeeping = false;
    bool FOverWrite = false;
    bool FKeyRepeat = false;
    bool FCompositionCanceled = false;
    int FUnderlineUpdateCount = 0;

    // Metrics.
    int FFontWidth = 12;
    int FFontHeight = 12;
    int FFontAscent = 10;
    int FImagebarWidth = 0;
    int FLeftbarWidth = 0;
    int FLeftbarColumn = 4;
    int FRulerHeight = 0;
    static constexpr int FRulerDigitWidth = 5;
    static constexpr int FRulerDigitHeight = 9;

    // Selection.
    TEditorSelectionMode FSelectionMode = smLine;
    TEditorSelectionState FSelectionState = sstNone;
    TSelectedPosition FSelDraw;
    TSelectedPosition FSelStr;
    TSelectedPosition FSelOld;
    TSelectedPosition FSelRow;
    int FSelStartRow = 0;
    int FSelStartCol = 0;
    int FSelStartSi = 0;
    TEditorSelDragState FSelDragState = sdNone;
    bool FRowSelecting = false;
    // The left button is down in the text (a selection is being made).
    bool m_buttonDown = false;
    // Keys held at the last key or mouse event, where the pointer was, and
    // whether Esc cancels the drag being ended.
    Qt::KeyboardModifiers m_modifiers;
    QPoint m_pointer;
    bool m_escapeDown = false;
    bool FClearingSelection = false;
    bool FHitSelecting = false;
    QPoint FMouseSelStartPos;
    TEditorMouseCursorState FCursorState = mcClient;
    int FHitSelLength = 0;
    int FHitStart = 0;
    int FHitEnd = 0;

    // Code assist.
    bool FCodeAssistCallOfDot = false;
    bool FCodeAssistDelayShow = false;
    int FCodeAssistDelayTime = 0;
    TEditorSelectionMode FDefaultSelectMode = smLine;
    bool FDefaultCaretFreeCaret = true;
    bool FKeyDownAltKey = false;
    QTimer m_codeAssistTimer;
    QPoint m_codeAssistPoint;
    int m_codeAssistRow = -1;
    int m_codeAssistCol = -1;

    // Our own caret: where it is drawn, and its blinking.
    QRect m_caretRect;
    QBasicTimer m_blinkTimer;
    bool m_blinkOn = true;

    // The input method's text being composed, drawn at the caret.
    QString m_preedit;
    int m_preeditCursor = 0;

    // Painting state.
    QPainter *m_canvas = nullptr;
    QFont m_drawFont;
    QFont m_drawMbcsFont;
    QRawFont m_rawFonts[2][4];
    bool m_rawFontsReady[2][4] = {};
    QImage m_rulerDigitMask;
    QPixmap m_rulerDigits;
    QPixmap m_rulerMarkDigits;
    // Glyphs and positions of one text run, reused by every row.
    std::vector<quint32> m_glyphs;
    std::vector<QPointF> m_positions;
    std::vector<int> m_cells;
    QString m_cellMapBuffer;
    std::unique_ptr<TFountainParser> m_parser;
    bool m_destroying = false;
    bool m_settingScrollBars = false;
};
