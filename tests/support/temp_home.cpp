#include "temp_home.h"

#include <QFile>

namespace kova::test {

TempHome::TempHome()
    : previous_(qgetenv("KOVASHELL_HOME")), hadPrevious_(qEnvironmentVariableIsSet("KOVASHELL_HOME")) {
    qputenv("KOVASHELL_HOME", dir_.path().toLocal8Bit());
}

TempHome::~TempHome() {
    if (hadPrevious_)
        qputenv("KOVASHELL_HOME", previous_);
    else
        qunsetenv("KOVASHELL_HOME");
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
