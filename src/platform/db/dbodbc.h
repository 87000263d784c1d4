#pragma once

#include "platform/db/dbbackend.h"

#include <memory>

// The program's backend: the ODBC API (unixODBC) with the FreeTDS driver, or
// another SQL Server ODBC driver named by "ODBCDriver" / $ZK_ODBC_DRIVER.
// Every driver call goes through one wrapper that traces it to the logging
// category "zk.odbc" (QT_LOGGING_RULES="zk.odbc.debug=true").
class TDBOdbcBackend : public TDBBackend
{
public:
    TDBOdbcBackend();
    ~TDBOdbcBackend() override;

    void Connect(const TFDConnectionParams &params) override;
    void Disconnect() override;
    TDBBatch Execute(const TDBRequest &request) override;
    void Cancel() override;
    void SetAutoCommit(bool on) override;
    void EndTransaction(bool commit) override;
    QString DriverName() const override;
    QStringList InfoReport() const override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// The driver the parameters ask for: "ODBCDriver", else $ZK_ODBC_DRIVER,
// else TFDConnection::DefaultODBCDriver(), else "FreeTDS".
QString OdbcDriverFor(const TFDConnectionParams &params);
bool IsFreeTDSDriver(const QString &driver);
// A connection-string value in braces, so that ";", "=" or "}" inside it
// can neither end it nor add keys: "}" doubled as ODBC has it, or for
// FreeTDS (which does not read "}}" back as "}") left single, refusing with
// EDBError a value it could not read back safely.
QString OdbcBraced(const QString &value, bool freetds = false);
// The connection string for the parameters and the driver (FreeTDS keys,
// or the keys of Microsoft's driver for any other); EDBError as above.
QString OdbcConnectionString(const TFDConnectionParams &params, const QString &driver);
