// The SQL formatter under every option value: besides not crashing, it must
// keep what the property tests ask of it.
#include "core/zkoption.h"
#include "fuzzinput.h"
#include "sqleditor/zksub_format.h"
#include "support/properties/formatcheck.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Bytes bytes(data, size);
    FormatOption.Indent = int(bytes.next() % 10);
    FormatOption.ItemReturn = int(bytes.next() % 3);
    FormatOption.ReservePos = int(bytes.next() % 3);
    FormatOption.CommaPos = int(bytes.next() % 3);
    FormatOption.AndPos = int(bytes.next() % 3);
    FormatOption.ReserveTrans = int(bytes.next() % 3);
    FormatOption.ItemTrans = int(bytes.next() % 3);
    const QString sql = fuzz::text(bytes.rest(), bytes.restSize());
    const QString failure = formatcheck::keepsTextFailure(sql, FormatSqlText(sql));
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(failure));
        std::abort();
    }
    return 0;
}
