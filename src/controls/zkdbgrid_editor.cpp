// The data grid's editing hooks: when its in-place editor shows, what it
// shows, and when the current cell may change.
#include "controls/zkdbgrid.h"

#include "controls/zkdbgrid_inplace.h"
#include "controls/zkdbgrid_p.h"

#include <QApplication>

namespace {

// Types whose edit text cannot be written back.
bool refusesEditText(TFieldType type)
{
    switch (type) {
    case ftBytes: case ftVarBytes: case ftBlob: case ftGraphic: case ftFmtMemo: case ftParadoxOle:
    case ftDBaseOle: case ftTypedBinary: case ftCursor: case ftADT: case ftArray: case ftReference:
    case ftDataSet:
        return true;
    default:
        return false;
    }
}

} // namespace

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

bool TzkDBGridV::CellModifiable() const
{
    if (m_readOnly || !m_dataLink->Active() || m_dataLink->ReadOnly())
        return false;
    const int index = SelectedIndex();
    if (index < 0 || index >= m_columns->Count())
        return false;
    TColumn *column = m_columns->Items(index);
    TField *field = column->Field();
    return !column->ReadOnly() && field && field->CanModify() && m_dataLink->DataSet()->CanEdit()
           && !refusesEditText(field->DataType());
}

bool TzkDBGridV::CanEditModify()
{
    if (!CellModifiable())
        return false;
    TFDQuery *dataSet = m_dataLink->DataSet();
    if (dataSet->State() == dsBrowse) {
        if (dataSet->IsEmpty())
            dataSet->Append();
        else
            dataSet->Edit();
    }
    const bool editing = m_dataLink->Editing();
    if (editing)
        m_dataLink->Modified();
    return editing;
}

bool TzkDBGridV::CanEditAcceptKey(QChar ch) const
{
    TField *field = SelectedField();
    return m_dataLink->Active() && field && field->IsValidChar(ch);
}

QString TzkDBGridV::GetEditText() const
{
    QString text;
    TField *field = SelectedField();
    if (m_dataLink->Active() && field) {
        switch (field->DataType()) {
        case ftBlob:
            text = UnicodeBytesToHex(field->AsString().left(100), -1);
            break;
        default:
            text = field->Text();
            break;
        }
    }
    const_cast<TzkDBGridV *>(this)->m_editText = text;
    return text;
}

void TzkDBGridV::SetEditText(const QString &text)
{
    m_editText = text;
}

int TzkDBGridV::GetEditLimit() const
{
    TField *field = SelectedField();
    if (field && (field->DataType() == ftString || field->DataType() == ftWideString))
        return field->Size() > 0 ? field->Size() : 0;
    return 0;
}

TDBGridInplaceEdit *TzkDBGridV::CreateEditor()
{
    if (!m_inplaceEdit)
        m_inplaceEdit = new TDBGridInplaceEdit(this);
    return m_inplaceEdit;
}

void TzkDBGridV::UpdateEditor()
{
    if (!EditorMode() || m_painting) {
        if (m_inplaceEdit && !m_inplaceEdit->isHidden()) {
            const bool hadFocus = m_inplaceEdit->hasFocus();
            m_inplaceEdit->hide();
            if (hadFocus)
                setFocus();
        }
        return;
    }
    CreateEditor();
    const QModelIndex index = currentIndex();
    QRect r = visualRect(index);
    if (!index.isValid() || r.isEmpty()) {
        m_inplaceEdit->hide();
        return;
    }
    if (m_options.Has(dgColLines))
        r.setRight(r.right() - 1);
    if (m_options.Has(dgRowLines))
        r.setBottom(r.bottom() - 1);
    m_inplaceEdit->setGeometry(r);
    if (!m_dataLink->IsModified())
        m_inplaceEdit->UpdateContents();
    const bool focus = hasFocus();
    m_inplaceEdit->show();
    if (focus)
        m_inplaceEdit->setFocus();
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
    TFDQuery *dataSet = m_dataLink->DataSet();
    try {
        if (m_options.Has(dgCancelOnExit) && dataSet->State() == dsInsert && !dataSet->Modified()
            && !m_dataLink->IsModified())
            dataSet->Cancel();
        else
            m_dataLink->UpdateRecord();
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
