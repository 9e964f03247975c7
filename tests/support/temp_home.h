#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryDir>

namespace kova::test {

// A fresh data folder for one test: points KOVASHELL_HOME at a temporary
// folder for its lifetime, and XDG_CONFIG_HOME / XDG_DATA_HOME at folders
// inside it, so nothing of the real user's is read or touched. The
// desktop-icon component starts out registered there, so a start-up does not
// ask to install it; pass Unregistered to see a first start.
class TempHome {
public:
    enum DesktopIcon { Registered, Unregistered };
    explicit TempHome(DesktopIcon desktopIcon = Registered);
    ~TempHome();

    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.path() + QLatin1Char('/') + name; }
    QByteArray read(const QString& name) const;
    void write(const QString& name, const QByteArray& bytes) const;

private:
    QTemporaryDir dir_;
    struct Saved {
        const char* name;
        QByteArray value;
        bool wasSet;
    };
    QList<Saved> saved_;
};

} // namespace kova::test
