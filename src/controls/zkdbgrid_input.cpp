// The data grid's keys, mouse, wheel and scroll bar. Every move of the
// current record moves the data set; the grid follows its notifications.
#include "controls/zkdbgrid.h"

#include "controls/zkdbgrid_p.h"
#include "controls/zkdbgrid_inplace.h"
#include "controls/zkdbgrid_shared.h"

#include <QApplication>

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

TzkDBGridV::InputScope::InputScope(TzkDBGridV *g, Qt::KeyboardModifiers shift, int key)
    : grid(g)
    , oldShift(g->m_inputShift)
    , oldKey(g->m_inputKey)
    , oldActive(g->m_inInput)
{
    grid->m_inputShift = shift;
    grid->m_inputKey = key;
    grid->m_inInput = true;
}

TzkDBGridV::InputScope::~InputScope()
{
    grid->m_inputShift = oldShift;
    grid->m_inputKey = oldKey;
    grid->m_inInput = oldActive;
}

Qt::KeyboardModifiers TzkDBGridV::shiftState() const
{
    return m_inInput ? m_inputShift : QGuiApplication::queryKeyboardModifiers();
}

bool TzkDBGridV::tabDown() const
{
    return m_inInput && m_inputKey == Qt::Key_Tab;
}

bool TzkDBGridV::AcquireFocus()
{
    if (!m_acquireFocus || focusPolicy() == Qt::NoFocus || !isEnabled())
        return true;
    if (!hasFocus() && !(m_inplaceEdit && m_inplaceEdit->hasFocus()))
        setFocus(Qt::MouseFocusReason);
    // In a window that is not active the grid becomes its focus widget; the
    // editor, when shown, takes the focus over from the grid.
    return OwnsFocusWidget(QApplication::focusWidget()) || OwnsFocusWidget(window()->focusWidget());
}

// --- Columns ---------------------------------------------------------------------

int TzkDBGridV::ColumnAtX(int x) const
{
    const int d = columnAt(x);
    return d < 0 ? -1 : d + m_indicatorOffset;
}

void TzkDBGridV::MoveToColumn(int col, int direction)
{
    m_dataLink->UpdateRecord();
    const int last = ColCount() - 1;
    col = qBound(m_indicatorOffset, col, qMax(m_indicatorOffset, last));
    if (direction != 0) {
        // Columns without a width are passed over.
        while (col >= m_indicatorOffset && col <= last && ColWidths(col) <= 0)
            col += direction;
        if (col < m_indicatorOffset || col > last)
            return;
    }
    if (col != m_col) {
        if (!m_inColExit) {
            const int before = m_col;
            m_inColExit = true;
            try {
                if (OnColExit)
                    OnColExit();
            } catch (...) {
                m_inColExit = false;
                throw;
            }
            m_inColExit = false;
            if (m_col != before)
                return;
        }
        m_col = col;
        UpdateActive();
        scrollTo(currentIndex());
        if (OnColEnter)
            OnColEnter();
    }
    ColumnMoveSelection();
}

// --- Records -----------------------------------------------------------------------

TDBGridMoves TzkDBGridV::moves()
{
    return {m_dataLink.get(), m_bookmarks.get(), m_options.Has(dgMultiSelect),
            m_selecting,      m_selectionAnchor, m_updateLock};
}

void TzkDBGridV::ClearSelection()
{
    moves().ClearSelection();
}

void TzkDBGridV::MoveRecord(int direction, bool maySelect, Qt::KeyboardModifiers shift)
{
    moves().MoveRecord(direction, maySelect, shift);
    viewport()->update();
}

void TzkDBGridV::NextRecord(Qt::KeyboardModifiers shift)
{
    moves().NextRecord(!m_readOnly && m_options.Has(dgEditing), shift);
    viewport()->update();
}

void TzkDBGridV::PriorRecord(Qt::KeyboardModifiers shift)
{
    moves().PriorRecord(shift);
    viewport()->update();
}

