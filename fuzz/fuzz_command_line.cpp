// The launcher's command-line splitter: any text splits or is refused, and
// the words it gives, each written back as one word, split to themselves.

#include "base/command_line.h"
#include "fuzz_support.h"

using namespace kova;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString line = fuzz::utf16Of(data, size);
    const std::optional<QStringList> words = splitCommandLine(line);
    if (!words)
        return 0;
    QStringList written;
    for (const QString& word : *words)
        written << commandLineWord(word);
    const std::optional<QStringList> again = splitCommandLine(written.join(u' '));
    fuzz::require(again && *again == *words, "words written back split differently");
    return 0;
}
