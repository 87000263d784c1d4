#include "editorcontrol/edcontrol.h"
#include "editorcontrol/edcontrol_p.h"
#include "editorcontrol/MECSUtils.h"
#include "editorcontrol/edfountain.h"

#include <QApplication>
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QScrollBar>

#include <algorithm>

using namespace EdControl;

namespace {

const QLatin1String CrLf("\r\n");

bool isNavigationKey(int Key)
{
    switch (Key) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down: return true;
    default: return false;
    }
}

// Control codes that typing never puts into the text (a line feed, as
// Ctrl+Return gives it, is typed like a printable character).
bool isIgnoredControl(char16_t Ch)
{
    return Ch == 0 || (Ch >= 1 && Ch <= 8) || Ch == 11 || Ch == 12 || (Ch >= 14 && Ch <= 31) || Ch == 127;
}

} // namespace

// ---- Caret ----

void TEditor::BeginCaretUpdate()
{
    if (FCaretUpdateCount++ == 0 && Focused())
        HideEditorCaret();
}

void TEditor::EndCaretUpdate()
{
    if (FCaretUpdateCount == 0)
        return;
    if (--FCaretUpdateCount == 0 && Focused())
        ShowEditorCaret();
}

void TEditor::invalidateCaret()
{
    if (!m_caretRect.isEmpty())
        viewport()->update(m_caretRect);
}

void TEditor::HideEditorCaret()
{
    if (!Focused() || !FCaretShowing)
        return;
    FCaretShowing = false;
    m_blinkTimer.stop();
    invalidateCaret();
}

void TEditor::ShowEditorCaret()
{
    if (FCaretUpdateCount != 0 || !Focused() || FCaretShowing || CaretOutOfView())
        return;
    FCaretShowing = true;
    m_blinkOn = true;
    const int flash = QApplication::cursorFlashTime();
    if (flash > 0)
        m_blinkTimer.start(flash / 2, this);
    invalidateCaret();
}

bool TEditor::CaretOutOfView() const
{
    return FRow < FTopRow || FRow > FTopRow + FRowCount || FCol < FTopCol || FCol > FTopCol + FColCount;
}

void TEditor::UpdateCaretShape()
{
    if (!Focused())
        return;
    HideEditorCaret();
    const int w0 = std::max(1, FFontWidth - FMargin->Character());
    int width = 2;
    int height = FFontHeight;
    if (FOverWrite) {
        const QString map = RowCellMap(FRow);
        width = FCol < map.size() && map[FCol] == QLatin1Char('4') ? 2 * w0 : w0;
    } else if (FCaret->Style() == TEditorCaretStyle::csBrief) {
        width = w0;
        height = 2;
    }
    m_caretRect.setSize(QSize(width, height));
}

void TEditor::CaretToPoint(int &X, int &Y) const
{
    X = LeftMargin() + (FCol - FTopCol) * FFontWidth;
    Y = TopMargin() + (FRow - FTopRow) * RowHeight();
    if (FCaret->Style() == TEditorCaretStyle::csBrief && !FOverWrite)
        Y += FFontHeight - 2;
}

QPoint TEditor::CaretPoint() const
{
    int x = 0;
    int y = 0;
    CaretToPoint(x, y);
    return QPoint(x, y);
}

void TEditor::SetCaretPosition()
{
    if (!Focused())
        return;
    const QPoint point = CaretPoint();
    if (m_caretRect.topLeft() != point) {
        invalidateCaret();
        m_caretRect.moveTopLeft(point);
        m_blinkOn = true;
        if (FCaretShowing)
            invalidateCaret();
    }
    if (FKeyRepeat)
        FCompositionCanceled = true;
    else
        UpdateImeWindow();
    DoCaretMoved();
}

void TEditor::ScrollCaret()
{
    if (!Focused())
        return;
    if (FRow < FTopRow)
        SetTopRow(FRow);
    else if (FRow > FTopRow + FRowCount - 1)
        SetTopRow(FRow - FRowCount + 1);
    if (FCol < FTopCol)
        SetTopCol(std::max(0, std::min(FCol, FTopCol - FColCount / 4)));
    else if (FCol > FTopCol + FColCount - 1)
        SetTopCol(std::min(std::max(FCol - FColCount + 1, FTopCol + FColCount / 4), FHScrollMax - FColCount / 2));
}

void TEditor::UpdateCaret()
{
    UpdateCaretShape();
    ScrollCaret();
    SetCaretPosition();
    ShowEditorCaret();
    // A caret that moved away cancels a pending completion request.
    if (m_codeAssistTimer.isActive() && (FRow != m_codeAssistRow || FCol != m_codeAssistCol))
        cancelCodeAssist();
}

void TEditor::UpdateImeWindow()
{
    FCompositionCanceled = false;
    if (Focused())
        QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle | Qt::ImFont);
}

void TEditor::timerEvent(QTimerEvent *Event)
{
    if (Event->timerId() == m_blinkTimer.timerId()) {
        m_blinkOn = !m_blinkOn;
        invalidateCaret();
        return;
    }
    QAbstractScrollArea::timerEvent(Event);
}

