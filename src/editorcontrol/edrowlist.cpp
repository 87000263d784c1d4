#include "editorcontrol/edrowlist.h"
#include "editorcontrol/edutils.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Ends an update of a line list however the scope is left.
class UpdateScope
{
public:
    explicit UpdateScope(TEditorLineList &list)
        : m_list(list)
    {
        m_list.BeginUpdate();
    }
    ~UpdateScope() { m_list.EndUpdate(); }
    UpdateScope(const UpdateScope &) = delete;
    UpdateScope &operator=(const UpdateScope &) = delete;

private:
    TEditorLineList &m_list;
};

// Carries the state unchanged: the colouring when no scheme is active.
class NullRowStateParser : public TRowStateParser
{
public:
    void LastTokenBracket(int, const TRowAttributeStringList &, TRowAttributeData &) override {}
};

const QLatin1String CrLf("\r\n");

bool endsWithBreak(const QString &s)
{
    return !s.isEmpty() && (s.back() == QLatin1Char('\n') || s.back() == QLatin1Char('\r'));
}

quintptr withRows(quintptr item, TRowAttribute attribute)
{
    return (item & ~RowBits::Rows) | quintptr(attribute);
}

quintptr withMarks(quintptr item2, TRowMarks marks)
{
    return (item2 & ~(quintptr(0xFFFF) << RowBits::RowMarksShift)) | (quintptr(marks) << RowBits::RowMarksShift);
}

TRowMarks marksOf(const TEditorLineItem &e)
{
    return TRowMarks(e.FItem2 >> RowBits::RowMarksShift);
}

} // namespace

// ---- TEditorClient ----

TEditorClient::~TEditorClient() = default;

void TEditorClient::SetRowColFromIndex(int StartRow, int Index)
{
    TEditorScreenStrings *list = InternalList();
    if (!list)
        return;
    TCellMapOptions options = CellMapOptions();
    options.WordWrap = list->WordWrap();
    options.WrapByte = list->WrapOption()->WrapByte();
    const TRowCol rc = RowColFromIndex(*list, options, StartRow, Index);
    SetRow(rc.Row);
    SetCol(rc.Col);
}

// ---- TEditorStringList ----

void TEditorStringList::AppendRow(const QString &S, TRowAttribute Attribute)
{
    TEditorLineItem item;
    item.FString = S;
    item.FItem = quintptr(Attribute);
    AppendEntry(std::move(item));
}

void TEditorStringList::AppendRow(QStringView S, TRowAttribute Attribute)
{
    AppendRow(S.toString(), Attribute);
}

// ---- TEditorScreenStrings ----

TEditorScreenStrings::TEditorScreenStrings()
{
    OnChange = TNotifyEvent(this, &TEditorScreenStrings::ClientsChange);
}

TEditorScreenStrings::~TEditorScreenStrings()
{
    OnChange = {};
    OnChanging = {};
    FClients.clear();
    FWrapOption.reset();
    FUndoObj.reset();
}

std::unique_ptr<TEditorUndoObj> TEditorScreenStrings::CreateUndoObj()
{
    return std::make_unique<TEditorUndoObj>(this);
}

std::unique_ptr<TEditorWrapOption> TEditorScreenStrings::CreateWrapOption()
{
    return std::make_unique<TEditorWrapOption>();
}

TEditorUndoObj *TEditorScreenStrings::UndoObj()
{
    if (!FUndoObj)
        FUndoObj = CreateUndoObj();
    return FUndoObj.get();
}

TEditorWrapOption *TEditorScreenStrings::WrapOption()
{
    if (!FWrapOption) {
        FWrapOption = CreateWrapOption();
        FWrapOption->OnChange = TNotifyEvent(this, &TEditorScreenStrings::WrapOptionChanged);
    }
    return FWrapOption.get();
}

void TEditorScreenStrings::AddClient(TEditorClient *Client)
{
    if (Client && !FClients.contains(Client))
        FClients.append(Client);
}

void TEditorScreenStrings::RemoveClient(TEditorClient *Client)
{
    FClients.removeAll(Client);
    if (FClients.isEmpty())
        delete this;
}

TEditorClient *TEditorScreenStrings::ActiveClient() const
{
    for (TEditorClient *client : FClients) {
        if (client->Focused())
            return client;
    }
    return FirstClient();
}

