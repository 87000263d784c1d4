#pragma once

#include "editorcontrol/edcellmap.h"
#include "editorcontrol/edrowattrs.h"

#include <memory>

class TEditorScreenStrings;

// What a row list needs of an editor that shows it (its client). The editor
// control implements it; caret, selection and scrolling stay per editor while
// the rows, wrap settings, marks and undo store are shared by all clients of
// one list. The defaults suit an editor without a window.
class TEditorClient
{
public:
    virtual ~TEditorClient();

    // The row list this editor shows.
    virtual TEditorScreenStrings *InternalList() const = 0;

    // Caret and view. The setters keep the values legal as the editor defines it.
    virtual int Row() const = 0;
    virtual void SetRow(int Value) = 0;
    virtual int Col() const = 0;
    virtual void SetCol(int Value) = 0;
    virtual int TopRow() const = 0;
    virtual void SetTopRow(int Value) = 0;
    // Number of rows the text area shows.
    virtual int VisibleRows() const { return 1; }
    // Caret to a character offset counted from the start of StartRow.
    virtual void SetRowColFromIndex(int StartRow, int Index);
    virtual void SetCaretNoMove(bool) {}
    virtual void BeginCaretUpdate() {}
    virtual void EndCaretUpdate() {}
    virtual void BeginUnderlineUpdate() {}
    virtual void EndUnderlineUpdate() {}
    virtual void UpdateCaret() {}

    // Selection, focus and component state.
    virtual bool SelectedData() const { return false; }
    virtual void CleanSelection() {}
    virtual bool Focused() const { return false; }
    virtual bool IsLoading() const { return false; }
    virtual bool IsDestroying() const { return false; }
    // Shown on screen with a window; only then is redrawing switched off
    // during an update of its lines.
    virtual bool IsShowing() const { return false; }
    virtual void SetRedraw(bool) {}

    // Colouring: a new parser of the active colouring scheme (null for none),
    // and how many rows a computation covers beyond the first one asked for:
    // two display heights of rows.
    virtual std::unique_ptr<TRowStateParser> CreateRowStateParser() { return nullptr; }
    virtual int RowHeight() const { return 12; }
    // Height of the whole display in pixels.
    virtual int DisplayHeight() const { return 1080; }
    // A new text's colouring state is computed for all rows at once.
    virtual bool InitBracketsFull() const { return false; }

    // Tab width, delimiters and ambiguous-width rule of the editor's cell map
    // (word wrap is the list's).
    virtual TCellMapOptions CellMapOptions() const { return DefaultCellMapOptions(); }

    // Notifications from the list: a change is complete (once per outermost
    // update), a row's colouring changed, the metrics must be recomputed.
    virtual void DoChange() {}
    virtual void InvalidateRow(int) {}
    virtual void RefreshMetrics() {}

    // Repainting after a change (TEditorScreen): the whole text area below the
    // top margin at once; a run of rows; the text area and image bar below a
    // row scrolled by Delta rows; the line-number bar for a run of rows.
    enum TLeftbarNumbers { lnNone, lnRows, lnLines };
    virtual void InvalidateTextArea() {}
    virtual void InvalidateRows(int, int) {}
    virtual void ScrollRows(int, int) {}
    virtual TLeftbarNumbers LeftbarNumbers() const { return lnNone; }
    virtual void InvalidateLeftbar(int, int) {}
};