void TEditor::focusInEvent(QFocusEvent *Event)
{
    QAbstractScrollArea::focusInEvent(Event);
    UpdateCaretShape();
    SetCaretPosition();
    ShowEditorCaret();
}

void TEditor::focusOutEvent(QFocusEvent *Event)
{
    QAbstractScrollArea::focusOutEvent(Event);
    // A button release that went elsewhere must not leave keys swallowed.
    m_buttonDown = false;
    FRowSelecting = false;
    if (FSelDragState != sdNone)
        CancelSelDrag();
    // A composition the input method left unfinished must not keep the
    // caret hidden once the focus is back.
    if (!m_preedit.isEmpty()) {
        InvalidateRow(FRow);
        m_preedit.clear();
        m_preeditCursor = 0;
        EndCaretUpdate();
    }
    if (FCaretShowing) {
        FCaretShowing = false;
        m_blinkTimer.stop();
        invalidateCaret();
    }
}

// ---- Scrolling ----

void TEditor::setScrollBarValue(Qt::Orientation Orientation, int Value)
{
    m_settingScrollBars = true;
    (Orientation == Qt::Vertical ? verticalScrollBar() : horizontalScrollBar())->setValue(Value);
    m_settingScrollBars = false;
}

void TEditor::SetTopRow(int Value)
{
    CaretHold caret(*this);
    UnderlineHold underline(*this);
    const int value = std::clamp(Value, 0, FList->Count());
    if (value == FTopRow)
        return;
    const int d = std::clamp(FTopRow - value, -(FRowCount + 1), FRowCount + 1);
    FTopRow = value;
    const int tm = TopMargin();
    ScrollText(0, d * RowHeight(), QRect(0, tm, viewport()->width(), viewport()->height() - tm));
    setScrollBarValue(Qt::Vertical, FTopRow);
    if (FKeyRepeat)
        FCompositionCanceled = true;
    else
        UpdateImeWindow();
    DoTopRowChange();
}

void TEditor::SetTopCol(int Value)
{
    if (FRuler->Visible())
        EraseRulerMark(FCol);
    CaretHold caret(*this);
    const int value = std::clamp(Value, 0, std::max(0, FHScrollMax - FColCount / 2));
    if (value == FTopCol)
        return;
    const int d = FTopCol - value;
    FTopCol = value;
    const int lm = LeftMargin();
    ScrollText(d * FFontWidth, 0, QRect(lm, 0, viewport()->width() - lm, viewport()->height()));
    setScrollBarValue(Qt::Horizontal, FTopCol);
    if (FKeyRepeat)
        FCompositionCanceled = true;
    else
        UpdateImeWindow();
    if (FRuler->Visible())
        DrawRulerMark(FCol);
    DoTopColChange();
}

void TEditor::ScrollText(int Dx, int Dy, const QRect &ScrollRect)
{
    UnderlineHold underline(*this);
    FLeftScrollWidth -= Dx;
    // Pixels move with the scroll, and so do repaints already asked for;
    // the caret stays over its character until it is placed again.
    viewport()->scroll(Dx, Dy, ScrollRect);
    if (ScrollRect.contains(m_caretRect.topLeft()))
        m_caretRect.translate(Dx, Dy);
}

void TEditor::ScrollRows(int Delta)
{
    if (FTopRow == 0 && Delta < 0) {
        SetRow(0);
        return;
    }
    const int count = FList->Count();
    if (FTopRow >= count - 1 && Delta > 0)
        return;
    CaretHold caret(*this);
    const int old = FTopRow;
    SetTopRow(std::max(0, std::min(FTopRow + Delta, count)));
    SetRow(FRow + FTopRow - old);
}

void TEditor::ScrollTextRows(int ARow, int Delta)
{
    CaretHold caret(*this);
    UnderlineHold underline(*this);
    const int row = std::min(std::max(FTopRow, ARow), FTopRow + FRowCount);
    const int delta = std::clamp(Delta, -(FRowCount + 1), FRowCount + 1);
    const int lm = LeftMargin();
    const int top = TopMargin() + (row - FTopRow) * RowHeight();
    const QRect rect(lm, top, viewport()->width() - lm, viewport()->height() - top);
    if (!rect.isEmpty() && delta != 0)
        viewport()->scroll(0, delta * RowHeight(), rect);
}

void TEditor::ScrollImagebarRows(int ARow, int Delta)
{
    if (!FImagebar->Visible() || FImagebarWidth <= 0)
        return;
    const int row = std::min(std::max(FTopRow, ARow), FTopRow + FRowCount);
    const int delta = std::clamp(Delta, -(FRowCount + 1), FRowCount + 1);
    const int top = TopMargin() + (row - FTopRow) * RowHeight();
    const QRect rect(0, top, FImagebarWidth, viewport()->height() - top);
    if (!rect.isEmpty() && delta != 0)
        viewport()->scroll(0, delta * RowHeight(), rect);
}

void TEditor::ScrollRows(int ARow, int Delta)
{
    ScrollTextRows(ARow, Delta);
    ScrollImagebarRows(ARow, Delta);
}

void TEditor::scrollContentsBy(int, int)
{
    // The scroll bars move the view through TopRow and TopCol.
}

