#pragma once

#include <QApplication>

// The wait cursor of the frame's catalogue work; the previous cursor comes
// back however the block ends.
class TMemoWaitCursor
{
public:
    TMemoWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TMemoWaitCursor() { QApplication::restoreOverrideCursor(); }
    TMemoWaitCursor(const TMemoWaitCursor &) = delete;
    TMemoWaitCursor &operator=(const TMemoWaitCursor &) = delete;
};
