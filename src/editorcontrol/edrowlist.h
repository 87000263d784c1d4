#pragma once

#include "editorcontrol/edclient.h"
#include "editorcontrol/edrowattrs.h"
#include "editorcontrol/edundo.h"
#include "editorcontrol/edwrap.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

// The editor's text as screen rows (TEditorScreenStrings), the logical lines
// over them (TEditorStrings) and the repainting after a change (TEditorScreen).

// A row list into which texts are wrapped before they replace rows.
class TEditorStringList : public TRowAttributeStringList
{
public:
    void AppendRow(const QString &S, TRowAttribute Attribute);
    void AppendRow(QStringView S, TRowAttribute Attribute);

private:
    friend class TEditorScreenStrings;
};

// The last change, for repainting: its first row, how many rows it removed
// and put in their place, and how many rows' colouring state changed.
struct TEditorDrawInfo
{
    int Start = 0;
    int Delete = 0;
    int Insert = 0;
    int Invalid = 0;
    bool NeedUpdate = false;
};

// The screen rows of a text, shown by one or more editors (its clients).
// Every change of the text goes through ReplaceRows, which records one undo
// step, re-wraps the touched lines, keeps the row marks with their text,
// recomputes the colouring state as far as it changed and tells the clients.
// Made on the heap: it frees itself when its last client leaves.
class TEditorScreenStrings : public TEditorStringList
{
public:
    TEditorScreenStrings();
    ~TEditorScreenStrings() override;

    void AddClient(TEditorClient *Client);
    // Frees the list when no client is left.
    void RemoveClient(TEditorClient *Client);
    TEditorClient *FirstClient() const { return FClients.isEmpty() ? nullptr : FClients.first(); }
    // The first client with the input focus, else the first client.
    TEditorClient *ActiveClient() const;
    const QList<TEditorClient *> &Clients() const { return FClients; }

    // Replaces rows Row .. Row+Count-1, with their line ends, by S (which
    // carries its own breaks). Count 0 inserts before Row; Row = RowCount
    // appends. Nothing happens for a negative Row, rows past the list, or
    // neither rows nor text.
    void ReplaceRows(int Row, int Count, const QString &S);
    // Replaces Count rows at Index by the rows of List, carrying row marks over.
    void PutRowList(int Index, int Count, TEditorStringList &List);
    // Deletes Count rows at Index; returns the union of their marks.
    TRowMarks DeleteRows(int Index, int Count);
    // Gives the marks of rows deleted at Index to the row now there (or the
    // last row); with no row left they are no longer in use.
    void KeepDeletedMarks(int Index, TRowMarks Marks);
    // Text of a run of rows with CR LF after each raCrlf row; Count -1 runs to
    // the end of the logical line. Outside the list: empty, 0, raInvalid.
    void GetRowsText(int Index, int Count, QString &S, int &RowCount, TRowAttribute &LastAttribute) const;
    void AppendLineBreak(int Index, QString &S) const;
    int FirstRowOfLine(int Index) const;
    int LastRowOfLine(int Index) const;

    // Recomputes the colouring state from the nearest computed row above
    // Index until it stops changing, at most two display heights past Index;
    // returns the rows that changed (counted only with Notify).
    int UpdateBrackets(int Index, bool Notify);
    // Resets every row's colouring state and computes the first rows.
    void InitBrackets();

    void SetDrawInfo(int Start, int Delete, int Insert, int Invalid);
    const TEditorDrawInfo &DrawInfo() const { return FDrawInfo; }

    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    TEditorWrapOption *WrapOption();
    void WrapOptionChanged(QObject *Sender);
    // Fills List with the rows of S (lines split at CR LF, CR or LF, each
    // wrapped when word wrap is on); an empty S gives one empty row.
    virtual void WrapText(const QString &S, TEditorStringList &List);
    // Rows the single line S wraps into.
    virtual int WrapRowCount(const QString &S);
    // WrapText for rows that replace others: the last row takes
    // LastAttribute. A text ending with a break whose last row is to end
    // without one keeps its break: an empty last row follows it.
    void WrapReplacement(const QString &S, TRowAttribute LastAttribute, TEditorStringList &List);
    void WrapAllRows();
    void UnwrapAllRows();

    TEditorUndoObj *UndoObj();
    virtual void Undo();
    virtual void Redo();

    virtual void IncludeRowMarks(TRowMarks Marks);
    virtual void ExcludeRowMarks(TRowMarks Marks);
    virtual TRowMarks ValidRowMarks() const { return FValidRowMarks; }

    void Clear() override;

    void AdjustClientRows();
    void CleanClientSelections();
    void ResetClientCols();
    void RefreshClients();

    // The cell-map options of the first client with this list's word wrap.
    TCellMapOptions CellMapOptions() const;

protected:
    virtual std::unique_ptr<TEditorUndoObj> CreateUndoObj();
    virtual std::unique_ptr<TEditorWrapOption> CreateWrapOption();
    void SetUpdateState(bool Updating) override;
    void ClientsChange(QObject *Sender);

private:
    bool firstClientLoading() const;
    int bracketRowsAhead() const;
    std::unique_ptr<TRowStateParser> createParser() const;
    void moveRowsIn(int Index, TEditorStringList &List);

    QList<TEditorClient *> FClients;
    TEditorDrawInfo FDrawInfo;
    TRowMarks FValidRowMarks = 0;
    std::unique_ptr<TEditorUndoObj> FUndoObj;
    bool FWordWrap = false;
    std::unique_ptr<TEditorWrapOption> FWrapOption;
};

// The logical lines of an editor's text, a view over its row list: a line is
// one row without word wrap and a run of rows joined with it.
class TEditorStrings
{
public:
    explicit TEditorStrings(TEditorClient *Editor);
    virtual ~TEditorStrings();

    int Count() const;
    QString Get(int Index) const;
    // The whole text: the rows with CR LF after each raCrlf row.
    QString GetTextStr() const;
    // Replaces the text (and empties the undo store).
    void SetTextStr(const QString &S);
    int Add(const QString &S);
    void Insert(int Index, const QString &S);
    void Put(int Index, const QString &S);
    void Delete(int Index);
    void Clear();
    // The lines of Source as the whole text; the caret goes to the end.
    void Assign(const QStringList &Source);
    void LoadFromFile(const QString &FileName, const QByteArray &Encoding = "UTF-8");
    void BeginUpdate();
    void EndUpdate();
    // First row of logical line Index.
    int LinesToRow(int Index) const;

    // The lines as the form stream keeps them ("Strings"): one string per
    // logical line; reading adds each string as one row.
    QStringList SaveStrings() const;
    void LoadStrings(const QStringList &Strings);

protected:
    virtual void SetUpdateState(bool Updating);
    TEditorScreenStrings &list() const { return *FEditor->InternalList(); }

private:
    // One edit of the rows: the selection goes, the caret ends at Offset
    // counted from Row.
    void replace(int Row, int Count, const QString &S, int Offset);

    TEditorClient *FEditor;
    int FUpdateCount = 0;
    int m_updateNesting = 0;
};

// Repaints what the row list's last change asks for.
class TEditorScreen
{
public:
    explicit TEditorScreen(TEditorClient *Editor);
    virtual ~TEditorScreen();
    virtual void UpdateScreen();

protected:
    TEditorClient *FEditor;
};