void TEditor::verticalScrolled(int Value)
{
    if (m_settingScrollBars)
        return;
    const int amount = std::clamp(Value - FTopRow, -FTopRow, FVScrollMax - FTopRow);
    if (amount == 0)
        return;
    SetTopRow(FTopRow + amount);
    if (FCaret->LockScroll())
        SetRow(FRow + amount);
}

void TEditor::horizontalScrolled(int Value)
{
    if (m_settingScrollBars)
        return;
    const int amount = std::clamp(Value - FTopCol, -FTopCol, FColCount / 2 + FHScrollMax - FTopCol);
    if (amount != 0)
        SetTopCol(FTopCol + amount);
}

void TEditor::resizeEvent(QResizeEvent *Event)
{
    QAbstractScrollArea::resizeEvent(Event);
    RefreshMetrics();
}

// ---- Words and indentation ----

bool TEditor::NextTokenPos(int &ARow, int &ACol, int Direction) const
{
    const int count = FList->Count();
    const TCellMapOptions options = CellMapOptions();
    const bool endRow = count == 0 || FList->RowAttr(count - 1) == raCrlf;
    auto width = [&](int r) { return RowCellCount(*FList, options, r); };
    // Columns where the row's words start (blanks and lone symbols are no words).
    auto tokenColumns = [&](int r) {
        std::vector<int> columns;
        TFountain *fountain = ActiveFountain();
        if (r < 0 || r >= count || !fountain)
            return columns;
        QString text = ExpandTab(FList->RowText(r), options);
        text.replace(QChar(27), QLatin1Char(' '));
        // The column of each unit, as the cell map puts it (with the tabs
        // expanded, one unit starts in each cell but the second halves).
        const QString map = CellMap(text, options);
        std::vector<int> cells;
        cells.reserve(size_t(text.size()) + 1);
        for (qsizetype c = 0; c < map.size(); ++c) {
            if (map[c] != QLatin1Char('3') && map[c] != QLatin1Char('5'))
                cells.push_back(int(c));
        }
        const int starts = int(cells.size());
        for (qsizetype k = starts; k <= text.size(); ++k)
            cells.push_back(int(map.size() + k) - starts);
        std::unique_ptr<TFountainParser> parser = fountain->CreateParser();
        parser->NewData(text, TRowAttributeData());
        while (parser->NextToken() != ftkEnd) {
            if (parser->Token() == ftkSymbol)
                continue;
            const int p = parser->SourcePos();
            if (p >= text.size())
                break;
            columns.push_back(cells[p]);
        }
        return columns;
    };

    int r = ARow;
    int c = ACol;
    if (Direction > 0) {
        if (r >= count)
            return false;
        if (c >= width(r) && (r + 1 < count || (r + 1 == count && endRow))) {
            ++r;
            c = -1;
        }
        const std::vector<int> columns = tokenColumns(r);
        const auto it = std::upper_bound(columns.begin(), columns.end(), c);
        if (it != columns.end())
            c = *it;
        else if (r < count && FList->RowAttr(r) == raWrapped) {
            ++r;
            c = 0;
        } else {
            c = width(r);
        }
    } else {
        if (r <= 0 && c <= 0)
            return false;
        if (c <= 0) {
            --r;
            c = width(r);
            if (FList->RowAttr(r) == raCrlf) {
                const bool moved = r != ARow || c != ACol;
                ARow = r;
                ACol = c;
                return moved;
            }
        }
        const std::vector<int> columns = tokenColumns(r);
        const auto it = std::lower_bound(columns.begin(), columns.end(), c);
        if (it != columns.begin()) {
            c = *(it - 1);
        } else if (r > 0) {
            --r;
            c = width(r);
        } else {
            c = 0;
        }
    }
    const bool moved = r != ARow || c != ACol;
    ARow = r;
    ACol = c;
    return moved;
}

int TEditor::PrevLineIndent(int ARow) const
{
    const TCellMapOptions options = CellMapOptions();
    int r = FList->FirstRowOfLine(std::min(ARow, FList->Count())) - 1;
    while (r >= 0) {
        const int first = FList->FirstRowOfLine(r);
        const QString &text = FList->RowText(first);
        if (!text.isEmpty())
            return std::max(0, IndentWidth(text, options));
        r = first - 1;
    }
    return 0;
}

// ---- Keys ----

bool TEditor::event(QEvent *Event)
{
    if (Event->type() == QEvent::ShortcutOverride) {
        auto *key = static_cast<QKeyEvent *>(Event);
        const Qt::KeyboardModifiers mods = key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
        const int k = key->key();
        const bool editing = isNavigationKey(k) || k == Qt::Key_Delete || k == Qt::Key_Backspace || k == Qt::Key_Return
                             || k == Qt::Key_Enter || k == Qt::Key_Tab || k == Qt::Key_Backtab;
        if ((mods == Qt::NoModifier && (editing || !key->text().isEmpty()))
            || (mods == Qt::ControlModifier && (isNavigationKey(k) || k == Qt::Key_Space))) {
            Event->accept();
            return true;
        }
    } else if (Event->type() == QEvent::KeyPress) {
        // Tab and Shift+Tab are the editor's own while it wants tabs.
        auto *key = static_cast<QKeyEvent *>(Event);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) && FWantTabs
            && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            keyPressEvent(key);
            return true;
        }
    }
    return QAbstractScrollArea::event(Event);
}

