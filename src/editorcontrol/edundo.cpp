#include "editorcontrol/edundo.h"
#include "editorcontrol/edrowlist.h"

#include <algorithm>

TUndoData *TUndoDataList::Add(const TUndoData &Data)
{
    m_items.push_back(std::make_unique<TUndoData>(Data));
    return m_items.back().get();
}

void TUndoDataList::Delete(int Index)
{
    m_items.erase(m_items.begin() + Index);
}

TEditorUndoObj::TEditorUndoObj(TEditorScreenStrings *List)
    : FList(List)
{
}

TEditorUndoObj::~TEditorUndoObj() = default;

void TEditorUndoObj::SetListMax(int Value)
{
    FListMax = std::max(64, Value);
}

TUndoData *TEditorUndoObj::AddUndoData()
{
    TUndoData data;
    if (const TEditorClient *client = FList->ActiveClient()) {
        data.Row = client->Row();
        data.Col = client->Col();
    }
    TUndoData *entry = FUndoList.Add(data);
    if (FUndoList.Count() > FListMax)
        FUndoList.Delete(0);
    if (!FRedoing)
        FRedoList.Clear();
    return entry;
}

void TEditorUndoObj::AddRedoData(const TUndoData &Data)
{
    TUndoData copy;
    if (const TEditorClient *client = FList->ActiveClient()) {
        copy.Row = client->Row();
        copy.Col = client->Col();
    }
    copy.DataRow = Data.DataRow;
    copy.DeleteCount = Data.DeleteCount;
    copy.RowAttribute = Data.RowAttribute;
    copy.InsertStr = Data.InsertStr;
    FRedoList.Add(copy);
}

void TEditorUndoObj::Clear()
{
    FUndoList.Clear();
    FRedoList.Clear();
}

TEditorUndoObj::Applied TEditorUndoObj::apply(const TUndoData &Entry)
{
    Applied result;
    if (Entry.DeleteCount > 0)
        FList->GetRowsText(Entry.DataRow, Entry.DeleteCount, result.CurText, result.CurCount, result.CurAttr);
    if (Entry.RowAttribute == raInvalid) {
        FList->KeepDeletedMarks(Entry.DataRow, FList->DeleteRows(Entry.DataRow, result.CurCount));
        result.NewCount = 0;
    } else {
        TEditorStringList rows;
        if (Entry.RowAttribute == raWrapped) {
            FList->WrapText(Entry.InsertStr, rows);
            if (rows.Count() > 1 && rows.RowText(rows.Count() - 1).isEmpty())
                rows.Delete(rows.Count() - 1);
            rows.SetRows(rows.Count() - 1, raWrapped);
        } else {
            FList->WrapReplacement(Entry.InsertStr, Entry.RowAttribute, rows);
        }
        result.NewCount = rows.Count();
        FList->PutRowList(Entry.DataRow, result.CurCount, rows);
    }
    const int invalid = FList->UpdateBrackets(Entry.DataRow, true);
    FList->SetDrawInfo(Entry.DataRow, result.CurCount, result.NewCount, invalid);
    return result;
}

namespace {

// Holds the caret of the active editor and the row list's notifications
// while an entry is applied, and releases both however the scope is left.
class ApplyScope
{
public:
    ApplyScope(TEditorClient *client, TEditorScreenStrings &list)
        : m_client(client)
        , m_list(list)
    {
        if (m_client)
            m_client->BeginCaretUpdate();
        m_list.BeginUpdate();
    }
    void endListUpdate()
    {
        if (m_listOpen) {
            m_listOpen = false;
            m_list.EndUpdate();
        }
    }
    ~ApplyScope()
    {
        endListUpdate();
        if (m_client)
            m_client->EndCaretUpdate();
    }

private:
    TEditorClient *m_client;
    TEditorScreenStrings &m_list;
    bool m_listOpen = true;
};

} // namespace

void TEditorUndoObj::Undo()
{
    TUndoData *entry = FUndoList.Last();
    if (!entry)
        return;
    TEditorClient *client = FList->ActiveClient();
    ApplyScope scope(client, *FList);
    const Applied applied = apply(*entry);
    // The entry turns into its inverse on the way to the redo list.
    entry->DeleteCount = applied.NewCount;
    entry->RowAttribute = applied.CurAttr;
    entry->InsertStr = applied.CurText;
    AddRedoData(*entry);
    scope.endListUpdate();
    if (client) {
        client->SetRow(entry->Row);
        client->SetCol(entry->Col);
    }
    FUndoList.Delete(FUndoList.Count() - 1);
}

void TEditorUndoObj::Redo()
{
    TUndoData *entry = FRedoList.Last();
    if (!entry)
        return;
    TEditorClient *client = FList->ActiveClient();
    ApplyScope scope(client, *FList);
    const Applied applied = apply(*entry);
    FRedoing = true;
    try {
        TUndoData *undo = AddUndoData();
        undo->DataRow = entry->DataRow;
        undo->DeleteCount = applied.NewCount;
        undo->RowAttribute = applied.CurAttr;
        undo->InsertStr = applied.CurText;
    } catch (...) {
        FRedoing = false;
        throw;
    }
    FRedoing = false;
    scope.endListUpdate();
    if (client) {
        client->SetRow(entry->Row);
        client->SetCol(entry->Col);
    }
    FRedoList.Delete(FRedoList.Count() - 1);
}