void TzkDBGridV::TabMove(bool backwards)
{
    BeginUpdate();
    try {
        const int start = m_col;
        int col = m_col;
        for (;;) {
            col += backwards ? -1 : 1;
            if (col >= ColCount()) {
                MoveRecord(1, false, Qt::NoModifier);
                col = m_indicatorOffset;
            } else if (col < m_indicatorOffset) {
                MoveRecord(-1, false, Qt::NoModifier);
                col = ColCount() - m_indicatorOffset;
            }
            if (col == start)
                break;
            if (TabStops(col)) {
                MoveToColumn(col, 0);
                break;
            }
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TzkDBGridV::DeleteRecords()
{
    moves().DeleteRecords(m_readOnly, m_options.Has(dgConfirmDelete));
}

// --- Keys ------------------------------------------------------------------------

bool TzkDBGridV::KeyDown(int key, Qt::KeyboardModifiers shift)
{
    static const int tableKeys[] = {Qt::Key_Up,     Qt::Key_PageUp, Qt::Key_Down, Qt::Key_PageDown, Qt::Key_Left,
                                    Qt::Key_Right,  Qt::Key_Return, Qt::Key_Home, Qt::Key_End,      Qt::Key_Insert,
                                    Qt::Key_Delete, Qt::Key_Escape, Qt::Key_F2};
    const bool ctrl = shift & Qt::ControlModifier;
    if (key == Qt::Key_Tab && (!m_options.Has(dgTabs) || ctrl || (shift & Qt::AltModifier)))
        return false;
    if (!m_dataLink->Active())
        return key == Qt::Key_Tab || std::find(std::begin(tableKeys), std::end(tableKeys), key) != std::end(tableKeys);
    if (isRightToLeft()) {
        if (key == Qt::Key_Left)
            key = Qt::Key_Right;
        else if (key == Qt::Key_Right)
            key = Qt::Key_Left;
    }
    TFDQuery *dataSet = m_dataLink->DataSet();
    const bool singleColumn = ColCount() - m_indicatorOffset == 1;
    const bool rowSelect = m_options.Has(dgRowSelect);
    const auto toLastVisible = [&] { dataSet->MoveBy(m_dataLink->RecordCount() - m_dataLink->ActiveRecord() - 1); };
    switch (key) {
    case Qt::Key_Up:
        if (ctrl) {
            ClearSelection();
            dataSet->MoveBy(-m_dataLink->ActiveRecord());
        } else {
            PriorRecord(shift);
        }
        break;
    case Qt::Key_PageUp:
        ClearSelection();
        if (ctrl)
            dataSet->MoveBy(-m_dataLink->ActiveRecord());
        else
            dataSet->MoveBy(-VisibleRowCount());
        break;
    case Qt::Key_Down:
        if (ctrl) {
            ClearSelection();
            toLastVisible();
        } else {
            NextRecord(shift);
        }
        break;
    case Qt::Key_PageDown:
        ClearSelection();
        if (ctrl)
            toLastVisible();
        else
            dataSet->MoveBy(VisibleRowCount());
        break;
    case Qt::Key_Left:
        if (ctrl)
            MoveToColumn(m_indicatorOffset, 1);
        else if (rowSelect)
            MoveRecord(-1, false, shift);
        else
            MoveToColumn(m_col - 1, -1);
        break;
    case Qt::Key_Right:
        if (ctrl)
            MoveToColumn(ColCount() - 1, -1);
        else if (rowSelect)
            MoveRecord(1, false, shift);
        else
            MoveToColumn(m_col + 1, 1);
        break;
    case Qt::Key_Return:
        if (ctrl)
            return true;
        if (rowSelect)
            MoveRecord(1, false, shift);
        else
            MoveToColumn(m_col + 1, 1);
        break;
    case Qt::Key_Home:
        if (ctrl || singleColumn || rowSelect) {
            ClearSelection();
            dataSet->First();
        } else {
            MoveToColumn(m_indicatorOffset, 1);
        }
        break;
    case Qt::Key_End:
        if (ctrl || singleColumn || rowSelect) {
            ClearSelection();
            dataSet->Last();
        } else {
            MoveToColumn(ColCount() - 1, -1);
        }
        break;
    case Qt::Key_Insert:
        if (!ctrl && dataSet->CanEdit() && !m_readOnly && m_options.Has(dgEditing)) {
            ClearSelection();
            dataSet->Insert();
        }
        break;
    case Qt::Key_Delete:
        if (ctrl)
            DeleteRecords();
        break;
    case Qt::Key_Tab: TabMove(shift & Qt::ShiftModifier); break;
    case Qt::Key_Escape:
        m_dataLink->Reset();
        ClearSelection();
        if (!m_options.Has(dgAlwaysShowEditor))
            HideEditor();
        break;
    case Qt::Key_F2: ShowEditor(); break;
    default: return false;
    }
    return true;
}

void TzkDBGridV::keyPressEvent(QKeyEvent *event)
{
    int key = event->key();
    Qt::KeyboardModifiers shift = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (key == Qt::Key_Backtab) {
        key = Qt::Key_Tab;
        shift |= Qt::ShiftModifier;
    } else if (key == Qt::Key_Enter) {
        key = Qt::Key_Return;
    }
    const InputScope scope(this, shift, key);
    if (OnKeyDown) {
        OnKeyDown(key, shift);
        if (key == 0) {
            event->accept();
            return;
        }
    }
    if (KeyDown(key, shift)) {
        event->accept();
    } else if (event->matches(QKeySequence::Copy)) {
        CopySelection();
        event->accept();
    } else if (event->matches(QKeySequence::SelectAll)) {
        SelectAllRecords();
        event->accept();
    } else if (!event->text().isEmpty() && event->text().at(0) >= QLatin1Char(' ')
               && !(shift & (Qt::ControlModifier | Qt::AltModifier)) && CanEditShow()) {
        // Typing starts editing the cell with that character.
        ShowEditor();
        if (m_inplaceEdit && !m_inplaceEdit->isHidden()) {
            m_inplaceEdit->setFocus();
            QApplication::sendEvent(m_inplaceEdit, event);
        }
        event->accept();
    } else {
        event->ignore();
    }
}

void TzkDBGridV::wheelEvent(QWheelEvent *event)
{
    const QPoint delta = event->angleDelta();
    if (qAbs(delta.x()) > qAbs(delta.y())) {
        QTableView::wheelEvent(event);
        return;
    }
    event->accept();
    // A notch is the Down or Up key without shift keys.
    m_wheelDelta += delta.y();
    while (qAbs(m_wheelDelta) >= 120) {
        int key = m_wheelDelta < 0 ? Qt::Key_Down : Qt::Key_Up;
        m_wheelDelta += m_wheelDelta < 0 ? 120 : -120;
        const InputScope scope(this, Qt::NoModifier, key);
        if (OnKeyDown)
            OnKeyDown(key, Qt::NoModifier);
        if (key != 0)
            KeyDown(key, Qt::NoModifier);
    }
}

// --- Mouse -------------------------------------------------------------------------

void TzkDBGridV::GridMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int col, int row, int x)
{
    const InputScope scope(this, shift);
    if (button == Qt::RightButton && !m_bookmarks->IsEmpty() && x < m_indicatorOffset + 10)
        return;
    if (!AcquireFocus())
        return;
    m_selectedCell = {col, row};
    if (col < 0 || row < m_titleOffset || !m_dataLink->Active())
        return;
    const int target = row - m_titleOffset;
    const bool wasCurrent = target == m_dataLink->ActiveRecord() && col == m_col;
    const bool indicator = col < m_indicatorOffset;
    const bool pressed = moves().PressRecord(
        target, indicator, shift, [&] { MoveToColumn(col, 0); },
        [&](bool range, bool wholeRecord) {
            if (range)
                m_colEnd = m_col - m_indicatorOffset;
            SetWholeRecordSelectedV(wholeRecord);
        });
    if (!pressed)
        return;
    viewport()->update();
    m_indicator->viewport()->update();
    if (button == Qt::LeftButton && col >= m_indicatorOffset && (wasCurrent || m_options.Has(dgAlwaysShowEditor)))
        ShowEditor();
}

void TzkDBGridV::TitleMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int col, int)
{
    const InputScope scope(this, shift);
    m_selectedCell = {col, 0};
    if (button != Qt::LeftButton || col < m_indicatorOffset || !m_dataLink->Active())
        return;
    BeginUpdate();
    try {
        m_dataLink->UpdateRecord();
        MoveToColumn(col, 0);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TzkDBGridV::TitleClicked(int col)
{
    const int d = col - m_indicatorOffset;
    if (OnTitleClick && d >= 0 && d < m_columns->Count())
        OnTitleClick(m_columns->Items(d));
}

void TzkDBGridV::mousePressEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    const int row = rowAt(p.y());
    const QPoint g = viewport()->mapTo(this, p);
    GridMouseDown(event->button(), event->modifiers(), ColumnAtX(p.x()), row < 0 ? -1 : row + m_titleOffset, g.x());
}

void TzkDBGridV::mouseReleaseEvent(QMouseEvent *event)
{
    // Only over a cell: the empty space below the records is none.
    const QPoint p = event->position().toPoint();
    if (event->button() != Qt::LeftButton || ColumnAtX(p.x()) < 0 || rowAt(p.y()) < 0)
        return;
    const int d = SelectedIndex();
    if (OnCellClick && d >= 0 && d < m_columns->Count())
        OnCellClick(m_columns->Items(d));
}

void TzkDBGridV::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && OnDblClick)
        OnDblClick();
}

