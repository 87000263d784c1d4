#pragma once

#include "editorcontrol/edclasses.h"

#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringView>

// One entry of a line list: its text and four free values. The row lists of
// the editor keep a screen row's attributes and marks in FItem and FItem2.
struct TEditorLineItem
{
    QString FString;
    QString FDataStr;
    quintptr FData = 0;
    quintptr FItem = 0;
    quintptr FItem2 = 0;
};
Q_DECLARE_TYPEINFO(TEditorLineItem, Q_RELOCATABLE_TYPE);

// A list of strings with per-entry data, notifying before and after every
// change; inside BeginUpdate/EndUpdate the notifications are held back and
// sent once. Indexes are 0-based and validated.
class TEditorLineList : public QObject
{
public:
    TEditorLineList();
    ~TEditorLineList() override;

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

    int Count() const { return int(FList.size()); }
    const QString &Get(int Index) const;
    virtual void Put(int Index, const QString &S);
    int Add(const QString &S);
    virtual void Insert(int Index, const QString &S);
    virtual void Delete(int Index);
    virtual void Exchange(int Index1, int Index2);
    virtual void Clear();

    quintptr GetData(int Index) const;
    void PutData(int Index, quintptr Value);
    const QString &GetDataStr(int Index) const;
    void PutDataStr(int Index, const QString &Value);
    quintptr GetItem(int Index) const;
    void PutItem(int Index, quintptr Value);
    quintptr GetItem2(int Index) const;
    void PutItem2(int Index, quintptr Value);

    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }

    int Capacity() const { return FCapacity; }
    void SetCapacity(int NewCapacity);

    // Every entry followed by CR LF.
    QString GetTextStr() const;
    // One entry per line of S (breaks at CR LF, CR or LF).
    virtual void SetTextStr(const QString &S);
    // The entries as GetTextStr gives them, in the named encoding, with a
    // byte-order mark when WriteBOM is on and the encoding is a Unicode one.
    void SaveToStream(QIODevice &Stream, const QByteArray &Encoding = "UTF-8") const;
    void SaveToFile(const QString &FileName, const QByteArray &Encoding = "UTF-8") const;
    bool WriteBOM = true;

protected:
    virtual void SetUpdateState(bool Updating);
    virtual void Changed();
    virtual void Changing();

    void InsertItem(int Index, const QString &S);
    void ExchangeItems(int Index1, int Index2);
    void Grow();
    void CheckIndex(int Index) const;

    // Unchecked entry access for the row lists built on this one.
    TEditorLineItem &Entry(int Index) { return FList[Index]; }
    const TEditorLineItem &Entry(int Index) const { return FList[Index]; }
    // Inserts Count zero entries at Index, or removes Count entries at Index,
    // moving the entries after them as one block.
    void InsertEntries(int Index, int Count);
    void RemoveEntries(int Index, int Count);
    // Appends an entry, moving the strings in.
    void AppendEntry(TEditorLineItem &&Item);
    // Told after entries went in or out and before two are exchanged, for
    // lists that keep state by entry position.
    virtual void EntriesInserted(int, int) {}
    virtual void EntriesRemoved(int, int) {}
    virtual void EntriesExchanging(int, int) {}

    QList<TEditorLineItem> FList;
    int FCapacity = 0;
    int FUpdateCount = 0;

private:
    int m_updateNesting = 0;
};

// The text of a file: a byte-order mark (UTF-8, UTF-16) decides the
// encoding, else the named one. Raises when the file cannot be read.
QString ReadTextFile(const QString &FileName, const QByteArray &Encoding = "UTF-8");
