#include "editorcontrol/edcontrol.h"
#include "editorcontrol/MECSUtils.h"
#include "editorcontrol/edcontrol_p.h"
#include "platform/fonts/fontmap.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>

using namespace EdControl;

namespace {

// The arrow over the bars left of the text: the standard arrow turned to
// point up and to the right.
QCursor rightArrowCursor()
{
    static const QCursor cursor = [] {
        QPixmap image(16, 16);
        image.fill(Qt::transparent);
        QPainter p(&image);
        const QPolygon arrow(
            {QPoint(15, 0), QPoint(15, 11), QPoint(12, 8), QPoint(9, 13), QPoint(7, 12), QPoint(10, 7), QPoint(5, 7)});
        p.setPen(Qt::black);
        p.setBrush(Qt::white);
        p.drawPolygon(arrow);
        p.end();
        return QCursor(image, 15, 0);
    }();
    return cursor;
}

} // namespace

QCursor EdControl::CursorShape(TCursor Cursor)
{
    switch (Cursor) {
    case crIBeam: return Qt::IBeamCursor;
    case crDrag: return Qt::DragMoveCursor;
    case crDragSelCopy: return Qt::DragCopyCursor;
    case crRightArrow: return rightArrowCursor();
    default: return Qt::ArrowCursor;
    }
}

void EdControl::BoxRowRange(QStringView Text, QStringView Map, int Left, int Right, int &Start, int &Count)
{
    const int length = int(Text.size());
    Start = std::min(length, FirstCharAtOrRightOfCol(Map, Left));
    int end = Right > 0 ? CharCoveringCol(Map, Right - 1) + 1 : 0;
    if (Right - 1 >= Map.size())
        end = length;
    end = std::min(length, end);
    Count = std::max(0, end - Start);
}

// ---- Creation ----

TEditor::TEditor(QWidget *Parent)
    : QAbstractScrollArea(Parent)
{
    resize(185, 89);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    installEventFilter(this);
    viewport()->installEventFilter(this);
    FDelimiters = DefaultDelimiters();

    FList = CreateEditorScreenStrings();
    FList->AddClient(this);
    FLines = CreateEditorStrings();
    FScreen = CreateEditorScreen();
    FView = CreateEditorViewInfo();

    FColor = clWhite;
    FFont.setFamily(QStringLiteral("FixedSys"));
    FFont.setPointSize(10);
    FFont.SetColor(clBlack);
    FMBCSFont = FFont;

    FCaret = CreateEditorCaret();
    FMarks = CreateEditorMarks();
    FMargin = CreateEditorMargin();
    FImagebar = CreateEditorImagebar();
    FLeftbar = CreateEditorLeftbar();
    FRuler = CreateEditorRuler();
    InitRulerDigitMask();
    FSpeed = CreateEditorSpeed();

    FDefaultSelectMode = FSelectionMode;
    FDefaultCaretFreeCaret = FCaret->FreeCaret();

    m_codeAssistTimer.setSingleShot(true);
    connect(&m_codeAssistTimer, &QTimer::timeout, this, [this] { emit CodeAssist(m_codeAssistPoint); });
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &TEditor::verticalScrolled);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, &TEditor::horizontalScrolled);

    // The window exists from here on: measure and build the bars.
    UpdateMetrics();
    UpdateScrollBars();
    InitLeftbarEdge();
    InitRuler();
    DrawOrigin();
}

TEditor::~TEditor()
{
    m_destroying = true;
    m_codeAssistTimer.stop();
    SetFountain(nullptr);
    FScreen.reset();
    FView.reset();
    FList->RemoveClient(this);
    FList = nullptr;
    FLines.reset();
    FCaret.reset();
    FMarks.reset();
    FMargin.reset();
    FImagebar.reset();
    FLeftbar.reset();
    FRuler.reset();
    FSpeed.reset();
}

namespace {

// A settings object that reports its changes to the editor.
template<class T>
std::unique_ptr<T> notifying(const TNotifyEvent &Handler)
{
    auto object = std::make_unique<T>();
    object->OnChange = Handler;
    return object;
}

} // namespace

std::unique_ptr<TEditorCaret> TEditor::CreateEditorCaret()
{
    return notifying<TEditorCaret>(TNotifyEvent(this, &TEditor::PropertyChanged));
}

std::unique_ptr<TEditorImagebar> TEditor::CreateEditorImagebar()
{
    return notifying<TEditorImagebar>(TNotifyEvent(this, &TEditor::PropertyChanged));
}

