#pragma once

#include <QString>
#include <QStringList>

// Statement texts as the layer prepares them for the driver. Nothing here
// changes what the server receives beyond the parameter markers: literals,
// comments, "{", "!", "&" and "?" stay as written.

// A statement with its ":NAME" parameter markers replaced by the driver's
// "?" markers. String literals ('...', N'...'), [bracketed] and "quoted"
// names, comments (-- and nested /* */) and the "::" qualifier are skipped.
struct TDBMarkers
{
    QString text;
    QStringList names;  // one per marker, in text order; a name used twice appears twice
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
