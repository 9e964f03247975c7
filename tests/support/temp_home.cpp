#include "temp_home.h"

#include "desktop_icon_registration.h"

#include <QFile>

namespace kova::test {

TempHome::TempHome(DesktopIcon desktopIcon) {
    const QByteArray root = dir_.path().toLocal8Bit();
    const std::pair<const char*, QByteArray> vars[] = {
        {"KOVASHELL_HOME", root},
        {"XDG_CONFIG_HOME", root + "/config"},
        {"XDG_DATA_HOME", root + "/data"},
    };
    for (const auto& [name, value] : vars) {
        saved_.append({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
        qputenv(name, value);
    }
    if (desktopIcon == Registered)
        registerDesktopIconComponent();
}

TempHome::~TempHome() {
    for (const Saved& s : saved_) {
        if (s.wasSet)
            qputenv(s.name, s.value);
        else
            qunsetenv(s.name);
    }
}

QByteArray TempHome::read(const QString& name) const {
    QFile f(file(name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void TempHome::write(const QString& name, const QByteArray& bytes) const {
    QFile f(file(name));
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

} // namespace kova::test
