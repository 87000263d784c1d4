#pragma once

#include "platform/db/dbtypes.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <vector>

// Named connection parameters ("Server", "User_Name", ...), looked up without
// regard to case; a name never set reads as an empty text. The first
// spelling of a name is kept.
class TFDConnectionParams
{
public:
    QString Value(const QString &name) const;
    QString operator[](const QString &name) const { return Value(name); }
    void SetValue(const QString &name, const QString &value);
    bool Contains(const QString &name) const;
    void Remove(const QString &name);
    void Clear() { m_items.clear(); }
    QStringList Names() const;
    // "Name=Value" lines, the text form of the list.
    QStringList Lines() const;

private:
    QList<QPair<QString, QString>> m_items;
};

enum TParamType : quint8 { ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult };

// A statement parameter. Values are sent as wide strings unless given as
// another type (integer, float, Boolean, date-time, bytes); a parameter
// without a value is NULL.
class TFDParam
{
public:
    explicit TFDParam(const QString &name = QString())
        : m_name(name)
    {
    }

    QString Name() const { return m_name; }
    void SetName(const QString &name) { m_name = name; }
    TFieldType DataType() const { return m_dataType; }
    void SetDataType(TFieldType type) { m_dataType = type; }
    TParamType ParamType() const { return m_paramType; }
    void SetParamType(TParamType type) { m_paramType = type; }
    int Size() const { return m_size; }
    void SetSize(int size) { m_size = size; }

    QVariant Value() const { return m_value; }
    void SetValue(const QVariant &value);
    bool IsNull() const { return m_value.isNull(); }
    void Clear() { m_value = QVariant(); }

    QString AsString() const { return m_value.toString(); }
    void SetAsString(const QString &value);
    QString AsWideString() const { return m_value.toString(); }
    void SetAsWideString(const QString &value);
    int AsInteger() const { return m_value.toInt(); }
    void SetAsInteger(int value);
    qint64 AsLargeInt() const { return m_value.toLongLong(); }
    void SetAsLargeInt(qint64 value);
    double AsFloat() const { return m_value.toDouble(); }
    void SetAsFloat(double value);
    bool AsBoolean() const { return m_value.toBool(); }
    void SetAsBoolean(bool value);
    QDateTime AsDateTime() const { return m_value.toDateTime(); }
    void SetAsDateTime(const QDateTime &value);
    QByteArray AsBytes() const { return m_value.toByteArray(); }
    void SetAsBytes(const QByteArray &value);

    // Copies type, value, parameter type and size (not the name).
    void AssignValue(const TFDParam &other);

private:
    QString m_name;
    TFieldType m_dataType = ftUnknown;
    TParamType m_paramType = ptInput;
    int m_size = 0;
    QVariant m_value;
};

class TFDParams
{
public:
    TFDParams() = default;
    TFDParams(const TFDParams &) = delete;
    TFDParams &operator=(const TFDParams &) = delete;

    int Count() const { return int(m_items.size()); }
    TFDParam &Items(int index) { return *m_items.at(size_t(index)); }
    const TFDParam &Items(int index) const { return *m_items.at(size_t(index)); }
    TFDParam &operator[](int index) { return Items(index); }
    // Null when no parameter has that name (ignoring case).
    TFDParam *FindParam(const QString &name) const;
    // Raises EDBError when no parameter has that name.
    TFDParam &ParamByName(const QString &name) const;
    TFDParam &Add(const QString &name);
    void Clear() { m_items.clear(); }
    // The list becomes these names in this order; parameters whose name
    // stays keep their values.
    void Rebuild(const QStringList &names);

private:
    std::vector<std::unique_ptr<TFDParam>> m_items;
};
