#pragma once

#include <QString>
#include <QWidget>

// The dependency frame of the object editors: what the object uses and what uses it, as two trees.
//
// A placeholder until the frame is built: it shows nothing and reads
// nothing, so an editor can embed it and call it.
class TfraCross : public QWidget
{
    Q_OBJECT
public:
    explicit TfraCross(QWidget *parent = nullptr);

    // Shows the dependencies of the object.
    void ShowData(const QString &DataBase, const QString &Schema, const QString &ObjectName);

private:
    QString m_database;
    QString m_schema;
    QString m_name;
};
