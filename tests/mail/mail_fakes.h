#pragma once

#include "mail/mail_checker.h"

#include <array>

namespace kova::test {

// The settings dialog's mail fields.
struct FakeMailSettings : MailSettings {
    std::array<MailAccount, kMailAccountCount> accounts;
    QString intervalText = QStringLiteral("0");
    QString counter = QStringLiteral("0");
    MailAccount mailAccount(int i) const override { return accounts.at(i); }
    QString interval() const override { return intervalText; }
    QString minuteCounter() const override { return counter; }
    void setMinuteCounter(const QString& value) override { counter = value; }
    QString mailer() const override { return {}; }
    void pinCertificate(int i, const QString& fingerprint) override {
        accounts.at(i).pinnedCertificate = fingerprint;
    }
};

// The result window, recording what was done to it.
struct FakeResultWindow : MailResultWindow {
    std::array<QString, kMailAccountCount> lines;
    QList<QList<int>> stacks;
    QStringList calls; // "found", "show", "unload" in order
    std::function<void()> onUnload;
    void setResultLine(int i, const QString& text) override { lines.at(i) = text; }
    QString resultLine(int i) const override { return lines.at(i); }
    void stackLines(const QList<int>& accounts) override { stacks << accounts; }
    void showMailFound() override { calls << QStringLiteral("found"); }
    void showWindow() override { calls << QStringLiteral("show"); }
    void unload() override {
        calls << QStringLiteral("unload");
        if (onUnload)
            onUnload();
    }
};

// A checker wired to the fakes; settings tabs opened are recorded.
struct CheckerRig {
    FakeMailSettings settings;
    FakeResultWindow window;
    QList<QPair<int, int>> tabs;
    MailChecker checker{MailHooks{
        [this]() -> MailSettings& { return settings; },
        [this]() -> MailResultWindow& { return window; },
        [this]() -> MailResultWindow* { return &window; },
        [this](int outer, int inner) {
            tabs.append({outer, inner});
        },
    }};
    CheckerRig() {
        window.onUnload = [this] { checker.closeSockets(); };
    }
    void setAccount(int i, quint16 port, const QString& user = QStringLiteral("alice"),
                    const QString& password = QStringLiteral("pw"),
                    const QString& host = QStringLiteral("127.0.0.1"),
                    MailSecurity security = MailSecurity::None,
                    MailProtocol protocol = MailProtocol::Pop3) {
        settings.accounts.at(i) = {
            QString::number(port), host, user, password, security, {}, protocol};
    }
};

} // namespace kova::test