void TEditor::keyPressEvent(QKeyEvent *Event)
{
    FKeyRepeat = Event->isAutoRepeat();
    const int key = Event->key();
    Qt::KeyboardModifiers mods = Event->modifiers();
    const bool ctrl = mods & Qt::ControlModifier;
    const bool alt = mods & Qt::AltModifier;
    if (isNavigationKey(key) || key == Qt::Key_Delete || key == Qt::Key_F6) {
        KeyDown(key, mods);
        Event->accept();
        return;
    }
    switch (key) {
    case Qt::Key_Backspace:
        if (!ctrl && !alt)
            KeyChar(8, mods);
        Event->accept();
        return;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (!FWantTabs) {
            Event->ignore();
            return;
        }
        if (key == Qt::Key_Backtab)
            mods |= Qt::ShiftModifier;
        KeyChar(9, mods);
        Event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!FWantReturns || alt) {
            Event->ignore();
            return;
        }
        KeyChar(ctrl ? 10 : 13, mods);
        Event->accept();
        return;
    case Qt::Key_Escape: Event->ignore(); return;
    case Qt::Key_Space:
        if (ctrl && !alt) {
            KeyChar(u' ', mods);
            Event->accept();
            return;
        }
        break;
    default: break;
    }
    const QString text = Event->text();
    if (text.isEmpty() || ctrl || alt) {
        QAbstractScrollArea::keyPressEvent(Event);
        return;
    }
    if (text.size() == 1) {
        KeyChar(text[0].unicode(), mods);
    } else if (!FReadOnly) {
        QString clean;
        for (QChar c : text) {
            if (!isIgnoredControl(c.unicode()))
                clean += c;
        }
        PutStringToLine(clean);
    }
    Event->accept();
}

void TEditor::keyReleaseEvent(QKeyEvent *Event)
{
    QAbstractScrollArea::keyReleaseEvent(Event);
    FKeyRepeat = false;
    if (FCompositionCanceled)
        UpdateImeWindow();
}

void TEditor::moveCaretToRowEnd(int ARow)
{
    CaretHold caret(*this);
    SetRow(ARow);
    SetCol(RowCells(FRow));
}

void TEditor::KeyDown(int Key, Qt::KeyboardModifiers Modifiers)
{
    const bool shift = Modifiers & Qt::ShiftModifier;
    const bool ctrl = Modifiers & Qt::ControlModifier;
    const bool navigation = isNavigationKey(Key);
    if (navigation) {
        if (shift && !SelectedData())
            StartSelection();
        else if ((!shift && SelectedData()) || HitSelected())
            CleanSelection();
    }
    const int count = FList->Count();
    switch (Key) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        const int r = FKeyRepeat ? FSpeed->PageVerticalRangeAc() : FSpeed->PageVerticalRange();
        const int delta = (FRowCount - 1) / 2 * r;
        ScrollRows(Key == Qt::Key_PageUp ? -delta : delta);
        break;
    }
    case Qt::Key_End:
        if (ctrl)
            SetRow(count);
        SetCol(RowCells(FRow));
        break;
    case Qt::Key_Home:
        if (ctrl)
            SetRow(0);
        SetCol(0);
        break;
    case Qt::Key_Left:
        if (ctrl) {
            int r = FRow;
            int c = FCol;
            if (NextTokenPos(r, c, -1))
                SetRowCol(r, c);
        } else if (FCol >= 1) {
            SetCol(FCol - 1);
        } else if (FRow > 0 && (FCaret->NextLine() || RowAttrAt(*FList, FRow - 1) == raWrapped)) {
            moveCaretToRowEnd(FRow - 1);
        }
        break;
    case Qt::Key_Right:
        if (ctrl) {
            int r = FRow;
            int c = FCol;
            if (NextTokenPos(r, c, 1))
                SetRowCol(r, c);
        } else {
            const int old = FCol;
            SetCol(FCol + 1);
            if (FCol == old && FRow < count && FList->RowAttr(FRow) != raEof
                && (FCaret->NextLine() || FList->RowAttr(FRow) == raWrapped)) {
                CaretHold caret(*this);
                SetRow(FRow + 1);
                SetCol(0);
            }
        }
        break;
    case Qt::Key_Up:
        if (FRow > 0) {
            const int s = FKeyRepeat && FRow == FTopRow ? FSpeed->CaretVerticalAc() : 1;
            if (ctrl) {
                SetTopRow(FTopRow - s);
                if (FRow > FTopRow + FRowCount - 1)
                    SetRow(FRow - s);
            } else {
                SetRow(FRow - s);
            }
        }
        break;
    case Qt::Key_Down: {
        const int s = FKeyRepeat && FTopRow + FRowCount == FRow + 1 ? FSpeed->CaretVerticalAc() : 1;
        if (ctrl) {
            SetTopRow(FTopRow + s);
            if (FRow < FTopRow)
                SetRow(FRow + s);
        } else if (!(FRow >= count || (FRow == count - 1 && FList->RowAttr(FRow) == raEof))) {
            SetRow(FRow + s);
        }
        break;
    }
    case Qt::Key_Delete:
        if (!FReadOnly)
            keyDelete();
        break;
    case Qt::Key_F6: requestCodeAssist(); break;
    default: break;
    }
    if (navigation && shift)
        ExtendSelection();
}

