#pragma once

// The texts of the SQL window's run, apart from the window: how the editor's
// lines are cut into batches, which batches are queries, when parameter
// markers are read, and which lines the plan is taken of.

#include <QList>
#include <QString>
#include <QStringList>

// A line that separates batches: "go" in any case once every code unit up
// to the blank is cut from both ends. "go;", "go 2", "go -- x" and "go"
// followed by a full-width blank are no separators.
bool IsSqlGoLine(const QString &line);

// One batch of a run: its text (each line ended by CR LF) and the 0-based
// positions of its first line and of its closing "go" line (or of the last
// run line).
struct TSqlBatch
{
    QString Text;
    int FirstLine = 0;
    int LastLine = 0;

    bool operator==(const TSqlBatch &) const = default;
};

// The batches of the run lines, in order. A batch of blanks only is no
// batch: its lines lead the next one, whose first line still starts after
// the "go" line.
QList<TSqlBatch> SplitSqlBatches(const QStringList &lines);

// Whether a batch's ":name" markers become parameters: not when its first
// six characters, upper-cased and not trimmed, read "CREATE" (a procedure's
// body would lose its own markers).
bool SqlParamCreate(const QString &text);

// Whether a batch is a query the result frame opens itself: after comments,
// a SELECT, or a WITH whose statement is a SELECT, with no INTO outside
// brackets, literals and parentheses. Every other batch is opened when it
// returns rows and executed otherwise.
bool IsSqlQueryText(const QString &text);

// The statement a plan is shown of: the run lines up to the first line that
// reads "/", without comments, cut at the first ";" outside literals.
QString SqlExplanText(const QStringList &lines);
