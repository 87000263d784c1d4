#include "platform/registry/regstore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>

#include <sys/stat.h>

namespace {

QString parentPath(const QString &path)
{
    QStringList parts = RegKey::splitPath(path);
    if (!parts.isEmpty())
        parts.removeLast();
    return parts.join(QLatin1Char('\\'));
}

QString lastComponent(const QString &path)
{
    const QStringList parts = RegKey::splitPath(path);
    return parts.isEmpty() ? QString() : parts.last();
}

// Text that is not valid UTF-8 (or UTF-16 after its mark) is refused rather
// than read with replacement characters: saving it back would garble every
// value that held the bad bytes.
bool decodeFile(const QByteArray &data, QString &text)
{
    if (data.startsWith("\xFF\xFE")) {
        QStringDecoder decoder(QStringDecoder::Utf16LE);
        text = decoder.decode(data.mid(2));
        return !decoder.hasError();
    }
    QStringDecoder decoder(QStringDecoder::Utf8);
    text = decoder.decode(data.startsWith("\xEF\xBB\xBF") ? data.mid(3) : data);
    return !decoder.hasError();
}

} // namespace

RegistryStore::RegistryStore(RegHive h)
    : m_hive(h)
    , m_base(std::make_unique<RegKey>())
    , m_tree(std::make_unique<RegKey>())
{
}

RegistryStore &RegistryStore::hive(RegHive h)
{
    static RegistryStore currentUser(RegHive::CurrentUser);
    static RegistryStore localMachine(RegHive::LocalMachine);
    return h == RegHive::CurrentUser ? currentUser : localMachine;
}

QString RegistryStore::rootFolder()
{
    const QString env = qEnvironmentVariable("ZK_REGISTRY_ROOT");
    if (!env.isEmpty())
        return env;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/zekalon");
}

void RegistryStore::resetAll()
{
    for (RegHive h : {RegHive::CurrentUser, RegHive::LocalMachine}) {
        RegistryStore &s = hive(h);
        QMutexLocker lock(&s.m_mutex);
        s.m_loaded = false;
        s.m_ops.clear();
        s.m_base = std::make_unique<RegKey>();
        s.m_tree = std::make_unique<RegKey>();
        s.m_stamp = {};
        s.m_loadWarning.clear();
    }
}

bool RegistryStore::flushAll(QString *error)
{
    bool ok = hive(RegHive::CurrentUser).flush(error);
    return hive(RegHive::LocalMachine).flush(error) && ok;
}

QString RegistryStore::hiveName() const
{
    return m_hive == RegHive::CurrentUser ? QStringLiteral("HKEY_CURRENT_USER") : QStringLiteral("HKEY_LOCAL_MACHINE");
}

QString RegistryStore::filePath() const
{
    return rootFolder() + QLatin1Char('/') + hiveName() + QStringLiteral(".reg");
}

RegistryStore::FileStamp RegistryStore::stamp() const
{
    FileStamp s;
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(filePath()).constData(), &st) == 0) {
        s.exists = true;
        s.inode = quint64(st.st_ino);
        s.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        s.size = qint64(st.st_size);
    }
    return s;
}

void RegistryStore::loadFromDisk(bool keepBadFileAside)
{
    const QString path = filePath();
    auto fresh = std::make_unique<RegKey>();
    m_stamp = stamp();
    m_loadedFrom = path;
    QFile f(path);
    if (m_stamp.exists) {
        // A file that cannot be opened is set aside too: the next save would
        // otherwise replace it, and the settings in it would be lost.
        QString why;
        QString text;
        if (!f.open(QIODevice::ReadOnly)) {
            why = f.errorString();
        } else {
            const QByteArray data = f.readAll();
            f.close();
            if (!decodeFile(data, text))
                why = QStringLiteral("文字コードが正しくありません");
            else
                RegFile::parse(text, hiveName(), *fresh, &why);
        }
        if (!why.isEmpty() && !keepBadFileAside) {
            // Replaced under us (by another program) with text we cannot
            // read: go on from what we read last, so that the next save
            // writes those settings back instead of only our own changes.
            fresh = m_base->clone();
        } else if (!why.isEmpty()) {
            fresh = std::make_unique<RegKey>();
            const QString stem = path + QStringLiteral(".damaged-")
                                 + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss"));
            QString aside = stem;
            for (int n = 2; QFile::exists(aside); ++n)
                aside = stem + QLatin1Char('-') + QString::number(n);
            const bool moved = QFile::rename(path, aside);
            m_stamp = stamp();
            m_loadWarning = moved ? QStringLiteral("設定ファイル「%1」を読み込めませんでした（%2）。\n"
                                                   "ファイルを「%3」に退避し、既定の設定で起動します。")
                                        .arg(path, why, aside)
                                  : QStringLiteral("設定ファイル「%1」を読み込めませんでした（%2）。\n"
                                                   "既定の設定で起動します。")
                                        .arg(path, why);
        }
    }
    m_base = std::move(fresh);
    m_tree = m_base->clone();
    for (const Op &op : m_ops)
        apply(*m_tree, op);
}