TCellMapOptions TEditorScreenStrings::CellMapOptions() const
{
    TCellMapOptions options = FirstClient() ? FirstClient()->CellMapOptions() : DefaultCellMapOptions();
    options.WordWrap = FWordWrap;
    options.WrapByte = const_cast<TEditorScreenStrings *>(this)->WrapOption()->WrapByte();
    return options;
}

bool TEditorScreenStrings::firstClientLoading() const
{
    const TEditorClient *client = FirstClient();
    return client && (client->IsLoading() || client->IsDestroying());
}

int TEditorScreenStrings::bracketRowsAhead() const
{
    const TEditorClient *client = FirstClient();
    const int height = client ? client->DisplayHeight() : 1080;
    const int rowHeight = client ? client->RowHeight() : 12;
    return height / std::max(rowHeight, 1) * 2;
}

std::unique_ptr<TRowStateParser> TEditorScreenStrings::createParser() const
{
    std::unique_ptr<TRowStateParser> parser;
    if (TEditorClient *client = FirstClient())
        parser = client->CreateRowStateParser();
    if (!parser)
        parser = std::make_unique<NullRowStateParser>();
    return parser;
}

void TEditorScreenStrings::KeepDeletedMarks(int Index, TRowMarks Marks)
{
    if (Count() == 0) {
        ExcludeRowMarks(Marks);
    } else if (Marks) {
        const int row = std::min(Index, Count() - 1);
        SetRowMarks(row, GetRowMarks(row) | Marks);
    }
}

int TEditorScreenStrings::FirstRowOfLine(int Index) const
{
    while (Index > 0 && Index <= Count() && RowAttr(Index - 1) == raWrapped)
        --Index;
    return Index;
}

int TEditorScreenStrings::LastRowOfLine(int Index) const
{
    if (Index < 0)
        return Index;
    while (Index < Count() - 1 && RowAttr(Index) == raWrapped)
        ++Index;
    return Index;
}

void TEditorScreenStrings::GetRowsText(int Index, int Count, QString &S, int &RowCount,
                                       TRowAttribute &LastAttribute) const
{
    S.clear();
    RowCount = 0;
    LastAttribute = raInvalid;
    const int rows = this->Count();
    if (Index < 0 || Index > rows - 1)
        return;
    int last = Count < 0 ? LastRowOfLine(Index) : std::min(Index + Count - 1, rows - 1);
    if (last < Index)
        return;
    qsizetype size = 0;
    for (int r = Index; r <= last; ++r)
        size += RowText(r).size() + (RowAttr(r) == raCrlf ? 2 : 0);
    S.reserve(size);
    for (int r = Index; r <= last; ++r) {
        S += RowText(r);
        if (RowAttr(r) == raCrlf)
            S += CrLf;
    }
    RowCount = last - Index + 1;
    LastAttribute = RowAttr(last);
}

void TEditorScreenStrings::AppendLineBreak(int Index, QString &S) const
{
    if (Index >= 0 && Index < Count() && RowAttr(Index) == raCrlf)
        S += CrLf;
}

TRowMarks TEditorScreenStrings::DeleteRows(int Index, int Count)
{
    if (Index < 0 || Index > this->Count() - 1 || Count <= 0)
        return 0;
    Count = std::min(Count, this->Count() - Index);
    UpdateScope update(*this);
    TRowMarks marks = 0;
    for (int r = Index; r < Index + Count; ++r)
        marks |= marksOf(Entry(r));
    Changing();
    RemoveEntries(Index, Count);
    Changed();
    return marks;
}