void TzkDBGridV::mouseMoveEvent(QMouseEvent *event)
{
    if (OnMouseMove) {
        const QPoint g = viewport()->mapTo(this, event->position().toPoint());
        OnMouseMove(event->modifiers(), g.x(), g.y());
    }
}

void TzkDBGridV::focusInEvent(QFocusEvent *event)
{
    QTableView::focusInEvent(event);
    viewport()->update();
    if (m_inplaceEdit && !m_inplaceEdit->isHidden())
        m_inplaceEdit->setFocus();
}

void TzkDBGridV::focusOutEvent(QFocusEvent *event)
{
    QTableView::focusOutEvent(event);
    viewport()->update();
    // Leaving the grid (not for its editor) writes what its editor holds.
    if (!OwnsFocusWidget(QApplication::focusWidget()))
        GridExit();
}

// --- Scroll bar --------------------------------------------------------------------

void TzkDBGridV::verticalScrollbarAction(int action)
{
    if (!AcquireFocus() || !m_dataLink->Active())
        return;
    if (DBGridScrollAction(m_dataLink.get(), action, VisibleRowCount()))
        UpdateScrollBar();
}

void TzkDBGridV::ScrollBarThumbReleased()
{
    if (!m_dataLink->Active())
        return;
    DBGridThumbReleased(m_dataLink.get(), verticalScrollBar()->sliderPosition());
    UpdateScrollBar();
}
