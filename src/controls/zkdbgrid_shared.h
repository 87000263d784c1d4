#pragma once

// What the record grid and the transposed grid do alike, apart from their
// axes: moving the data set a record at a time with the keyboard's range
// of records, the scroll bar that stands for the records, the press on a
// record, select-all, cell geometry and the editing rules of a cell.

#include "controls/zkdbgrid.h"

#include <functional>

class QTableView;
class TDBGridInplaceEdit;

// The grid's record moves over its link, selection and update lock.
struct TDBGridMoves
{
    TGridDataLink *link;
    TBookmarkList *marks;
    bool multiSelect;
    bool &selecting;
    TRecordId &anchor;
    int &updateLock;

    // With dgMultiSelect: empties the selection and ends a keyboard range.
    void ClearSelection();
    // One record in direction (+1, -1). When maySelect, Shift extends or
    // shrinks the keyboard range of records from its anchor; otherwise the
    // selection is cleared.
    void MoveRecord(int direction, bool maySelect, Qt::KeyboardModifiers shift);
    // The next record, a new one appended at the end when mayAppend; an
    // untouched new record is not left for another.
    void NextRecord(bool mayAppend, Qt::KeyboardModifiers shift);
    // The record before; an untouched new record at the end is dropped.
    void PriorRecord(Qt::KeyboardModifiers shift);
    // A press on the record at window place target (false: none there):
    // the pending edit is written, the data set moves there, enterField
    // enters the pressed field, then with dgMultiSelect Ctrl toggles the
    // record; otherwise the selection is emptied, Shift selects every record
    // from the one current before to the pressed one, a press on the
    // indicator selects the pressed record, and rangeDone(shift, indicator)
    // lets the grid set its field range end and whole-record flag.
    bool PressRecord(int target, bool indicator, Qt::KeyboardModifiers shift, const std::function<void()> &enterField,
                     const std::function<void(bool shiftRange, bool indicator)> &rangeDone);
    // Ctrl+Delete: asks with dgConfirmDelete, then deletes the selected
    // records or, without any, the current one.
    void DeleteRecords(bool readOnly, bool confirm);
};

// A scroll-bar action on the bar that stands for the records; false for one
// that is not a record move.
bool DBGridScrollAction(TGridDataLink *link, int action, int page);
// The thumb let go at a record number.
void DBGridThumbReleased(TGridDataLink *link, int position);
// The select-all command: every record selected, the last one current;
// false while the link is inactive.
bool DBGridSelectAll(TGridDataLink *link, TBookmarkList *marks);

// Cell geometry of a grid whose fixed columns are its vertical header and
// whose fixed rows its horizontal header, in the view's coordinates.
QRect DBGridCellRect(const QTableView *view, int fixedCols, int fixedRows, int col, int row);
TGridCoord DBGridMouseCoord(const QTableView *view, int fixedCols, int fixedRows, int x, int y);

// The editing rules of a cell.
bool DBGridCellModifiable(bool gridReadOnly, TGridDataLink *link, bool itemReadOnly, TField *field);
// After DBGridCellModifiable: the data set is put into edit mode (a new
// record in an empty one); true when the link now edits.
bool DBGridEnterEdit(TGridDataLink *link);
// The editor's text of a field; with nullEmpty a null field gives "".
QString DBGridEditText(TField *field, bool nullEmpty = false);
int DBGridEditLimit(TField *field);
// Writes the editor's pending text to the field; an unchanged text leaves
// a NULL a NULL.
void DBGridUpdateData(TField *field, const QString &text);
// Leaving the grid: an untouched new record is dropped with dgCancelOnExit,
// else the pending edit is written (which may raise).
void DBGridLeave(TGridDataLink *link, bool cancelOnExit);
// Shows the editor over the view's current cell (inside its grid lines),
// filled from the grid unless it holds a change, or hides it.
void DBGridPlaceEditor(QTableView *view, TDBGridInplaceEdit *editor, bool show, TDBGridOptions options, bool refill);
