#include "editors/rgrant.h"

TfraGrant::TfraGrant(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("fraGrant"));
}

void TfraGrant::ShowData(const QString &DataBase, const QString &Schema, const QString &ObjectName)
{
    m_database = DataBase;
    m_schema = Schema;
    m_name = ObjectName;
}