void TEditorScreenStrings::PutRowList(int Index, int Count, TEditorStringList &List)
{
    const int oldCount = std::max(0, std::min(Count, this->Count() - Index));
    const int newCount = List.Count();
    UpdateScope update(*this);
    std::vector<TRowMarks> marks(size_t(newCount), 0);
    if (newCount < oldCount) {
        const TRowMarks removed = DeleteRows(Index, oldCount - newCount);
        for (int i = 0; i < newCount; ++i)
            marks[i] = marksOf(Entry(Index + i));
        if (newCount > 0)
            marks[0] |= removed;
        else
            ExcludeRowMarks(removed);
    } else if (newCount > oldCount) {
        const int grow = newCount - oldCount;
        std::vector<TRowMarks> old(size_t(oldCount), 0);
        for (int i = 0; i < oldCount; ++i)
            old[i] = marksOf(Entry(Index + i));
        Changing();
        InsertEntries(Index + oldCount, grow);
        Changed();
        // The run's tail keeps its marks with the new tail; the first row's
        // marks move down with its text when a break went in at its start.
        for (int i = 1; i < oldCount; ++i)
            marks[grow + i] = old[i];
        if (oldCount > 0) {
            const TEditorClient *client = ActiveClient();
            const bool atLineStart = client && client->Col() == 0;
            marks[atLineStart ? grow : 0] |= old[0];
        }
    } else {
        for (int i = 0; i < newCount; ++i)
            marks[i] = marksOf(Entry(Index + i));
    }
    for (int i = 0; i < newCount; ++i) {
        const TEditorLineItem &source = List.Entry(i);
        TEditorLineItem &target = Entry(Index + i);
        target.FString = source.FString;
        target.FDataStr = source.FDataStr;
        target.FData = source.FData;
        target.FItem = source.FItem;
        target.FItem2 = withMarks(source.FItem2, marks[i]);
    }
}

int TEditorScreenStrings::UpdateBrackets(int Index, bool Notify)
{
    const int rows = Count();
    if (Index < 0 || Index > rows - 1)
        return 0;
    std::unique_ptr<TRowStateParser> parser = createParser();
    TRowAttributeData state;
    int from = 0;
    // Rows from the mark down are not computed: no need to look at them.
    int r = std::min(Index, ComputedUpTo()) - 1;
    while (r >= 0 && GetBrackets(r) == -2)
        --r;
    if (r >= 0) {
        state = GetRowData(r);
        parser->LastTokenBracket(r, *this, state);
        // The state of the next row's start names this row as the one before.
        state.PrevRowAttribute = RowAttr(r);
        from = r + 1;
    }
    const int limit = std::min(bracketRowsAhead() + Index, rows - 1);
    int count = 0;
    for (r = from; r <= limit; ++r) {
        if (SameRowData(r, state))
            return count;
        PutRowData(r, state);
        if (Notify) {
            ++count;
            const QList<TEditorClient *> clients = FClients;
            for (TEditorClient *client : clients)
                client->InvalidateRow(r);
        }
        state.RowAttribute = RowAttr(r);
        parser->LastTokenBracket(r, *this, state);
        state.PrevRowAttribute = RowAttr(r);
    }
    ResetRowDataFrom(limit + 1);
    return count;
}

void TEditorScreenStrings::InitBrackets()
{
    if (firstClientLoading())
        return;
    const int rows = Count();
    ResetRowDataFrom(0);
    const TEditorClient *client = FirstClient();
    int last = rows - 1;
    if (!(client && client->InitBracketsFull()))
        last = std::min(rows - 1, bracketRowsAhead() + (client ? client->TopRow() : 0));
    if (last < 0)
        return;
    std::unique_ptr<TRowStateParser> parser = createParser();
    TRowAttributeData state;
    for (int r = 0; r <= last; ++r) {
        PutRowData(r, state);
        state.RowAttribute = RowAttr(r);
        parser->LastTokenBracket(r, *this, state);
        state.PrevRowAttribute = RowAttr(r);
    }
}

void TEditorScreenStrings::SetDrawInfo(int Start, int Delete, int Insert, int Invalid)
{
    FDrawInfo = {Start, Delete, Insert, Invalid, true};
}

