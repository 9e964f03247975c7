#pragma once

// Shared by the fuzz targets: turning the input into text, and a check that
// ends the run with the input that broke it.

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace kova::fuzz {

// The input as UTF-16 code units, lone surrogates and all.
inline QString utf16Of(const uint8_t* data, size_t size) {
    return QString(reinterpret_cast<const QChar*>(data), qsizetype(size / 2));
}

// A property that does not hold: libFuzzer keeps the input as a crash.
inline void require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

} // namespace kova::fuzz
