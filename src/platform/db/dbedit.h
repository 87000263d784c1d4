#pragma once

// Record editing: what a user types into a field, as a value of its column.

#include "platform/db/dbbackend.h"
#include "platform/db/dbstore.h"
#include "platform/db/dbtypes.h"

#include <QString>
#include <QVariant>

// The edit text of a field as a value for its column: empty is NULL for
// every type but the texts; false when the text is no value of the type.
bool TextToFieldValue(const TDBColumnDef &def, const QString &text, QVariant *value);
// Whether a typed character can belong to an edit text of the type.
bool FieldAcceptsChar(const TDBColumnDef &def, QChar ch);
// A cell as a statement parameter that keeps every digit the store holds:
// bit, integers, float and binary as themselves; exact numerics, dates,
// times, GUIDs and texts as text (ISO dates with the type's fraction
// digits), which the statement converts back (ParamNeedsCast). A null value
// for NULL.
TDBParamValue CellParamValue(const TDBResultSet &store, int column, TRecordId record);
// Whether a parameter of the column goes as text that the statement must
// CAST to the column's type (everything but nvarchar, nchar, ntext, bit,
// integers, float and binary).
bool ParamNeedsCast(const TDBColumnDef &def);
