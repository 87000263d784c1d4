// The database layer's statement preparation: parameter markers, the
// leading "use" split and the procedure-call escape.
#include "fuzzinput.h"
#include "platform/db/dbsql.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString sql = fuzz::text(data, size);
    const TDBMarkers markers = ReplaceParamMarkers(sql);
    // Each marker replaced is one "?" more in the text than in the input.
    if (markers.text.count(QLatin1Char('?')) < markers.names.size())
        std::abort();
    NumberDriverMarkers(sql);
    NumberDriverMarkers(markers.text);
    ParamNames(sql);
    QString useBatch, rest;
    SplitLeadingUse(sql, &useBatch, &rest);
    QString call, procedure;
    OdbcProcedureCall(sql, &call, &procedure);
    return 0;
}
