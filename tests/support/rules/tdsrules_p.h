#pragma once

#include "support/rules/tdsvalues.h"

namespace tdsrules {

// The built-in answer to a batch no rule matched (logon statements, "set",
// "waitfor delay", transactions); false when there is none.
bool builtinAnswer(const QString &text, Session *session, QList<Answer> *out);

// One column's generator of "rows: N generated: ..." for rows 1..count.
bool parseGenerator(const QString &text, const Column &column, qint64 count, Generator *out, QString *error);

// The text before a "#" outside quotes and brackets.
QString stripComment(const QString &text);

// Splits at commas outside quotes, brackets and parentheses.
QStringList splitTopLevel(QStringView text);

} // namespace tdsrules
