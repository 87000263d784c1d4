#pragma once

#include "editorcontrol/edrowattrs.h"

#include <QString>

#include <memory>
#include <vector>

class TEditorScreenStrings;

// One step: applying it removes DeleteCount rows at DataRow and puts
// InsertStr, wrapped, in their place; the caret then goes to (Row, Col).
struct TUndoData
{
    int Row = 0;
    int Col = 0;
    int DataRow = -1;
    int DeleteCount = 0;
    TRowAttribute RowAttribute = raInvalid; // of the last row put back; raInvalid: nothing put back
    QString InsertStr;
};

class TUndoDataList
{
public:
    int Count() const { return int(m_items.size()); }
    TUndoData *Items(int Index) const { return m_items.at(Index).get(); }
    TUndoData *Last() const { return m_items.empty() ? nullptr : m_items.back().get(); }
    TUndoData *Add(const TUndoData &Data);
    void Delete(int Index);
    void Clear() { m_items.clear(); }

private:
    std::vector<std::unique_ptr<TUndoData>> m_items;
};

// The undo and redo store of a row list, shared by all its editors. Every
// call of the list's ReplaceRows is one step; nothing merges steps.
class TEditorUndoObj
{
public:
    explicit TEditorUndoObj(TEditorScreenStrings *List);
    virtual ~TEditorUndoObj();

    // A new step with the active editor's caret; drops the oldest step beyond
    // ListMax and, outside Redo, empties the redo list.
    virtual TUndoData *AddUndoData();
    virtual bool CanRedo() const { return FRedoList.Count() > 0; }
    virtual bool CanUndo() const { return FUndoList.Count() > 0; }
    virtual void Redo();
    virtual void Undo();
    // A copy of Data's change with the active editor's caret at this moment.
    virtual void AddRedoData(const TUndoData &Data);
    virtual void Clear();

    int ListMax() const { return FListMax; }
    // Never below 64.
    void SetListMax(int Value);
    const TUndoDataList &UndoList() const { return FUndoList; }
    const TUndoDataList &RedoList() const { return FRedoList; }

protected:
    TEditorScreenStrings *FList;
    int FListMax = 64;
    bool FRedoing = false;
    TUndoDataList FRedoList;
    TUndoDataList FUndoList;

private:
    struct Applied
    {
        QString CurText;
        int CurCount = 0;
        TRowAttribute CurAttr = raInvalid;
        int NewCount = 0;
    };
    Applied apply(const TUndoData &Entry);
};
