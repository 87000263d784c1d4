// The editor's text model under edit scripts drawn from the input, with
// undo, redo and word wrap.
#include "fuzzinput.h"
#include "support/properties/editscript.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Bytes bytes(data, size);
    static const int wraps[] = {0, 20, 80, 250};
    const int wrap = wraps[bytes.next() % 4];
    editscript::Script script([&bytes] { return bytes.next() | (bytes.next() << 8); });
    const QString failure = editscript::failure(script, wrap);
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(failure));
        std::abort();
    }
    return 0;
}
