#include "platform/db/dbbackend.h"

TDBBackend::~TDBBackend() = default;

void TDBBackend::EndTransaction(bool)
{
    throw EDBError(TDBErrorKind::Driver, QStringLiteral("このドライバではトランザクションを終了できません。"));
}

bool TDBBatch::hasErrors() const
{
    for (const TDBMessage &m : messages) {
        if (m.isError())
            return true;
    }
    return false;
}

QList<TDBMessage> TDBBatch::errors() const
{
    QList<TDBMessage> list;
    for (const TDBMessage &m : messages) {
        if (m.isError())
            list.append(m);
    }
    return list;
}

QList<TDBMessage> TDBBatch::infoMessages() const
{
    QList<TDBMessage> list;
    for (const TDBMessage &m : messages) {
        if (!m.isError())
            list.append(m);
    }
    return list;
}
