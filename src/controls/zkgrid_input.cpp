// The string grid's keyboard, mouse and focus. Each key runs a key-down step
// and then, when it types a character, a character step, as the grid's
// datasheet and spreadsheet modes expect: Enter, say, moves on in its
// key-down step and opens or closes the editor in its character step.

#include "controls/zkgrid.h"

#include "controls/zkgrid_p.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>

#include <algorithm>

namespace {

bool isEnter(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// The character a key event types for the character step: Enter gives CR,
// Backspace BS; other control keys none.
QChar typedChar(const QKeyEvent *event)
{
    if (isEnter(event->key()))
        return QChar(u'\r');
    if (event->key() == Qt::Key_Backspace)
        return QChar(u'\b');
    const QString text = event->text();
    if (text.isEmpty() || text.at(0).unicode() < 32 || text.at(0).unicode() == 127)
        return {};
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return {};
    return text.at(0);
}

} // namespace

int TzkStringGrid::nextVisibleCol(int col, int step) const
{
    for (int c = col + step; c >= m_fixedCols && c < m_colCount; c += step) {
        if (ColWidths(c) > 0)
            return c;
    }
    return -1;
}

bool TzkStringGrid::GridEnterKeyDown(Qt::KeyboardModifiers shift)
{
    switch (m_gridMode) {
    case geAccess:
        if (const int next = nextVisibleCol(m_col, 1); next >= 0)
            MoveCurrent(next, m_row, true);
        return true;
    case geExcel:
        if (EditStyles(m_col) == geSimple) {
            if (m_editorMode)
                HideEditor();
            if (shift & Qt::ShiftModifier) {
                if (m_row > 1)
                    MoveCurrent(m_col, m_row - 1, true);
            } else if (m_row < RowCount() - 1) {
                MoveCurrent(m_col, m_row + 1, true);
            }
        }
        return true;
    case geNormal: return true;
    }
    return true;
}

bool TzkStringGrid::KeyDown(int key, Qt::KeyboardModifiers shift)
{
    if (isEnter(key))
        return GridEnterKeyDown(shift);
    const bool ctrl = shift & Qt::ControlModifier;
    switch (key) {
    case Qt::Key_Up:
        if (m_row > m_fixedRows)
            MoveCurrent(m_col, m_row - 1, true);
        return true;
    case Qt::Key_Down:
        if (m_row < RowCount() - 1)
            MoveCurrent(m_col, m_row + 1, true);
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (const int c = nextVisibleCol(m_col, key == Qt::Key_Left ? -1 : 1); c >= 0)
            MoveCurrent(c, m_row, true);
        return true;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        const int page = VisibleRowCount();
        const int row = std::clamp(m_row + (key == Qt::Key_PageUp ? -page : page), m_fixedRows, RowCount() - 1);
        SetTopRow(TopRow() + (key == Qt::Key_PageUp ? -page : page));
        if (row != m_row)
            MoveCurrent(m_col, row, true);
        return true;
    }
    case Qt::Key_Home:
    case Qt::Key_End: {
        const bool home = key == Qt::Key_Home;
        if (ctrl || m_options.testFlag(goRowSelect)) {
            MoveCurrent(m_col, home ? m_fixedRows : RowCount() - 1, true);
        } else {
            const int c = home ? nextVisibleCol(m_fixedCols - 1, 1) : nextVisibleCol(m_colCount, -1);
            if (c >= 0)
                MoveCurrent(c, m_row, true);
        }
        return true;
    }
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
        const bool back = key == Qt::Key_Backtab || (shift & Qt::ShiftModifier);
        if (!m_options.testFlag(goTabs)) {
            leaveByTab(!back);
            return true;
        }
        TabMove(back);
        return true;
    }
    case Qt::Key_F2: SetEditorMode(true); return true;
    case Qt::Key_Escape:
        if (!m_editorMode)
            return false;
        // Back to the cell's text; the editor closes unless it always shows.
        m_editor->UpdateContents();
        m_editor->selectAll();
        if (!m_options.testFlag(goAlwaysShowEditor)) {
            m_inplaceCol = -1;
            m_inplaceRow = -1;
            HideEditor();
        }
        return true;
    default: return false;
    }
}

void TzkStringGrid::TabMove(bool backwards)
{
    int col = m_col;
    int row = m_row;
    const int step = backwards ? -1 : 1;
    int c = nextVisibleCol(col, step);
    if (c < 0) {
        row += step;
        if (row < m_fixedRows || row >= RowCount())
            return;
        c = backwards ? nextVisibleCol(m_colCount, -1) : nextVisibleCol(m_fixedCols - 1, 1);
        if (c < 0)
            return;
    }
    MoveCurrent(c, row, true);
}

