// The data grid's editing hooks: when its in-place editor shows, what it
// shows, and when the current cell may change.
#include "controls/zkdbgrid.h"

#include "controls/zkdbgrid_inplace.h"
#include "controls/zkdbgrid_p.h"
#include "controls/zkdbgrid_shared.h"

#include <QApplication>

bool TzkDBGridV::EditorMode() const
{
    return CanEditShow() && (m_editorMode || m_options.Has(dgAlwaysShowEditor));
}

void TzkDBGridV::SetEditorMode(bool value)
{
    if (value)
        ShowEditor();
    else
        HideEditor();
}

bool TzkDBGridV::CanEditShow() const
{
    // Only a result that can be changed gets an editor: a read-only one is
    // browsed and copied by the grid itself.
    return m_layoutLock == 0 && m_options.Has(dgEditing) && !m_options.Has(dgRowSelect) && m_dataLink->Active()
           && m_dataLink->DataSet()->CanEdit() && SelectedIndex() >= 0 && SelectedIndex() < m_columns->Count();
}

bool TzkDBGridV::EditorItem(TDBGridEditItem *item) const
{
    const int index = SelectedIndex();
    if (index < 0 || index >= m_columns->Count())
        return false;
    TColumn *column = m_columns->Items(index);
    item->field = column->Field();
    item->buttonStyle = column->ButtonStyle();
    item->pickList = column->PickList();
    item->dropDownRows = column->DropDownRows();
    item->font = column->Font();
    item->readOnly = column->ReadOnly();
    return true;
}

bool TzkDBGridV::CellModifiable() const
{
    TDBGridEditItem item;
    return EditorItem(&item) && DBGridCellModifiable(m_readOnly, m_dataLink.get(), item.readOnly, item.field);
}

bool TzkDBGridV::CanEditModify()
{
    return CellModifiable() && DBGridEnterEdit(m_dataLink.get());
}

bool TzkDBGridV::CanEditAcceptKey(QChar ch) const
{
    TField *field = SelectedField();
    return m_dataLink->Active() && field && field->IsValidChar(ch);
}

QString TzkDBGridV::GetEditText() const
{
    const QString text = m_dataLink->Active() ? DBGridEditText(SelectedField()) : QString();
    const_cast<TzkDBGridV *>(this)->m_editText = text;
    return text;
}

void TzkDBGridV::SetEditText(const QString &text)
{
    m_editText = text;
}

int TzkDBGridV::GetEditLimit() const
{
    return DBGridEditLimit(SelectedField());
}

TDBGridInplaceEdit *TzkDBGridV::CreateEditor()
{
    if (!m_inplaceEdit)
        m_inplaceEdit = new TDBGridInplaceEdit(static_cast<IzkDBGridEditorHost *>(this));
    return m_inplaceEdit;
}

void TzkDBGridV::UpdateEditor()
{
    const bool show = EditorMode() && !m_painting;
    if (show)
        CreateEditor();
    DBGridPlaceEditor(this, m_inplaceEdit, show, m_options, !m_dataLink->IsModified());
}

void TzkDBGridV::ShowEditor()
{
    m_editorMode = true;
    UpdateEditor();
}

void TzkDBGridV::HideEditor()
{
    m_editorMode = false;
    UpdateEditor();
}

void TzkDBGridV::EditButtonClick()
{
    if (OnEditButtonClick)
        OnEditButtonClick();
}

void TzkDBGridV::EditorKey(int key, Qt::KeyboardModifiers shift)
{
    const InputScope scope(this, shift, key);
    if (OnKeyDown) {
        OnKeyDown(key, shift);
        if (key == 0)
            return;
    }
    if (key == Qt::Key_Return && !m_options.Has(dgAlwaysShowEditor))
        m_dataLink->UpdateRecord();
    KeyDown(key, shift);
}

bool TzkDBGridV::OwnsFocusWidget(QWidget *widget) const
{
    return widget && (widget == this || (m_inplaceEdit && widget == m_inplaceEdit));
}

void TzkDBGridV::GridExit()
{
    // The focus also leaves a grid being taken down.
    if (!m_dataLink || !m_dataLink->Active())
        return;
    try {
        DBGridLeave(m_dataLink.get(), m_options.Has(dgCancelOnExit));
    } catch (...) {
        // The focus stays in the grid, which shows the error.
        if (focusPolicy() != Qt::NoFocus && isEnabled() && isVisible()) {
            setFocus();
            throw;
        }
    }
}

void TzkDBGridV::EditUndo()
{
    if (m_inplaceEdit && !m_inplaceEdit->isHidden())
        m_inplaceEdit->EditUndo();
}

void TzkDBGridV::EditCut()
{
    if (m_inplaceEdit && !m_inplaceEdit->isHidden())
        m_inplaceEdit->EditCut();
}

void TzkDBGridV::EditPaste()
{
    if (!CanEditShow())
        return;
    CreateEditor()->EditPaste();
}

void TzkDBGridV::EditDelete()
{
    if (!CanEditShow())
        return;
    CreateEditor()->EditDelete();
}
