#pragma once

class QWidget;

// The main window's edit commands (undo, redo, cut, copy, paste, delete and
// select all) act on the focused control. A control that takes them (the
// editor, the grids, the list views) implements this; the main window asks
// the focused widget for it and does nothing when it has none.
//
// Each operation checks what the control allows (a read-only control does
// not change), so the commands can be sent without asking first.
class IzkEditCommands
{
public:
    virtual ~IzkEditCommands();

    virtual void EditUndo() = 0;
    virtual void EditRedo() = 0;
    virtual void EditCut() = 0;
    virtual void EditCopy() = 0;
    virtual void EditPaste() = 0;
    // Removes the selection without putting it on the clipboard.
    virtual void EditDelete() = 0;
    virtual void EditSelectAll() = 0;
};

// The commands of Widget, or null when it takes none.
IzkEditCommands *EditCommandsOf(QWidget *Widget);
// The commands of the application's focus widget, or null.
IzkEditCommands *FocusedEditCommands();
