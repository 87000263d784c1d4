#include "common/testenv.h"
#include "editorcontrol/edclasses.h"
#include "editorcontrol/edstreamreg.h"

#include <QBuffer>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Counts the changes it hears and who sent them.
class Listener : public QObject
{
public:
    void Heard(QObject *Sender)
    {
        ++count;
        senders.push_back(Sender);
        order->push_back(id);
    }
    void Other(QObject *) { ++other; }

    int id = 0;
    int count = 0;
    int other = 0;
    std::vector<QObject *> senders;
    std::vector<int> *order = &ownOrder;
    std::vector<int> ownOrder;
};

class Setting : public TNotifyPersistent
{
    Q_OBJECT
    Q_PROPERTY(int Size READ Size WRITE SetSize)
    Q_PROPERTY(QString Name READ Name WRITE SetName)
public:
    int Size() const { return m_size; }
    void SetSize(int v)
    {
        if (v != m_size) {
            m_size = v;
            Changed();
        }
    }
    QString Name() const { return m_name; }
    void SetName(const QString &v)
    {
        if (v != m_name) {
            m_name = v;
            Changed();
        }
    }

private:
    int m_size = 1;
    QString m_name;
};

class Pair : public TCollectionItem
{
    Q_OBJECT
    Q_PROPERTY(QString Left READ Left WRITE SetLeft)
public:
    using TCollectionItem::TCollectionItem;
    QString Left() const { return m_left; }
    void SetLeft(const QString &v)
    {
        m_left = v;
        Changed();
    }
    void Assign(const QObject *Source) override
    {
        if (const auto *p = qobject_cast<const Pair *>(Source))
            SetLeft(p->m_left);
        else
            TCollectionItem::Assign(Source);
    }

private:
    QString m_left;
};

class Pairs : public TNotifyCollection
{
    Q_OBJECT
public:
    using TNotifyCollection::TNotifyCollection;

protected:
    TCollectionItem *CreateItem() override { return new Pair(this); }
};

class Scheme : public TFileExtComponent
{
    Q_OBJECT
    Q_PROPERTY(bool Mail READ Mail WRITE SetMail)
    Q_PROPERTY(Setting *Colour READ Colour)
    Q_PROPERTY(Pairs *Brackets READ Brackets)
public:
    Scheme()
        : m_colour(new Setting)
        , m_brackets(new Pairs(this))
    {
        m_colour->setParent(this);
        m_brackets->setParent(this);
    }
    bool Mail() const { return m_mail; }
    void SetMail(bool v) { m_mail = v; }
    Setting *Colour() const { return m_colour; }
    Pairs *Brackets() const { return m_brackets; }

private:
    bool m_mail = false;
    Setting *m_colour;
    Pairs *m_brackets;
};

QByteArray bytes(int n)
{
    QByteArray data;
    for (int i = 0; i < n; ++i)
        data.append(char(i * 7 + 3));
    return data;
}

} // namespace

TEST(EdClasses, UpdatesNotifyOnceWhenTheOutermostCloses)
{
    Setting s;
    Listener l;
    s.OnChange = TNotifyEvent(&l, &Listener::Heard);
    s.BeginUpdate();
    s.EndUpdate();
    EXPECT_EQ(l.count, 1); // even without a change
    s.BeginUpdate();
    s.BeginUpdate();
    s.SetSize(5);
    s.SetName(QStringLiteral("x"));
    s.EndUpdate();
    EXPECT_EQ(l.count, 1);
    s.EndUpdate();
    EXPECT_EQ(l.count, 2);
    s.SetSize(5); // unchanged
    EXPECT_EQ(l.count, 2);
    s.ChangedProc(&s);
    EXPECT_EQ(l.count, 2);
    Setting other;
    s.ChangedProc(&other);
    EXPECT_EQ(l.count, 3);
    EXPECT_EQ(l.senders.back(), &s);
}

TEST(EdClasses, HandlersCompareByObjectAndMethod)
{
    Listener a;
    Listener b;
    EXPECT_TRUE(TNotifyEvent(&a, &Listener::Heard) == TNotifyEvent(&a, &Listener::Heard));
    EXPECT_FALSE(TNotifyEvent(&a, &Listener::Heard) == TNotifyEvent(&b, &Listener::Heard));
    EXPECT_FALSE(TNotifyEvent(&a, &Listener::Heard) == TNotifyEvent(&a, &Listener::Other));
    EXPECT_FALSE(bool(TNotifyEvent()));
}