void TEditor::removeFromCaretRow(int Index, int Length, int Base, int Target)
{
    const QString &s = FList->RowText(FRow);
    QString text = s.left(Index) + s.mid(Index + Length);
    FList->AppendLineBreak(FRow, text);
    CaretHold caret(*this);
    FList->ReplaceRows(FRow, 1, text);
    SetRowColFromIndex(Base, Target);
}

void TEditor::keyDelete()
{
    if (Selected()) {
        DeleteSelection();
        return;
    }
    if (HitSelected())
        CleanSelection();
    const int count = FList->Count();
    if (FRow >= count)
        return;
    const QString s = FList->RowText(FRow);
    const QString map = RowCellMap(FRow);
    const int c = CharIndexOfCol(map, FCol);
    const int n = int(s.size());
    const int base = std::max(FList->FirstRowOfLine(FRow), FRow - 1);
    const int target = RowColToIndex(base, FRow, FCol);
    if (c < n) {
        // A surrogate pair goes as one character.
        const int length = c + 1 < n && s[c].isHighSurrogate() && s[c + 1].isLowSurrogate() ? 2 : 1;
        removeFromCaretRow(c, length, base, target);
        return;
    }
    if (FList->RowAttr(FRow) == raEof)
        return;
    CaretHold caret(*this);
    UnderlineHold underline(*this);
    QString text = s + Blanks(c - n);
    if (FRow + 1 < count) {
        text += FList->RowText(FRow + 1);
        FList->AppendLineBreak(FRow + 1, text);
        FList->ReplaceRows(FRow, 2, text);
    } else {
        // The final line break goes.
        FList->ReplaceRows(FRow, 1, text);
    }
    SetRowColFromIndex(base, target);
}

void TEditor::keyBackspace()
{
    if (Selected()) {
        DeleteSelection();
        return;
    }
    const int count = FList->Count();
    if (count == 0) {
        SetCol(FCol - 1);
        return;
    }
    if (HitSelected())
        CleanSelection();
    const TCellMapOptions options = CellMapOptions();
    const QString s = RowTextAt(*FList, FRow);
    const QString map = CellMap(s, options);
    const int c = CharIndexOfCol(map, FCol);
    const int n = int(s.size());
    const int w = int(map.size());
    if (c > 0) {
        const int indent = IndentWidth(s, options);
        if (FCaret->BackSpaceUnIndent() && (s.isEmpty() || indent == w || indent == FCol)) {
            // Back to the indentation of a row above.
            const int lineFirst = FList->FirstRowOfLine(FRow);
            int g = 0;
            for (int r = FRow - 1; r >= 0; --r) {
                g = std::max(0, IndentWidth(RowTextAt(*FList, r), options));
                if (r == 0)
                    break;
                if (r >= lineFirst ? (g > 0 && g < FCol) : g < FCol)
                    break;
            }
            const int t = g >= FCol ? 0 : g;
            if (t < w) {
                const int from = CharIndexOfCol(map, t);
                const int fromStart = ColOfCharIndex(map, from);
                QString text = s.left(from);
                // A character cut at t leaves blanks for its cells left of t.
                if (fromStart < t)
                    text += Blanks(t - fromStart);
                const int to = std::min(n, CharIndexOfCol(map, std::min(FCol, w)));
                if (to < n) {
                    const int toStart = ColOfCharIndex(map, to);
                    if (toStart < FCol && s[to] == QLatin1Char('\t')) {
                        const int next = to + 1 < n ? ColOfCharIndex(map, to + 1) : w;
                        text += Blanks(next - FCol) + s.mid(to + 1);
                    } else {
                        text += s.mid(to);
                    }
                }
                FList->AppendLineBreak(FRow, text);
                CaretHold caret(*this);
                if (FRow < count)
                    FList->ReplaceRows(FRow, 1, text);
                SetCol(t);
            } else {
                SetCol(t);
            }
            return;
        }
        if (c > n) {
            SetCol(FCol - 1);
            return;
        }
        int ci = isTabFiller(map, FCol) ? CharIndexOfCol(map, FCol) : CharIndexOfCol(map, FCol - 1);
        int length = 1;
        if (ci > 0 && s[ci].isLowSurrogate() && s[ci - 1].isHighSurrogate()) {
            --ci;
            length = 2;
        }
        const int base = std::max(FList->FirstRowOfLine(FRow), FRow - 1);
        removeFromCaretRow(ci, length, base, RowColToIndex(base, FRow, ColOfCharIndex(map, ci)));
        return;
    }
    if (FRow == 0)
        return;
    const int above = FRow - 1;
    QString head = FList->RowText(above);
    if (FList->RowAttr(above) == raWrapped && !head.isEmpty()) {
        int length = 1;
        if (head.size() > 1 && head.back().isLowSurrogate() && head[head.size() - 2].isHighSurrogate())
            length = 2;
        head.chop(length);
    }
    const int base = std::max(FList->FirstRowOfLine(above), FRow - 2);
    const int target = RowColToIndex(base, above, 0) + int(head.size());
    CaretHold caret(*this);
    UnderlineHold underline(*this);
    if (FRow >= count) {
        FList->ReplaceRows(above, 1, head);
    } else {
        QString text = head + s;
        FList->AppendLineBreak(FRow, text);
        FList->ReplaceRows(above, 2, text);
    }
    SetRowColFromIndex(base, target);
}

