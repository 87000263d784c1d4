#include "controls/zkdbgrid_inplace.h"

#include "controls/zkdbgrid.h"
#include "core/zksub_dialogs.h"
#include "platform/db/dbconnection.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QScopedValueRollback>
#include <QStyle>
#include <QToolButton>

QList<QStringList> ParsePastedRecords(const QString &source)
{
    QString text = source;
    // A text ending with a bare LF (as texts from other programs here do)
    // has its line end already: one more would add an empty record.
    const bool added = !text.endsWith(QLatin1Char('\n'));
    if (added)
        text += QLatin1String("\r\n");
    const qsizetype n = text.size();
    // A value from start up to end (exclusive).
    const auto value = [&text](qsizetype start, qsizetype end) {
        if (start >= end || text.at(start) != QLatin1Char('"'))
            return text.mid(start, end - start);
        QString v;
        for (qsizetype p = start + 1; p < end; ++p) {
            if (text.at(p) == QLatin1Char('"')) {
                if (p + 1 < end && text.at(p + 1) == QLatin1Char('"')) {
                    v += QLatin1Char('"');
                    ++p;
                    continue;
                }
                break;
            }
            v += text.at(p);
        }
        return v;
    };
    QList<QStringList> records;
    QStringList record;
    qsizetype start = 0;
    bool quoted = false;
    for (qsizetype p = 0; p < n; ++p) {
        const QChar c = text.at(p);
        if (c == QLatin1Char('"')) {
            quoted = p == start;
        } else if (quoted) {
            continue;
        } else if (c == QLatin1Char('\t')) {
            record << value(start, p);
            start = p + 1;
        } else if (c == QLatin1Char('\n')) {
            const qsizetype end = p > start && text.at(p - 1) == QLatin1Char('\r') ? p - 1 : p;
            record << value(start, end);
            records << record;
            record.clear();
            start = p + 1;
        }
    }
    if (start < n) {
        // A quote never closed: its value runs to the end of the text.
        record << value(start, added ? n - 2 : n);
        records << record;
    }
    return records;
}

TDBGridInplaceEdit::TDBGridInplaceEdit(IzkDBGridEditorHost *grid)
    : QLineEdit(grid->EditorParent())
    , m_grid(grid)
    , m_button(new QToolButton(this))
{
    setObjectName(QStringLiteral("InplaceEditor"));
    setFrame(false);
    m_button->setObjectName(QStringLiteral("EditButton"));
    m_button->setCursor(Qt::ArrowCursor);
    m_button->setFocusPolicy(Qt::NoFocus);
    m_button->hide();
    connect(m_button, &QToolButton::clicked, this, [this] {
        if (m_editStyle == esPickList)
            DropDown();
        else
            m_grid->EditButtonClick();
    });
    connect(this, &QLineEdit::textEdited, this, [this](const QString &text) {
        if (!m_updating)
            m_grid->SetEditText(text);
    });
}

TzkDBGridV *TDBGridInplaceEdit::Grid() const
{
    return qobject_cast<TzkDBGridV *>(parentWidget() ? parentWidget()->parentWidget() : nullptr);
}

void TDBGridInplaceEdit::SetEditStyle(TEditStyle style)
{
    m_editStyle = style;
    m_button->setVisible(style != esSimple);
    m_button->setText(style == esPickList ? QStringLiteral("▼") : QStringLiteral("…"));
    setTextMargins(0, 0, style == esSimple ? 0 : height(), 0);
    resizeEvent(nullptr);
}

void TDBGridInplaceEdit::resizeEvent(QResizeEvent *event)
{
    if (event)
        QLineEdit::resizeEvent(event);
    const int w = qMax(12, height());
    m_button->setGeometry(width() - w, 0, w, height());
    if (m_editStyle != esSimple)
        setTextMargins(0, 0, w, 0);
}

