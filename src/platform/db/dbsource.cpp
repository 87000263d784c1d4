#include "platform/db/dbsource.h"

#include "platform/db/dbconnection.h"
#include "platform/db/dbquery.h"

TDataSource::TDataSource(QObject *parent)
    : QObject(parent)
{
}

TDataSource::~TDataSource() = default;

void TDataSource::SetDataSet(TFDQuery *dataSet)
{
    if (dataSet == m_dataSet)
        return;
    disconnect(m_destroyed);
    m_dataSet = dataSet;
    if (dataSet)
        m_destroyed = connect(dataSet, &QObject::destroyed, this, &TDataSource::dataSetReplaced);
    emit dataSetReplaced();
}
