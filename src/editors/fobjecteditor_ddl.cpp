#include "editors/fobjecteditor_ddl.h"

#include "core/zkforms.h"
#include "core/zksub_text.h"

QStringList DatabaseLine(const QString &writtenDatabase, const QString &comparedDatabase, const QString &logonDatabase,
                         bool scriptMode, int databaseOption, bool isAzure)
{
    bool write = true;
    if (scriptMode)
        write = !isAzure
                && (databaseOption == 0
                    || (databaseOption == 1 && comparedDatabase.compare(logonDatabase, Qt::CaseInsensitive) != 0));
    if (!write || writtenDatabase.isEmpty())
        return {};
    return {QStringLiteral("use ") + BracketCatalogName(writtenDatabase) + QStringLiteral("\r\ngo")};
}

QStringList TDDLContext::DatabaseLine(const QString &writtenDatabase, const QString &comparedDatabase) const
{
    return ::DatabaseLine(writtenDatabase, comparedDatabase, LogonDatabase, ScriptMode, Option().Database,
                          Dialect.IsAzure);
}

QString TDDLContext::SchemaPrefix(const QString &schema, const QString &ownerSchema) const
{
    bool given = true;
    if (ScriptMode) {
        switch (Option().Owner) {
        case 0: break;
        case 1: given = schema.trimmed() != CurrentSchema; break;
        case 2: given = schema.trimmed() != ownerSchema.trimmed(); break;
        default: given = false; break;
        }
    }
    return given ? TzkForm::NamePrefix(schema) : QString();
}

QString TDDLContext::DatabasePrefix(const QString &database, const QString &ownerDatabase) const
{
    bool given = true;
    if (ScriptMode) {
        switch (Option().Database) {
        case 0: given = true; break;
        case 1: given = database.trimmed() != LogonDatabase; break;
        case 2: given = database.trimmed() != ownerDatabase.trimmed(); break;
        default: given = false; break;
        }
        given = given && !Dialect.IsAzure;
    }
    return given ? TzkForm::NamePrefix(database) : QString();
}

QString TDDLContext::CommentOwnerType() const
{
    return Dialect.ServerVersion() >= 9 ? QStringLiteral("schema") : QStringLiteral("user");
}