void TzkStringGrid::leaveByTab(bool next)
{
    m_tabbingOut = true;
    commitEditor();
    if (!hasFocus())
        setFocus(Qt::TabFocusReason);
    QTableView::focusNextPrevChild(next);
    m_tabbingOut = false;
}

bool TzkStringGrid::focusNextPrevChild(bool next)
{
    // Tab inside the grid is a key of the grid (it moves between cells or
    // leaves, after the editor's commit).
    if (!m_tabbingOut && focusInside(QApplication::focusWidget()))
        return false;
    return QTableView::focusNextPrevChild(next);
}

bool TzkStringGrid::KeyPress(QChar &ch)
{
    const ushort code = ch.unicode();
    if (code >= 32 && code <= 126 && EditStyles(m_col) == geCheckBox && m_row >= m_fixedRows)
        toggleCurrent(); // the character goes on
    if (code == '\r') {
        switch (m_gridMode) {
        case geAccess: ch = QChar(); return true;
        case geExcel:
            if (EditStyles(m_col) == geSimple) {
                if (m_editorMode)
                    HideEditor();
                ch = QChar();
                return true;
            }
            break;
        case geNormal: break;
        }
    }
    if (OnKeyPress) {
        OnKeyPress(this, ch);
        if (ch.isNull())
            return true;
    }
    if (ch.unicode() == '\r' && !m_options.testFlag(goAlwaysShowEditor)) {
        if (m_editorMode)
            HideEditor();
        else
            ShowEditor();
        ch = QChar();
        return true;
    }
    return false;
}

void TzkStringGrid::keyPressEvent(QKeyEvent *event)
{
    int key = event->key();
    const Qt::KeyboardModifiers shift = event->modifiers();
    if (OnKeyDown) {
        OnKeyDown(this, key, shift);
        if (!key) {
            event->accept();
            return;
        }
    }
    bool taken = KeyDown(key, shift);
    QChar ch = typedChar(event);
    if (!ch.isNull()) {
        taken = KeyPress(ch) || taken;
        // A character opens the editor and is typed there.
        if (!ch.isNull() && ch != u'\r' && m_options.testFlag(goEditing) && !m_editorMode) {
            ShowEditor();
            if (m_editorMode) {
                m_editor->selectAll();
                if (ch != u'\b')
                    m_editor->CharStage(ch, nullptr, true);
                else
                    m_editor->backspace();
            }
            taken = true;
        }
    }
    if (taken)
        event->accept();
    else
        event->ignore();
}

void TzkStringGrid::inputMethodEvent(QInputMethodEvent *event)
{
    // Composition on the grid opens the editor and goes on there.
    if (m_options.testFlag(goEditing) && !m_editorMode) {
        ShowEditor();
        if (m_editorMode) {
            m_editor->selectAll();
            QApplication::sendEvent(m_editor, event);
            return;
        }
    }
    QTableView::inputMethodEvent(event);
}

QVariant TzkStringGrid::inputMethodQuery(Qt::InputMethodQuery query) const
{
    // The composition window stands at the current cell.
    if (query == Qt::ImCursorRectangle) {
        const QRect r = CellRect(m_col, m_row);
        if (!r.isEmpty())
            return QRect(r.topLeft() + QPoint(2, 2), QSize(1, fontMetrics().height()));
    }
    if (query == Qt::ImFont)
        return font();
    return QTableView::inputMethodQuery(query);
}

bool TzkStringGrid::EditorKeyDown(int key, Qt::KeyboardModifiers shift)
{
    const bool pickList = m_editor->EditStyle() == esPickList;
    switch (m_gridMode) {
    case geAccess:
        if (isEnter(key)) {
            m_editor->InputComplite();
            GridEnterKeyDown(shift);
            return true;
        }
        switch (key) {
        case Qt::Key_Down:
            if (pickList && (shift & Qt::AltModifier)) {
                m_editor->DropDown();
                return true;
            }
            m_editor->InputComplite();
            return false;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Escape:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_End:
        case Qt::Key_Home:
        case Qt::Key_Up: m_editor->InputComplite(); return false;
        case Qt::Key_Left:
        case Qt::Key_Right: {
            m_editor->InputComplite();
            const QString text = m_editor->text();
            const bool whole =
                text.isEmpty() || (m_editor->selectionStart() == 0 && m_editor->selectedText().size() == text.size());
            if (!whole)
                return false;
            KeyDown(key, shift);
            return true;
        }
        default: return false;
        }
    case geExcel:
    case geNormal:
        if (m_gridMode == geExcel && isEnter(key) && m_editor->EditStyle() == esSimple) {
            GridEnterKeyDown(shift);
            return true;
        }
        if (key == Qt::Key_Left || key == Qt::Key_Right) {
            m_editor->InputComplite();
            return false;
        }
        if (key == Qt::Key_Down && pickList) {
            m_editor->DropDown();
            return true;
        }
        return false;
    }
    return false;
}

