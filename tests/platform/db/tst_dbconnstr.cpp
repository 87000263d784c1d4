#include "platform/db/dbconnection.h"
#include "platform/db/dbodbc.h"

#include <gtest/gtest.h>

namespace {

TFDConnectionParams params(std::initializer_list<std::pair<const char *, const char *>> values)
{
    TFDConnectionParams p;
    for (const auto &v : values)
        p.SetValue(QString::fromUtf8(v.first), QString::fromUtf8(v.second));
    return p;
}

// The connection string as key/value pairs, read the way a reader of it
// does: ODBC's rule ("}}" inside braces is "}") or FreeTDS 1.3's (a braced
// value runs to the first "}" followed by ";", taken as written).
QList<QPair<QString, QString>> parse(const QString &s, bool freetds)
{
    QList<QPair<QString, QString>> out;
    qsizetype i = 0;
    while (i < s.size()) {
        const qsizetype eq = s.indexOf(QLatin1Char('='), i);
        if (eq < 0)
            break;
        const QString key = s.mid(i, eq - i);
        QString value;
        qsizetype j = eq + 1;
        if (j < s.size() && s.at(j) == QLatin1Char('{')) {
            ++j;
            if (freetds) {
                qsizetype end = j;
                while (end < s.size()
                       && !(s.at(end) == QLatin1Char('}') && end + 1 < s.size() && s.at(end + 1) == QLatin1Char(';')))
                    ++end;
                value = s.mid(j, end - j);
                j = end + 1;
            } else {
                while (j < s.size()) {
                    if (s.at(j) == QLatin1Char('}')) {
                        if (j + 1 < s.size() && s.at(j + 1) == QLatin1Char('}')) {
                            value += QLatin1Char('}');
                            j += 2;
                            continue;
                        }
                        ++j;
                        break;
                    }
                    value += s.at(j++);
                }
            }
        } else {
            while (j < s.size() && s.at(j) != QLatin1Char(';'))
                value += s.at(j++);
        }
        out.append({key, value});
        i = j + 1; // past ";"
    }
    return out;
}

QString valueOf(const QList<QPair<QString, QString>> &pairs, const char *key)
{
    for (const auto &p : pairs) {
        if (p.first.compare(QLatin1String(key), Qt::CaseInsensitive) == 0)
            return p.second;
    }
    return QStringLiteral("<none>");
}

TEST(DbConnectionString, ParametersIgnoreCaseAndUnsetReadsEmpty)
{
    TFDConnectionParams p;
    p.SetValue("Database", "db1");
    EXPECT_EQ(p.Value("DataBase"), "db1");
    p.SetValue("DATABASE", "db2");
    EXPECT_EQ(p.Names(), QStringList{"Database"});
    EXPECT_EQ(p["database"], "db2");
    EXPECT_EQ(p.Value("Password"), "");
    EXPECT_FALSE(p.Contains("password"));
}

TEST(DbConnectionString, FreeTDSKeysWithEveryValueBraced)
{
    const QString s = OdbcConnectionString(params({{"Server", " db1,1433 "},
                                                   {"User_Name", "sa"},
                                                   {"Password", "pw"},
                                                   {"Database", "master"},
                                                   {"ApplicationName", "zekalon"},
                                                   {"Encrypt", "Yes"},
                                                   {"OSAuthent", "No"}}),
                                           "FreeTDS");
    EXPECT_EQ(s, "DRIVER={FreeTDS};SERVER={db1,1433};DATABASE={master};UID={sa};PWD={pw};APP={zekalon};"
                 "TDS_Version={7.4};ClientCharset={UTF-8};Encryption={require};");
    const auto noEncrypt =
        parse(OdbcConnectionString(params({{"Server", "h\\SQLEXPRESS"}, {"Encrypt", "No"}}), "FreeTDS"), true);
    EXPECT_EQ(valueOf(noEncrypt, "SERVER"), "h\\SQLEXPRESS");
    EXPECT_EQ(valueOf(noEncrypt, "Encryption"), "request");
    EXPECT_EQ(valueOf(noEncrypt, "DATABASE"), "<none>");
}

TEST(DbConnectionString, HostileValuesCannotEndAValueOrAddKeys)
{
    const char *hostile[] = {"a;b", "x=y;Trusted_Connection=Yes", "p}w", "}", "{", "pw}", "}}", "{x}", "   "};
    for (const char *driver : {"FreeTDS", "ODBC Driver 18 for SQL Server"}) {
        const bool freetds = IsFreeTDSDriver(driver);
        for (const char *pw : hostile) {
            SCOPED_TRACE(std::string(driver) + ": " + pw);
            const auto pairs =
                parse(OdbcConnectionString(params({{"Server", "h"}, {"User_Name", "u;x=1"}, {"Password", pw}}), driver),
                      freetds);
            EXPECT_EQ(valueOf(pairs, "PWD"), QString::fromUtf8(pw));
            EXPECT_EQ(valueOf(pairs, "UID"), "u;x=1");
            EXPECT_EQ(valueOf(pairs, "DRIVER"), QString::fromUtf8(driver));
            EXPECT_EQ(valueOf(pairs, "Trusted_Connection"), "<none>");
        }
    }
    // What FreeTDS could not read back (or the driver manager would take
    // for keys) is refused, never sent.
    for (const char *pw : {"a};b", "}};DRIVER={evil}", "x}=y"}) {
        SCOPED_TRACE(pw);
        EXPECT_THROW(OdbcConnectionString(params({{"Server", "h"}, {"Password", pw}}), "FreeTDS"), EDBError);
        const auto ms = parse(
            OdbcConnectionString(params({{"Server", "h"}, {"Password", pw}}), "ODBC Driver 18 for SQL Server"), false);
        EXPECT_EQ(valueOf(ms, "PWD"), QString::fromUtf8(pw));
        EXPECT_EQ(valueOf(ms, "DRIVER"), "ODBC Driver 18 for SQL Server");
    }
}

TEST(DbConnectionString, WindowsAuthenticationAndOtherDrivers)
{
    const auto trusted = parse(
        OdbcConnectionString(params({{"Server", "h"}, {"OSAuthent", "Yes"}, {"User_Name", ""}}), "FreeTDS"), true);
    EXPECT_EQ(valueOf(trusted, "Trusted_Connection"), "Yes");
    EXPECT_EQ(valueOf(trusted, "UID"), "<none>");

    const auto ms = parse(OdbcConnectionString(params({{"Server", "h,1444"}, {"User_Name", "u"}, {"Encrypt", "Yes"}}),
                                               "ODBC Driver 18 for SQL Server"),
                          false);
    EXPECT_EQ(valueOf(ms, "DRIVER"), "ODBC Driver 18 for SQL Server");
    EXPECT_EQ(valueOf(ms, "Encrypt"), "yes");
    EXPECT_EQ(valueOf(ms, "TDS_Version"), "<none>");
    EXPECT_EQ(valueOf(ms, "ClientCharset"), "<none>");
}

TEST(DbConnectionString, DriverComesFromParameterThenEnvironmentThenSetting)
{
    const QByteArray saved = qgetenv("ZK_ODBC_DRIVER");
    qunsetenv("ZK_ODBC_DRIVER");
    TFDConnection::SetDefaultODBCDriver(QString());
    EXPECT_EQ(OdbcDriverFor(params({})), "FreeTDS");
    TFDConnection::SetDefaultODBCDriver("Setting Driver");
    EXPECT_EQ(OdbcDriverFor(params({})), "Setting Driver");
    qputenv("ZK_ODBC_DRIVER", "Env Driver");
    EXPECT_EQ(OdbcDriverFor(params({})), "Env Driver");
    EXPECT_EQ(OdbcDriverFor(params({{"odbcdriver", "Param Driver"}})), "Param Driver");
    TFDConnection::SetDefaultODBCDriver(QString());
    if (saved.isNull())
        qunsetenv("ZK_ODBC_DRIVER");
    else
        qputenv("ZK_ODBC_DRIVER", saved);
    EXPECT_TRUE(IsFreeTDSDriver("FreeTDS"));
    EXPECT_FALSE(IsFreeTDSDriver("ODBC Driver 18 for SQL Server"));
}

} // namespace
