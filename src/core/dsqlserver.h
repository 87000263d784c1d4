#pragma once

#include "platform/db/dbconnection.h"
#include "platform/db/dbquery.h"

#include <QObject>
#include <QPointer>
#include <QString>

// The session data module of one connection window: its one connection and
// the one general query that the window's catalogue calls share. Each
// operation below closes qryGeneral before and after it runs, so it ends a
// result a caller still reads from OpenSQL.
class TdmSQLServer : public QObject
{
    Q_OBJECT
public:
    explicit TdmSQLServer(QObject *owner = nullptr);
    ~TdmSQLServer() override;

    TFDConnection *Connection;
    TFDQuery *qryGeneral;

    // Connection parameters; a parameter never set reads as an empty text.
    QString Login() const;
    QString Password() const;
    QString Server() const;
    QString DataBase() const;

    // The server's major version; 99 when it cannot be read. FixedVer is
    // not used.
    int GetDBVersion(int FixedVer);
    // The session's database user; "dbo" when the statement fails.
    QString GetLoginUser();
    // That user's default schema; empty when the user has no principal row,
    // "dbo" when the statement fails.
    QString GetDefSchema();
    // The ODBC driver's name; empty when not connected.
    QString GetSQLDriverName();
    // Runs one statement without result; errors reach the caller.
    void ExecSQL(const QString &S);
};
