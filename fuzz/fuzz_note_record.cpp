// The note record reader: any field file parses; its values, written again,
// read back as the same values; the typed record is stable once written.

#include "fuzz_support.h"
#include "notes/note_record.h"
#include "notes/note_store.h"

#include <QByteArray>

using namespace kova;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    bool converted = false;
    const QStringList values = parseNoteFields(bytes, &converted);
    fuzz::require(converted, "no converter");
    fuzz::require(parseNoteFields(formatNoteFields(values)) == values,
                  "values written again read back differently");
    const QStringList fields = NoteRecord::fromFields(values).toFields();
    fuzz::require(fields.size() == kNoteFieldCount, "a record without fifteen fields");
    fuzz::require(NoteRecord::fromFields(parseNoteFields(formatNoteFields(fields))).toFields() ==
                      fields,
                  "a written record reads back differently");
    return 0;
}
