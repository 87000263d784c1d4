// The string grid's in-place editor: a line edit with an ellipsis button or
// a drop-down pick list, completing typed text from the list.

#include "controls/zkgrid.h"

#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QScreen>
#include <QScrollBar>
#include <QToolButton>
#include <QValidator>

#include <algorithm>

namespace {

// The editor's letter case, kept while typing, pasting or composing.
class CaseValidator : public QValidator
{
public:
    CaseValidator(TEditCharCase charCase, QObject *parent)
        : QValidator(parent)
        , m_case(charCase)
    {
    }
    State validate(QString &input, int &) const override
    {
        input = m_case == ecUpperCase ? input.toUpper() : input.toLower();
        return Acceptable;
    }

private:
    TEditCharCase m_case;
};

QChar asciiUpper(QChar c)
{
    return c >= u'a' && c <= u'z' ? QChar(c.unicode() - 32) : c;
}

// The item begins with the prefix, ASCII letters compared without case.
bool startsWithAscii(const QString &item, const QString &prefix)
{
    if (item.size() < prefix.size())
        return false;
    for (qsizetype i = 0; i < prefix.size(); ++i) {
        if (asciiUpper(item.at(i)) != asciiUpper(prefix.at(i)))
            return false;
    }
    return true;
}

} // namespace

TzkInplaceEditor::TzkInplaceEditor(TzkStringGrid *grid)
    : QLineEdit(grid->viewport())
    , m_grid(grid)
    , m_button(new QToolButton(this))
    , m_list(new QListWidget(this))
{
    setObjectName(QStringLiteral("InplaceEditor"));
    setFrame(false);
    // Reached by a click or by the grid, never by Tab: Tab belongs to the grid.
    setFocusPolicy(Qt::ClickFocus);
    // Drops go on to the grid.
    setAcceptDrops(false);
    m_button->setFocusPolicy(Qt::NoFocus);
    m_button->setCursor(Qt::ArrowCursor);
    m_button->hide();
    connect(m_button, &QToolButton::clicked, this, [this] { buttonClicked(); });
    m_list->setWindowFlags(Qt::Popup);
    m_list->setObjectName(QStringLiteral("PickList"));
    m_list->setFocusProxy(nullptr);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->installEventFilter(this);
    m_list->viewport()->installEventFilter(this);
    connect(m_list, &QListWidget::itemClicked, this, [this] { CloseUp(true); });
    m_list->hide();
}

TzkInplaceEditor::~TzkInplaceEditor() = default;

void TzkInplaceEditor::SetEditStyle(TEditStyle value)
{
    m_editStyle = value;
    m_button->setVisible(value != esSimple);
    if (value == esEllipsis) {
        m_button->setArrowType(Qt::NoArrow);
        m_button->setText(QStringLiteral("..."));
    } else if (value == esPickList) {
        m_button->setText(QString());
        m_button->setArrowType(Qt::DownArrow);
    }
    layoutButton();
}

void TzkInplaceEditor::SetMaxLength(int value)
{
    m_maxLength = value;
    setMaxLength(value > 0 ? value : 32767);
}

void TzkInplaceEditor::SetCharCase(TEditCharCase value)
{
    if (value == m_charCase)
        return;
    m_charCase = value;
    QValidator *old = const_cast<QValidator *>(validator());
    setValidator(value == ecNormal ? nullptr : new CaseValidator(value, this));
    delete old;
    if (value != ecNormal)
        setText(value == ecUpperCase ? text().toUpper() : text().toLower());
}

void TzkInplaceEditor::layoutButton()
{
    const int w = m_editStyle == esSimple ? 0 : std::min(16, height());
    setTextMargins(0, 0, w, 0);
    if (w > 0)
        m_button->setGeometry(width() - w, 0, w, height());
}

void TzkInplaceEditor::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    layoutButton();
}

