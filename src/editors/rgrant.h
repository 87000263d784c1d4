#pragma once

#include <QString>
#include <QWidget>

// The privilege frame of the object editors: grantees and their GRANT, DENY and REVOKE states.
//
// A placeholder until the frame is built: it shows nothing and reads
// nothing, so an editor can embed it and call it.
class TfraGrant : public QWidget
{
    Q_OBJECT
public:
    explicit TfraGrant(QWidget *parent = nullptr);

    // Shows the privileges on the object.
    void ShowData(const QString &DataBase, const QString &Schema, const QString &ObjectName);

private:
    QString m_database;
    QString m_schema;
    QString m_name;
};
