// The profile-file reader: any settings file reads; a value written into it
// reads back, and every other key keeps its value.

#include "base/profile_file.h"
#include "fuzz_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace kova;
using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir folder;
    const QString path = folder.filePath(u"KovaShell.ini"_s);
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    const ProfileFile ini(path);
    const QString others[][2] = {{u"a1"_s, u"b02"_s},
                                 {u"Fusen"_s, u"FontName"_s},
                                 {u"Lunch1"_s, u"0"_s},
                                 {u"A1"_s, u"B5"_s}};
    QString before[4];
    for (int i = 0; i < 4; ++i)
        before[i] = ini.read(others[i][0], others[i][1]);
    const QString value = u"ＭＳ Ｐゴシック"_s;
    if (!ini.write(u"a1"_s, u"b03"_s, value))
        return 0;
    fuzz::require(ini.read(u"A1"_s, u"B03"_s) == value, "a written value does not read back");
    for (int i = 0; i < 4; ++i) {
        if (others[i][1].compare(u"b03"_s, Qt::CaseInsensitive) != 0)
            fuzz::require(ini.read(others[i][0], others[i][1]) == before[i],
                          "a write changed another key");
    }
    return 0;
}