void TzkInplaceEditor::UpdateContents()
{
    const int col = m_grid->m_inplaceCol;
    const int row = m_grid->m_inplaceRow;
    setText(m_grid->Cells(col, row));
    setModified(false);
    m_items.clear();
    m_itemsLoaded = false;
    const bool dropList = m_grid->EditStyles(col) == geDropList;
    SetMaxLength(dropList ? -1 : 0);
    m_grid->m_editorCreated = true;
    if (m_grid->OnShowEditor) {
        m_grid->OnShowEditor(m_grid, m_grid->Col(), m_grid->Row(), this);
        // A drop-down list keeps no length limit, whatever the handler set.
        if (dropList)
            SetMaxLength(-1);
    }
}

const QStringList &TzkInplaceEditor::PickListItems()
{
    if (!m_itemsLoaded) {
        m_items.clear();
        const TOnGetPickListItems &handler = OnGetPickListItems ? OnGetPickListItems : m_grid->OnGetPickListitems;
        if (handler)
            handler(m_grid->Col(), m_grid->Row(), m_items);
        m_itemsLoaded = !m_items.isEmpty();
    }
    return m_items;
}

bool TzkInplaceEditor::ListVisible() const
{
    return m_list->isVisible();
}

void TzkInplaceEditor::DropDown()
{
    if (m_editStyle != esPickList || ListVisible())
        return;
    const QStringList items = PickListItems();
    if (items.isEmpty())
        return;
    m_list->clear();
    m_list->addItems(items);
    m_list->setFont(font());
    const int current = int(items.indexOf(text()));
    m_list->setCurrentRow(current);
    const int rows = std::min<int>(int(items.size()), DropDownRows());
    const int rowHeight = std::max(m_list->sizeHintForRow(0), fontMetrics().height());
    const int frame = 2 * m_list->frameWidth();
    int width = std::max(this->width(), m_list->sizeHintForColumn(0) + frame + 4);
    if (int(items.size()) > rows)
        width += m_list->verticalScrollBar()->sizeHint().width();
    const QSize size(width, rows * rowHeight + frame);
    QPoint pos = mapToGlobal(QPoint(0, height()));
    if (const QScreen *screen = this->screen()) {
        const QRect avail = screen->availableGeometry();
        if (pos.y() + size.height() > avail.bottom())
            pos.setY(mapToGlobal(QPoint(0, 0)).y() - size.height());
        pos.setX(std::clamp(pos.x(), avail.left(), std::max(avail.left(), avail.right() - size.width())));
    }
    m_list->setGeometry(QRect(pos, size));
    m_list->show();
    m_list->setFocus(Qt::PopupFocusReason);
    if (current >= 0)
        m_list->scrollToItem(m_list->item(current));
}

void TzkInplaceEditor::CloseUp(bool Accept)
{
    if (!ListVisible())
        return;
    // The choice is read before the list closes.
    const int index = m_list->currentRow();
    m_list->hide();
    const bool accepted = Accept && index >= 0;
    if (accepted) {
        setText(m_list->item(index)->text());
        setModified(true);
        selectAll();
    }
    if (isVisible())
        setFocus(Qt::PopupFocusReason);
    if (accepted && m_grid->OnSelectListItems)
        m_grid->OnSelectListItems(m_grid, m_grid->Col(), m_grid->Row(), index);
}

bool TzkInplaceEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter: CloseUp(true); return true;
        case Qt::Key_Escape: CloseUp(false); return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
            if (key->modifiers() & Qt::AltModifier) {
                CloseUp(true);
                return true;
            }
            break;
        case Qt::Key_F4: CloseUp(true); return true;
        default: break;
        }
    }
    return QLineEdit::eventFilter(watched, event);
}

void TzkInplaceEditor::buttonClicked()
{
    if (m_editStyle == esPickList) {
        if (ListVisible())
            CloseUp(false);
        else
            DropDown();
        return;
    }
    if (m_grid->OnEditButtonClick)
        m_grid->OnEditButtonClick(m_grid);
    if (OnEditButtonClick)
        OnEditButtonClick(this);
}