void TEditor::keyTab(Qt::KeyboardModifiers Modifiers)
{
    if ((Modifiers & Qt::ControlModifier) || FReadOnly || !FWantTabs)
        return;
    const int tab = FCaret->TabSpaceCount();
    int step = tab - FCol % tab;
    if (FList->WordWrap()) {
        const int wrap = FList->WrapOption()->WrapByte();
        step = std::min(step, wrap - FCol % wrap);
    }
    if (FOverWrite) {
        SetCol(FCol + step);
        return;
    }
    if (Selected() && FSelStr.Sr != FSelStr.Er) {
        if (Modifiers & Qt::ShiftModifier)
            SelTabUnIndent();
        else
            SelTabIndent();
        return;
    }
    PutStringToLine(FCaret->SoftTab() ? Blanks(step) : QStringLiteral("\t"));
}

void TEditor::keyReturn(Qt::KeyboardModifiers Modifiers)
{
    if (FReadOnly)
        return;
    const bool shift = Modifiers & Qt::ShiftModifier;
    if (Selected()) {
        if (shift)
            return;
        DeleteSelection();
    }
    if (HitSelected())
        CleanSelection();
    const int count = FList->Count();
    CaretHold caret(*this);
    UnderlineHold underline(*this);
    if (FRow >= count) {
        FList->ReplaceRows(count, 0, CrLf);
        SetRowCol(FRow + 1, 0);
        return;
    }
    if (FOverWrite) {
        SetRow(FRow + 1);
        SetCol(0);
        return;
    }
    const TCellMapOptions options = CellMapOptions();
    const QString s = FList->RowText(FRow);
    const int c = charIndexAtCaret();
    const int lineFirst = FList->FirstRowOfLine(FRow);
    int indent = 0;
    if (FCaret->AutoIndent()) {
        const int w = IndentWidth(FList->RowText(lineFirst), options);
        if (w < 1)
            indent =
                FCaret->PrevSpaceIndent() && s.isEmpty() && FRow == lineFirst ? std::max(0, PrevLineIndent(FRow)) : 0;
        else
            indent = FRow == lineFirst ? std::min(FCol, w) : w;
    }
    const int tab = FCaret->TabSpaceCount();
    const QString indentText =
        FCaret->TabIndent() ? QString(indent / tab, QLatin1Char('\t')) + Blanks(indent % tab) : Blanks(indent);
    if (shift) {
        FList->ReplaceRows(lineFirst, 0, indentText + CrLf);
        SetRowColFromIndex(lineFirst, int(indentText.size()));
        return;
    }
    const int target = RowColToIndex(lineFirst, FRow, std::min(RowCells(FRow), FCol)) + int(indentText.size()) + 2;
    QString text = s.left(c) + CrLf + indentText + s.mid(c);
    FList->AppendLineBreak(FRow, text);
    FList->ReplaceRows(FRow, 1, text);
    SetRowColFromIndex(lineFirst, target);
}

void TEditor::KeyChar(char16_t Ch, Qt::KeyboardModifiers Modifiers)
{
    switch (Ch) {
    case 8:
        if (!FReadOnly)
            keyBackspace();
        return;
    case 9: keyTab(Modifiers); return;
    case 13: keyReturn(Modifiers); return;
    default: break;
    }
    if (FReadOnly)
        return;
    if (FCompositionCanceled)
        UpdateImeWindow();
    if (FCodeAssistCallOfDot && Ch == u'.') {
        PutStringToLine(QStringLiteral("."));
        codeAssistAfterDot();
        return;
    }
    if (Ch == u' ' && (Modifiers & Qt::ControlModifier)) {
        requestCodeAssist();
        return;
    }
    if (isIgnoredControl(Ch))
        return;
    PutStringToLine(QString(QChar(Ch)));
}

// ---- Code assist ----

void TEditor::requestCodeAssist()
{
    cancelCodeAssist();
    emit CodeAssist(CaretPoint());
}

void TEditor::codeAssistAfterDot()
{
    m_codeAssistPoint = CaretPoint();
    if (!FCodeAssistDelayShow) {
        emit CodeAssist(m_codeAssistPoint);
        return;
    }
    // The request waits without blocking; a caret move or the editor's end
    // cancels it.
    m_codeAssistRow = FRow;
    m_codeAssistCol = FCol;
    m_codeAssistTimer.start(std::clamp(FCodeAssistDelayTime, 0, 10000));
}

void TEditor::cancelCodeAssist()
{
    m_codeAssistTimer.stop();
    m_codeAssistRow = -1;
    m_codeAssistCol = -1;
}

