#include "editorcontrol/edclasses.h"
#include "editorcontrol/edstreamreg.h"

#include <QBuffer>
#include <QDataStream>
#include <QMetaProperty>
#include <QVariantMap>

#include <algorithm>
#include <functional>

void RaiseAssignError(const QObject *Source, const QObject *Dest)
{
    const QString from = Source ? QString::fromLatin1(Source->metaObject()->className()) : QStringLiteral("nil");
    const QString to = Dest ? QString::fromLatin1(Dest->metaObject()->className()) : QStringLiteral("nil");
    throw EConvertError(QStringLiteral("%1 を %2 に代入できません。").arg(from, to));
}

// ---- TNotifyPersistent ----

TNotifyPersistent::TNotifyPersistent(QObject *Parent)
    : QObject(Parent)
{
}

TNotifyPersistent::~TNotifyPersistent() = default;

void TNotifyPersistent::Changed()
{
    if (FUpdateCount == 0 && OnChange)
        OnChange(this);
}

void TNotifyPersistent::BeginUpdate()
{
    ++FUpdateCount;
}

void TNotifyPersistent::EndUpdate()
{
    if (FUpdateCount > 0)
        --FUpdateCount;
    Changed();
}

void TNotifyPersistent::ChangedProc(QObject *Sender)
{
    if (Sender != this)
        Changed();
}

void TNotifyPersistent::Assign(const QObject *Source)
{
    RaiseAssignError(Source, this);
}

// ---- TCollectionItem, TNotifyCollection ----

TCollectionItem::TCollectionItem(TNotifyCollection *Collection)
    : m_collection(Collection)
{
}

TCollectionItem::~TCollectionItem() = default;

int TCollectionItem::Index() const
{
    if (!m_collection)
        return -1;
    const auto &items = m_collection->m_items;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].get() == this)
            return int(i);
    }
    return -1;
}

void TCollectionItem::Assign(const QObject *Source)
{
    RaiseAssignError(Source, this);
}

void TCollectionItem::Changed()
{
    if (m_collection && m_collection->m_updateCount == 0)
        m_collection->Update(this);
}

TNotifyCollection::TNotifyCollection(QObject *Owner)
    : m_owner(Owner)
{
}

TNotifyCollection::~TNotifyCollection()
{
    OnChange = {};
    m_items.clear();
}

TCollectionItem *TNotifyCollection::Item(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw Exception(QStringLiteral("リストのインデックスが範囲を超えています (%1)").arg(Index));
    return m_items[Index].get();
}

TCollectionItem *TNotifyCollection::CreateItem()
{
    return new TCollectionItem(this);
}

