#include "core/dsqlserver.h"

#include "core/zkreg.h"
#include "core/zksub.h"

#include <QStringList>

namespace {

// The ODBC driver a user can choose in the settings root ("ODBCDriver");
// the environment ($ZK_ODBC_DRIVER) and the connection's own parameter
// come first.
void applyDriverSetting()
{
    TzkRegistry reg(HKEY_CURRENT_USER, KEY_READ);
    QString driver;
    if (reg.OpenKeyReadOnly(ZK_REG_ROOT))
        driver = reg.GetString(QStringLiteral("ODBCDriver"), QString()).trimmed();
    TFDConnection::SetDefaultODBCDriver(driver);
}

} // namespace

TdmSQLServer::TdmSQLServer(QObject *owner)
    : QObject(owner)
    , Connection(new TFDConnection(this))
    , qryGeneral(new TFDQuery(this))
{
    setObjectName(QStringLiteral("dmSQLServer"));
    Connection->setObjectName(QStringLiteral("Connection"));
    qryGeneral->setObjectName(QStringLiteral("qryGeneral"));
    Connection->Params().SetValue(QStringLiteral("DriverID"), QStringLiteral("MSSQL"));
    qryGeneral->SetConnection(Connection);
    try {
        applyDriverSetting();
    } catch (const std::exception &) {
        // An unreadable setting leaves the default driver.
    }
}

TdmSQLServer::~TdmSQLServer() = default;

QString TdmSQLServer::Login() const
{
    return Connection->Params().Value(QStringLiteral("User_Name"));
}

QString TdmSQLServer::Password() const
{
    return Connection->Params().Value(QStringLiteral("Password"));
}

QString TdmSQLServer::Server() const
{
    return Connection->Params().Value(QStringLiteral("Server"));
}

QString TdmSQLServer::DataBase() const
{
    return Connection->Params().Value(QStringLiteral("DataBase"));
}

int TdmSQLServer::GetDBVersion(int FixedVer)
{
    Q_UNUSED(FixedVer)
    int version = 99;
    try {
        qryGeneral->Close();
        qryGeneral->SetSQL(QStringLiteral("select SERVERPROPERTY('productversion')"));
        qryGeneral->SetConnection(Connection);
        qryGeneral->Open();
        const QString text = qryGeneral->Fields(0)->AsString();
        const qsizetype dot = text.indexOf(QLatin1Char('.'));
        bool ok = false;
        const int major = dot < 0 ? 0 : text.left(dot).toInt(&ok);
        if (ok)
            version = major;
    } catch (const std::exception &) {
        version = 99;
    }
    qryGeneral->Close();
    return version;
}

QString TdmSQLServer::GetLoginUser()
{
    QString user;
    try {
        qryGeneral->Close();
        qryGeneral->SetSQL(QStringLiteral("select User_Name()"));
        qryGeneral->SetConnection(Connection);
        qryGeneral->Open();
        user = qryGeneral->Fields(0)->AsString();
    } catch (const std::exception &) {
        user = QStringLiteral("dbo");
    }
    qryGeneral->Close();
    return user;
}

QString TdmSQLServer::GetDefSchema()
{
    QString schema;
    try {
        qryGeneral->Close();
        const QString user = GetLoginUser();
        qryGeneral->SetSQL(QStringLiteral("SELECT default_schema_name   FROM sys.database_principals  "
                                          "WHERE type in ('U', 'S', 'G', 'C', 'K')   AND name = N")
                           + QuoteSQLStr(user));
        qryGeneral->SetConnection(Connection);
        qryGeneral->Open();
        schema = qryGeneral->Fields(0)->AsString();
    } catch (const std::exception &) {
        schema = QStringLiteral("dbo");
    }
    qryGeneral->Close();
    return schema;
}

QString TdmSQLServer::GetSQLDriverName()
{
    if (!Connection->Connected())
        return QString();
    QString result;
    try {
        QStringList report;
        Connection->GetInfoReport(report);
        const QString key = QStringLiteral("Driver name = ");
        for (const QString &line : std::as_const(report)) {
            if (line.contains(key)) {
                result = line;
                result.remove(key);
                break;
            }
        }
    } catch (const std::exception &) {
    }
    return result;
}

void TdmSQLServer::ExecSQL(const QString &S)
{
    qryGeneral->Close();
    qryGeneral->ClearSQL();
    qryGeneral->SetSQL(TrimBlanks(RemoveCR(S)));
    try {
        qryGeneral->ExecSQL();
    } catch (...) {
        qryGeneral->Close();
        throw;
    }
    qryGeneral->Close();
}
