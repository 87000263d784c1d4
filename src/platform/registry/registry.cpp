#include "platform/registry/registry.h"

#include <QLoggingCategory>

#include <cstring>

Q_LOGGING_CATEGORY(lcRegistry, "zk.registry")

TRegistry::TRegistry(HKEY root, quint32 access)
    : m_root(root)
    , m_access(access)
{
}

TRegistry::~TRegistry()
{
    try {
        CloseKey();
    } catch (const std::exception &e) {
        qCWarning(lcRegistry) << "settings not saved:" << e.what();
    }
}

RegistryStore &TRegistry::store() const
{
    return RegistryStore::hive(m_root == HKEY_LOCAL_MACHINE ? RegHive::LocalMachine : RegHive::CurrentUser);
}

void TRegistry::SetRootKey(HKEY root)
{
    if (root == m_root)
        return;
    CloseKey();
    m_root = root;
}

namespace {
// The store file keeps one key or value per line: a line break in a name
// would leave a file that cannot be read back, and every setting with it.
bool storableName(const QString &name)
{
    return !name.contains(QLatin1Char('\n')) && !name.contains(QLatin1Char('\r'));
}
} // namespace

QString TRegistry::resolve(const QString &key) const
{
    if (key.startsWith(QLatin1Char('\\')) || !m_hasCurrentKey)
        return RegKey::splitPath(key).join(QLatin1Char('\\'));
    QStringList parts = RegKey::splitPath(m_currentPath);
    parts += RegKey::splitPath(key);
    return parts.join(QLatin1Char('\\'));
}

bool TRegistry::OpenKey(const QString &key, bool canCreate)
{
    const QString path = resolve(key);
    RegistryStore &s = store();
    s.refresh();
    if (!s.keyExists(path)) {
        if (!canCreate || (m_access & KEY_WRITE) != KEY_WRITE || !storableName(path))
            return false;
        s.createKey(path);
    }
    CloseKey();
    m_hasCurrentKey = true;
    m_currentWritable = (m_access & KEY_WRITE) == KEY_WRITE;
    m_currentPath = path;
    return true;
}

bool TRegistry::OpenKeyReadOnly(const QString &key)
{
    const QString path = resolve(key);
    RegistryStore &s = store();
    s.refresh();
    if (!s.keyExists(path))
        return false;
    CloseKey();
    m_access = KEY_READ;
    m_hasCurrentKey = true;
    m_currentWritable = false;
    m_currentPath = path;
    return true;
}

void TRegistry::CloseKey()
{
    const bool had = m_hasCurrentKey;
    m_hasCurrentKey = false;
    m_currentPath.clear();
    if (had)
        Flush();
}

void TRegistry::Flush()
{
    QString error;
    if (!store().flush(&error))
        throw ERegistryException(error);
}

bool TRegistry::CreateKey(const QString &key)
{
    const QString path = resolve(key);
    if ((m_access & KEY_WRITE) != KEY_WRITE || !storableName(path))
        return false;
    return store().createKey(path);
}

bool TRegistry::DeleteKey(const QString &key)
{
    if ((m_access & KEY_WRITE) != KEY_WRITE)
        return false;
    const QString path = resolve(key);
    const bool ok = store().deleteKey(path);
    // Deleting the open key (or one above it) leaves no current key.
    if (ok && m_hasCurrentKey
        && (RegKey::fold(m_currentPath) == RegKey::fold(path)
            || RegKey::fold(m_currentPath).startsWith(RegKey::fold(path) + QLatin1Char('\\')))) {
        m_hasCurrentKey = false;
        m_currentPath.clear();
    }
    return ok;
}

bool TRegistry::KeyExists(const QString &key)
{
    store().refresh();
    return store().keyExists(resolve(key));
}

bool TRegistry::DeleteValue(const QString &name)
{
    if (!m_currentWritable && m_hasCurrentKey)
        return false;
    return store().deleteValue(m_currentPath, name);
}

bool TRegistry::ValueExists(const QString &name)
{
    return store().value(m_currentPath, name).has_value();
}

QStringList TRegistry::GetKeyNames()
{
    return store().subKeyNames(m_currentPath);
}

QStringList TRegistry::GetValueNames()
{
    return store().valueNames(m_currentPath);
}

bool TRegistry::HasSubKeys()
{
    return store().hasSubKeys(m_currentPath);
}

RegDataType TRegistry::GetDataType(const QString &name)
{
    const auto v = store().value(m_currentPath, name);
    return v ? v->type : RegDataType::Unknown;
}

