#pragma once

#include <QString>
#include <QStringList>

// Object-kind codes: one small integer per kind of database object, also the
// index of the kind's icon. Codes of one group stand for the same kind and are
// treated alike: database 1, 116, 118; user 2, 3; schema 4, 125, 126; login
// 119, 120.

// The upper-case type word of a code; empty for an unknown code.
QString ObjTypeToName(int code);
// The code of a type word in any case (not trimmed); -1 when unknown. Words of
// a group give its first code (DATABASE 1, USER 2, SCHEMA 4, LOGIN 120);
// TABLESPACE gives 69.
int ObjTypeFromName(const QString &name);
// The code of the catalogue's type letters (sys.objects type), in any case
// and with blanks around; -1 when unknown.
int ObjTypeFromXType(const QString &xtype);
// The type word of the catalogue's type letters; empty when unknown. Knows
// more letters than ObjTypeFromXType (CLR objects, queues, rules, ...).
QString XTypeToName(const QString &xtype);
// Fills list with the code's type letters (cleared first; empty for codes
// without any).
void GetObjTypeXTypes(int code, QStringList &list);