TCollectionItem *TNotifyCollection::Add()
{
    BeginUpdate();
    TCollectionItem *item = nullptr;
    try {
        item = CreateItem();
        m_items.emplace_back(item);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    return item;
}

void TNotifyCollection::Delete(int Index)
{
    Item(Index); // validates
    m_items.erase(m_items.begin() + Index);
    Changed();
}

void TNotifyCollection::Clear()
{
    if (m_items.empty())
        return;
    BeginUpdate();
    m_items.clear();
    EndUpdate();
}

void TNotifyCollection::BeginUpdate()
{
    ++m_updateCount;
}

void TNotifyCollection::EndUpdate()
{
    if (m_updateCount > 0)
        --m_updateCount;
    Changed();
}

void TNotifyCollection::Assign(const QObject *Source)
{
    const auto *source = qobject_cast<const TNotifyCollection *>(Source);
    if (!source)
        RaiseAssignError(Source, this);
    BeginUpdate();
    try {
        Clear();
        for (const auto &item : source->m_items)
            Add()->Assign(item.get());
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TNotifyCollection::ChangedProc(QObject *Sender)
{
    if (Sender != this)
        Changed();
}

void TNotifyCollection::Update(TCollectionItem *)
{
    if (OnChange)
        OnChange(this);
}

void TNotifyCollection::Changed()
{
    if (m_updateCount == 0)
        Update(nullptr);
}

// ---- TMethodList, TNotifyEventList ----

TMethodList::~TMethodList()
{
    Clear();
}

void TMethodList::Add(const TNotifyEvent &Method)
{
    m_items.push_back(std::make_unique<TNotifyEvent>(Method));
}

void TMethodList::Remove(const TNotifyEvent &Method)
{
    for (auto i = m_items.size(); i-- > 0;) {
        if (*m_items[i] == Method) {
            m_items.erase(m_items.begin() + qsizetype(i));
            return;
        }
    }
}

void TMethodList::Clear()
{
    m_items.clear();
}

TNotifyEventList::TNotifyEventList(QObject *AOwner)
    : FOwner(AOwner)
{
}

void TNotifyEventList::Add(const TNotifyEvent &Event)
{
    FList.Add(Event);
}

void TNotifyEventList::Remove(const TNotifyEvent &Event)
{
    FList.Remove(Event);
}

void TNotifyEventList::Changed()
{
    if (FUpdateCount != 0)
        return;
    // A handler may unregister itself while the change goes round.
    std::vector<TNotifyEvent> handlers;
    handlers.reserve(FList.Count());
    for (int i = 0; i < FList.Count(); ++i)
        handlers.push_back(FList.Item(i));
    for (const TNotifyEvent &handler : handlers)
        handler(FOwner);
}

// ---- TSortedStringList ----

bool TSortedStringList::Find(const QString &S, int &Index) const
{
    int lo = 0;
    int hi = int(m_items.size()) - 1;
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        const int c = QString::compare(m_items[mid], S, Qt::CaseInsensitive);
        if (c < 0) {
            lo = mid + 1;
        } else if (c > 0) {
            hi = mid - 1;
        } else {
            Index = mid;
            return true;
        }
    }
    Index = lo;
    return false;
}

int TSortedStringList::Add(const QString &S)
{
    int index = 0;
    if (!Find(S, index))
        m_items.insert(index, S);
    return index;
}

int TSortedStringList::IndexOf(const QString &S) const
{
    int index = 0;
    return Find(S, index) ? index : -1;
}

void TSortedStringList::Delete(int Index)
{
    m_items.removeAt(Index);
}

void TSortedStringList::Assign(const QStringList &Source)
{
    m_items.clear();
    for (const QString &s : Source)
        Add(s);
}

// ---- TStoreComponent ----

namespace {

const quint32 StreamMagic = 0x5A4B4353; // "ZKCS"
const quint32 StreamVersion = 1;

QObject *subObject(const QMetaProperty &prop, const QObject *object)
{
    if (!(prop.metaType().flags() & QMetaType::PointerToQObject))
        return nullptr;
    return prop.read(object).value<QObject *>();
}

QVariantMap objectToMap(const QObject *object)
{
    QVariantMap map;
    const QMetaObject *meta = object->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const QMetaProperty prop = meta->property(i);
        const QString name = QString::fromLatin1(prop.name());
        if (name == QLatin1String("objectName") || !prop.isReadable())
            continue;
        if (prop.metaType().flags() & QMetaType::PointerToQObject) {
            QObject *sub = subObject(prop, object);
            if (const auto *collection = qobject_cast<const TNotifyCollection *>(sub)) {
                QVariantList items;
                for (int k = 0; k < collection->Count(); ++k)
                    items.append(objectToMap(collection->Item(k)));
                map.insert(name, items);
            } else if (sub) {
                map.insert(name, objectToMap(sub));
            }
        } else if (prop.isWritable()) {
            map.insert(name, prop.read(object));
        }
    }
    return map;
}

void mapToObject(QObject *object, const QVariantMap &map)
{
    auto *persistent = qobject_cast<TNotifyPersistent *>(object);
    if (persistent)
        persistent->BeginUpdate();
    try {
        const QMetaObject *meta = object->metaObject();
        for (int i = 0; i < meta->propertyCount(); ++i) {
            const QMetaProperty prop = meta->property(i);
            const QString name = QString::fromLatin1(prop.name());
            const auto it = map.constFind(name);
            if (it == map.constEnd())
                continue;
            if (prop.metaType().flags() & QMetaType::PointerToQObject) {
                QObject *sub = subObject(prop, object);
                if (auto *collection = qobject_cast<TNotifyCollection *>(sub)) {
                    collection->BeginUpdate();
                    collection->Clear();
                    for (const QVariant &item : it->toList())
                        mapToObject(collection->Add(), item.toMap());
                    collection->EndUpdate();
                } else if (sub) {
                    mapToObject(sub, it->toMap());
                }
            } else if (prop.isWritable()) {
                prop.write(object, *it);
            }
        }
    } catch (...) {
        if (persistent)
            persistent->EndUpdate();
        throw;
    }
    if (persistent)
        persistent->EndUpdate();
}

} // namespace

TStoreComponent::TStoreComponent(QObject *AOwner)
    : QObject(AOwner)
{
}

QByteArray TStoreComponent::SaveProperties() const
{
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << StreamMagic << StreamVersion << objectToMap(this);
    return data;
}

void TStoreComponent::LoadProperties(const QByteArray &Data)
{
    QDataStream in(Data);
    in.setVersion(QDataStream::Qt_6_4);
    quint32 magic = 0;
    quint32 version = 0;
    QVariantMap map;
    in >> magic >> version >> map;
    if (in.status() != QDataStream::Ok || magic != StreamMagic || version != StreamVersion)
        throw Exception(QStringLiteral("保存された設定を読み込めません。"));
    mapToObject(this, map);
}

namespace {

void writeProperties(const TStoreComponent &component, const std::function<void(QIODevice &)> &store)
{
    QBuffer buffer;
    buffer.setData(component.SaveProperties());
    buffer.open(QIODevice::ReadOnly);
    store(buffer);
}

void readProperties(TStoreComponent &component, const std::function<void(QIODevice &)> &load)
{
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    load(buffer);
    if (buffer.size() >= 1)
        component.LoadProperties(buffer.data());
}

} // namespace

void TStoreComponent::WriteIni(const QString &IniFileName, const QString &Section, const QString &Ident)
{
    writeProperties(*this, [&](QIODevice &s) { WriteStreamToIni(s, IniFileName, Section, Ident); });
}

void TStoreComponent::ReadIni(const QString &IniFileName, const QString &Section, const QString &Ident)
{
    readProperties(*this, [&](QIODevice &s) { ReadStreamFromIni(s, IniFileName, Section, Ident); });
}

void TStoreComponent::WriteReg(const QString &Root, const QString &Section, const QString &Ident)
{
    writeProperties(*this, [&](QIODevice &s) { WriteStreamToReg(s, Root, Section, Ident); });
}

void TStoreComponent::ReadReg(const QString &Root, const QString &Section, const QString &Ident)
{
    readProperties(*this, [&](QIODevice &s) { ReadStreamFromReg(s, Root, Section, Ident); });
}

// ---- TFileExtComponent ----

TFileExtComponent::TFileExtComponent(QObject *AOwner)
    : TStoreComponent(AOwner)
{
    FFileExtList = CreateSortedStrings();
    InitFileExtList();
}

TFileExtComponent::~TFileExtComponent() = default;

std::unique_ptr<TSortedStringList> TFileExtComponent::CreateSortedStrings() const
{
    return std::make_unique<TSortedStringList>();
}

void TFileExtComponent::SetFileExtList(const QStringList &Value)
{
    FFileExtList->Assign(Value);
}

bool TFileExtComponent::HasExt(const QString &FileExt) const
{
    return FFileExtList->IndexOf(FileExt) >= 0;
}