std::unique_ptr<TEditorLeftbar> TEditor::CreateEditorLeftbar()
{
    return notifying<TEditorLeftbar>(TNotifyEvent(this, &TEditor::PropertyChanged));
}

std::unique_ptr<TEditorMarks> TEditor::CreateEditorMarks()
{
    return notifying<TEditorMarks>(TNotifyEvent(this, &TEditor::PropertyChanged));
}

std::unique_ptr<TEditorMargin> TEditor::CreateEditorMargin()
{
    return notifying<TEditorMargin>(TNotifyEvent(this, &TEditor::PropertyChanged));
}

std::unique_ptr<TEditorRuler> TEditor::CreateEditorRuler()
{
    return notifying<TEditorRuler>(TNotifyEvent(this, &TEditor::PropertyChanged));
}

std::unique_ptr<TEditorSpeed> TEditor::CreateEditorSpeed()
{
    return std::make_unique<TEditorSpeed>();
}

std::unique_ptr<TEditorScreen> TEditor::CreateEditorScreen()
{
    return std::make_unique<TEditorScreen>(this);
}

TEditorScreenStrings *TEditor::CreateEditorScreenStrings()
{
    return new TEditorScreenStrings;
}

std::unique_ptr<TEditorStrings> TEditor::CreateEditorStrings()
{
    return std::make_unique<TEditorStrings>(this);
}

std::unique_ptr<TEditorViewInfo> TEditor::CreateEditorViewInfo()
{
    auto view = std::make_unique<TEditorViewInfo>(this);
    view->OnChange = TNotifyEvent(this, &TEditor::PropertyChanged);
    return view;
}

TFountain *TEditor::GetActiveFountain() const
{
    if (FFountain)
        return FFountain;
    return FView->EditorFountain();
}

TCharSet TEditor::DefaultDelimiters() const
{
    return ::DefaultDelimiters();
}

// ---- Events ----

void TEditor::DoCaretMoved()
{
    emit OnCaretMoved();
}

void TEditor::DoDrawLine(QRect &ARect, int X, int Y, const QString &LineStr, int Index, bool Selected)
{
    emit OnDrawLine(LineStr, X, Y, Index, ARect, Selected);
}

void TEditor::DoSelectionChange(bool Selected)
{
    emit OnSelectionChange(Selected);
}

void TEditor::DoSelectionModeChange()
{
    emit OnSelectionModeChange();
}

void TEditor::DoTopColChange()
{
    emit OnTopColChange();
}

void TEditor::DoTopRowChange()
{
    emit OnTopRowChange();
}

void TEditor::PropertyChanged(QObject *Sender)
{
    // Nothing to re-measure while the editor is still being made or going away.
    if (m_destroying || !FSpeed)
        return;
    if (Sender == FMarks.get()) {
        FMargin->SetUnderline(FMarks->Underline()->Visible() ? 1 : 0);
    } else if (Sender == FView.get() || qobject_cast<TFountain *>(Sender)) {
        FList->InitBrackets();
    }
    UpdateMetrics();
    UpdateScrollBars();
    if (Sender == FLeftbar.get()) {
        InitLeftbarEdge();
        DrawOrigin();
    } else if (Sender == FMargin.get() || Sender == FRuler.get()) {
        InitRuler();
        DrawOrigin();
    } else if (Sender == FImagebar.get()) {
        DrawOrigin();
    }
    viewport()->update();
    if (Sender == FCaret.get()) {
        EditorUndoObj()->Clear();
        UpdateCaret();
    } else {
        ScrollCaret();
        SetCaretPosition();
    }
}

void TEditor::DoChange()
{
    FScreen->UpdateScreen();
    if (FLeftbar->Visible() && FLeftbar->ShowNumber() && UpdateLeftbarColumn()) {
        const int oldWidth = FLeftbarWidth;
        UpdateLeftbarWidth();
        DrawOrigin();
        LeftbarWidthChanged(oldWidth, FLeftbarWidth);
        UpdateColCount();
    }
    UpdateScrollBars();
    if (FList->DrawInfo().NeedUpdate) {
        FModified = true;
        emit OnChange();
    }
}

// ---- Settings ----

void TEditor::SetBorderStyle(TBorderStyle Value)
{
    if (FBorderStyle == Value)
        return;
    FBorderStyle = Value;
    setFrameStyle(Value == bsSingle ? (QFrame::StyledPanel | QFrame::Sunken) : QFrame::NoFrame);
    RefreshMetrics();
}

