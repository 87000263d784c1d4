#pragma once

#include "platform/registry/registry.h"

// The program's registry class: typed reads that take a default and never
// fail. A missing value, one of another type or size, or (for strings) an
// empty text gives the default.
class TzkRegistry : public TRegistry
{
public:
    using TRegistry::TRegistry;

    bool GetBool(const QString &name, bool defaultValue);
    int GetInteger(const QString &name, int defaultValue);
    QString GetString(const QString &name, const QString &defaultValue);
    TDateTime GetDateTime(const QString &name, TDateTime defaultValue);
    TDateTime GetDate(const QString &name, TDateTime defaultValue);
    TDateTime GetTime(const QString &name, TDateTime defaultValue);
    double GetFloat(const QString &name, double defaultValue);
    double GetCurrency(const QString &name, double defaultValue);
};