void TDBGridInplaceEdit::UpdateContents()
{
    const QScopedValueRollback<bool> guard(m_updating, true);
    TDBGridEditItem item;
    const bool hasItem = m_grid->EditorItem(&item);
    const int limit = m_grid->GetEditLimit();
    setMaxLength(limit > 0 ? limit : 32767);
    setText(m_grid->GetEditText());
    // The edit style of the item: its button, else a pick list when it
    // has lines and may change.
    TEditStyle style = esSimple;
    if (hasItem) {
        switch (item.buttonStyle) {
        case cbsEllipsis: style = esEllipsis; break;
        case cbsNone: break;
        case cbsAuto: {
            TField *field = item.field;
            if (field && !item.pickList.isEmpty() && !item.readOnly)
                style = esPickList;
            else if (field && (field->DataType() == ftDataSet || field->DataType() == ftReference))
                style = esEllipsis;
            break;
        }
        }
        m_pickList = item.pickList;
        m_dropDownRows = item.dropDownRows;
        setFont(item.font);
    }
    SetEditStyle(style);
    setReadOnly(!m_grid->CellModifiable());
    selectAll();
}

bool TDBGridInplaceEdit::wholeTextSelected() const
{
    return selectionStart() <= 0 && selectedText().size() >= text().size();
}

void TDBGridInplaceEdit::handToGrid(int key, Qt::KeyboardModifiers shift)
{
    m_grid->SetEditText(text());
    m_grid->EditorKey(key, shift);
}

bool TDBGridInplaceEdit::mayChange()
{
    return !isReadOnly() && m_grid->CanEditModify();
}

void TDBGridInplaceEdit::keyPressEvent(QKeyEvent *event)
{
    int key = event->key();
    const Qt::KeyboardModifiers shift =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const bool ctrl = shift & Qt::ControlModifier;
    if (key == Qt::Key_Enter)
        key = Qt::Key_Return;
    // Over a wholly selected text the arrows move to the next cell.
    if ((key == Qt::Key_Left || key == Qt::Key_Right) && wholeTextSelected()) {
        handToGrid(key, shift);
        return;
    }
    if (key == Qt::Key_Return) {
        handToGrid(key, shift);
        return;
    }
    if (key == Qt::Key_Down && (shift & Qt::AltModifier) && m_editStyle == esPickList) {
        DropDown();
        return;
    }
    // The caret at an edge, and the grid's navigation keys, go to the grid.
    const bool atStart = !hasSelectedText() && cursorPosition() == 0;
    const bool atEnd = !hasSelectedText() && cursorPosition() == text().size();
    const bool navigation = key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown
                            || key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Escape
                            || key == Qt::Key_F2 || (key == Qt::Key_Insert && shift == Qt::NoModifier)
                            || (key == Qt::Key_Delete && ctrl) || (ctrl && (key == Qt::Key_Home || key == Qt::Key_End))
                            || (key == Qt::Key_Left && atStart) || (key == Qt::Key_Right && atEnd);
    if (navigation) {
        handToGrid(key == Qt::Key_Backtab ? Qt::Key_Tab : key,
                   key == Qt::Key_Backtab ? (shift | Qt::ShiftModifier) : shift);
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        EditCopy();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        EditPaste();
        return;
    }
    if (event->matches(QKeySequence::Cut)) {
        EditCut();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        EditSelectAll();
        return;
    }
    const QString typed = event->text();
    const bool changes = key == Qt::Key_Backspace || key == Qt::Key_Delete
                         || (!typed.isEmpty() && typed.at(0) >= QLatin1Char(' ') && !ctrl);
    if (changes) {
        if (!typed.isEmpty() && typed.at(0) >= QLatin1Char(' ') && !m_grid->CanEditAcceptKey(typed.at(0)))
            return;
        if (!mayChange())
            return;
    }
    QLineEdit::keyPressEvent(event);
}

