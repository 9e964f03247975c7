#include "platform/tray_icon.h"

#include <QList>
#include <QTest>

using kova::TrayClickDecoder;
using Reason = QSystemTrayIcon::ActivationReason;

namespace {

constexpr int kInterval = 400;

struct Event {
    Reason reason;
    qint64 at; // milliseconds
};

// Feeds the events in order and keeps the message numbers that came out.
QList<int> decodeAll(bool backendSendsDoubleClick, const QList<Event>& events) {
    TrayClickDecoder decoder(backendSendsDoubleClick);
    QList<int> numbers;
    for (const Event& e : events) {
        if (const int n = decoder.decode(e.reason, e.at, kInterval); n != 0)
            numbers << n;
    }
    return numbers;
}

} // namespace

Q_DECLARE_METATYPE(QList<Event>)

class TestTrayClickDecoder : public QObject {
    Q_OBJECT
private slots:
    void activationsBecomeMessageNumbers_data() {
        QTest::addColumn<bool>("xembed");
        QTest::addColumn<QList<Event>>("events");
        QTest::addColumn<QList<int>>("numbers");
        const Reason T = QSystemTrayIcon::Trigger;
        const Reason D = QSystemTrayIcon::DoubleClick;
        const Reason C = QSystemTrayIcon::Context;
        const Reason M = QSystemTrayIcon::MiddleClick;
        const Reason U = QSystemTrayIcon::Unknown;

        // XEmbed trays send a double-click of their own: single clicks mean nothing.
        QTest::newRow("xembed single click") << true << QList<Event>{{T, 0}} << QList<int>{};
        QTest::newRow("xembed double-click")
            << true << QList<Event>{{T, 0}, {D, 100}} << QList<int>{515};
        QTest::newRow("xembed quick triggers are no double-click")
            << true << QList<Event>{{T, 0}, {T, 100}, {T, 200}} << QList<int>{};
        QTest::newRow("xembed right press") << true << QList<Event>{{C, 0}} << QList<int>{516};
        QTest::newRow("xembed middle and unknown")
            << true << QList<Event>{{M, 0}, {U, 10}} << QList<int>{};

        // Status-notifier hosts only say "activate": two within the interval are a double-click.
        QTest::newRow("sni two quick triggers")
            << false << QList<Event>{{T, 1000}, {T, 1300}} << QList<int>{515};
        QTest::newRow("sni triggers at the interval's edge")
            << false << QList<Event>{{T, 1000}, {T, 1000 + kInterval}} << QList<int>{515};
        QTest::newRow("sni triggers too far apart")
            << false << QList<Event>{{T, 1000}, {T, 1000 + kInterval + 1}} << QList<int>{};
        QTest::newRow("sni three quick triggers act once")
            << false << QList<Event>{{T, 0}, {T, 100}, {T, 200}} << QList<int>{515};
        QTest::newRow("sni four quick triggers are two double-clicks")
            << false << QList<Event>{{T, 0}, {T, 100}, {T, 200}, {T, 300}} << QList<int>{515, 515};
        QTest::newRow("sni slow pair after a lone trigger")
            << false << QList<Event>{{T, 0}, {T, 2000}, {T, 2100}} << QList<int>{515};
        QTest::newRow("sni first trigger at time zero counts")
            << false << QList<Event>{{T, 0}, {T, 50}} << QList<int>{515};
        QTest::newRow("sni right press between triggers breaks the pair")
            << false << QList<Event>{{T, 0}, {C, 50}, {T, 100}} << QList<int>{516};
        // What Qt's XEmbed icon reports for one double-click; either decoder acts once.
        QTest::newRow("xembed full double-click")
            << true << QList<Event>{{T, 0}, {D, 150}, {T, 200}} << QList<int>{515};
        QTest::newRow("xembed full double-click, sni decoder")
            << false << QList<Event>{{T, 0}, {D, 150}, {T, 200}} << QList<int>{515};
        QTest::newRow("sni middle click ignored")
            << false << QList<Event>{{M, 0}, {M, 50}} << QList<int>{};
    }
    void activationsBecomeMessageNumbers() {
        QFETCH(bool, xembed);
        QFETCH(QList<Event>, events);
        QFETCH(QList<int>, numbers);
        QCOMPARE(decodeAll(xembed, events), numbers);
    }
};

QTEST_GUILESS_MAIN(TestTrayClickDecoder)
#include "test_tray_click_decoder.moc"
