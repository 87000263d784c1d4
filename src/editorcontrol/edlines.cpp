#include "editorcontrol/edlines.h"
#include "editorcontrol/edutils.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

TEditorLineList::TEditorLineList() = default;

TEditorLineList::~TEditorLineList()
{
    // Destruction notifies no one.
    OnChange = {};
    OnChanging = {};
}

void TEditorLineList::CheckIndex(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError(Index);
}

const QString &TEditorLineList::Get(int Index) const
{
    CheckIndex(Index);
    return FList[Index].FString;
}

void TEditorLineList::Put(int Index, const QString &S)
{
    CheckIndex(Index);
    Changing();
    FList[Index].FString = S;
    Changed();
}

int TEditorLineList::Add(const QString &S)
{
    const int index = Count();
    Insert(index, S);
    return index;
}

void TEditorLineList::Insert(int Index, const QString &S)
{
    if (Index < 0 || Index > Count())
        throw EListError(Index);
    InsertItem(Index, S);
}

void TEditorLineList::InsertItem(int Index, const QString &S)
{
    Changing();
    if (Count() == FCapacity)
        Grow();
    TEditorLineItem item;
    item.FString = S;
    FList.insert(Index, std::move(item));
    EntriesInserted(Index, 1);
    Changed();
}

void TEditorLineList::Delete(int Index)
{
    CheckIndex(Index);
    Changing();
    FList.removeAt(Index);
    EntriesRemoved(Index, 1);
    Changed();
}

void TEditorLineList::Exchange(int Index1, int Index2)
{
    CheckIndex(Index1);
    CheckIndex(Index2);
    Changing();
    ExchangeItems(Index1, Index2);
    Changed();
}

void TEditorLineList::ExchangeItems(int Index1, int Index2)
{
    EntriesExchanging(Index1, Index2);
    std::swap(FList[Index1], FList[Index2]);
}

void TEditorLineList::Clear()
{
    if (FList.isEmpty() && FCapacity == 0)
        return;
    Changing();
    const int count = Count();
    FList = QList<TEditorLineItem>();
    FCapacity = 0;
    EntriesRemoved(0, count);
    Changed();
}

quintptr TEditorLineList::GetData(int Index) const
{
    CheckIndex(Index);
    return FList[Index].FData;
}

void TEditorLineList::PutData(int Index, quintptr Value)
{
    CheckIndex(Index);
    FList[Index].FData = Value;
}

const QString &TEditorLineList::GetDataStr(int Index) const
{
    CheckIndex(Index);
    return FList[Index].FDataStr;
}

void TEditorLineList::PutDataStr(int Index, const QString &Value)
{
    CheckIndex(Index);
    FList[Index].FDataStr = Value;
}

quintptr TEditorLineList::GetItem(int Index) const
{
    CheckIndex(Index);
    return FList[Index].FItem;
}

void TEditorLineList::PutItem(int Index, quintptr Value)
{
    CheckIndex(Index);
    FList[Index].FItem = Value;
}

quintptr TEditorLineList::GetItem2(int Index) const
{
    CheckIndex(Index);
    return FList[Index].FItem2;
}

void TEditorLineList::PutItem2(int Index, quintptr Value)
{
    CheckIndex(Index);
    FList[Index].FItem2 = Value;
}

void TEditorLineList::BeginUpdate()
{
    if (m_updateNesting++ == 0)
        SetUpdateState(true);
}

void TEditorLineList::EndUpdate()
{
    if (m_updateNesting == 0)
        return;
    if (--m_updateNesting == 0)
        SetUpdateState(false);
}

void TEditorLineList::SetUpdateState(bool Updating)
{
    if (Updating) {
        Changing();
        ++FUpdateCount;
    } else {
        --FUpdateCount;
        Changed();
    }
}

void TEditorLineList::Changed()
{
    if (FUpdateCount == 0 && OnChange)
        OnChange(this);
}

void TEditorLineList::Changing()
{
    if (FUpdateCount == 0 && OnChanging)
        OnChanging(this);
}

void TEditorLineList::Grow()
{
    int delta = 4;
    if (FCapacity > 64)
        delta = FCapacity / 4;
    else if (FCapacity > 8)
        delta = 16;
    SetCapacity(FCapacity + delta);
}

void TEditorLineList::SetCapacity(int NewCapacity)
{
    NewCapacity = std::max(NewCapacity, Count());
    FCapacity = NewCapacity;
    FList.reserve(NewCapacity);
}

void TEditorLineList::InsertEntries(int Index, int Count)
{
    if (Count <= 0)
        return;
    while (this->Count() + Count > FCapacity) {
        if (FCapacity > 64 && this->Count() + Count > FCapacity + FCapacity / 4)
            SetCapacity(this->Count() + Count);
        else
            Grow();
    }
    FList.insert(Index, Count, TEditorLineItem());
    EntriesInserted(Index, Count);
}

void TEditorLineList::RemoveEntries(int Index, int Count)
{
    if (Count <= 0)
        return;
    FList.remove(Index, Count);
    EntriesRemoved(Index, Count);
}

void TEditorLineList::AppendEntry(TEditorLineItem &&Item)
{
    if (Count() == FCapacity)
        Grow();
    FList.append(std::move(Item));
}

QString TEditorLineList::GetTextStr() const
{
    qsizetype size = 0;
    for (const TEditorLineItem &item : FList)
        size += item.FString.size() + 2;
    QString text;
    text.reserve(size);
    for (const TEditorLineItem &item : FList) {
        text += item.FString;
        text += QLatin1String("\r\n");
    }
    return text;
}

void TEditorLineList::SetTextStr(const QString &S)
{
    BeginUpdate();
    try {
        Clear();
        const QList<QStringView> lines = SplitLines(S);
        SetCapacity(int(lines.size()));
        for (QStringView line : lines) {
            TEditorLineItem item;
            item.FString = line.toString();
            AppendEntry(std::move(item));
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TEditorLineList::SaveToStream(QIODevice &Stream, const QByteArray &Encoding) const
{
    QStringEncoder encoder(Encoding.constData(),
                           WriteBOM ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
    if (!encoder.isValid())
        throw Exception(QStringLiteral("文字コード %1 は使えません。").arg(QString::fromLatin1(Encoding)));
    const QByteArray bytes = encoder.encode(GetTextStr());
    if (Stream.write(bytes) != bytes.size())
        throw Exception(QStringLiteral("ファイルに書き込めません。"));
}

void TEditorLineList::SaveToFile(const QString &FileName, const QByteArray &Encoding) const
{
    QSaveFile file(FileName);
    if (!file.open(QIODevice::WriteOnly))
        throw Exception(QStringLiteral("ファイル \"%1\" を作成できません。").arg(FileName));
    SaveToStream(file, Encoding);
    if (!file.commit())
        throw Exception(QStringLiteral("ファイル \"%1\" に書き込めません。").arg(FileName));
}

QString ReadTextFile(const QString &FileName, const QByteArray &Encoding)
{
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("ファイル \"%1\" を開けません。").arg(FileName));
    const QByteArray bytes = file.readAll();
    const std::optional<QStringConverter::Encoding> bom = QStringConverter::encodingForData(bytes);
    if (bom && (bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))) {
        QStringDecoder decoder(*bom);
        return decoder.decode(bytes);
    }
    QStringDecoder decoder(Encoding.constData(), QStringConverter::Flag::Stateless);
    if (!decoder.isValid())
        throw Exception(QStringLiteral("文字コード %1 は使えません。").arg(QString::fromLatin1(Encoding)));
    return decoder.decode(bytes);
}