void TzkInplaceEditor::InputComplite()
{
    const int col = m_grid->Col();
    const int row = m_grid->Row();
    if (text() != m_grid->Cells(col, row))
        m_grid->SetEditText(col, row, text());
}

void TzkInplaceEditor::selectionBounds(int &start, int &end) const
{
    if (hasSelectedText()) {
        start = selectionStart();
        end = selectionEnd();
    } else {
        start = end = cursorPosition();
    }
}

bool TzkInplaceEditor::Complete(QChar ch)
{
    if (m_editStyle != esPickList)
        return false;
    const ushort code = ch.unicode();
    if (code == 8 || code == 9 || code == 27)
        return false;
    const QString prefix = (hasSelectedText() ? text().left(selectionStart()) : text()) + ch;
    const QStringList items = PickListItems();
    for (const QString &item : items) {
        if (!startsWithAscii(item, prefix))
            continue;
        setText(item);
        setModified(true);
        // The caret after the prefix, the rest of the item selected.
        setCursorPosition(int(item.size()));
        cursorBackward(true, int(item.size() - prefix.size()));
        return true;
    }
    return false;
}

void TzkInplaceEditor::CharStage(QChar ch, QKeyEvent *event, bool gridDone)
{
    if (!gridDone && m_grid->KeyPress(ch))
        return;
    // The grid may have closed the editor or moved on.
    if (!isVisible() || ch.isNull())
        return;
    if (Complete(ch))
        return;
    if (event)
        QLineEdit::keyPressEvent(event);
    else
        insert(QString(ch));
}

bool TzkInplaceEditor::event(QEvent *event)
{
    // Tab is a key of the grid's tables, never a focus move of the edit.
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
            && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            keyPressEvent(key);
            return true;
        }
    }
    return QLineEdit::event(event);
}

void TzkInplaceEditor::keyPressEvent(QKeyEvent *event)
{
    int key = event->key();
    const Qt::KeyboardModifiers shift = event->modifiers();
    event->accept();
    if (m_grid->OnKeyDown) {
        m_grid->OnKeyDown(m_grid, key, shift);
        if (!key)
            return;
    }
    bool taken = m_grid->EditorKeyDown(key, shift);
    if (!taken && isVisible())
        taken = m_grid->editorStandardKeyDown(key, shift);
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (enter) {
        QChar ch(u'\r');
        if (!m_grid->KeyPress(ch) && isVisible()) {
            // Enter left to the edit switches between all and nothing selected.
            if (selectionStart() == 0 && selectedText().size() == text().size())
                deselect();
            else
                selectAll();
        }
        return;
    }
    if (taken)
        return;
    const QString text = event->text();
    const bool typed = !text.isEmpty() && !(shift & (Qt::ControlModifier | Qt::AltModifier))
                       && (text.at(0).unicode() >= 32 || key == Qt::Key_Backspace) && text.at(0).unicode() != 127;
    if (typed) {
        CharStage(key == Qt::Key_Backspace ? QChar(u'\b') : text.at(0), event);
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TzkInplaceEditor::inputMethodEvent(QInputMethodEvent *event)
{
    // A finished composition arrives as its characters, each through the
    // character step, so the pick list completes from it as from keys.
    if (!event->commitString().isEmpty() && event->preeditString().isEmpty() && event->replacementLength() == 0) {
        const QString commit = event->commitString();
        for (QChar ch : commit) {
            if (!isVisible())
                break;
            CharStage(ch, nullptr);
        }
        event->accept();
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

void TzkInplaceEditor::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (m_editStyle != esPickList) {
        QLineEdit::mouseDoubleClickEvent(event);
        return;
    }
    // A double-click steps to the next item of a list of two or more.
    const QStringList items = PickListItems();
    if (items.size() < 2)
        return;
    const int index = int((items.indexOf(text()) + 1) % items.size());
    setText(items.at(index));
    setModified(true);
    selectAll();
}

void TzkInplaceEditor::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    if (event->reason() != Qt::PopupFocusReason && !ListVisible())
        m_grid->focusLeft(QApplication::focusWidget());
}