int TRegistry::GetDataSize(const QString &name)
{
    const auto v = store().value(m_currentPath, name);
    return v ? v->dataSize() : -1;
}

void TRegistry::readError(const QString &name) const
{
    throw ERegistryException(QStringLiteral("値「%1」のデータ型が正しくありません").arg(name));
}

RegValue TRegistry::readTyped(const QString &name, RegDataType want) const
{
    const auto v = store().value(m_currentPath, name);
    if (!v || v->type != want)
        readError(name);
    return *v;
}

QString TRegistry::ReadString(const QString &name)
{
    const auto v = store().value(m_currentPath, name);
    if (!v)
        return QString();
    if (v->type != RegDataType::String && v->type != RegDataType::ExpandString)
        readError(name);
    return v->text;
}

QStringList TRegistry::ReadMultiString(const QString &name)
{
    return readTyped(name, RegDataType::MultiString).lines;
}

int TRegistry::ReadInteger(const QString &name)
{
    return int(readTyped(name, RegDataType::Integer).dword);
}

bool TRegistry::ReadBool(const QString &name)
{
    return ReadInteger(name) != 0;
}

double TRegistry::readDouble(const QString &name)
{
    const RegValue v = readTyped(name, RegDataType::Binary);
    if (v.bytes.size() != int(sizeof(double)))
        readError(name);
    double d = 0;
    std::memcpy(&d, v.bytes.constData(), sizeof d);
    return d;
}

double TRegistry::ReadFloat(const QString &name)
{
    return readDouble(name);
}
TDateTime TRegistry::ReadDateTime(const QString &name)
{
    return readDouble(name);
}
TDateTime TRegistry::ReadDate(const QString &name)
{
    return readDouble(name);
}
TDateTime TRegistry::ReadTime(const QString &name)
{
    return readDouble(name);
}
double TRegistry::ReadCurrency(const QString &name)
{
    return readDouble(name);
}

QByteArray TRegistry::ReadBinary(const QString &name)
{
    const auto v = store().value(m_currentPath, name);
    if (!v)
        return QByteArray();
    if (v->type != RegDataType::Binary && v->type != RegDataType::Unknown)
        readError(name);
    return v->bytes;
}

int TRegistry::ReadBinaryData(const QString &name, void *buffer, int bufSize)
{
    const auto v = store().value(m_currentPath, name);
    if (!v)
        return 0;
    if ((v->type != RegDataType::Binary && v->type != RegDataType::Unknown) || v->bytes.size() > bufSize)
        readError(name);
    std::memcpy(buffer, v->bytes.constData(), size_t(v->bytes.size()));
    return int(v->bytes.size());
}

void TRegistry::write(const QString &name, const RegValue &value)
{
    if (!m_currentWritable || (m_access & KEY_WRITE) != KEY_WRITE)
        throw ERegistryException(QStringLiteral("値「%1」を書き込めません（読み取り専用）").arg(name));
    if (!storableName(name))
        throw ERegistryException(QStringLiteral("値の名前「%1」に改行を含めることはできません").arg(name));
    store().setValue(m_currentPath, name, value);
}

void TRegistry::WriteString(const QString &name, const QString &value)
{
    write(name, RegValue::fromString(value));
}

void TRegistry::WriteExpandString(const QString &name, const QString &value)
{
    write(name, RegValue::fromString(value, RegDataType::ExpandString));
}

void TRegistry::WriteMultiString(const QString &name, const QStringList &value)
{
    write(name, RegValue::fromMulti(value));
}

void TRegistry::WriteInteger(const QString &name, int value)
{
    write(name, RegValue::fromDword(quint32(value)));
}

void TRegistry::WriteBool(const QString &name, bool value)
{
    WriteInteger(name, value ? 1 : 0);
}

void TRegistry::WriteFloat(const QString &name, double value)
{
    WriteBinaryData(name, &value, sizeof value);
}

void TRegistry::WriteDateTime(const QString &name, TDateTime value)
{
    WriteFloat(name, value);
}
void TRegistry::WriteDate(const QString &name, TDateTime value)
{
    WriteFloat(name, value);
}
void TRegistry::WriteTime(const QString &name, TDateTime value)
{
    WriteFloat(name, value);
}
void TRegistry::WriteCurrency(const QString &name, double value)
{
    WriteFloat(name, value);
}

void TRegistry::WriteBinaryData(const QString &name, const void *buffer, int size)
{
    write(name, RegValue::fromBinary(QByteArray(static_cast<const char *>(buffer), size)));
}

void TRegistry::WriteBinary(const QString &name, const QByteArray &data)
{
    write(name, RegValue::fromBinary(data));
}
