#include "controls/zkdbgrid_shared.h"

#include "controls/zkdbgrid_inplace.h"
#include "core/zksub_dialogs.h"

#include <QHeaderView>
#include <QTableView>

namespace {

// Holds the grid's update lock for a scope.
class UpdateLock
{
public:
    explicit UpdateLock(int &count)
        : m_count(count)
    {
        ++m_count;
    }
    ~UpdateLock()
    {
        if (m_count > 0)
            --m_count;
    }

private:
    int &m_count;
};

// Types whose edit text cannot be written back.
bool refusesEditText(TFieldType type)
{
    switch (type) {
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftGraphic:
    case ftFmtMemo:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftCursor:
    case ftADT:
    case ftArray:
    case ftReference:
    case ftDataSet: return true;
    default: return false;
    }
}

bool untouchedInsert(TGridDataLink *link)
{
    const TFDQuery *dataSet = link->DataSet();
    return dataSet->State() == dsInsert && !dataSet->Modified() && !link->IsModified();
}

} // namespace

// --- Record moves ------------------------------------------------------------------

void TDBGridMoves::ClearSelection()
{
    if (multiSelect) {
        marks->Clear();
        selecting = false;
    }
}

void TDBGridMoves::MoveRecord(int direction, bool maySelect, Qt::KeyboardModifiers shift)
{
    const UpdateLock lock(updateLock);
    bool addAfter = false;
    if (multiSelect && link->Active()) {
        if (maySelect && (shift & Qt::ShiftModifier)) {
            if (!selecting) {
                anchor = marks->CurrentBookmark();
                marks->SetCurrentRowSelected(true);
                selecting = true;
                addAfter = true;
            } else if (marks->CompareItems(marks->CurrentBookmark(), anchor) == -direction) {
                // Back towards the anchor: the range shrinks.
                marks->SetCurrentRowSelected(false);
            } else {
                addAfter = true;
            }
        } else {
            ClearSelection();
        }
    }
    link->DataSet()->MoveBy(direction);
    if (addAfter)
        marks->SetCurrentRowSelected(true);
}

void TDBGridMoves::NextRecord(bool mayAppend, Qt::KeyboardModifiers shift)
{
    TFDQuery *dataSet = link->DataSet();
    if (untouchedInsert(link)) {
        // A new record nobody typed into: at the end nothing more is added.
        if (dataSet->RecNo() >= dataSet->RecordCount())
            return;
        dataSet->Cancel();
    } else {
        MoveRecord(1, true, shift);
    }
    if (mayAppend && dataSet->Eof() && dataSet->CanEdit())
        dataSet->Append();
}

void TDBGridMoves::PriorRecord(Qt::KeyboardModifiers shift)
{
    TFDQuery *dataSet = link->DataSet();
    if (untouchedInsert(link) && dataSet->RecNo() >= dataSet->RecordCount()) {
        dataSet->Cancel();
        return;
    }
    MoveRecord(-1, true, shift);
}

bool TDBGridMoves::PressRecord(int target, bool indicator, Qt::KeyboardModifiers shift,
                               const std::function<void()> &enterField,
                               const std::function<void(bool, bool)> &rangeDone)
{
    if (link->BufferRecord(target) < 0)
        return false;
    TFDQuery *dataSet = link->DataSet();
    const UpdateLock lock(updateLock);
    link->UpdateRecord();
    const int before = link->ActiveRecord();
    dataSet->MoveBy(target - before);
    if (!indicator)
        enterField();
    if (!multiSelect)
        return true;
    selecting = false;
    if (shift & Qt::ControlModifier) {
        marks->SetCurrentRowSelected(!marks->CurrentRowSelected());
        return true;
    }
    marks->Clear();
    const bool range = shift & Qt::ShiftModifier;
    if (range) {
        // Every record from the one current before to the one pressed, in
        // that order.
        const int step = target >= before ? 1 : -1;
        for (int r = before;; r += step) {
            dataSet->MoveBy(r - link->ActiveRecord());
            marks->SetCurrentRowSelected(true);
            if (r == target)
                break;
        }
    } else if (indicator) {
        marks->SetCurrentRowSelected(true);
    }
    rangeDone(range, indicator);
    return true;
}

void TDBGridMoves::DeleteRecords(bool readOnly, bool confirm)
{
    TFDQuery *dataSet = link->DataSet();
    if (readOnly || dataSet->IsEmpty() || !dataSet->CanModify())
        return;
    if (confirm) {
        const QString text = marks->Count() > 1 ? QStringLiteral("選択されたレコードをすべて削除してよいですか？")
                                                : QStringLiteral("レコードを削除しますか？");
        if (ShowAppMessage(text, MB_OKCANCEL | MB_ICONQUESTION) == IDCANCEL)
            return;
    }
    if (!marks->IsEmpty())
        marks->Delete();
    else
        dataSet->Delete();
}

// --- Scroll bar and select-all ---------------------------------------------------------

bool DBGridScrollAction(TGridDataLink *link, int action, int page)
{
    TFDQuery *dataSet = link->DataSet();
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        // To the record before the first on screen.
        dataSet->MoveBy(-(link->ActiveRecord() + 1));
        break;
    case QAbstractSlider::SliderSingleStepAdd:
        // To the record after the last on screen.
        dataSet->MoveBy(link->RecordCount() - link->ActiveRecord());
        break;
    case QAbstractSlider::SliderPageStepSub: dataSet->MoveBy(-page); break;
    case QAbstractSlider::SliderPageStepAdd: dataSet->MoveBy(page); break;
    case QAbstractSlider::SliderToMinimum: dataSet->First(); break;
    case QAbstractSlider::SliderToMaximum: dataSet->Last(); break;
    default: return false;
    }
    return true;
}