// ---- Input method ----

void TEditor::inputMethodEvent(QInputMethodEvent *Event)
{
    const QString commit = Event->commitString();
    if (!commit.isEmpty() && !FReadOnly) {
        if (FCompositionCanceled)
            UpdateImeWindow();
        QString clean;
        for (QChar c : commit) {
            if (c.unicode() != 0)
                clean += c;
        }
        PutStringToLine(clean);
    }
    QString preedit = FReadOnly ? QString() : Event->preeditString();
    int cursor = int(preedit.size());
    for (const QInputMethodEvent::Attribute &attribute : Event->attributes()) {
        if (attribute.type == QInputMethodEvent::Cursor)
            cursor = attribute.start;
    }
    // The caret hides while text is being composed.
    if (!preedit.isEmpty() && m_preedit.isEmpty())
        BeginCaretUpdate();
    else if (preedit.isEmpty() && !m_preedit.isEmpty())
        EndCaretUpdate();
    if (preedit != m_preedit || cursor != m_preeditCursor)
        InvalidateRow(FRow);
    m_preedit = preedit;
    m_preeditCursor = cursor;
    Event->accept();
}

QVariant TEditor::inputMethodQuery(Qt::InputMethodQuery Query) const
{
    switch (Query) {
    case Qt::ImEnabled: return !FReadOnly;
    case Qt::ImCursorRectangle: {
        const QPoint point = CaretPoint() + QPoint(preeditCells(m_preeditCursor) * FFontWidth, 0);
        const int y = TopMargin() + (FRow - FTopRow) * RowHeight();
        return QRect(QPoint(point.x(), y) + viewport()->pos(), QSize(2, FFontHeight));
    }
    case Qt::ImFont: return QVariant(m_drawFont);
    case Qt::ImCursorPosition:
    case Qt::ImAnchorPosition: return charIndexAtCaret();
    case Qt::ImSurroundingText: return RowTextAt(*FList, FRow);
    case Qt::ImCurrentSelection: return SelText();
    case Qt::ImHints: return int(Qt::ImhMultiLine);
    default: return QAbstractScrollArea::inputMethodQuery(Query);
    }
}

// ---- Mouse ----

void TEditor::mousePressEvent(QMouseEvent *Event)
{
    if (Event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(Event);
        return;
    }
    const QPoint point = Event->position().toPoint();
    m_modifiers = Event->modifiers();
    m_pointer = point;
    m_buttonDown = true;
    int row = 0;
    int col = 0;
    if (Event->modifiers() & Qt::ShiftModifier) {
        if (!SelectedData())
            StartSelection();
        PosToRowCol(point.x(), point.y(), row, col, true);
        SetRowCol(row, col);
        ExtendSelection();
    } else {
        FMouseSelStartPos = point;
        PosToRowCol(point.x(), point.y(), row, col, false);
        if (CanSelDrag() && point.x() > LeftMargin() && IsSelectedArea(row, col)) {
            SetRowCol(row, col);
            if (FCaret->SelDragMode() == dmAutomatic) {
                // The moves that follow belong to the drag, not to selecting.
                m_buttonDown = false;
                InitSelDrag();
            }
        } else {
            PosToRowCol(point.x(), point.y(), row, col, true);
            if (point.x() < LeftMargin() && FCaret->RowSelect()) {
                StartRowSelection(row);
            } else {
                CaretHold caret(*this);
                SetRowCol(row, col);
                StartSelection();
            }
        }
    }
    Event->accept();
}

void TEditor::mouseMoveEvent(QMouseEvent *Event)
{
    const QPoint point = Event->position().toPoint();
    m_modifiers = Event->modifiers();
    m_pointer = point;
    const bool moved = std::abs(point.x() - FMouseSelStartPos.x()) >= FFontWidth / 2
                       || std::abs(point.y() - FMouseSelStartPos.y()) >= FFontWidth / 2;
    int row = 0;
    int col = 0;
    if (FSelDragState == sdInit) {
        if (moved)
            BeginSelDrag();
    } else if (FSelDragState == sdDragging) {
        PosToRowCol(point.x(), point.y(), row, col, false);
        if (point.y() < TopMargin())
            row = std::max(0, row - 1);
        SetRowCol(row, col);
    } else if (Event->buttons() & Qt::LeftButton) {
        PosToRowCol(point.x(), point.y(), row, col, true);
        if (point.y() < TopMargin())
            row = std::max(0, row - 1);
        if (FRowSelecting) {
            ExtendRowSelection(row);
        } else {
            SetRowCol(row, col);
            if (Selected())
                UpdateSelection();
            else if (FSelectionState == sstInit && moved)
                ConfirmSelection();
        }
    } else if (point.x() < LeftMargin()) {
        SetCursorState(mcLeftMargin);
    } else if (point.y() < TopMargin()) {
        SetCursorState(mcTopMargin);
    } else {
        PosToRowCol(point.x(), point.y(), row, col, true);
        SetCursorState(CanSelDrag() && IsSelectedArea(row, col) ? mcInSel : mcClient);
    }
    Event->accept();
}