void TEditorScreenStrings::ReplaceRows(int Row, int Count, const QString &S)
{
    const int rows = this->Count();
    if (Row < 0 || Count < 0 || Row + Count > rows || (Count == 0 && S.isEmpty()))
        return;
    const int first = FirstRowOfLine(Row) == Row ? Row : Row - 1;
    const int lastOld = Count > 0 ? Row + Count - 1 : Row - 1;
    int last = LastRowOfLine(lastOld);

    UpdateScope update(*this);
    int start = first;
    int deleted = 0;
    int inserted = 0;
    int invalid = 0;
    if (first == Row && last == lastOld && S.isEmpty() && Count > 0) {
        // Whole logical lines go: delete their rows without any re-wrap.
        TUndoData *entry = UndoObj()->AddUndoData();
        entry->DataRow = Row;
        GetRowsText(Row, Count, entry->InsertStr, deleted, entry->RowAttribute);
        KeepDeletedMarks(Row, DeleteRows(Row, Count));
        start = Row;
        invalid = UpdateBrackets(Row, true);
    } else {
        TRowAttribute endAttr;
        if (lastOld < last) {
            endAttr = RowAttr(last);
        } else if (last < rows - 1) {
            // The next logical line is re-wrapped together with S.
            last = LastRowOfLine(last + 1);
            endAttr = RowAttr(last);
        } else {
            endAttr = endsWithBreak(S) ? raCrlf : raEof;
        }
        TUndoData *entry = UndoObj()->AddUndoData();
        entry->DataRow = first;
        GetRowsText(first, last - first + 1, entry->InsertStr, deleted, entry->RowAttribute);

        QString before;
        QString after;
        int n = 0;
        TRowAttribute a = raInvalid;
        GetRowsText(first, Row - first, before, n, a);
        GetRowsText(lastOld + 1, last - lastOld, after, n, a);
        TEditorStringList list;
        WrapReplacement(before + S + after, endAttr, list);
        inserted = list.Count();
        entry->DeleteCount = inserted;
        PutRowList(first, last - first + 1, list);
        invalid = UpdateBrackets(first, true);
    }
    SetDrawInfo(start, deleted, inserted, invalid);
}

void TEditorScreenStrings::WrapText(const QString &S, TEditorStringList &List)
{
    UpdateScope update(List);
    List.Clear();
    if (S.isEmpty()) {
        List.AppendRow(QString(), raCrlf);
        return;
    }
    const QList<QStringView> lines = SplitLines(S);
    if (!FWordWrap) {
        List.SetCapacity(int(lines.size()));
        for (QStringView line : lines)
            List.AppendRow(line, raCrlf);
        return;
    }
    TEditorWrapper wrapper(*WrapOption(), CellMapOptions());
    for (QStringView line : lines)
        wrapper.WrapLine(line,
                         [&List](QStringView row, bool wrapped) { List.AppendRow(row, wrapped ? raWrapped : raCrlf); });
}

void TEditorScreenStrings::WrapReplacement(const QString &S, TRowAttribute LastAttribute, TEditorStringList &List)
{
    WrapText(S, List);
    if (LastAttribute == raEof && endsWithBreak(S))
        List.AppendRow(QString(), raCrlf);
    List.SetRows(List.Count() - 1, LastAttribute);
}

int TEditorScreenStrings::WrapRowCount(const QString &S)
{
    if (!FWordWrap)
        return 1;
    TEditorWrapper wrapper(*WrapOption(), CellMapOptions());
    return wrapper.RowCount(S);
}

void TEditorScreenStrings::WrapAllRows()
{
    if (Count() == 0 || firstClientLoading())
        return;
    CleanClientSelections();
    const TNotifyEvent onChange = OnChange;
    OnChange = {};
    {
        UpdateScope update(*this);
        const TRowAttribute lastAttr = RowAttr(Count() - 1);
        const TCellMapOptions options = CellMapOptions();
        TEditorWrapper wrapper(*WrapOption(), options);
        const int wrap = options.WrapByte;
        QList<TEditorLineItem> rows;
        rows.reserve(Count());
        std::vector<TRowMarks> lineMarks;
        QString joined;
        const int count = Count();
        for (int r = 0; r < count;) {
            int e = r;
            while (e < count - 1 && RowAttr(e) == raWrapped)
                ++e;
            lineMarks.clear();
            TRowMarks all = 0;
            for (int i = r; i <= e; ++i) {
                lineMarks.push_back(marksOf(Entry(i)));
                all |= lineMarks.back();
            }
            if (r == e) {
                joined = RowText(r);
            } else {
                joined.clear();
                for (int i = r; i <= e; ++i)
                    joined += RowText(i);
            }
            if (ExpandTabLength(joined, options) < wrap) {
                TEditorLineItem item;
                item.FString = joined;
                item.FItem = raCrlf;
                item.FItem2 = withMarks(0, all);
                rows.append(std::move(item));
            } else {
                const qsizetype firstNew = rows.size();
                wrapper.WrapLine(joined, [&rows](QStringView row, bool wrapped) {
                    TEditorLineItem item;
                    item.FString = row.toString();
                    item.FItem = wrapped ? raWrapped : raCrlf;
                    rows.append(std::move(item));
                });
                // Row j of the line keeps the marks of old row j; marks of
                // old rows beyond the new ones gather on the last new row.
                const int n = int(rows.size() - firstNew);
                const int k = int(lineMarks.size());
                for (int j = 0; j < k; ++j) {
                    TEditorLineItem &target = rows[firstNew + std::min(j, n - 1)];
                    target.FItem2 = withMarks(target.FItem2, marksOf(target) | lineMarks[j]);
                }
            }
            r = e + 1;
        }
        rows.last().FItem = withRows(rows.last().FItem, lastAttr);
        Changing();
        FCapacity = int(rows.size());
        FList = std::move(rows);
        Changed();
    }
    OnChange = onChange;
}

