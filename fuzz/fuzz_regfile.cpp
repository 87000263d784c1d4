// The settings store's file reader; what it accepts it must write back so
// that it reads the same again.
#include "fuzzinput.h"
#include "platform/registry/regtree.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString root = QStringLiteral("HKEY_CURRENT_USER\\Software\\Zekalon");
    RegKey key;
    QString error;
    if (!RegFile::parse(fuzz::text(data, size), root, key, &error))
        return 0;
    const QString written = RegFile::write(key, root);
    RegKey again;
    if (!RegFile::parse(written, root, again, &error) || RegFile::write(again, root) != written)
        std::abort();
    return 0;
}