void DBGridThumbReleased(TGridDataLink *link, int position)
{
    TFDQuery *dataSet = link->DataSet();
    if (position <= 1)
        dataSet->First();
    else if (position >= dataSet->RecordCount())
        dataSet->Last();
    else
        dataSet->SetRecNo(position);
}

bool DBGridSelectAll(TGridDataLink *link, TBookmarkList *marks)
{
    if (!link->Active())
        return false;
    TFDQuery *dataSet = link->DataSet();
    dataSet->DisableControls();
    try {
        marks->SelectAll();
        dataSet->Last();
    } catch (...) {
        dataSet->EnableControls();
        throw;
    }
    dataSet->EnableControls();
    return true;
}

// --- Geometry ------------------------------------------------------------------------

QRect DBGridCellRect(const QTableView *view, int fixedCols, int fixedRows, int col, int row)
{
    const QAbstractItemModel *model = view->model();
    const QHeaderView *fixedCol = view->verticalHeader();
    const QHeaderView *fixedRow = view->horizontalHeader();
    const int c = col - fixedCols;
    const int r = row - fixedRows;
    int x, w, y, h;
    if (c < 0) {
        x = fixedCol->x();
        w = fixedCol->width();
    } else {
        if (c >= model->columnCount())
            return QRect();
        x = view->viewport()->x() + view->columnViewportPosition(c);
        w = view->columnWidth(c);
    }
    if (r < 0) {
        y = fixedRow->y();
        h = fixedRow->height();
    } else {
        if (r >= model->rowCount())
            return QRect();
        y = view->viewport()->y() + view->rowViewportPosition(r);
        h = view->rowHeight(r);
    }
    return QRect(x, y, w, h);
}

TGridCoord DBGridMouseCoord(const QTableView *view, int fixedCols, int fixedRows, int x, int y)
{
    const QHeaderView *fixedCol = view->verticalHeader();
    const QHeaderView *fixedRow = view->horizontalHeader();
    TGridCoord c;
    const QPoint p = view->viewport()->mapFrom(view, QPoint(x, y));
    if (p.x() < 0) {
        if (fixedCols && x >= fixedCol->x() && x < fixedCol->x() + fixedCol->width())
            c.X = 0;
    } else if (const int d = view->columnAt(p.x()); d >= 0) {
        c.X = d + fixedCols;
    }
    if (p.y() < 0) {
        if (fixedRows && y >= fixedRow->y() && y < fixedRow->y() + fixedRow->height())
            c.Y = 0;
    } else if (const int r = view->rowAt(p.y()); r >= 0) {
        c.Y = r + fixedRows;
    }
    return c;
}

// --- Editing ------------------------------------------------------------------------

bool DBGridCellModifiable(bool gridReadOnly, TGridDataLink *link, bool itemReadOnly, TField *field)
{
    if (gridReadOnly || !link->Active() || link->ReadOnly())
        return false;
    return !itemReadOnly && field && field->CanModify() && link->DataSet()->CanEdit()
           && !refusesEditText(field->DataType());
}

bool DBGridEnterEdit(TGridDataLink *link)
{
    TFDQuery *dataSet = link->DataSet();
    if (dataSet->State() == dsBrowse) {
        if (dataSet->IsEmpty())
            dataSet->Append();
        else
            dataSet->Edit();
    }
    const bool editing = link->Editing();
    if (editing)
        link->Modified();
    return editing;
}

QString DBGridEditText(TField *field, bool nullEmpty)
{
    if (!field || (nullEmpty && field->IsNull()))
        return QString();
    if (field->DataType() == ftBlob)
        return UnicodeBytesToHex(field->AsString().left(100), -1);
    return field->Text();
}

int DBGridEditLimit(TField *field)
{
    if (field && (field->DataType() == ftString || field->DataType() == ftWideString))
        return field->Size() > 0 ? field->Size() : 0;
    return 0;
}

void DBGridUpdateData(TField *field, const QString &text)
{
    if (field && (text != field->Text() || field->IsNull() != text.isEmpty()))
        field->SetText(text);
}

void DBGridLeave(TGridDataLink *link, bool cancelOnExit)
{
    TFDQuery *dataSet = link->DataSet();
    if (cancelOnExit && untouchedInsert(link))
        dataSet->Cancel();
    else
        link->UpdateRecord();
}

void DBGridPlaceEditor(QTableView *view, TDBGridInplaceEdit *editor, bool show, TDBGridOptions options, bool refill)
{
    if (!editor)
        return;
    const QModelIndex index = view->currentIndex();
    QRect r = show ? view->visualRect(index) : QRect();
    if (!show || !index.isValid() || r.isEmpty()) {
        if (!editor->isHidden()) {
            const bool hadFocus = editor->hasFocus();
            editor->hide();
            if (hadFocus && !show)
                view->setFocus();
        }
        return;
    }
    if (options.Has(dgColLines))
        r.setRight(r.right() - 1);
    if (options.Has(dgRowLines))
        r.setBottom(r.bottom() - 1);
    editor->setGeometry(r);
    if (refill)
        editor->UpdateContents();
    const bool focus = view->hasFocus();
    editor->show();
    if (focus)
        editor->setFocus();
}