void TEditorScreenStrings::UnwrapAllRows()
{
    if (Count() == 0)
        return;
    CleanClientSelections();
    TRowAttribute lastAttr = RowAttr(Count() - 1);
    if (lastAttr == raWrapped)
        lastAttr = raEof;
    const TNotifyEvent onChange = OnChange;
    OnChange = {};
    {
        UpdateScope update(*this);
        const int count = Count();
        int n = 0;
        QString buffer;
        TRowMarks marks = 0;
        bool single = true;
        for (int r = 0; r < count; ++r) {
            if (single && (RowAttr(r) != raWrapped || r == count - 1)) {
                buffer = RowText(r); // a line of one row: no copy
            } else {
                if (single)
                    buffer.clear();
                buffer += RowText(r);
                single = false;
            }
            marks |= marksOf(Entry(r));
            if (RowAttr(r) != raWrapped || r == count - 1) {
                TEditorLineItem &target = Entry(n);
                target.FString = buffer;
                target.FDataStr.clear();
                target.FData = 0;
                target.FItem = raCrlf;
                target.FItem2 = withMarks(0, marks);
                ++n;
                buffer.clear();
                marks = 0;
                single = true;
            }
        }
        Entry(n - 1).FItem = withRows(Entry(n - 1).FItem, lastAttr);
        DeleteRows(n, count - n);
    }
    OnChange = onChange;
}

void TEditorScreenStrings::SetWordWrap(bool Value)
{
    if (Value == FWordWrap)
        return;
    FWordWrap = Value;
    if (firstClientLoading())
        return;
    UndoObj()->Clear();
    if (Value)
        WrapAllRows();
    else
        UnwrapAllRows();
    InitBrackets();
    RefreshClients();
    AdjustClientRows();
    ResetClientCols();
}

void TEditorScreenStrings::WrapOptionChanged(QObject *)
{
    if (firstClientLoading() || !FWordWrap)
        return;
    UndoObj()->Clear();
    WrapAllRows();
    InitBrackets();
    RefreshClients();
    AdjustClientRows();
    ResetClientCols();
}

void TEditorScreenStrings::Undo()
{
    UndoObj()->Undo();
}

void TEditorScreenStrings::Redo()
{
    UndoObj()->Redo();
}

void TEditorScreenStrings::IncludeRowMarks(TRowMarks Marks)
{
    FValidRowMarks |= Marks;
}

void TEditorScreenStrings::ExcludeRowMarks(TRowMarks Marks)
{
    FValidRowMarks &= TRowMarks(~Marks);
}

void TEditorScreenStrings::Clear()
{
    CleanClientSelections();
    UndoObj()->Clear();
    SetDrawInfo(0, Count(), 0, 0);
    TEditorStringList::Clear();
    FDrawInfo = TEditorDrawInfo();
    const QList<TEditorClient *> clients = FClients;
    for (TEditorClient *client : clients) {
        client->SetRow(0);
        client->SetCol(0);
    }
    FValidRowMarks = 0;
}

void TEditorScreenStrings::SetUpdateState(bool Updating)
{
    TEditorStringList::SetUpdateState(Updating);
    if (!Updating) {
        FDrawInfo = TEditorDrawInfo();
        AdjustClientRows();
    }
}

void TEditorScreenStrings::ClientsChange(QObject *)
{
    const QList<TEditorClient *> clients = FClients;
    for (TEditorClient *client : clients)
        client->DoChange();
}

void TEditorScreenStrings::AdjustClientRows()
{
    const int rows = Count();
    const int limit = rows == 0 ? 0 : (RowAttr(rows - 1) == raEof ? rows - 1 : rows);
    const QList<TEditorClient *> clients = FClients;
    for (TEditorClient *client : clients) {
        if (client->Row() > limit)
            client->SetRow(limit);
        if (client->TopRow() > limit)
            client->SetTopRow(limit);
    }
}

