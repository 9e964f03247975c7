#pragma once

#include "platform/seam.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <functional>

namespace kova::test {

// Test double of the platform seam: answers every message box from a script
// (default: Yes / Ok), records what was asked and started, never blocks.
// Installs itself for its lifetime.
class FakePlatform : public Platform {
public:
    FakePlatform();
    ~FakePlatform() override;

    Answer messageBox(const QString& text, Buttons buttons) override;
    void beep() override { ++beeps; }
    bool startDetached(const QString& program, const QStringList& arguments) override;
    // Recorded in `started` like startDetached; `onStartAndWait` stands in for
    // what the program does before it ends.
    bool startAndWait(const QString& program, const QStringList& arguments, int waitMs) override;
    bool openWithDesktop(const QString& target) override;
    std::optional<QFont> chooseFont(const QFont& initial, QWidget* parent) override;
    std::optional<QColor> chooseColor(const QColor& initial, QWidget* parent) override;
    // Recorded in fileDialogs / folderDialogs; answered by fileAnswer /
    // folderAnswer (nullopt = cancelled).
    std::optional<QString> chooseFile(const QString& title, const QStringList& filters,
                                      QWidget* parent) override;
    std::optional<QString> chooseFolder(const QString& title, const QString& start,
                                        QWidget* parent) override;
    bool trayAvailable() override { return tray; }
    QByteArray trustedCertificates() override { return caCertificates; }
    // Counted in `logOffs`; answers `logOffSucceeds`.
    bool logOff() override {
        ++logOffs;
        return logOffSucceeds;
    }

    // Answers for the next Yes/No questions, in order; Yes when the list runs out.
    QList<Answer> answers;
    // Called while a message box is "open", to act during it.
    std::function<void(const QString&)> onMessage;
    // Run once, from an event loop of the next message box or dialog's own,
    // as a user or a screen reader acts while a real one is open.
    std::function<void()> whileOpen;
    std::function<void(const QString&, const QStringList&)> onStartAndWait;
    std::optional<QFont> fontAnswer;   // nullopt = cancelled
    std::optional<QColor> colorAnswer; // nullopt = cancelled
    std::optional<QString> fileAnswer;
    std::optional<QString> folderAnswer;
    // Title and filters of each file dialog; title and start of each folder one.
    QList<QPair<QString, QStringList>> fileDialogs;
    QList<QPair<QString, QString>> folderDialogs;
    bool startSucceeds = true;
    bool tray = true; // whether a tray host is there
    // PEM; empty: the system's store. Tests give their own CA here.
    QByteArray caCertificates;

    QStringList messages;
    QList<Buttons> messageButtons;
    QList<QPair<QString, QStringList>> started;
    QList<int> waits; // waitMs of each startAndWait
    QStringList opened;
    int beeps = 0;
    int logOffs = 0;
    bool logOffSucceeds = true;
    int fontDialogs = 0;
    int colorDialogs = 0;

private:
    void runWhileOpen();
};

} // namespace kova::test
