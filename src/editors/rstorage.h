#pragma once

#include <QString>
#include <QWidget>

// The storage-clause frame of the table, index and constraint editors: file
// group, partition scheme or temporary table.
//
// A placeholder until the frame is built: it holds no settings, reads
// nothing and writes no clause, so an editor can embed it and call it.
class TfraStorage : public QWidget
{
    Q_OBJECT
public:
    explicit TfraStorage(QWidget *parent = nullptr);

    // The object the frame describes (TableName: an index's table).
    void Init(const QString &DataBase, const QString &Schema, const QString &Name, const QString &TableName);
    // Reads the object's storage from the catalogue.
    void ShowDefine();
    // The change-tracking snapshot of the frame's controls.
    void Save();

private:
    QString m_database;
    QString m_schema;
    QString m_name;
    QString m_tableName;
};