void TEditorScreenStrings::CleanClientSelections()
{
    const QList<TEditorClient *> clients = FClients;
    for (TEditorClient *client : clients) {
        if (client->SelectedData())
            client->CleanSelection();
    }
}

void TEditorScreenStrings::ResetClientCols()
{
    const QList<TEditorClient *> clients = FClients;
    for (TEditorClient *client : clients)
        client->SetCol(0);
}

void TEditorScreenStrings::RefreshClients()
{
    const QList<TEditorClient *> clients = FClients;
    for (TEditorClient *client : clients)
        client->RefreshMetrics();
}

// ---- TEditorStrings ----

TEditorStrings::TEditorStrings(TEditorClient *Editor)
    : FEditor(Editor)
{
}

TEditorStrings::~TEditorStrings() = default;

int TEditorStrings::Count() const
{
    const TEditorScreenStrings &rows = list();
    if (!rows.WordWrap())
        return rows.Count();
    int count = 0;
    for (int r = 0; r < rows.Count(); ++r) {
        if (rows.RowAttr(r) != raWrapped || r == rows.Count() - 1)
            ++count;
    }
    return count;
}

QString TEditorStrings::Get(int Index) const
{
    const TEditorScreenStrings &rows = list();
    if (!rows.WordWrap())
        return rows.Get(Index);
    if (Index < 0 || Index >= Count())
        throw EListError(Index);
    QString s;
    int n = 0;
    TRowAttribute a = raInvalid;
    rows.GetRowsText(LinesToRow(Index), -1, s, n, a);
    while (s.endsWith(CrLf))
        s.chop(2);
    return s;
}

QString TEditorStrings::GetTextStr() const
{
    return JoinRows(list());
}

