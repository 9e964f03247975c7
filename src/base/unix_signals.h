#pragma once

#include <QObject>

#include <initializer_list>

class QSocketNotifier;

namespace kova {

// Delivers SIGTERM, SIGHUP and SIGINT through the event loop: the handler
// only writes the signal number into a pipe.
class UnixSignals : public QObject {
    Q_OBJECT
public:
    explicit UnixSignals(std::initializer_list<int> numbers, QObject* parent = nullptr);
    ~UnixSignals() override;

signals:
    void received(int signalNumber);

private:
    void drain();
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace kova
