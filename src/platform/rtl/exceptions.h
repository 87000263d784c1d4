#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// The program's base exception. Every failure that reaches the user carries a
// Japanese message text; what() gives it in UTF-8 for logs and test output.
class Exception : public std::exception
{
public:
    explicit Exception(const QString &message);
    ~Exception() override;

    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

protected:
    void setMessage(const QString &message);

private:
    QString m_message;
    QByteArray m_utf8;
};

// The silent abort: validations, constructors and script builders throw it to
// end a command without a message. The event boundary swallows it.
class EAbort : public Exception
{
public:
    EAbort();
};

[[noreturn]] void Abort();

// An index outside a list's items ("リストのインデックスが範囲を超えています (n)").
class EListError : public Exception
{
public:
    explicit EListError(int index);
};

// A call with an argument it cannot take.
class EArgumentException : public Exception
{
public:
    using Exception::Exception;
};