bool TzkStringGrid::editorStandardKeyDown(int key, Qt::KeyboardModifiers shift)
{
    const bool ctrl = shift & Qt::ControlModifier;
    const bool forward = m_options.testFlag(goAlwaysShowEditor);
    int start = 0;
    int end = 0;
    m_editor->selectionBounds(start, end);
    const int length = int(m_editor->text().size());
    const bool leftSide = start == 0 && (end == 0 || end == length);
    const bool rightSide = (start == 0 || end == start) && end == length;
    if (m_editor->EditStyle() == esPickList
        && ((key == Qt::Key_Down && (shift & Qt::AltModifier)) || key == Qt::Key_F4)) {
        m_editor->DropDown();
        return true;
    }
    if (m_editor->EditStyle() == esEllipsis && isEnter(key) && shift == Qt::ControlModifier) {
        m_editor->buttonClicked();
        return true;
    }
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Escape: KeyDown(key, shift); return true;
    case Qt::Key_Left:
    case Qt::Key_Home:
        if (forward && (ctrl || leftSide)) {
            KeyDown(key, shift);
            return true;
        }
        return false;
    case Qt::Key_Right:
    case Qt::Key_End:
        if (forward && (ctrl || rightSide)) {
            KeyDown(key, shift);
            return true;
        }
        return false;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (shift & Qt::AltModifier)
            return false;
        KeyDown(key, shift);
        return true;
    case Qt::Key_F2:
        m_editor->deselect();
        m_editor->end(false);
        return true;
    default: return false;
    }
}

// --- Mouse --------------------------------------------------------------------------------

void TzkStringGrid::MouseDown(Qt::MouseButton button, const QPoint &viewportPos, bool onCells)
{
    if (!focusInside(QApplication::focusWidget()))
        setFocus(Qt::MouseFocusReason);
    m_clickedCurrent = false;
    if (onCells && button == Qt::LeftButton) {
        const TGridCoord cell = MouseCoord(viewportPos.x(), viewportPos.y());
        if (cell.X >= 0) {
            if (cell.X == m_col && cell.Y == m_row)
                m_clickedCurrent = m_options.testFlag(goEditing) && !m_editorMode;
            else
                MoveCurrent(cell.X, cell.Y, true);
        }
    }
    // Every press toggles the current check box, wherever it hit.
    toggleCurrent();
}

void TzkStringGrid::mousePressEvent(QMouseEvent *event)
{
    MouseDown(event->button(), event->position().toPoint(), true);
    event->accept();
}

void TzkStringGrid::mouseReleaseEvent(QMouseEvent *event)
{
    const TGridCoord cell = MouseCoord(int(event->position().x()), int(event->position().y()));
    // A click on the current cell opens its editor.
    if (m_clickedCurrent && event->button() == Qt::LeftButton && cell.X == m_col && cell.Y == m_row)
        ShowEditor();
    m_clickedCurrent = false;
    event->accept();
}

void TzkStringGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double-click is a press as well.
    // Its release opens the editor of the cell, as a second click does.
    MouseDown(event->button(), event->position().toPoint(), true);
    if (OnDblClick)
        OnDblClick(this);
    event->accept();
}

void TzkStringGrid::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
}

// --- Focus --------------------------------------------------------------------------------

void TzkStringGrid::focusInEvent(QFocusEvent *event)
{
    QTableView::focusInEvent(event);
    viewport()->update();
    if (m_tabbingOut || m_enteringFocus)
        return;
    m_enteringFocus = true;
    if (m_options.testFlag(goAlwaysShowEditor))
        UpdateEdit();
    bool ignored = true;
    doSelectCell(m_col, m_row, ignored);
    if (OnShowEditor && m_editorCreated)
        OnShowEditor(this, m_col, m_row, m_editor);
    m_enteringFocus = false;
}

void TzkStringGrid::focusOutEvent(QFocusEvent *event)
{
    QTableView::focusOutEvent(event);
    viewport()->update();
    if (event->reason() != Qt::PopupFocusReason)
        focusLeft(QApplication::focusWidget());
}

void TzkStringGrid::focusLeft(QWidget *newFocus)
{
    if (focusInside(newFocus) || !m_editor)
        return;
    if (m_editorMode && m_editor->isVisible() && m_options.testFlag(goEditing))
        m_editor->InputComplite();
    viewport()->update();
}

void TzkStringGrid::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        applyFixedSizes();
}
