#include "platform/db/dbparams.h"

#include "platform/db/dberror.h"

QString TFDConnectionParams::Value(const QString &name) const
{
    for (const auto &item : m_items) {
        if (item.first.compare(name, Qt::CaseInsensitive) == 0)
            return item.second;
    }
    return QString();
}

void TFDConnectionParams::SetValue(const QString &name, const QString &value)
{
    for (auto &item : m_items) {
        if (item.first.compare(name, Qt::CaseInsensitive) == 0) {
            item.second = value;
            return;
        }
    }
    m_items.append({name, value});
}

bool TFDConnectionParams::Contains(const QString &name) const
{
    for (const auto &item : m_items) {
        if (item.first.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

void TFDConnectionParams::Remove(const QString &name)
{
    m_items.removeIf(
        [&](const QPair<QString, QString> &item) { return item.first.compare(name, Qt::CaseInsensitive) == 0; });
}

QStringList TFDConnectionParams::Names() const
{
    QStringList names;
    for (const auto &item : m_items)
        names.append(item.first);
    return names;
}

QStringList TFDConnectionParams::Lines() const
{
    QStringList lines;
    for (const auto &item : m_items)
        lines.append(item.first + QLatin1Char('=') + item.second);
    return lines;
}

void TFDParam::SetValue(const QVariant &value)
{
    m_value = value;
    if (m_dataType == ftUnknown) {
        switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong: m_dataType = ftLargeint; break;
        case QMetaType::Double: m_dataType = ftFloat; break;
        case QMetaType::Bool: m_dataType = ftBoolean; break;
        case QMetaType::QDateTime: m_dataType = ftTimeStamp; break;
        case QMetaType::QByteArray: m_dataType = ftVarBytes; break;
        default: m_dataType = ftWideString; break;
        }
    }
}

void TFDParam::SetAsString(const QString &value)
{
    m_dataType = ftString;
    m_value = value;
}

void TFDParam::SetAsWideString(const QString &value)
{
    m_dataType = ftWideString;
    m_value = value;
}

void TFDParam::SetAsInteger(int value)
{
    m_dataType = ftInteger;
    m_value = value;
}

void TFDParam::SetAsLargeInt(qint64 value)
{
    m_dataType = ftLargeint;
    m_value = qlonglong(value);
}

void TFDParam::SetAsFloat(double value)
{
    m_dataType = ftFloat;
    m_value = value;
}

void TFDParam::SetAsBoolean(bool value)
{
    m_dataType = ftBoolean;
    m_value = value;
}

void TFDParam::SetAsDateTime(const QDateTime &value)
{
    m_dataType = ftTimeStamp;
    m_value = value;
}

void TFDParam::SetAsBytes(const QByteArray &value)
{
    m_dataType = ftVarBytes;
    m_value = value;
}

void TFDParam::AssignValue(const TFDParam &other)
{
    m_dataType = other.m_dataType;
    m_paramType = other.m_paramType;
    m_size = other.m_size;
    m_value = other.m_value;
}

TFDParam *TFDParams::FindParam(const QString &name) const
{
    for (const auto &p : m_items) {
        if (p->Name().compare(name, Qt::CaseInsensitive) == 0)
            return p.get();
    }
    return nullptr;
}

TFDParam &TFDParams::ParamByName(const QString &name) const
{
    TFDParam *p = FindParam(name);
    if (!p)
        throw EDBError(TDBErrorKind::Usage, QStringLiteral("パラメータ '%1' が見つかりません。").arg(name));
    return *p;
}

TFDParam &TFDParams::Add(const QString &name)
{
    m_items.push_back(std::make_unique<TFDParam>(name));
    return *m_items.back();
}

void TFDParams::Rebuild(const QStringList &names)
{
    std::vector<std::unique_ptr<TFDParam>> items;
    for (const QString &name : names) {
        auto it = std::find_if(m_items.begin(), m_items.end(), [&](const std::unique_ptr<TFDParam> &p) {
            return p && p->Name().compare(name, Qt::CaseInsensitive) == 0;
        });
        if (it != m_items.end()) {
            items.push_back(std::move(*it));
            items.back()->SetName(name);
        } else {
            items.push_back(std::make_unique<TFDParam>(name));
        }
    }
    m_items = std::move(items);
}
