// The TDS test server's rule-file reader, and matching against what it read.
#include "fuzzinput.h"
#include "support/rules/tdsrules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    tdsrules::RuleSet rules;
    QString error;
    if (!rules.loadText(fuzz::text(data, size), QStringLiteral("fuzz.rules"), &error))
        return 0;
    for (const char *sql : {"select 1", "select name from sys.tables where name = @P1", "use [db]", ""})
        rules.match(QString::fromLatin1(sql), QStringLiteral("@P1 nvarchar(4) = N'abc'"));
    return 0;
}
