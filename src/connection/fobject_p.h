#pragma once

#include <QApplication>

// The wait cursor while statements or the logon run; the previous cursor
// comes back however the block ends.
class TSQLWaitCursor
{
public:
    TSQLWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TSQLWaitCursor() { QApplication::restoreOverrideCursor(); }
    TSQLWaitCursor(const TSQLWaitCursor &) = delete;
    TSQLWaitCursor &operator=(const TSQLWaitCursor &) = delete;
};
