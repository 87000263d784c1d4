#pragma once

#include "platform/rtl/exceptions.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <cstring>
#include <memory>
#include <vector>

// Base classes of the editor's settings objects: change notification that an
// owner can hook, a list of handlers that fans one change out, and the
// component bases of the colouring scheme and the settings holder.

// A change handler bound to one object: the object and one of its methods
// taking the sender. Two handlers are equal when both the object and the
// method are, so a handler can be removed again by the value it was added with.
class TNotifyEvent
{
public:
    TNotifyEvent() = default;
    template<class C>
    TNotifyEvent(C *Object, void (C::*Method)(QObject *));

    void operator()(QObject *Sender) const
    {
        if (m_invoke)
            m_invoke(*this, Sender);
    }
    explicit operator bool() const { return m_invoke != nullptr; }
    friend bool operator==(const TNotifyEvent &a, const TNotifyEvent &b)
    {
        return a.m_object == b.m_object && a.m_invoke == b.m_invoke
               && std::memcmp(a.m_method, b.m_method, sizeof(a.m_method)) == 0;
    }

private:
    using Invoker = void (*)(const TNotifyEvent &, QObject *);
    template<class C>
    static void invoke(const TNotifyEvent &e, QObject *sender);

    void *m_object = nullptr;
    alignas(void *) unsigned char m_method[2 * sizeof(void *)] = {};
    Invoker m_invoke = nullptr;
};

template<class C>
TNotifyEvent::TNotifyEvent(C *Object, void (C::*Method)(QObject *))
    : m_object(Object)
{
    using M = void (C::*)(QObject *);
    static_assert(sizeof(M) <= sizeof(m_method), "method pointer does not fit");
    if (!Object || !Method)
        return;
    std::memcpy(m_method, &Method, sizeof(M));
    m_invoke = &TNotifyEvent::invoke<C>;
}

template<class C>
void TNotifyEvent::invoke(const TNotifyEvent &e, QObject *sender)
{
    using M = void (C::*)(QObject *);
    M method;
    std::memcpy(&method, e.m_method, sizeof(M));
    (static_cast<C *>(e.m_object)->*method)(sender);
}

// The error of an assignment between objects that cannot take each other's values.
class EConvertError : public Exception
{
public:
    using Exception::Exception;
};
[[noreturn]] void RaiseAssignError(const QObject *Source, const QObject *Dest);

// A settings object that reports its changes: a setter that changes a value
// calls Changed, which fires OnChange unless an update is open.
class TNotifyPersistent : public QObject
{
    Q_OBJECT
public:
    explicit TNotifyPersistent(QObject *Parent = nullptr);
    ~TNotifyPersistent() override;

    TNotifyEvent OnChange;

    virtual void Changed();
    virtual void BeginUpdate();
    // Closing the outermost update always notifies once.
    virtual void EndUpdate();
    // Shaped like an OnChange handler, so one object can forward another's
    // changes; a change reported by the object itself is ignored.
    virtual void ChangedProc(QObject *Sender);
    // Copies the values of Source; this base accepts no source.
    virtual void Assign(const QObject *Source);

    int UpdateCount() const { return FUpdateCount; }

protected:
    int FUpdateCount = 0;
};

class TNotifyCollection;

// One item of a collection; it belongs to (and is freed by) its collection.
class TCollectionItem : public QObject
{
    Q_OBJECT
public:
    explicit TCollectionItem(TNotifyCollection *Collection);
    ~TCollectionItem() override;

    TNotifyCollection *Collection() const { return m_collection; }
    int Index() const;
    virtual void Assign(const QObject *Source);

protected:
    // Reports a change of this item to its collection.
    void Changed();

private:
    friend class TNotifyCollection;
    TNotifyCollection *m_collection;
};

// An owned collection whose every update, of itself or of one of its items,
// raises OnChange with the collection as sender.
class TNotifyCollection : public QObject
{
    Q_OBJECT
public:
    explicit TNotifyCollection(QObject *Owner);
    ~TNotifyCollection() override;

    TNotifyEvent OnChange;