void TEditor::mouseReleaseEvent(QMouseEvent *Event)
{
    Event->accept();
    if (Event->button() != Qt::LeftButton)
        return;
    m_modifiers = Event->modifiers();
    m_pointer = Event->position().toPoint();
    m_buttonDown = false;
    if (FSelDragState == sdDragging)
        EndSelDrag();
    else if (FSelDragState == sdInit)
        CancelSelDrag();
    else
        FRowSelecting = false;
}

bool TEditor::eventFilter(QObject *Watched, QEvent *Event)
{
    if ((Watched != this && Watched != viewport()) || (FSelDragState == sdNone && !m_buttonDown))
        return QAbstractScrollArea::eventFilter(Watched, Event);
    const bool dragging = FSelDragState == sdDragging;
    switch (Event->type()) {
    case QEvent::ShortcutOverride:
        // Taken, so that no shortcut acts on the text being dragged; the key
        // then comes here and is swallowed.
        Event->accept();
        return true;
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent *>(Event)->key();
        if (key == Qt::Key_Control) {
            m_modifiers |= Qt::ControlModifier;
            if (dragging)
                SetCursorState(mcDraggingCopy);
        } else if (key == Qt::Key_Escape && dragging) {
            m_escapeDown = true;
            CancelSelDrag();
            m_escapeDown = false;
        }
        return true;
    }
    case QEvent::KeyRelease:
        if (static_cast<QKeyEvent *>(Event)->key() == Qt::Key_Control) {
            m_modifiers &= ~Qt::ControlModifier;
            if (dragging)
                SetCursorState(mcDragging);
        }
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease: return static_cast<QMouseEvent *>(Event)->button() != Qt::LeftButton;
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel: return true;
    default: return QAbstractScrollArea::eventFilter(Watched, Event);
    }
}

// ---- Row selection ----

namespace {

// The row that ends the text without a line break, or the empty row after
// a final break: a press there selects that row's text only.
bool isLastTextRow(const TEditorScreenStrings &List, int ARow)
{
    return RowAttrAt(List, ARow) == raEof;
}

// A row of the bars' row selection: at most the row count, and the last row
// when that ends the text without a break.
int rowSelectionRow(const TEditorScreenStrings &List, int ARow)
{
    const int count = List.Count();
    int r = std::min(ARow, count);
    if (r == count && count > 0 && List.RowAttr(count - 1) == raEof)
        r = count - 1;
    return std::max(0, r);
}

} // namespace

void TEditor::StartRowSelection(int ARow)
{
    if (FList->Count() == 0)
        return;
    const int r = rowSelectionRow(*FList, ARow);
    const bool lastRow = isLastTextRow(*FList, r);
    CaretHold caret(*this);
    if (lastRow)
        SetRowCol(r, RowCells(r));
    else
        SetRowCol(r, 0);
    StartSelection();
    if (lastRow)
        SetRowCol(r, 0);
    else
        SetRowCol(r + 1, 0);
    ConfirmSelection();
    FSelRow = {r, lastRow ? r : r + 1, lastRow ? 1 : 0, 0};
    SetRowCol(r, 0);
    FRowSelecting = true;
}

void TEditor::ExtendRowSelection(int ARow)
{
    if (!FRowSelecting)
        return;
    int r = rowSelectionRow(*FList, ARow);
    int col = 0;
    CaretHold caret(*this);
    if (r < FSelRow.Sr) {
        // Upwards: the pressed row stays selected, so the anchor goes below it.
        if (FSelRow.Sr < FSelRow.Er) {
            ++FSelRow.Sr;
            SetRowCol(FSelRow.Sr, 0);
            StartSelection();
        }
    } else {
        if (FSelRow.Er < FSelRow.Sr && FSelRow.Sc == 0) {
            --FSelRow.Sr;
            SetRowCol(FSelRow.Sr, 0);
            StartSelection();
        }
        if (!isLastTextRow(*FList, r)) {
            ++r;
        } else if (FSelRow.Sc == 0) {
            col = RowCells(r);
        }
    }
    SetRowCol(r, col);
    FSelRow.Er = r;
    ExtendSelection();
}

// ---- Dragging a selection ----

void TEditor::InitSelDrag()
{
    FSelDragState = sdInit;
}

void TEditor::BeginSelDrag()
{
    if (FSelDragState != sdInit)
        return;
    FSelDragState = sdDragging;
    SetCursorState(ctrlDown() ? mcDraggingCopy : mcDragging);
}

void TEditor::EndSelDrag()
{
    if (FSelDragState != sdDragging)
        return;
    FSelDragState = sdNone;
    if (!viewport()->rect().contains(m_pointer) || IsSelectedArea(FRow, FCol))
        CleanSelection();
    else if (ctrlDown())
        CopySelection(FRow, FCol);
    else
        MoveSelection(FRow, FCol);
}

void TEditor::CancelSelDrag()
{
    FSelDragState = sdNone;
    if (m_escapeDown && FCaret->AutoCursor())
        viewport()->setCursor(CursorShape(FCaret->Cursors()->DefaultCursor()));
    else
        SetCursorState(mcClient);
    CleanSelection();
}