void TEditor::SetColor(TColor Value)
{
    if (FColor == Value)
        return;
    FColor = Value;
    InitRuler();
    DrawOrigin();
    viewport()->update();
}

void TEditor::SetFountain(TFountain *Value)
{
    if (FFountain == Value)
        return;
    const TNotifyEvent handler(this, &TEditor::PropertyChanged);
    if (FFountain) {
        FFountain->NotifyEventList()->Remove(handler);
        disconnect(FFountain, &QObject::destroyed, this, nullptr);
    }
    FFountain = Value;
    if (Value) {
        Value->NotifyEventList()->Add(handler);
        // A scheme that goes away is forgotten (the guarded pointer is null by then).
        connect(Value, &QObject::destroyed, this, [this] {
            FList->InitBrackets();
            viewport()->update();
        });
    }
    if (m_destroying)
        return;
    FList->InitBrackets();
    viewport()->update();
}

void TEditor::SetFont(const TFont &Value)
{
    FFont = Value;
    if (FLeftScrollWidth > 0)
        SetCol(0);
    UpdateMetrics();
    UpdateScrollBars();
    InitRuler();
    DrawOrigin();
    UpdateCaret();
    viewport()->update();
}

void TEditor::SetHitStyle(TEditorHitStyle Value)
{
    if (FHitStyle == Value)
        return;
    if (SelectedData())
        CleanSelection();
    FHitStyle = Value;
}

void TEditor::SetImageDigits(TImageList *Value)
{
    FImageDigits = Value;
    if (FImagebar->Visible())
        viewport()->update();
}

void TEditor::SetImageMarks(TImageList *Value)
{
    FImageMarks = Value;
    if (FImagebar->Visible())
        viewport()->update();
}

void TEditor::SetLines(const QStringList &Value)
{
    QString text;
    for (const QString &line : Value)
        text += line + QLatin1String("\r\n");
    FLines->SetTextStr(text);
    FList->RefreshClients();
}

void TEditor::SetReadOnly(bool Value)
{
    if (FSelDragState != sdNone)
        return;
    FReadOnly = Value;
    setAttribute(Qt::WA_InputMethodEnabled, !Value);
    if (Value && Selected())
        viewport()->setCursor(CursorShape(FCaret->Cursors()->DefaultCursor()));
}

QStringList TEditor::ReserveWordList() const
{
    return FView->EditorFountain()->ReserveWordList();
}

void TEditor::SetReserveWordList(const QStringList &Value)
{
    TEditorFountain *fountain = FView->EditorFountain();
    TSortedStringList list;
    list.Assign(Value);
    if (list == fountain->WordList())
        return;
    // The scheme reports the change; the view recomputes and repaints.
    fountain->SetReserveWordList(Value);
}

void TEditor::SetScrollBars(TScrollStyle Value)
{
    FScrollBars = Value;
    const bool horizontal = Value == ssHorizontal || Value == ssBoth;
    const bool vertical = Value == ssVertical || Value == ssBoth;
    setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    UpdateMetrics();
    UpdateScrollBars();
}

int TEditor::UndoListMax() const
{
    return EditorUndoObj()->ListMax();
}

void TEditor::SetUndoListMax(int Value)
{
    EditorUndoObj()->SetListMax(Value);
}

void TEditor::SetView(const TEditorViewInfo *Value)
{
    FView->Assign(Value);
    ScrollCaret();
    SetCaretPosition();
}

bool TEditor::WordWrap() const
{
    return FList->WordWrap();
}

void TEditor::SetWordWrap(bool Value)
{
    FList->SetWordWrap(Value);
}

TEditorWrapOption *TEditor::WrapOption() const
{
    return FList->WrapOption();
}

void TEditor::SetMBCSFont(const TFont &Value)
{
    FMBCSFont = Value;
    UpdateMetrics();
    UpdateScrollBars();
    if (FUseMBCSFont)
        viewport()->update();
}

void TEditor::SetUseMBCSFont(bool Value)
{
    if (FUseMBCSFont == Value)
        return;
    FUseMBCSFont = Value;
    UpdateMetrics();
    UpdateScrollBars();
    viewport()->update();
}

void TEditor::SetHitText(const QString &Value)
{
    if (FHitText == Value)
        return;
    FHitText = Value;
    viewport()->update();
}

void TEditor::SetOverWrite(bool Value)
{
    FOverWrite = Value;
    UpdateCaret();
}

