#include "core/zkreg.h"

namespace {
template<typename F, typename T>
T orDefault(F read, T defaultValue)
{
    try {
        return read();
    } catch (const ERegistryException &) {
        return defaultValue;
    }
}
} // namespace

bool TzkRegistry::GetBool(const QString &name, bool defaultValue)
{
    return orDefault([&] { return ReadBool(name); }, defaultValue);
}

int TzkRegistry::GetInteger(const QString &name, int defaultValue)
{
    return orDefault([&] { return ReadInteger(name); }, defaultValue);
}

QString TzkRegistry::GetString(const QString &name, const QString &defaultValue)
{
    const QString s = orDefault([&] { return ReadString(name); }, defaultValue);
    return s.isEmpty() ? defaultValue : s;
}

TDateTime TzkRegistry::GetDateTime(const QString &name, TDateTime defaultValue)
{
    return orDefault([&] { return ReadDateTime(name); }, defaultValue);
}

TDateTime TzkRegistry::GetDate(const QString &name, TDateTime defaultValue)
{
    return orDefault([&] { return ReadDate(name); }, defaultValue);
}

TDateTime TzkRegistry::GetTime(const QString &name, TDateTime defaultValue)
{
    return orDefault([&] { return ReadTime(name); }, defaultValue);
}

double TzkRegistry::GetFloat(const QString &name, double defaultValue)
{
    return orDefault([&] { return ReadFloat(name); }, defaultValue);
}

double TzkRegistry::GetCurrency(const QString &name, double defaultValue)
{
    return orDefault([&] { return ReadCurrency(name); }, defaultValue);
}