    QObject *Owner() const { return m_owner; }
    int Count() const { return int(m_items.size()); }
    TCollectionItem *Item(int Index) const;
    virtual TCollectionItem *Add();
    void Delete(int Index);
    void Clear();
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return m_updateCount; }
    // Copies the items of another collection (each through its Assign).
    virtual void Assign(const QObject *Source);
    virtual void ChangedProc(QObject *Sender);

protected:
    virtual TCollectionItem *CreateItem();
    virtual void Update(TCollectionItem *Item);
    void Changed();

private:
    friend class TCollectionItem;
    QObject *m_owner;
    std::vector<std::unique_ptr<TCollectionItem>> m_items;
    int m_updateCount = 0;
};

// Copies of event handlers, owned by the list.
class TMethodList
{
public:
    virtual ~TMethodList();
    virtual void Add(const TNotifyEvent &Method);
    // Removes the last copy equal to Method; nothing when there is none.
    virtual void Remove(const TNotifyEvent &Method);
    void Clear();
    int Count() const { return int(m_items.size()); }
    const TNotifyEvent &Item(int Index) const { return *m_items.at(Index); }

private:
    std::vector<std::unique_ptr<TNotifyEvent>> m_items;
};

// Broadcasts one change to every registered handler, in the order of
// registration, with the owner as sender.
class TNotifyEventList : public TNotifyPersistent
{
    Q_OBJECT
public:
    explicit TNotifyEventList(QObject *AOwner);

    virtual void Add(const TNotifyEvent &Event);
    virtual void Remove(const TNotifyEvent &Event);
    void Changed() override;
    QObject *Owner() const { return FOwner; }
    int Count() const { return FList.Count(); }

private:
    TMethodList FList;
    QObject *FOwner;
};

// A sorted list of strings without duplicates, compared without regard to
// case; lookups are binary searches.
class TSortedStringList
{
public:
    // Adds S unless an equal string is present; returns its index.
    int Add(const QString &S);
    // True when S is present; Index receives its position or where it would go.
    bool Find(const QString &S, int &Index) const;
    int IndexOf(const QString &S) const;
    void Delete(int Index);
    void Clear() { m_items.clear(); }
    int Count() const { return int(m_items.size()); }
    const QString &Strings(int Index) const { return m_items.at(Index); }
    void Assign(const QStringList &Source);
    QStringList ToStringList() const { return m_items; }
    bool operator==(const TSortedStringList &o) const { return m_items == o.m_items; }

private:
    QStringList m_items;
};

// A component that can keep all its properties as one stream in an ini file
// or in the settings store.
class TStoreComponent : public QObject
{
    Q_OBJECT
public:
    explicit TStoreComponent(QObject *AOwner = nullptr);

    void WriteIni(const QString &IniFileName, const QString &Section, const QString &Ident);
    void ReadIni(const QString &IniFileName, const QString &Section, const QString &Ident);
    void WriteReg(const QString &Root, const QString &Section, const QString &Ident);
    void ReadReg(const QString &Root, const QString &Section, const QString &Ident);

    // The component's properties as a stream, and back. Sub-objects that are
    // settings objects or collections are written with their own properties.
    QByteArray SaveProperties() const;
    void LoadProperties(const QByteArray &Data);
};

// A component with a list of file extensions it applies to.
class TFileExtComponent : public TStoreComponent
{
    Q_OBJECT
    Q_PROPERTY(QStringList FileExtList READ FileExtList WRITE SetFileExtList)
public:
    explicit TFileExtComponent(QObject *AOwner = nullptr);
    ~TFileExtComponent() override;

    QStringList FileExtList() const { return FFileExtList->ToStringList(); }
    virtual void SetFileExtList(const QStringList &Value);
    bool HasExt(const QString &FileExt) const;

protected:
    // A new sorted list without duplicates; descendants use it for their
    // other word lists too.
    virtual std::unique_ptr<TSortedStringList> CreateSortedStrings() const;
    // Fills the extension list of a new component. Constructors do not reach
    // an override, so a descendant that overrides it calls it from its own
    // constructor.
    virtual void InitFileExtList() {}

    std::unique_ptr<TSortedStringList> FFileExtList;
};
