// The editor's text model under edit scripts drawn from the input, with
// undo, redo and word wrap.
#include "support/properties/editscript.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString failure =
        editscript::failureFromBytes(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(failure));
        std::abort();
    }
    return 0;
}
