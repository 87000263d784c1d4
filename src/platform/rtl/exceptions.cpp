#include "platform/rtl/exceptions.h"

Exception::Exception(const QString &message)
{
    setMessage(message);
}

Exception::~Exception() = default;

void Exception::setMessage(const QString &message)
{
    m_message = message;
    m_utf8 = message.toUtf8();
}

EAbort::EAbort()
    : Exception(QStringLiteral("Operation aborted"))
{
}

void Abort()
{
    throw EAbort();
}

EListError::EListError(int index)
    : Exception(QStringLiteral("リストのインデックスが範囲を超えています (%1)").arg(index))
{
}