void TDBGridInplaceEdit::inputMethodEvent(QInputMethodEvent *event)
{
    if (!event->commitString().isEmpty() && !mayChange()) {
        event->ignore();
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

void TDBGridInplaceEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    if (!m_gridGone && !m_grid->OwnsFocusWidget(QApplication::focusWidget()))
        m_grid->GridExit();
}

void TDBGridInplaceEdit::DropDown()
{
    if (m_listVisible || m_editStyle != esPickList)
        return;
    m_listVisible = true;
    QMenu list(this);
    list.setObjectName(QStringLiteral("PickList"));
    for (const QString &line : std::as_const(m_pickList))
        list.addAction(line);
    list.setMinimumWidth(width());
    QAction *chosen = list.exec(mapToGlobal(QPoint(0, height())));
    m_listVisible = false;
    if (chosen)
        CloseUpWith(chosen->text());
}

void TDBGridInplaceEdit::CloseUp(bool accept)
{
    m_listVisible = false;
    Q_UNUSED(accept)
}

void TDBGridInplaceEdit::CloseUpWith(const QString &line)
{
    if (!m_grid->CanEditModify())
        return;
    TDBGridEditItem item;
    if (m_grid->EditorItem(&item) && item.field)
        item.field->SetText(line);
    UpdateContents();
}

void TDBGridInplaceEdit::EditCopy()
{
    if (!m_grid->EditorSelection()->IsEmpty())
        m_grid->CopySelection();
    else
        copy();
}

void TDBGridInplaceEdit::EditCut()
{
    if (hasSelectedText() && mayChange()) {
        cut();
        m_grid->SetEditText(text());
    }
}

void TDBGridInplaceEdit::EditSelectAll()
{
    if (wholeTextSelected())
        m_grid->SelectAllRecords();
    else
        selectAll();
}

void TDBGridInplaceEdit::EditPaste()
{
    if (!m_grid->CanEditModify())
        return;
    const QString text = QGuiApplication::clipboard()->text();
    if (!text.contains(QLatin1String("\r\n")) && !text.contains(QLatin1Char('\t'))) {
        if (!isReadOnly()) {
            paste();
            m_grid->SetEditText(this->text());
        }
        return;
    }
    pasteRecords(text);
}

void TDBGridInplaceEdit::pasteRecords(const QString &text)
{
    TFDQuery *dataSet = m_grid->EditorLink()->DataSet();
    const QList<QStringList> records = ParsePastedRecords(text);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    dataSet->DisableControls();
    const auto restore = [dataSet] {
        dataSet->EndBulkInsert();
        dataSet->EnableControls();
        QGuiApplication::restoreOverrideCursor();
        // Later changes stay in the transaction this opens until the user
        // commits or rolls back.
        if (TFDConnection *con = dataSet->Connection())
            con->SetAutoCommit(false);
    };
    try {
        // The grid's pending text is not written over the pasted records.
        m_grid->EditorLink()->Reset();
        dataSet->BeginBulkInsert();
        dataSet->Insert();
        for (const QStringList &record : records) {
            for (int i = 0; i < record.size() && i < dataSet->FieldCount(); ++i) {
                TField *field = dataSet->Fields(i);
                // Identity, computed and other read-only columns take the
                // server's values.
                if (!field->ReadOnly())
                    field->SetText(record.at(i));
            }
            dataSet->Insert();
        }
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

void TDBGridInplaceEdit::EditDelete()
{
    if (!m_grid->CanEditModify())
        return;
    if (m_grid->EditorSelection()->IsEmpty()) {
        if (!isReadOnly()) {
            del();
            m_grid->SetEditText(text());
        }
        return;
    }
    TFDQuery *dataSet = m_grid->EditorLink()->DataSet();
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    dataSet->DisableControls();
    try {
        m_grid->EditorSelection()->Delete();
    } catch (...) {
        dataSet->EnableControls();
        QGuiApplication::restoreOverrideCursor();
        throw;
    }
    dataSet->EnableControls();
    QGuiApplication::restoreOverrideCursor();
}
