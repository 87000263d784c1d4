#pragma once

// The database layer: SQL Server through ODBC (unixODBC with the FreeTDS
// driver, or another SQL Server driver), in the shape the windows expect.
//
//   TFDConnection   named parameters, Open/Close, transactions, automatic
//                   reconnect, AbortJob; afterConnect/lost/restored signals
//   TFDTransaction  rolls back unless committed
//   TFDQuery        SQL text with :NAME parameters (Params, ParamByName),
//                   Open / ExecSQL / RowsAffected / NextRecordSet / Messages,
//                   Fields / FieldByName, First / Next / Eof / RecNo /
//                   RecordCount, bookmarks, Delete, data-link signals for
//                   grids, the active record a grid paints
//   TDataSource     what grids bind to: one query, replaceable
//   TField          a result column: name, type (TFieldType), DisplayLabel,
//                   DisplayWidth, Alignment, ReadOnly; AsString / AsInteger /
//                   IsNull / Value at the current record or at any record
//   TDBResultSet    the column store a result lives in (Result()); grids read
//                   it directly by record id
//   EDBError        every failure: kind, and the server's records (number,
//                   state, severity, line, text)
//   TDBWait         statements run on a worker thread while the window stays
//                   alive; ESC cancels
//   dbtext          the one text form of every type
//
// Results are read whole when they open, so several stay open on one
// connection. One connection runs one statement at a time.

#include "platform/db/dbconnection.h"
#include "platform/db/dberror.h"
#include "platform/db/dbquery.h"
#include "platform/db/dbsource.h"
#include "platform/db/dbstore.h"
#include "platform/db/dbtext.h"
#include "platform/db/dbtypes.h"
#include "platform/db/dbwait.h"
