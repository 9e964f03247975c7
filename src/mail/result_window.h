#pragma once

#include "mail/mail_checker.h"

#include <QWidget>

#include <array>
#include <functional>

class QLabel;

namespace kova {

// Form2a: the mail result window "KovaMailChecker", one line per checked
// account and the "メーラー起動" label that starts the mail program. At most
// one exists (SingleWindow); the owner makes it with its hooks.
class Form2a : public QWidget, public MailResultWindow {
    Q_OBJECT
public:
    struct Hooks {
        // Closes the three sockets and clears the busy flag.
        std::function<void()> closeSockets;
        // The mail program's command line, from the settings dialog's field.
        std::function<QString()> mailer;
    };
    explicit Form2a(Hooks hooks);
    ~Form2a() override;

    std::array<QLabel*, 3> Label1{}; // result lines of accounts 1 to 3
    QLabel* Label2 = nullptr;        // "メーラー起動"

    void Label2_Click();

    // MailResultWindow.
    void setResultLine(int i, const QString& text) override;
    QString resultLine(int i) const override;
    void stackLines(const QList<int>& accounts) override;
    void showMailFound() override;
    void showWindow() override;
    void unload() override;

    bool mailerLabelIsYellow() const;

signals:
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void Form_Unload();
    void setClientHeightTwips(int twips);
    void setClientHeight(int pixels);
    void fitWidth();

    Hooks hooks_;
    bool showPending_ = false;
    bool unloading_ = false;
};

} // namespace kova
