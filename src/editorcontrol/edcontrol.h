#pragma once

#include "editorcontrol/edcellmap.h"
#include "editorcontrol/edclient.h"
#include "editorcontrol/edcontrol_settings.h"
#include "editorcontrol/edimagelist.h"
#include "editorcontrol/edrowlist.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QPointer>
#include <QRawFont>
#include <QTimer>

#include <memory>
#include <vector>

class QPainter;
class TFountainParser;

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
// (keyboard, input method, caret, scrolling and mouse) and edcontrol_edit.cpp
// (the selection and the text-changing commands).

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

class TEditor : public QAbstractScrollArea, public TEditorClient, public TEditorSettingsHost
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

    // ---- Selection (the core of it; drag, rows and clipboard come later) ----
    void StartSelection();
    void ExtendSelection();
    void ConfirmSelection();
    void UpdateSelection();
    void CleanSelection() override;
    bool IsSelectedArea(int ARow, int ACol) const;
    // A selection cannot be dragged yet.
    virtual bool CanSelDrag() const;
    // Rows of the selection as they read once it is removed: one entry per
    // box row, or one entry for a line selection; each entry's data is the
    // 1-based position where the removed part was.
    void RowsWithoutSelection(TEditorStringList &List) const;
    // Removes the selected text as one edit.
    void DeleteSelection();

    // ---- Edit commands ----
    // Puts Source at the caret as typing does: over the selection, inserted,
    // or over the characters at the caret in overwrite mode.
    void PutStringToLine(const QString &Source);

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

    // Selection calls of the mouse that the row selection and dragging of
    // selections will fill in; they do nothing yet.
    virtual void StartRowSelection(int ARow);
    virtual void ExtendRowSelection(int ARow);
    virtual void InitSelDrag();
    virtual void BeginSelDrag();
    virtual void EndSelDrag();
    virtual void CancelSelDrag();
    // Indenting the selected rows with Tab and Shift+Tab comes with the edit
    // commands; until then they leave the text alone.
    virtual void SelTabIndent();
    virtual void SelTabUnIndent();

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
    int baseRowOf(int ARow) const;
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