void TEditor::SetCursorState(TEditorMouseCursorState Value)
{
    if (FCursorState == Value)
        return;
    FCursorState = Value;
    if (!FCaret->AutoCursor())
        return;
    const TEditorCursors *cursors = FCaret->Cursors();
    switch (Value) {
    case mcClient: viewport()->setCursor(CursorShape(cursors->DefaultCursor())); break;
    case mcLeftMargin: viewport()->setCursor(CursorShape(cursors->LeftMarginCursor())); break;
    case mcTopMargin: viewport()->setCursor(CursorShape(cursors->TopMarginCursor())); break;
    case mcInSel: viewport()->setCursor(CursorShape(cursors->InSelCursor())); break;
    case mcDragging: viewport()->setCursor(CursorShape(cursors->DragSelCursor())); break;
    case mcDraggingCopy: viewport()->setCursor(CursorShape(cursors->DragSelCopyCursor())); break;
    }
}

int TEditor::RowHeight() const
{
    return FFontHeight + FMargin->Underline() + FMargin->Line();
}

void TEditor::SetSelectionMode(TEditorSelectionMode Value)
{
    if (FSelectionMode == Value || FSelDragState != sdNone)
        return;
    FSelectionMode = Value;
    if (Selected()) {
        if (Value == smBox)
            viewport()->setCursor(CursorShape(FCaret->Cursors()->DefaultCursor()));
        UpdateSelection();
        viewport()->update();
    }
    DoSelectionModeChange();
}

void TEditor::ChangingSelectModeAltKey()
{
    if (!SelectedData() && FDefaultSelectMode == smLine) {
        SetSelectionMode(smBox);
        FCaret->SetFreeCaret(true);
    }
}

void TEditor::ChangedSelectModeAltKey()
{
    if (!SelectedData() && FSelectionMode != FDefaultSelectMode) {
        SetSelectionMode(FDefaultSelectMode);
        FCaret->SetFreeCaret(FDefaultCaretFreeCaret);
    }
}

// ---- Rows ----

int TEditor::ListBracket(int Index) const
{
    return Index >= 0 && Index < FList->Count() ? FList->GetBrackets(Index) : 0;
}

TRowAttributeData TEditor::ListData(int Index) const
{
    if (Index >= 0 && Index < FList->Count())
        return FList->GetRowData(Index);
    TRowAttributeData data;
    data.RowAttribute = raEof;
    return data;
}

QString TEditor::ListDataString(int Index) const
{
    return Index >= 0 && Index < FList->Count() ? FList->GetDataStr(Index) : QString();
}

int TEditor::ListElement(int Index) const
{
    return Index >= 0 && Index < FList->Count() ? FList->GetElements(Index) : 0;
}

TRowAttribute TEditor::ListPrevRow(int Index) const
{
    return Index >= 0 && Index < FList->Count() ? FList->GetPrevRows(Index) : raEof;
}

char16_t TEditor::ListPrevToken(int Index) const
{
    return Index >= 0 && Index < FList->Count() ? FList->GetPrevTokens(Index) : 0;
}

int TEditor::ListRemain(int Index) const
{
    return Index >= 0 && Index < FList->Count() ? FList->GetRemains(Index) : 0;
}

TRowAttribute TEditor::ListRow(int Index) const
{
    return RowAttrAt(*FList, Index);
}

QString TEditor::ListString(int Index) const
{
    return RowTextAt(*FList, Index);
}

char16_t TEditor::ListToken(int Index) const
{
    return Index >= 0 && Index < FList->Count() ? FList->GetTokens(Index) : 0;
}

int TEditor::ListWrappedByte(int Index) const
{
    return Index >= 0 && Index < FList->Count() ? FList->GetWrappedBytes(Index) : 0;
}

TRowMarks TEditor::ListRowMarks(int Index) const
{
    return Index >= 0 && Index < FList->Count() ? FList->GetRowMarks(Index) : 0;
}

void TEditor::SetListRowMarks(int Index, TRowMarks Value)
{
    if (Index < 0 || Index >= FList->Count())
        return;
    const TRowMarks old = FList->GetRowMarks(Index);
    if (old == Value)
        return;
    FList->IncludeRowMarks(TRowMarks(Value & ~old));
    FList->ExcludeRowMarks(TRowMarks(old & ~Value));
    FList->SetRowMarks(Index, Value);
    // Marks 1 and 2 colour the row's text background, so the whole band goes.
    InvalidateRows(Index, Index);
}

