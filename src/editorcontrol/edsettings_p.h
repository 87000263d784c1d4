#pragma once

#include "editorcontrol/edclasses.h"

// Helpers of the settings objects and the colouring scheme.
namespace EdSettings {

// Stores Value when it differs from Field; tells whether it did.
template<class T>
bool store(T &Field, const T &Value)
{
    if (Field == Value)
        return false;
    Field = Value;
    return true;
}

// Source as a T, or the assignment error for Dest.
template<class T>
const T &sourceAs(const QObject *Source, const QObject *Dest)
{
    const auto *source = qobject_cast<const T *>(Source);
    if (!source)
        RaiseAssignError(Source, Dest);
    return *source;
}

// Runs Work inside an update of Object, so that it notifies once.
template<class O, class F>
void inUpdate(O &Object, F Work)
{
    Object.BeginUpdate();
    try {
        Work();
    } catch (...) {
        Object.EndUpdate();
        throw;
    }
    Object.EndUpdate();
}

} // namespace EdSettings
