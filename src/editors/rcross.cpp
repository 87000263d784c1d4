#include "editors/rcross.h"

TfraCross::TfraCross(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("fraCross"));
}

void TfraCross::ShowData(const QString &DataBase, const QString &Schema, const QString &ObjectName)
{
    m_database = DataBase;
    m_schema = Schema;
    m_name = ObjectName;
}
