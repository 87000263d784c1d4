#pragma once

#include <QObject>
#include <QPointer>

class TFDQuery;

// What data-aware controls are bound to: one data set, which can be
// replaced while they stay bound. Several controls share one source (the
// two grids of a result), so replacing its data set moves all of them.
class TDataSource : public QObject
{
    Q_OBJECT
public:
    explicit TDataSource(QObject *parent = nullptr);
    ~TDataSource() override;

    TFDQuery *DataSet() const { return m_dataSet; }
    void SetDataSet(TFDQuery *dataSet);

signals:
    // The data set was replaced, or destroyed (DataSet() is then null).
    void dataSetReplaced();

private:
    QPointer<TFDQuery> m_dataSet;
    QMetaObject::Connection m_destroyed;
};