QString TEditor::RowCellMap(int Index) const
{
    return CellMap(RowTextAt(*FList, Index), CellMapOptions());
}

int TEditor::RowCells(int Index) const
{
    return RowCellCount(*FList, CellMapOptions(), Index);
}

TCellMapOptions TEditor::CellMapOptions() const
{
    TCellMapOptions options;
    options.TabSpaceCount = FCaret ? FCaret->TabSpaceCount() : 8;
    options.Delimiters = FDelimiters;
    options.AmbiguousWide = DefaultAmbiguousWide();
    options.WordWrap = FList->WordWrap();
    options.WrapByte = FList->WrapOption()->WrapByte();
    return options;
}

// ---- Positions ----

int TEditor::TopMargin() const
{
    return FMargin->Top() + (FRuler->Visible() ? FRulerHeight : 0);
}

int TEditor::LeftMargin() const
{
    return FMargin->Left() + (FImagebar->Visible() ? FImagebarWidth : 0) + (FLeftbar->Visible() ? FLeftbarWidth : 0);
}

TEditorGeometry TEditor::editorGeometry() const
{
    TEditorGeometry geometry;
    geometry.LeftMargin = LeftMargin();
    geometry.TopMargin = TopMargin();
    geometry.FontWidth = FFontWidth;
    geometry.RowHeight = RowHeight();
    geometry.TopRow = FTopRow;
    geometry.TopCol = FTopCol;
    return geometry;
}

void TEditor::PosToRowCol(int XPos, int YPos, int &ARow, int &ACol, bool Split) const
{
    const TRowCol rc = ::PosToRowCol(editorGeometry(), XPos, YPos, Split);
    ARow = rc.Row;
    ACol = rc.Col;
}

void TEditor::SetRowCol(int ARow, int ACol)
{
    if (ARow == FRow && ACol == FCol)
        return;
    const bool held = FCaretNoMove;
    FCaretNoMove = true;
    try {
        SetRow(ARow);
        const QString map = RowCellMap(FRow);
        int col = ACol;
        if (isWideHalf(map, col))
            --col;
        if (!FCaret->InTab()) {
            while (col > 0 && isTabFiller(map, col))
                --col;
        }
        SetCol(col);
    } catch (...) {
        FCaretNoMove = held;
        UpdateCaret();
        throw;
    }
    FCaretNoMove = held;
    UpdateCaret();
}

void TEditor::SetRowColFromIndex(int StartRow, int Index)
{
    const TRowCol rc = RowColFromIndex(*FList, CellMapOptions(), StartRow, Index);
    const bool held = FCaretNoMove;
    FCaretNoMove = true;
    try {
        SetRow(rc.Row);
        SetCol(rc.Col);
    } catch (...) {
        FCaretNoMove = held;
        throw;
    }
    FCaretNoMove = held;
    if (!held)
        UpdateCaret();
}

int TEditor::RowColToIndex(int StartRow, int ARow, int ACol) const
{
    return ::RowColToIndex(*FList, CellMapOptions(), StartRow, ARow, ACol);
}

void TEditor::SetCol(int Value)
{
    Value = std::clamp(Value, 0, MaxLineCells + 1);
    const bool ruler = FRuler->Visible();
    if (ruler)
        EraseRulerMark(FCol);
    const int old = FCol;
    FCol = Value;
    NormalizeCaretCol(false, Value > old ? 1 : -1);
    if (ruler)
        DrawRulerMark(FCol);
}

void TEditor::SetRow(int Value)
{
    const int count = FList->Count();
    if (Value == FRow && FRow != count)
        return;
    UnderlineHold underline(*this);
    int row = std::clamp(Value, 0, count);
    if (row == count && count > 0 && FList->RowAttr(count - 1) == raEof)
        --row;
    FRow = row;
    const int oldCol = FCol;
    NormalizeCaretCol(true, -1);
    if (FRuler->Visible() && FCol != oldCol) {
        EraseRulerMark(oldCol);
        DrawRulerMark(FCol);
    }
}

