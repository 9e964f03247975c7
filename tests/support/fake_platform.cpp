#include "fake_platform.h"

#include <QEventLoop>
#include <QTimer>

namespace kova::test {

FakePlatform::FakePlatform() {
    Platform::install(this);
}

FakePlatform::~FakePlatform() {
    Platform::install(nullptr);
}

void FakePlatform::runWhileOpen() {
    if (!whileOpen)
        return;
    QEventLoop loop;
    QTimer::singleShot(0, &loop, [this, &loop] {
        std::exchange(whileOpen, nullptr)();
        // What it posted (a close, a deferred delete) is handled in here too.
        QTimer::singleShot(0, &loop, &QEventLoop::quit);
    });
    loop.exec();
}

Answer FakePlatform::messageBox(const QString& text, Buttons buttons) {
    messages << text;
    messageButtons << buttons;
    runWhileOpen();
    if (onMessage)
        onMessage(text);
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return answers.isEmpty() ? Answer::Yes : answers.takeFirst();
}

bool FakePlatform::startDetached(const QString& program, const QStringList& arguments) {
    started.append({program, arguments});
    return startSucceeds;
}

bool FakePlatform::startAndWait(const QString& program, const QStringList& arguments, int waitMs) {
    started.append({program, arguments});
    waits << waitMs;
    if (!startSucceeds)
        return false;
    if (onStartAndWait)
        onStartAndWait(program, arguments);
    return true;
}

bool FakePlatform::openWithDesktop(const QString& target) {
    opened << target;
    return startSucceeds;
}

std::optional<QFont> FakePlatform::chooseFont(const QFont&, QWidget*) {
    ++fontDialogs;
    runWhileOpen();
    return fontAnswer;
}

std::optional<QColor> FakePlatform::chooseColor(const QColor&, QWidget*) {
    ++colorDialogs;
    runWhileOpen();
    return colorAnswer;
}

std::optional<QString> FakePlatform::chooseFile(const QString& title, const QStringList& filters,
                                                QWidget*) {
    fileDialogs.append({title, filters});
    runWhileOpen();
    return fileAnswer;
}

std::optional<QString> FakePlatform::chooseFolder(const QString& title, const QString& start,
                                                  QWidget*) {
    folderDialogs.append({title, start});
    runWhileOpen();
    return folderAnswer;
}

} // namespace kova::test
