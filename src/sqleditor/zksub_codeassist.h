#pragma once

#include <QString>

class QWidget;
class TFDQuery;
class TzkMemo;

// Code completion: resolves the dotted name before Memo's caret against the
// catalogue (and the aliases of the statement) on Query's connection and
// opens the popup of candidates at the caret (X, Y, client pixels of the
// editor) over Owner. Database and Schema: where the host works; DBVer: the
// server's major version. Catalogue errors are raised to the caller; a name
// that resolves to nothing ends quietly.
void CodeAssistCandidates(TzkMemo *Memo, QWidget *Owner, TFDQuery *Query, const QString &Database,
                          const QString &Schema, int DBVer, int X, int Y);
