// The CP932 codec: any file decodes, and what was decoded is saved and read
// back as itself; any text that encodes cleanly reads back as itself.

#include "base/text_codec.h"
#include "fuzz_support.h"

#include <QByteArray>

using namespace kova;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    bool converted = false;
    const QString text = decodeFileText(bytes, nullptr, &converted);
    fuzz::require(converted, "no converter");
    const QByteArray saved = encodeFileText(text, &converted);
    fuzz::require(converted, "no converter");
    fuzz::require(decodeFileText(saved) == text, "a decoded file does not read back after a save");

    const QString input = fuzz::utf16Of(data, size);
    bool ok = false;
    const QByteArray sjis = toShiftJis(input, &ok);
    if (ok)
        fuzz::require(fromShiftJis(sjis) == mapJisLookAlikes(input),
                      "clean CP932 reads back wrong");
    (void)fromShiftJis(bytes);
    return 0;
}