void TEditor::NormalizeCaretCol(bool KeepCol, int Direction)
{
    const QString map = RowCellMap(FRow);
    const int w = int(map.size());
    auto remember = [&](int c) {
        if (KeepCol && !FColKeeping) {
            FColBuf = c;
            FColKeeping = true;
        }
    };
    if (!KeepCol)
        FColKeeping = false;
    else if (FColKeeping)
        FCol = FColBuf;

    const bool leftButton = QGuiApplication::mouseButtons() & Qt::LeftButton;
    if (!FCaret->FreeCaret() && FCol > w) {
        if (FCaret->KeepCaret())
            remember(leftButton ? w : FCol);
        if (!(FCaret->FreeRow() && KeepCol && !leftButton))
            FCol = w;
    }
    if (isWideHalf(map, FCol)) {
        remember(FCol);
        FCol += Direction;
    }
    if (!FCaret->InTab() && isTabFiller(map, FCol)) {
        remember(FCol);
        while (isTabFiller(map, FCol))
            FCol += Direction;
    }
    if (FList->WordWrap() && FCol >= w) {
        remember(FCol);
        const int wrap = FList->WrapOption()->WrapByte();
        if (RowAttrAt(*FList, FRow) == raWrapped)
            FCol = std::max(0, w - 1);
        else if (FCol >= wrap)
            FCol = std::max(w, wrap - 1);
        if (isWideHalf(map, FCol))
            --FCol;
        if (!FCaret->InTab()) {
            while (FCol > 0 && isTabFiller(map, FCol))
                --FCol;
        }
    }
    if (FCol > MaxLineCells && !(map.size() > MaxLineCells - 1 && map[MaxLineCells - 1] == QLatin1Char('4')))
        FCol = MaxLineCells;
    FCol = std::max(0, FCol);
    if (!FCaretNoMove)
        UpdateCaret();
}

void TEditor::ExchangeList(TEditor *Source)
{
    if (!Source || Source->FList == FList)
        return;
    if (SelectedData())
        CleanSelection();
    FList->RemoveClient(this);
    FList = Source->FList;
    FList->AddClient(this);
    FList->AdjustClientRows();
    UpdateMetrics();
    UpdateScrollBars();
    DrawOrigin();
    viewport()->update();
}

// ---- Character offsets and the selection as text ----

int TEditor::SelStart() const
{
    if (FList->Count() == 0)
        return 0;
    int row = FRow;
    int index = 0;
    if (SelectedData()) {
        row = FSelStr.Sr;
        index = FSelStr.Sc;
    } else {
        index = std::min(charIndexAtCaret(), int(RowTextAt(*FList, FRow).size()));
    }
    int offset = 0;
    for (int r = 0; r < row && r < FList->Count(); ++r)
        offset += int(FList->RowText(r).size()) + (FList->RowAttr(r) == raCrlf ? 2 : 0);
    return offset + index;
}

void TEditor::SetSelStart(int Value)
{
    if (SelectedData())
        CleanSelection();
    if (FList->Count() == 0)
        return;
    if (Value <= 0) {
        SetRowCol(0, 0);
        return;
    }
    SetRowColFromIndex(0, Value);
}

int TEditor::SelLength() const
{
    if (!Selected())
        return 0;
    if (FSelStr.Sr == FSelStr.Er)
        return FSelStr.Ec - FSelStr.Sc + 1;
    int length = 0;
    if (FSelectionMode == smBox) {
        for (int r = FSelDraw.Sr; r <= FSelDraw.Er; ++r) {
            const QString text = RowTextAt(*FList, r);
            int start = 0;
            int count = 0;
            BoxRowRange(text, CellMap(text, CellMapOptions()), FSelDraw.Sc, FSelDraw.Ec, start, count);
            length += count + 2;
        }
        return length;
    }
    for (int r = FSelStr.Sr; r <= FSelStr.Er; ++r) {
        const int n = int(RowTextAt(*FList, r).size());
        if (r == FSelStr.Sr)
            length += n - FSelStr.Sc;
        else if (r == FSelStr.Er)
            length += FSelStr.Ec + 1;
        else
            length += n;
        if (r != FSelStr.Er && RowAttrAt(*FList, r) == raCrlf)
            length += 2;
    }
    return length;
}

void TEditor::SetSelLength(int Value)
{
    if (FList->Count() == 0)
        return;
    if (FSelectionMode == smBox)
        SetSelectionMode(smLine);
    if (Value <= 0) {
        if (SelectedData()) {
            const int row = FSelStr.Sr;
            const int col = ColOfCharIndex(RowCellMap(row), FSelStr.Sc);
            CleanSelection();
            SetRowCol(row, col);
        }
        return;
    }
    const bool held = FCaretNoMove;
    FCaretNoMove = true;
    try {
        if (SelectedData()) {
            const int row = FSelStr.Sr;
            const int index = FSelStr.Sc;
            SetRow(row);
            SetCol(ColOfCharIndex(RowCellMap(row), index));
        }
        StartSelection();
        // A length selects a stream, also where new selections default to boxes.
        if (FSelectionMode == smBox)
            SetSelectionMode(smLine);
        const TRowCol rc = RowColFromIndex(*FList, CellMapOptions(), FRow, charIndexAtCaret() + Value);
        SetRow(rc.Row);
        SetCol(rc.Col);
    } catch (...) {
        FCaretNoMove = held;
        UpdateCaret();
        throw;
    }
    FCaretNoMove = held;
    UpdateCaret();
    ExtendSelection();
}

