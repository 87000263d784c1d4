#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <optional>
#include <vector>

// Value types of the settings store, as the registry knows them.
enum class RegDataType {
    Unknown,
    String,       // REG_SZ
    ExpandString, // REG_EXPAND_SZ
    MultiString,  // REG_MULTI_SZ
    Integer,      // REG_DWORD
    Binary,       // REG_BINARY
};

struct RegValue
{
    RegDataType type = RegDataType::Unknown;
    QString text;        // String, ExpandString
    QStringList lines;   // MultiString
    quint32 dword = 0;   // Integer
    QByteArray bytes;    // Binary, Unknown
    quint32 rawType = 0; // Unknown: the type number as read, written back as it came

    static RegValue fromString(const QString &s, RegDataType t = RegDataType::String);
    static RegValue fromMulti(const QStringList &l);
    static RegValue fromDword(quint32 v);
    static RegValue fromBinary(const QByteArray &b);

    // Size in bytes as the registry reports it (strings in UTF-16 with the
    // terminating zero).
    int dataSize() const;
    bool operator==(const RegValue &o) const;
};

// One key: values in the order they were first written, sub-keys ordered by
// their case-folded names. Names keep the case they were created with.
class RegKey
{
public:
    QString name;

    RegKey *child(const QString &name) const;
    RegKey *ensureChild(const QString &name);
    bool removeChild(const QString &name);
    QStringList childNames() const;
    bool hasChildren() const { return !m_children.empty(); }

    const RegValue *value(const QString &name) const;
    void setValue(const QString &name, const RegValue &value);
    bool removeValue(const QString &name);
    QStringList valueNames() const;
    int valueCount() const { return int(m_values.size()); }

    // Walks a backslash path ("A\B\C"); empty components are skipped.
    RegKey *find(const QString &path) const;
    RegKey *ensure(const QString &path);

    std::unique_ptr<RegKey> clone() const;

    static QString fold(const QString &s) { return s.toCaseFolded(); }
    static QStringList splitPath(const QString &path);

private:
    std::map<QString, std::unique_ptr<RegKey>> m_children; // folded name -> key
    std::vector<std::pair<QString, RegValue>> m_values;
};

// The text of a registry export file ("Windows Registry Editor Version 5.00").
// Strings that hold control characters (CR LF in "Sort", "NameTable", ...)
// are written as hex(1) so that they come back exactly.
namespace RegFile {
QString write(const RegKey &root, const QString &rootName);
// Parses text into root; the key lines must start with rootName. Returns
// false with a reason on any line it cannot read.
bool parse(const QString &text, const QString &rootName, RegKey &root, QString *error);
} // namespace RegFile
