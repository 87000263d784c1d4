#pragma once

#include "connection/fobject.h"
#include "connection/fobject_sql.h"
#include "core/zkoption.h"
#include "core/zkwaitcursor.h"

// The catalogue dialect of a connection window, with the option ShowSysObj.
inline TCatalogDialect DialectOf(const TfrmObject *form)
{
    TCatalogDialect d;
    d.DBVer = form->DBVer;
    d.IsAzure = form->IsAzure;
    d.ShowSysObj = zkOption.ShowSysObj;
    return d;
}
