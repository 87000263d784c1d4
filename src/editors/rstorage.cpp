#include "editors/rstorage.h"

TfraStorage::TfraStorage(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("fraStorage"));
}

void TfraStorage::Init(const QString &DataBase, const QString &Schema, const QString &Name, const QString &TableName)
{
    m_database = DataBase;
    m_schema = Schema;
    m_name = Name;
    m_tableName = TableName;
}

void TfraStorage::ShowDefine()
{
}

void TfraStorage::Save()
{
}