void RegistryStore::ensureLoaded()
{
    if (!m_loaded || m_loadedFrom != filePath()) {
        m_ops.clear();
        m_loaded = true;
        loadFromDisk(true);
    }
}

void RegistryStore::refresh()
{
    QMutexLocker lock(&m_mutex);
    if (!m_loaded || m_loadedFrom != filePath()) {
        ensureLoaded();
        return;
    }
    if (!(stamp() == m_stamp))
        loadFromDisk(false);
}

void RegistryStore::apply(RegKey &root, const Op &op) const
{
    switch (op.kind) {
    case Op::CreateKey: root.ensure(op.path); break;
    case Op::DeleteKey:
        if (RegKey *parent = root.find(parentPath(op.path)))
            parent->removeChild(lastComponent(op.path));
        break;
    case Op::SetValue: root.ensure(op.path)->setValue(op.name, op.value); break;
    case Op::DeleteValue:
        if (RegKey *k = root.find(op.path))
            k->removeValue(op.name);
        break;
    }
}

void RegistryStore::record(Op op)
{
    apply(*m_tree, op);
    m_ops.push_back(std::move(op));
}

bool RegistryStore::keyExists(const QString &path)
{
    QMutexLocker lock(&m_mutex);
    ensureLoaded();
    return m_tree->find(path) != nullptr;
}

bool RegistryStore::createKey(const QString &path)
{
    QMutexLocker lock(&m_mutex);
    ensureLoaded();
    if (!m_tree->find(path))
        record({Op::CreateKey, path, {}, {}});
    return true;
}

bool RegistryStore::deleteKey(const QString &path)
{
    QMutexLocker lock(&m_mutex);
    ensureLoaded();
    if (RegKey::splitPath(path).isEmpty() || !m_tree->find(path))
        return false;
    record({Op::DeleteKey, path, {}, {}});
    return true;
}

QStringList RegistryStore::subKeyNames(const QString &path)
{
    QMutexLocker lock(&m_mutex);
    ensureLoaded();
    const RegKey *k = m_tree->find(path);
    return k ? k->childNames() : QStringList();
}

QStringList RegistryStore::valueNames(const QString &path)
{
    QMutexLocker lock(&m_mutex);
    ensureLoaded();
    const RegKey *k = m_tree->find(path);
    return k ? k->valueNames() : QStringList();
}

bool RegistryStore::hasSubKeys(const QString &path)
{
    QMutexLocker lock(&m_mutex);
    ensureLoaded();
    const RegKey *k = m_tree->find(path);
    return k && k->hasChildren();
}

std::optional<RegValue> RegistryStore::value(const QString &path, const QString &name)
{
    QMutexLocker lock(&m_mutex);
    ensureLoaded();
    const RegKey *k = m_tree->find(path);
    if (!k)
        return std::nullopt;
    const RegValue *v = k->value(name);
    return v ? std::optional<RegValue>(*v) : std::nullopt;
}

bool RegistryStore::setValue(const QString &path, const QString &name, const RegValue &v)
{
    QMutexLocker lock(&m_mutex);
    ensureLoaded();
    record({Op::SetValue, path, name, v});
    return true;
}

bool RegistryStore::deleteValue(const QString &path, const QString &name)
{
    QMutexLocker lock(&m_mutex);
    ensureLoaded();
    const RegKey *k = m_tree->find(path);
    if (!k || !k->value(name))
        return false;
    record({Op::DeleteValue, path, name, {}});
    return true;
}

bool RegistryStore::isDirty()
{
    QMutexLocker lock(&m_mutex);
    return !m_ops.empty();
}

bool RegistryStore::flush(QString *error)
{
    QMutexLocker lock(&m_mutex);
    if (m_ops.empty())
        return true;
    const QString path = filePath();
    if (!QDir().mkpath(rootFolder())) {
        if (error)
            *error = QStringLiteral("設定フォルダ「%1」を作成できません。").arg(rootFolder());
        return false;
    }
    QLockFile fileLock(path + QStringLiteral(".lock"));
    fileLock.setStaleLockTime(30000);
    if (!fileLock.tryLock(10000)) {
        if (error)
            *error = QStringLiteral("設定ファイル「%1」をロックできません。").arg(path);
        return false;
    }
    // Another program may have written since we read: start from its text.
    if (!(stamp() == m_stamp))
        loadFromDisk(false);
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly)) {
        if (error)
            *error = QStringLiteral("設定ファイル「%1」に書き込めません: %2").arg(path, out.errorString());
        return false;
    }
    out.write(RegFile::write(*m_tree, hiveName()).toUtf8());
    if (!out.commit()) {
        if (error)
            *error = QStringLiteral("設定ファイル「%1」に書き込めません: %2").arg(path, out.errorString());
        return false;
    }
    m_base = m_tree->clone();
    m_ops.clear();
    m_stamp = stamp();
    return true;
}

QString RegistryStore::takeLoadWarning()
{
    QMutexLocker lock(&m_mutex);
    ensureLoaded();
    return std::exchange(m_loadWarning, QString());
}
