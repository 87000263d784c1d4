#pragma once

#include <QString>
#include <QStringList>

// Statement texts as the layer prepares them for the driver. Nothing here
// changes what the server receives beyond the parameter markers: literals,
// comments, "{", "!", "&" and "?" stay as written.

// A statement with its ":NAME" parameter markers replaced by the driver's
// "?" markers. String literals ('...', N'...'), [bracketed] and "quoted"
// names, comments (-- and nested /* */) and the "::" qualifier are skipped.
// A name is letters of any script, digits, "_", "$", "#", and "@" after its
// first character (":名前", ":a@b").
struct TDBMarkers
{
    QString text;
    QStringList names; // one per marker, in text order; a name used twice appears twice
};
TDBMarkers ReplaceParamMarkers(const QString &sql);

// The statement as the server receives a parameterised one: the driver's
// "?" markers (outside literals, quoted names and comments) as @P1, @P2, ...
QString NumberDriverMarkers(const QString &sql);

// The parameter names of a statement, each once, in order of first use.
QStringList ParamNames(const QString &sql);

// Splits the "use <database>" statements at the head of a batch (after
// blanks and comments) from the rest. Parameterised statements reach the
// server through sp_executesql, where a "use" only lasts for the call, so
// the layer sends these heads as a batch of their own. False when the batch
// does not start with "use".
bool SplitLeadingUse(const QString &sql, QString *useBatch, QString *rest);

// A procedure call with a return value, "execute ? = name ?, ? output", as
// the ODBC procedure-call escape "{? = call name(?,?)}". Drivers hand back
// output parameters and the return status of such a call; FreeTDS keeps
// those of a parameterised batch (sent through sp_executesql) to itself.
// False when the statement is no such call (anything besides markers and
// OUTPUT among the arguments, a second statement, ...). *procedure gets the
// name as written.
bool OdbcProcedureCall(const QString &sql, QString *call, QString *procedure = nullptr);