TEST(EdClasses, MethodListRemovesTheLaterCopy)
{
    Listener a;
    Listener b;
    TMethodList list;
    list.Add(TNotifyEvent(&a, &Listener::Heard));
    list.Add(TNotifyEvent(&b, &Listener::Heard));
    list.Add(TNotifyEvent(&a, &Listener::Heard));
    list.Remove(TNotifyEvent(&a, &Listener::Heard));
    ASSERT_EQ(list.Count(), 2);
    EXPECT_TRUE(list.Item(0) == TNotifyEvent(&a, &Listener::Heard));
    EXPECT_TRUE(list.Item(1) == TNotifyEvent(&b, &Listener::Heard));
    list.Remove(TNotifyEvent(&b, &Listener::Other)); // not registered
    EXPECT_EQ(list.Count(), 2);
}

TEST(EdClasses, EventListBroadcastsInOrderWithTheOwnerAsSender)
{
    QObject owner;
    TNotifyEventList events(&owner);
    std::vector<int> order;
    Listener a;
    Listener b;
    a.id = 1;
    b.id = 2;
    a.order = b.order = &order;
    events.Add(TNotifyEvent(&b, &Listener::Heard));
    events.Add(TNotifyEvent(&a, &Listener::Heard));
    events.BeginUpdate();
    events.ChangedProc(nullptr);
    events.ChangedProc(nullptr);
    EXPECT_TRUE(order.empty());
    events.EndUpdate();
    EXPECT_EQ(order, (std::vector<int>{2, 1}));
    EXPECT_EQ(a.senders.back(), &owner);
    events.Remove(TNotifyEvent(&b, &Listener::Heard));
    events.Changed();
    EXPECT_EQ(order, (std::vector<int>{2, 1, 1}));
}

TEST(EdClasses, CollectionReportsItsOwnAndItsItemsChanges)
{
    Pairs pairs(nullptr);
    Listener l;
    pairs.OnChange = TNotifyEvent(&l, &Listener::Heard);
    auto *item = static_cast<Pair *>(pairs.Add());
    EXPECT_EQ(l.count, 1);
    item->SetLeft(QStringLiteral("/*"));
    EXPECT_EQ(l.count, 2);
    EXPECT_EQ(l.senders.back(), &pairs);
    Pairs copy(nullptr);
    Listener c;
    copy.OnChange = TNotifyEvent(&c, &Listener::Heard);
    copy.Assign(&pairs);
    EXPECT_EQ(c.count, 1);
    ASSERT_EQ(copy.Count(), 1);
    EXPECT_EQ(static_cast<Pair *>(copy.Item(0))->Left(), QStringLiteral("/*"));
    EXPECT_THROW(copy.Item(1), Exception);
    Setting s;
    EXPECT_THROW(copy.Assign(&s), EConvertError);
}

TEST(EdClasses, FileExtensionsAreFoundWithoutRegardToCase)
{
    Scheme scheme;
    scheme.SetFileExtList({QStringLiteral(".SQL"), QStringLiteral(".txt"), QStringLiteral(".sql")});
    EXPECT_EQ(scheme.FileExtList(), (QStringList{QStringLiteral(".SQL"), QStringLiteral(".txt")}));
    EXPECT_TRUE(scheme.HasExt(QStringLiteral(".sql")));
    EXPECT_FALSE(scheme.HasExt(QStringLiteral(".pas")));
}

TEST(EdStreamReg, HexLinesOf32Bytes)
{
    QBuffer in;
    in.setData(QByteArray::fromHex("00ff10ab"));
    in.open(QIODevice::ReadOnly);
    QStringList lines;
    StreamToHexLines(in, lines);
    EXPECT_EQ(lines, QStringList{QStringLiteral("00FF10AB")});

    QBuffer out;
    out.open(QIODevice::WriteOnly);
    HexLinesToStream({QStringLiteral("01zz"), QStringLiteral("fF")}, out);
    EXPECT_EQ(out.data(), QByteArray::fromHex("0100ff"));
}

