#include "platform/db/dberror.h"

namespace {

QString joinTexts(const QList<TDBMessage> &errors, const QString &prefix)
{
    QStringList lines;
    if (!prefix.isEmpty())
        lines.append(prefix);
    for (const TDBMessage &e : errors)
        lines.append(e.text);
    return lines.join(QLatin1Char('\n'));
}

} // namespace

EDBError::EDBError(TDBErrorKind kind, const QString &message)
    : Exception(message)
    , m_kind(kind)
{
}

EDBError::EDBError(TDBErrorKind kind, const QList<TDBMessage> &errors, const QString &prefix)
    : Exception(joinTexts(errors, prefix))
    , m_kind(kind)
    , m_errors(errors)
{
}

int EDBError::Number() const
{
    return m_errors.isEmpty() ? 0 : m_errors.first().number;
}

int EDBError::State() const
{
    return m_errors.isEmpty() ? 0 : m_errors.first().state;
}

int EDBError::Severity() const
{
    return m_errors.isEmpty() ? 0 : m_errors.first().severity;
}

int EDBError::Line() const
{
    return m_errors.isEmpty() ? 0 : m_errors.first().line;
}
