// The CP932 codec: any file decodes, and what was decoded is saved and read
// back as itself (or, saved as CP932, with the JIS look-alikes input methods
// make in their CP932 form: U+2016 becomes U+2225); any text that encodes
// cleanly reads back so.

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
    const QString readBack = decodeFileText(saved);
    fuzz::require(readBack == text || readBack == mapJisLookAlikes(text),
                  "a decoded file does not read back after a save");

    const QString input = fuzz::utf16Of(data, size);
    bool ok = false;
    const QByteArray sjis = toShiftJis(input, &ok);
    if (ok)
        fuzz::require(fromShiftJis(sjis) == mapJisLookAlikes(input),
                      "clean CP932 reads back wrong");
    (void)fromShiftJis(bytes);
    return 0;
}