QString TEditor::SelText() const
{
    if (!Selected())
        return QString();
    if (FSelStr.Sr == FSelStr.Er)
        return RowTextAt(*FList, FSelStr.Sr).mid(FSelStr.Sc, std::max(0, FSelStr.Ec - FSelStr.Sc + 1));
    QString text;
    if (FSelectionMode == smBox) {
        for (int r = FSelDraw.Sr; r <= FSelDraw.Er; ++r) {
            const QString row = RowTextAt(*FList, r);
            int start = 0;
            int count = 0;
            BoxRowRange(row, CellMap(row, CellMapOptions()), FSelDraw.Sc, FSelDraw.Ec, start, count);
            text += row.mid(start, count) + QLatin1String("\r\n");
        }
        return text;
    }
    for (int r = FSelStr.Sr; r <= FSelStr.Er; ++r) {
        const QString row = RowTextAt(*FList, r);
        if (r == FSelStr.Sr)
            text += row.mid(FSelStr.Sc);
        else if (r == FSelStr.Er)
            text += row.left(FSelStr.Ec + 1);
        else
            text += row;
        if (r != FSelStr.Er && RowAttrAt(*FList, r) == raCrlf)
            text += QLatin1String("\r\n");
    }
    return text;
}

void TEditor::SetHitSelLength(int Value)
{
    switch (FHitStyle) {
    case hsSelect: SetSelLength(Value); break;
    case hsDraw:
        FHitSelecting = true;
        SetSelLength(Value);
        FHitSelecting = false;
        break;
    case hsCaret:
        if (Value > 0) {
            FHitSelecting = true;
            SetSelLength(Value);
            FHitSelecting = false;
            if (Focused()) {
                const int row = FSelDraw.Sr;
                const int start = FSelDraw.Sc;
                const int end = FSelDraw.Sr == FSelDraw.Er ? FSelDraw.Ec : RowCells(FSelDraw.Sr);
                SetRowCol(row, start);
                // The hit shows as a block caret over its cells.
                invalidateCaret();
                m_caretRect.setWidth(std::max(2, FFontWidth * (end - start)));
                m_caretRect.setHeight(FFontHeight);
                invalidateCaret();
            }
        } else {
            SetSelLength(Value);
        }
        break;
    }
    FHitSelLength = Value;
}

// ---- Metrics ----

namespace {

// Widths of the character codes 32..255 and of a wide character in the font
// last measured, for centring glyphs in their cells. Shared by all editors:
// the last one measured decides (they all use one font in practice).
int g_charWidths[256];
int g_wideWidth = 0;

} // namespace

int EdControlCharWidth(char16_t Ch)
{
    return Ch < 256 ? g_charWidths[Ch] : g_wideWidth;
}

void TEditor::updateDrawFonts()
{
    m_drawFont = FFont;
    m_drawFont.setFamily(FontMap::substitute(FFont.family()));
    if (FontMap::isFixedPitchName(FFont.family()))
        m_drawFont.setStyleHint(QFont::TypeWriter);
    m_drawFont.setKerning(false);
    m_drawFont.setUnderline(false);
    m_drawMbcsFont = FMBCSFont;
    m_drawMbcsFont.setFamily(FontMap::substitute(FMBCSFont.family()));
    m_drawMbcsFont.setKerning(false);
    m_drawMbcsFont.setUnderline(false);
    for (auto &row : m_rawFontsReady)
        std::fill(std::begin(row), std::end(row), false);
}

