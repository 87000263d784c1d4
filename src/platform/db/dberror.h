#pragma once

#include "platform/rtl/exceptions.h"

#include <QList>
#include <QString>

// One diagnostic record of the server or the driver: an error, or a message
// (PRINT, RAISERROR of severity 10 or below, "Changed database context").
struct TDBMessage
{
    int number = 0; // the server's message number; 0 for a driver record
    int state = 0;  // -1 where the driver does not report it
    int severity = 0;
    int line = 0; // line in the batch, 0 when unknown
    QString text;
    QString sqlState; // the driver's SQLSTATE ("42000", "01000", "08S01", ...)
    QString procName;

    bool isError() const { return severity > 10 || (severity == 0 && !sqlState.startsWith(QLatin1String("01"))); }
};

enum class TDBErrorKind {
    Server,       // the server refused the statement
    Driver,       // the driver failed (logon, conversion, protocol)
    Cancelled,    // the statement was cancelled (ESC)
    LinkLost,     // the link to the server broke
    NotConnected, // no connection
    Busy,         // the connection runs another statement
    NoResult,     // Open of a statement without a result set
    Usage,        // a call the layer cannot serve (unknown parameter, closed query)
};

// Every failure of the layer. It keeps every record the server or driver
// sent for one failure, in order; its message shows them all.
class EDBError : public Exception
{
public:
    EDBError(TDBErrorKind kind, const QString &message);
    EDBError(TDBErrorKind kind, const QList<TDBMessage> &errors, const QString &prefix = QString());

    TDBErrorKind Kind() const { return m_kind; }
    const QList<TDBMessage> &Errors() const { return m_errors; }
    int ErrorCount() const { return int(m_errors.size()); }
    // Of the first error record; 0 when there is none.
    int Number() const;
    int State() const;
    int Severity() const;
    int Line() const;
    // Messages the batch sent before it failed.
    const QList<TDBMessage> &Messages() const { return m_messages; }
    void SetMessages(const QList<TDBMessage> &messages) { m_messages = messages; }

private:
    TDBErrorKind m_kind;
    QList<TDBMessage> m_errors;
    QList<TDBMessage> m_messages;
};
