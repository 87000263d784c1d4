#pragma once

#include "editorcontrol/edrowlist.h"

#include <QString>
#include <QStringList>

#include <algorithm>
#include <ostream>
#include <functional>
#include <memory>
#include <vector>

// Readable texts in test failures.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList &l, std::ostream *os)
{
    *os << '[' << l.join(QStringLiteral("¦")).toStdString() << ']';
}

// An editor without a window for the model tests: a caret and a top row kept
// legal as the editor keeps them, settings the test chooses, and a record of
// what the row list told it.
class FakeClient : public TEditorClient
{
public:
    explicit FakeClient(TEditorScreenStrings *List = new TEditorScreenStrings)
        : m_list(List)
    {
        m_list->AddClient(this);
        options.AmbiguousWide = false;
    }
    ~FakeClient() override
    {
        if (m_list)
            m_list->RemoveClient(this);
    }
    FakeClient(const FakeClient &) = delete;
    FakeClient &operator=(const FakeClient &) = delete;

    TEditorScreenStrings *InternalList() const override { return m_list; }
    TEditorScreenStrings &list() const { return *m_list; }

    int Row() const override { return m_row; }
    void SetRow(int Value) override
    {
        const int count = m_list->Count();
        Value = std::clamp(Value, 0, count);
        if (Value == count && count > 0 && m_list->RowAttr(count - 1) == raEof)
            --Value;
        m_row = Value;
    }
    int Col() const override { return m_col; }
    void SetCol(int Value) override { m_col = std::max(0, Value); }
    int TopRow() const override { return m_topRow; }
    void SetTopRow(int Value) override { m_topRow = std::max(0, Value); }
    int VisibleRows() const override { return visibleRows; }

    bool SelectedData() const override { return selected; }
    void CleanSelection() override
    {
        selected = false;
        ++selectionCleanings;
    }
    bool Focused() const override { return focused; }
    bool IsLoading() const override { return loading; }

    std::unique_ptr<TRowStateParser> CreateRowStateParser() override
    {
        return parserFactory ? parserFactory() : nullptr;
    }
    int RowHeight() const override { return rowHeight; }
    int DisplayHeight() const override { return displayHeight; }
    bool InitBracketsFull() const override { return initBracketsFull; }
    TCellMapOptions CellMapOptions() const override { return options; }

    void DoChange() override
    {
        ++changes;
        drawInfos.push_back(m_list->DrawInfo());
    }
    void InvalidateRow(int Row) override { invalidatedRows.push_back(Row); }
    void RefreshMetrics() override { ++refreshes; }

    void InvalidateTextArea() override { paints.push_back(QStringLiteral("all")); }
    void InvalidateRows(int Row1, int Row2) override
    {
        paints.push_back(QStringLiteral("rows %1-%2").arg(Row1).arg(Row2));
    }
    void ScrollRows(int Row, int Delta) override
    {
        paints.push_back(QStringLiteral("scroll %1 by %2").arg(Row).arg(Delta));
    }
    TLeftbarNumbers LeftbarNumbers() const override { return leftbar; }
    void InvalidateLeftbar(int Row1, int Row2) override
    {
        paints.push_back(QStringLiteral("bar %1-%2").arg(Row1).arg(Row2));
    }

    // Leaves the list without freeing it (for tests that share it on).
    void detach()
    {
        m_list->RemoveClient(this);
        m_list = nullptr;
    }

    TCellMapOptions options;
    int visibleRows = 20;
    int rowHeight = 12;
    int displayHeight = 120; // two display heights: 20 rows
    bool initBracketsFull = false;
    bool selected = false;
    bool focused = false;
    bool loading = false;
    std::function<std::unique_ptr<TRowStateParser>()> parserFactory;
    TLeftbarNumbers leftbar = lnNone;

    int changes = 0;
    int refreshes = 0;
    int selectionCleanings = 0;
    std::vector<TEditorDrawInfo> drawInfos;
    std::vector<int> invalidatedRows;
    QStringList paints;

private:
    TEditorScreenStrings *m_list;
    int m_row = 0;
    int m_col = 0;
    int m_topRow = 0;
};

// The rows of a list as "text|attribute" strings (attribute c, w, e).
inline QStringList RowsOf(const TEditorScreenStrings &List)
{
    QStringList rows;
    for (int r = 0; r < List.Count(); ++r) {
        const char *attr = "cwei";
        rows.append(List.RowText(r) + QLatin1Char('|') + QLatin1Char(attr[List.RowAttr(r)]));
    }
    return rows;
}
