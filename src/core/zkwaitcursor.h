#pragma once

#include <QApplication>

// The hourglass while a scope runs a catalogue query or a long loop; the
// cursor comes back however the scope is left.
class TSQLWaitCursor
{
public:
    TSQLWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TSQLWaitCursor() { QApplication::restoreOverrideCursor(); }
    TSQLWaitCursor(const TSQLWaitCursor &) = delete;
    TSQLWaitCursor &operator=(const TSQLWaitCursor &) = delete;
};
