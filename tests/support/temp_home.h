#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace kova::test {

// A fresh data folder for one test: points KOVASHELL_HOME at a temporary
// folder for its lifetime.
class TempHome {
public:
    TempHome();
    ~TempHome();

    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.path() + QLatin1Char('/') + name; }
    QByteArray read(const QString& name) const;
    void write(const QString& name, const QByteArray& bytes) const;

private:
    QTemporaryDir dir_;
    QByteArray previous_;
    bool hadPrevious_;
};

} // namespace kova::test
