#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kova {

// The note file pair in the data folder: "KovaShell<N>.hsn" holds the fifteen
// field lines, "KovaShell<N>.log" the text. No widgets here.

constexpr int kFirstNoteNumber = 0;
constexpr int kLastNoteNumber = 100;
// FindFreeNoteNumber's answer when every number is taken; never a file name.
constexpr int kNoFreeNoteNumber = kLastNoteNumber + 1;
constexpr int kNoteFieldCount = 15;

// Field positions within a record.
enum NoteField {
    FieldFontName = 0,
    FieldFontSize = 1,
    FieldFontBold = 2,
    FieldFontItalic = 3,
    FieldBackColor = 4,
    FieldForeColor = 5,
    FieldVisible = 6,
    FieldTop = 7,
    FieldLeft = 8,
    FieldTimerYear = 9,
    FieldTimerMonth = 10,
    FieldTimerDay = 11,
    FieldTimerHour = 12,
    FieldTimerMinute = 13,
    FieldZOrder = 14,
};

QString noteFieldsFileName(int number);
QString noteTextFileName(int number);
QString noteFieldsPath(int number);
QString noteTextPath(int number);
// "KovaShell<N>.hsn" or "KovaShell<N>.log" for a note number N.
bool isNoteFileName(const QString& name);
// The same with ".kova-next": the next content of a note file being saved.
bool isNextNoteFileName(const QString& name);
bool noteFieldsExist(int number);
bool noteTextExists(int number);

// The lowest number without a field file, or kNoFreeNoteNumber.
int FindFreeNoteNumber();

// File content <-> values. Each line is one value between double quotes; a
// quote inside a value is doubled so that any font name survives.
// *converted turns false when the text converter is not available: the
// result is then empty and must not be used.
QStringList parseNoteFields(const QByteArray& bytes, bool* converted = nullptr);
QByteArray formatNoteFields(const QStringList& values, bool* converted = nullptr);

// Appends the values of N's field file to *list; false when it cannot be read.
bool ReadNoteFields(int number, QStringList* list);
// Replaces N's field file with every item of `list`, atomically.
bool WriteNoteFields(int number, const QStringList& list);
// N's text without the one CR LF the writer appends; line breaks stay CR LF.
bool ReadNoteText(int number, QString* text);
// Replaces N's text file: the text with CR LF line breaks, plus one CR LF.
bool WriteNoteText(int number, const QString& text);

// Saves N's field file and text file as one: after a failure, a kill or a
// power cut at any point the pair reads as the old note or the new one, with
// the old files' bytes kept when the save did not happen. False when the save
// cannot be counted on; *unsaved then names the file that failed.
bool WriteNote(int number, const QStringList& fields, const QString& text,
               QString* unsaved = nullptr);
// At start-up, before the notes are read: finishes the pair saves a kill cut
// short after they counted, drops those cut short before. Returns how many
// were finished.
int finishNoteSaves();

// Rewrites one field of N's field file from the file's own values. A file
// short of field `index` is filled up first: `placeholder` for the slot just
// before a 14-line file's fifteenth, defaults for anything missing earlier.
bool changeNoteField(int number, int index, const QString& value, const QString& placeholder);

// Deletes both files; missing files are no error. False when the field file
// is still there: the note then still exists. A text file left behind alone
// is harmless, since a number is in use only while its field file exists.
bool removeNoteFiles(int number);

// The record of a new note before the editor fills it.
QStringList defaultNoteFields();

} // namespace kova
