#pragma once

// The data grid's in-place editor: an edit box over the current cell, with
// an ellipsis button or a drop-down pick list as the column asks. It hands
// its text and Enter, and Left or Right over a wholly selected text, to the
// grid, and widens the edit commands to records: copy hands over to the grid
// when records are selected, a paste of tabular text inserts one record per
// line, and delete removes the selected records.

#include "controls/zkdbgrid_columns.h"
#include "core/zkeditcommands.h"

#include <QFont>
#include <QLineEdit>
#include <QList>
#include <QStringList>

class QToolButton;
class TBookmarkList;
class TGridDataLink;
class TzkDBGridV;

// The grid's current item (column, or field row of the transposed grid) as
// the editor shows it.
struct TDBGridEditItem
{
    TField *field = nullptr;
    TColumnButtonStyle buttonStyle = cbsAuto;
    QStringList pickList;
    int dropDownRows = 7;
    QFont font;
    bool readOnly = false;
};

// What the editor asks of the grid it stands in: either data grid.
class IzkDBGridEditorHost
{
public:
    virtual ~IzkDBGridEditorHost() = default;
    virtual QWidget *EditorParent() const = 0;
    // False without a current item.
    virtual bool EditorItem(TDBGridEditItem *item) const = 0;
    virtual TGridDataLink *EditorLink() const = 0;
    virtual TBookmarkList *EditorSelection() const = 0;
    // The current cell may change (without entering edit mode).
    virtual bool CellModifiable() const = 0;
    // The same, putting the data set into edit mode.
    virtual bool CanEditModify() = 0;
    virtual bool CanEditAcceptKey(QChar ch) const = 0;
    virtual QString GetEditText() const = 0;
    virtual void SetEditText(const QString &text) = 0;
    virtual int GetEditLimit() const = 0;
    virtual void EditButtonClick() = 0;
    // A key the editor hands over, handled as if the grid had it.
    virtual void EditorKey(int key, Qt::KeyboardModifiers shift) = 0;
    virtual bool OwnsFocusWidget(QWidget *widget) const = 0;
    // The focus went outside the grid and its editor.
    virtual void GridExit() = 0;
    virtual void CopySelection() = 0;
    virtual void SelectAllRecords() = 0;
};

// The records of a pasted text: one per line (CR LF or LF), values split at
// tabs. A value that begins with a double quote runs to the next single
// one, doubled quotes inside reduced to one, tabs and line breaks inside
// kept; what follows the closing quote up to the separator is dropped, and
// without a closing quote the value runs to the end of the text. A text not
// ending with a line break is read as if it did.
QList<QStringList> ParsePastedRecords(const QString &text);

class TDBGridInplaceEdit
    : public QLineEdit
    , public IzkEditCommands
{
    Q_OBJECT
public:
    explicit TDBGridInplaceEdit(IzkDBGridEditorHost *grid);

    // The record grid it stands in; null in a transposed grid.
    TzkDBGridV *Grid() const;
    // The grid is being destroyed: focus changes no longer reach it.
    void GridGone() { m_gridGone = true; }
    TEditStyle EditStyle() const { return m_editStyle; }
    void SetEditStyle(TEditStyle style);
    QStringList PickList() const { return m_pickList; }
    void SetPickList(const QStringList &list) { m_pickList = list; }
    int DropDownRows() const { return m_dropDownRows; }
    void SetDropDownRows(int rows) { m_dropDownRows = rows; }
    bool ListVisible() const { return m_listVisible; }
    void DropDown();
    void CloseUp(bool accept);

    // Text, edit style, length limit, read-only state and font from the
    // grid's current cell and column.
    void UpdateContents();

    // IzkEditCommands.
    void EditUndo() override { undo(); }
    void EditRedo() override { redo(); }
    void EditCut() override;
    void EditCopy() override;
    void EditPaste() override;
    void EditDelete() override;
    // A first select-all selects the text, a second one (the text wholly
    // selected) every record.
    void EditSelectAll() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;

private:
    bool wholeTextSelected() const;
    // The text becomes the grid's pending edit and the key goes to it.
    void handToGrid(int key, Qt::KeyboardModifiers shift);
    bool mayChange();
    void pasteRecords(const QString &text);
    void CloseUpWith(const QString &line);

    IzkDBGridEditorHost *m_grid;
    bool m_gridGone = false;
    QToolButton *m_button;
    TEditStyle m_editStyle = esSimple;
    QStringList m_pickList;
    int m_dropDownRows = 7;
    bool m_listVisible = false;
    bool m_updating = false;
};
