#pragma once

#include "platform/registry/regstore.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/exceptions.h"

#include <QString>
#include <QStringList>

// Registry roots and access masks, with the values callers save and restore.
enum HKEY : quint32 {
    HKEY_CURRENT_USER = 0x80000001,
    HKEY_LOCAL_MACHINE = 0x80000002,
};
constexpr quint32 KEY_READ = 0x20019;
constexpr quint32 KEY_WRITE = 0x20006;
constexpr quint32 KEY_ALL_ACCESS = 0xF003F;

class ERegistryException : public Exception
{
public:
    using Exception::Exception;
};

// Access to the settings store in the manner of the registry class the
// settings code is written against: one current key at a time, paths with a
// leading "\" taken from the root key, others from the current key.
// Reads of a missing or wrong-typed value raise (ReadString and
// ReadBinaryData give empty results for a missing value); writes raise on
// failure. Changes are saved when the key is closed.
class TRegistry
{
public:
    explicit TRegistry(HKEY root = HKEY_CURRENT_USER, quint32 access = KEY_ALL_ACCESS);
    virtual ~TRegistry();
    TRegistry(const TRegistry &) = delete;
    TRegistry &operator=(const TRegistry &) = delete;

    HKEY RootKey() const { return m_root; }
    void SetRootKey(HKEY root);
    quint32 Access() const { return m_access; }
    void SetAccess(quint32 access) { m_access = access; }
    // Path of the open key below the root, without a leading "\"; empty when none.
    QString CurrentPath() const { return m_currentPath; }
    bool HasCurrentKey() const { return m_hasCurrentKey; }

    bool OpenKey(const QString &key, bool canCreate);
    bool OpenKeyReadOnly(const QString &key);
    void CloseKey();
    bool CreateKey(const QString &key);
    bool DeleteKey(const QString &key);
    bool KeyExists(const QString &key);
    bool DeleteValue(const QString &name);
    bool ValueExists(const QString &name);
    QStringList GetKeyNames();
    QStringList GetValueNames();
    bool HasSubKeys();
    RegDataType GetDataType(const QString &name);
    int GetDataSize(const QString &name); // -1 for a missing value

    QString ReadString(const QString &name);
    QStringList ReadMultiString(const QString &name);
    int ReadInteger(const QString &name);
    bool ReadBool(const QString &name);
    double ReadFloat(const QString &name);
    TDateTime ReadDateTime(const QString &name);
    TDateTime ReadDate(const QString &name);
    TDateTime ReadTime(const QString &name);
    double ReadCurrency(const QString &name);
    QByteArray ReadBinary(const QString &name);
    int ReadBinaryData(const QString &name, void *buffer, int bufSize);

    void WriteString(const QString &name, const QString &value);
    void WriteExpandString(const QString &name, const QString &value);
    void WriteMultiString(const QString &name, const QStringList &value);
    void WriteInteger(const QString &name, int value);
    void WriteBool(const QString &name, bool value);
    void WriteFloat(const QString &name, double value);
    void WriteDateTime(const QString &name, TDateTime value);
    void WriteDate(const QString &name, TDateTime value);
    void WriteTime(const QString &name, TDateTime value);
    void WriteCurrency(const QString &name, double value);
    void WriteBinaryData(const QString &name, const void *buffer, int size);
    void WriteBinary(const QString &name, const QByteArray &data);

    // Saves unsaved changes now (CloseKey does it too).
    void Flush();

protected:
    RegistryStore &store() const;

private:
    QString resolve(const QString &key) const;
    RegValue readTyped(const QString &name, RegDataType want) const;
    double readDouble(const QString &name);
    void write(const QString &name, const RegValue &value);
    [[noreturn]] void readError(const QString &name) const;

    HKEY m_root;
    quint32 m_access;
    bool m_hasCurrentKey = false;
    bool m_currentWritable = true;
    QString m_currentPath;
};
