// The SQL parser of the query designer and column lookup, strict and
// lenient, and the comment stripper, over any text.
#include "fuzzinput.h"
#include "sqleditor/zksub_parse.h"

#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString sql = fuzz::text(data, size);
    for (const bool cut : {false, true}) {
        QStringList lines = sql.split(QLatin1Char('\n'));
        StripSqlComments(lines, cut);
    }
    for (const QString &message : {QStringLiteral("構文エラー"), QString()}) {
        TzkParseList columns, tables, order;
        QStringList where, group, having;
        QString view;
        try {
            ParseSqlTables(sql, columns, tables, order, where, group, having, message, view);
        } catch (const ESQLParseError &) {
            // A refusal is an answer; anything else escaping is a finding.
        }
    }
    return 0;
}
