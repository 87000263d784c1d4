#pragma once

#include "platform/db/dberror.h"
#include "platform/db/dbparams.h"
#include "platform/db/dbstore.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <vector>

// What a connection asks of the server side. Two backends implement it: the
// ODBC backend (the program) and the scripted backend of the tests, which
// answers from rule files in-process.

struct TDBParamValue
{
    QVariant value; // null: NULL
    TFieldType dataType = ftWideString;
    // Output, input-output and result parameters are read back after the
    // batch (TDBBatch::outputs); a pure output sends no value.
    TParamType paramType = ptInput;

    bool IsOutput() const { return paramType == ptOutput || paramType == ptInputOutput || paramType == ptResult; }
};

struct TDBRequest
{
    QString sql; // "?" markers when params is not empty
    QList<TDBParamValue> params;
    bool keepResults = true; // false: read and drop the rows
    // When set, the connection hands the batch's output values here before
    // it raises a server error of the batch, so a failed call still shows
    // what its output parameters came back with.
    QList<QVariant> *outputs = nullptr;
};

// Everything a batch answered, in the order of the batch.
struct TDBBatch
{
    std::vector<std::shared_ptr<TDBResultSet>> results; // results that had columns
    qint64 rowsAffected = -1;                           // sum of the row counts outside results; -1 when none
    QList<TDBMessage> messages;                         // errors and messages, in order
    // One per request parameter when any is an output: the value read back
    // (NULL for input parameters); empty otherwise. The driver hands them
    // out only after every result of the batch was read.
    QList<QVariant> outputs;
    bool cancelled = false;
    bool linkLost = false;
    // False when the link was found broken as the batch went out, before
    // the server answered anything: it never ran, and can be sent again on
    // a new session.
    bool answered = true;

    bool hasErrors() const;
    QList<TDBMessage> errors() const;
    QList<TDBMessage> infoMessages() const;
};

class TDBBackend
{
public:
    virtual ~TDBBackend();

    // Logs on (on a worker thread); raises EDBError.
    virtual void Connect(const TFDConnectionParams &params) = 0;
    // Logs off; never raises.
    virtual void Disconnect() = 0;
    // Runs a batch to its end (on a worker thread). Server errors come back
    // in the batch; EDBError only when the driver itself fails.
    virtual TDBBatch Execute(const TDBRequest &request) = 0;
    // Asks a running Execute to stop; from any thread.
    virtual void Cancel() = 0;
    virtual void SetAutoCommit(bool on) = 0;
    // Commits or rolls back the driver's transaction while autocommit is
    // off; the next statement begins the next one. Raises EDBError (also
    // from a backend that has no transactions of its own).
    virtual void EndTransaction(bool commit);
    // The driver's name as registered (the program shows it).
    virtual QString DriverName() const = 0;
    // "Name = value" lines about the driver and the server.
    virtual QStringList InfoReport() const = 0;
};