void TEditorStrings::SetTextStr(const QString &S)
{
    BeginUpdate();
    try {
        TEditorScreenStrings &rows = list();
        rows.Clear();
        rows.TEditorLineList::SetTextStr(S);
        if (!S.isEmpty() && !endsWithBreak(S) && rows.Count() > 0)
            rows.SetRows(rows.Count() - 1, raEof);
        if (rows.WordWrap())
            rows.WrapAllRows();
        rows.InitBrackets();
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TEditorStrings::replace(int Row, int Count, const QString &S, int Offset)
{
    if (FEditor->SelectedData())
        FEditor->CleanSelection();
    FEditor->BeginCaretUpdate();
    try {
        list().ReplaceRows(Row, Count, S);
        FEditor->SetRowColFromIndex(Row, Offset);
    } catch (...) {
        FEditor->EndCaretUpdate();
        throw;
    }
    FEditor->EndCaretUpdate();
}

int TEditorStrings::Add(const QString &S)
{
    const TEditorScreenStrings &rows = list();
    const int result = Count();
    const int count = rows.Count();
    if (count > 0 && rows.RowAttr(count - 1) != raCrlf) {
        // The text ends without a break, and still does.
        const QString text = rows.RowText(count - 1) + CrLf + S;
        replace(count - 1, 1, text, int(text.size()));
    } else {
        replace(count, 0, S + CrLf, int(S.size()) + 2);
    }
    return result;
}

void TEditorStrings::Insert(int Index, const QString &S)
{
    if (Index < 0 || Index > Count())
        throw EListError(Index);
    const int row = LinesToRow(Index);
    if (row == list().Count())
        Add(S);
    else
        replace(row, 0, S + CrLf, int(S.size()) + 2);
}

void TEditorStrings::Put(int Index, const QString &S)
{
    if (Index < 0 || Index >= Count())
        throw EListError(Index);
    const int row = LinesToRow(Index);
    const int last = list().LastRowOfLine(row);
    const QString text = list().RowAttr(last) == raCrlf ? S + CrLf : S;
    replace(row, last - row + 1, text, int(text.size()));
}

void TEditorStrings::Delete(int Index)
{
    if (Index < 0 || Index >= Count())
        throw EListError(Index);
    const int row = LinesToRow(Index);
    // The line goes with its break.
    replace(row, list().LastRowOfLine(row) - list().FirstRowOfLine(row) + 1, QString(), 0);
}

void TEditorStrings::Clear()
{
    list().Clear();
}

void TEditorStrings::Assign(const QStringList &Source)
{
    QString text;
    qsizetype size = 0;
    for (const QString &line : Source)
        size += line.size() + 2;
    text.reserve(size);
    for (const QString &line : Source) {
        text += line;
        text += CrLf;
    }
    SetTextStr(text);
    FEditor->SetRow(list().Count());
    FEditor->SetCol(0);
}

void TEditorStrings::LoadFromFile(const QString &FileName, const QByteArray &Encoding)
{
    SetTextStr(ReadTextFile(FileName, Encoding));
}

void TEditorStrings::BeginUpdate()
{
    if (m_updateNesting++ == 0)
        SetUpdateState(true);
}

void TEditorStrings::EndUpdate()
{
    if (m_updateNesting == 0)
        return;
    if (--m_updateNesting == 0)
        SetUpdateState(false);
}

void TEditorStrings::SetUpdateState(bool Updating)
{
    TEditorScreenStrings &rows = list();
    if (Updating) {
        ++FUpdateCount;
        rows.BeginUpdate();
        FEditor->BeginCaretUpdate();
        FEditor->BeginUnderlineUpdate();
        FEditor->SetCaretNoMove(true);
        if (FEditor->IsShowing())
            FEditor->SetRedraw(false);
    } else {
        --FUpdateCount;
        rows.EndUpdate();
        FEditor->EndUnderlineUpdate();
        FEditor->EndCaretUpdate();
        FEditor->SetCaretNoMove(false);
        FEditor->UpdateCaret();
        if (FEditor->IsShowing()) {
            FEditor->SetRedraw(true);
            rows.RefreshClients();
        }
    }
}

int TEditorStrings::LinesToRow(int Index) const
{
    const TEditorScreenStrings &rows = list();
    if (!rows.WordWrap() || Index == 0)
        return Index;
    int ends = 0;
    const int count = rows.Count();
    for (int r = 0; r < count; ++r) {
        if (rows.RowAttr(r) == raCrlf || r == count - 1) {
            if (++ends == Index)
                return r + 1;
        }
    }
    throw EListError(Index);
}

QStringList TEditorStrings::SaveStrings() const
{
    const TEditorScreenStrings &rows = list();
    QStringList lines;
    QString line;
    for (int r = 0; r < rows.Count(); ++r) {
        line += rows.RowText(r);
        if (rows.RowAttr(r) == raCrlf || r == rows.Count() - 1) {
            lines.append(line);
            line.clear();
        }
    }
    return lines;
}

void TEditorStrings::LoadStrings(const QStringList &Strings)
{
    BeginUpdate();
    try {
        TEditorScreenStrings &rows = list();
        rows.Clear();
        for (const QString &s : Strings)
            rows.Add(s);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

// ---- TEditorScreen ----

TEditorScreen::TEditorScreen(TEditorClient *Editor)
    : FEditor(Editor)
{
}

TEditorScreen::~TEditorScreen() = default;

void TEditorScreen::UpdateScreen()
{
    const TEditorScreenStrings *rows = FEditor->InternalList();
    if (!rows)
        return;
    const TEditorDrawInfo info = rows->DrawInfo();
    if (!info.NeedUpdate)
        return;
    const int visible = FEditor->VisibleRows();
    const int delta = info.Insert - info.Delete;
    if (std::abs(delta) > visible) {
        FEditor->InvalidateTextArea();
        return;
    }
    const int end = info.Start + info.Insert + std::max(0, info.Invalid - info.Insert);
    const bool pastLast = end > rows->Count() - 1;
    if (delta == 0) {
        const int last = pastLast ? end + 1 : end - 1;
        if (last >= info.Start)
            FEditor->InvalidateRows(info.Start, last);
    } else {
        if (end - 1 >= info.Start)
            FEditor->InvalidateRows(info.Start, end - 1);
        FEditor->ScrollRows(end, delta);
        if (pastLast)
            FEditor->InvalidateRows(end, end + 1);
    }
    switch (FEditor->LeftbarNumbers()) {
    case TEditorClient::lnNone: break;
    case TEditorClient::lnRows:
        if (FEditor->TopRow() + visible < rows->Count() || delta == 0)
            break;
        FEditor->InvalidateLeftbar(end, info.Start + visible);
        break;
    case TEditorClient::lnLines: FEditor->InvalidateLeftbar(end, info.Start + visible); break;
    }
}
