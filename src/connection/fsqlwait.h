#pragma once

#include "connection/fobject.h"
#include "connection/fobject_sql.h"
#include "core/zkoption.h"

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

// The catalogue dialect of a connection window, with the option ShowSysObj.
inline TCatalogDialect DialectOf(const TfrmObject *form)
{
    TCatalogDialect d;
    d.DBVer = form->DBVer;
    d.IsAzure = form->IsAzure;
    d.ShowSysObj = zkOption.ShowSysObj;
    return d;
}