void TEditor::UpdateMetrics()
{
    updateDrawFonts();
    const QFontMetrics fm(m_drawFont);
    FFontHeight = fm.height() + std::max(0, fm.leading());
    FFontAscent = fm.ascent();
    // The second font gets the same cell height.
    {
        const QFontMetrics mbcs(m_drawMbcsFont);
        if (mbcs.height() > 0 && m_drawMbcsFont.pixelSize() <= 0) {
            const qreal size = QFontInfo(m_drawMbcsFont).pixelSize();
            m_drawMbcsFont.setPixelSize(std::max(1, int(size * fm.height() / mbcs.height())));
        }
    }
    FFontWidth = std::max(1, (fm.horizontalAdvance(QLatin1Char('W')) + fm.horizontalAdvance(QLatin1Char('M'))
                              + fm.horizontalAdvance(QLatin1Char('i')))
                                     / 3
                                 + FMargin->Character());
    for (int c = 32; c < 256; ++c)
        g_charWidths[c] = fm.horizontalAdvance(QChar(c));
    g_wideWidth = fm.horizontalAdvance(QChar(0x3042));

    if (FRuler->Visible())
        UpdateRulerHeight();
    if (FLeftbar->Visible()) {
        UpdateLeftbarColumn();
        UpdateLeftbarWidth();
    }
    UpdateImagebarWidth();

    const int scrollExtent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const bool horizontal = FScrollBars == ssHorizontal || FScrollBars == ssBoth;
    FRowCount = std::max(1, (height() - TopMargin() - 5 - (horizontal ? scrollExtent : 0)) / std::max(1, RowHeight()));
    UpdateColCount();
}

void TEditor::UpdateColCount()
{
    const int scrollExtent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const bool vertical = FScrollBars == ssVertical || FScrollBars == ssBoth;
    FColCount = std::max(0, (width() - LeftMargin() - FFontWidth / 2 - (vertical ? scrollExtent : 0)) / FFontWidth);
}

void TEditor::UpdateScrollBars()
{
    if (!FList)
        return;
    FVScrollMax = std::max(0, FList->Count() + FRowCount - 1);
    if (FTopRow > FVScrollMax) {
        FTopRow = FVScrollMax;
        viewport()->update();
    }
    FHScrollMax = FList->WordWrap() ? FList->WrapOption()->WrapByte() : MaxLineCells;
    const int topColMax = std::max(0, FHScrollMax - FColCount / 2);
    if (FTopCol > topColMax) {
        FTopCol = topColMax;
        viewport()->update();
    }
    FLeftScrollWidth = FTopCol * FFontWidth;
    m_settingScrollBars = true;
    QScrollBar *vbar = verticalScrollBar();
    vbar->setRange(0, std::max(0, std::max(FRowCount, FVScrollMax) - FRowCount + 1));
    vbar->setPageStep(FRowCount);
    vbar->setSingleStep(1);
    vbar->setValue(FTopRow);
    QScrollBar *hbar = horizontalScrollBar();
    hbar->setRange(0, std::max(0, FColCount / 2 + FHScrollMax - FColCount + 1));
    hbar->setPageStep(std::max(1, FColCount));
    hbar->setSingleStep(1);
    hbar->setValue(FTopCol);
    m_settingScrollBars = false;
}

void TEditor::RefreshMetrics()
{
    UpdateMetrics();
    UpdateScrollBars();
    viewport()->update();
}

void TEditor::Loaded()
{
    if (FList->WordWrap())
        FList->WrapAllRows();
    FList->InitBrackets();
    FModified = false;
}

// ---- The model's requests ----

bool TEditor::Focused() const
{
    return hasFocus();
}

void TEditor::SetRedraw(bool Value)
{
    viewport()->setUpdatesEnabled(Value);
}

std::unique_ptr<TRowStateParser> TEditor::CreateRowStateParser()
{
    TFountain *fountain = ActiveFountain();
    if (!fountain)
        return nullptr;
    return fountain->CreateParser();
}

int TEditor::DisplayHeight() const
{
    const QScreen *s = screen();
    return s ? s->geometry().height() : 1080;
}

bool TEditor::InitBracketsFull() const
{
    return FSpeed && FSpeed->InitBracketsFull();
}

TEditorClient::TLeftbarNumbers TEditor::LeftbarNumbers() const
{
    if (!FLeftbar->Visible() || !FLeftbar->ShowNumber())
        return lnNone;
    return FLeftbar->ShowNumberMode() == nmLine ? lnLines : lnRows;
}

int TEditor::charIndexAtCaret() const
{
    const QString text = RowTextAt(*FList, FRow);
    return std::min(int(text.size()), CharIndexOfCol(CellMap(text, CellMapOptions()), FCol));
}

int TEditor::baseRowOf(int ARow) const
{
    return FList->FirstRowOfLine(ARow) == ARow ? ARow : ARow - 1;
}