TEST(EdStreamReg, IniKeepsTheCountAndDeletesLeftoverLines)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("editor.ini"));
    QBuffer big;
    big.setData(bytes(100));
    big.open(QIODevice::ReadOnly);
    WriteStreamToIni(big, ini, QStringLiteral("Scheme"), QStringLiteral("Strm"));
    {
        QSettings s(ini, QSettings::IniFormat);
        s.beginGroup(QStringLiteral("Scheme"));
        EXPECT_EQ(s.value(QStringLiteral("Strm_c")).toString(), QStringLiteral("4"));
        EXPECT_EQ(s.value(QStringLiteral("Strm_d0")).toString().size(), 64);
        EXPECT_EQ(s.value(QStringLiteral("Strm_d3")).toString().size(), 8);
    }
    QBuffer small;
    small.setData(bytes(10));
    small.open(QIODevice::ReadOnly);
    WriteStreamToIni(small, ini, QStringLiteral("Scheme"), QStringLiteral("Strm"));
    {
        QSettings s(ini, QSettings::IniFormat);
        s.beginGroup(QStringLiteral("Scheme"));
        EXPECT_EQ(s.value(QStringLiteral("Strm_c")).toString(), QStringLiteral("1"));
        for (int i = 1; i <= 3; ++i)
            EXPECT_FALSE(s.contains(QStringLiteral("Strm_d%1").arg(i)));
    }
    QBuffer back;
    back.open(QIODevice::ReadWrite);
    ReadStreamFromIni(back, ini, QStringLiteral("Scheme"), QStringLiteral("Strm"));
    EXPECT_EQ(back.data(), bytes(10));

    QBuffer empty;
    empty.open(QIODevice::ReadOnly);
    WriteStreamToIni(empty, ini, QStringLiteral("Scheme"), QStringLiteral("Strm"));
    QSettings s(ini, QSettings::IniFormat);
    EXPECT_FALSE(s.contains(QStringLiteral("Scheme/Strm_c")));
    EXPECT_FALSE(s.contains(QStringLiteral("Scheme/Strm_d0")));
}

TEST(EdStreamReg, UnwritableIniRaises)
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
    blocker.close();
    QBuffer data;
    data.setData(bytes(3));
    data.open(QIODevice::ReadOnly);
    EXPECT_THROW(WriteStreamToIni(data, dir.filePath(QStringLiteral("blocker/editor.ini")), QStringLiteral("S"),
                                  QStringLiteral("I")),
                 Exception);
}

TEST(EdStreamReg, RegistryValueRoundTrip)
{
    TestEnv::resetRegistry();
    QBuffer data;
    data.setData(bytes(300));
    data.open(QIODevice::ReadOnly);
    WriteStreamToReg(data, QStringLiteral("\\Software\\Test"), QStringLiteral("Editor"), QStringLiteral("Scheme"));
    QBuffer back;
    back.open(QIODevice::ReadWrite);
    back.write("ab");
    ReadStreamFromReg(back, QStringLiteral("\\Software\\Test"), QStringLiteral("Editor"), QStringLiteral("Scheme"));
    EXPECT_EQ(back.data(), QByteArray("ab") + bytes(300));
    QBuffer none;
    none.open(QIODevice::ReadWrite);
    ReadStreamFromReg(none, QStringLiteral("\\Software\\Test"), QStringLiteral("Editor"), QStringLiteral("Other"));
    EXPECT_TRUE(none.data().isEmpty());
}

TEST(EdStoreComponent, PropertiesSurviveIniAndRegistry)
{
    TestEnv::resetRegistry();
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("s.ini"));
    Scheme a;
    a.SetMail(true);
    a.Colour()->SetSize(9);
    a.Colour()->SetName(QStringLiteral("コメント"));
    a.SetFileExtList({QStringLiteral(".sql")});
    static_cast<Pair *>(a.Brackets()->Add())->SetLeft(QStringLiteral("/*"));
    static_cast<Pair *>(a.Brackets()->Add())->SetLeft(QStringLiteral("{"));
    a.WriteIni(ini, QStringLiteral("Fountain"), QStringLiteral("Data"));
    a.WriteReg(QStringLiteral("\\Software\\Test"), QStringLiteral("Fountain"), QStringLiteral("Data"));

    for (int source = 0; source < 2; ++source) {
        SCOPED_TRACE(source == 0 ? "ini" : "registry");
        Scheme b;
        Listener l;
        b.Colour()->OnChange = TNotifyEvent(&l, &Listener::Heard);
        if (source == 0)
            b.ReadIni(ini, QStringLiteral("Fountain"), QStringLiteral("Data"));
        else
            b.ReadReg(QStringLiteral("\\Software\\Test"), QStringLiteral("Fountain"), QStringLiteral("Data"));
        EXPECT_TRUE(b.Mail());
        EXPECT_EQ(b.Colour()->Size(), 9);
        EXPECT_EQ(b.Colour()->Name(), QStringLiteral("コメント"));
        EXPECT_EQ(l.count, 1); // one change for the whole settings object
        EXPECT_TRUE(b.HasExt(QStringLiteral(".SQL")));
        ASSERT_EQ(b.Brackets()->Count(), 2);
        EXPECT_EQ(static_cast<Pair *>(b.Brackets()->Item(1))->Left(), QStringLiteral("{"));
    }

    Scheme untouched;
    untouched.ReadIni(ini, QStringLiteral("Fountain"), QStringLiteral("Nothing"));
    EXPECT_FALSE(untouched.Mail());
    EXPECT_THROW(untouched.LoadProperties(QByteArray("garbage")), Exception);
}

#include "tst_edclasses.moc"
