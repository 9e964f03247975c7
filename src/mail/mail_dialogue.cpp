#include "mail/mail_dialogue.h"

#include "mail/mail_texts.h"

#include <limits>

namespace kova {

using namespace Qt::StringLiterals;
using namespace mailtext;
using namespace socketerror;

namespace {

const QByteArray kCrLf = QByteArrayLiteral("\r\n");

// Fingerprints match whatever their case and separators.
QString bareHex(const QString& fingerprint) {
    QString hex;
    for (QChar c : fingerprint)
        if (c.isLetterOrNumber())
            hex += c.toUpper();
    return hex;
}

QString reasonsFor(const CertificateCheck& check, const QString& host) {
    const std::pair<int, QString> reasons[] = {
        {CertificateCheck::SelfSigned, kSelfSigned},
        {CertificateCheck::UnknownIssuer, kUnknownIssuer},
        {CertificateCheck::Expired, kExpired},
        {CertificateCheck::NotYetValid, kNotYetValid},
        {CertificateCheck::WrongName, kWrongName.arg(host)},
        {CertificateCheck::Revoked, kRevoked},
        {CertificateCheck::Other, kUnverifiable},
    };
    QString text;
    for (const auto& [flag, reason] : reasons)
        if (check.problems & flag)
            text += reason;
    return text.isEmpty() ? kUnverifiable : text;
}

} // namespace

std::optional<qint64> leadingNumber64(QStringView text) {
    qint64 value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            break;
        const int digit = c.unicode() - u'0';
        if (value > (std::numeric_limits<qint64>::max() - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

std::optional<qint32> leadingNumber(QStringView text) {
    const std::optional<qint64> value = leadingNumber64(text);
    if (!value || *value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return static_cast<qint32>(*value);
}

MailAction MailDialogue::start(int i, const MailAccount& account) {
    MailAction action;
    if (mailBusy_) {
        action.beep = true;
        return action;
    }
    mailBusy_ = true;
    user_ = account.account;
    password_ = account.password;
    security_ = account.security;
    pin_ = account.pinnedCertificate;
    offered_.clear();
    count_ = size_ = skip_ = 0;
    restart(i);
    action.closeSocket = true;

    // Failures the socket would raise at once (a port it cannot take, text
    // it cannot send) end the dialogue before anything is connected.
    const std::optional<qint32> port = leadingNumber(account.port);
    if (!port || *port < 1 || *port > 65535 || !canSend(user_) || !canSend(password_)) {
        fail(i, action);
        return action;
    }
    host_ = account.server;
    port_ = static_cast<quint16>(*port);
    connect(action);
    return action;
}

void MailDialogue::connect(MailAction& action) {
    action.connect = true;
    action.host = host_;
    action.port = port_;
    action.security = security_;
    connection_ = 1;
    reached_ = false;
    tls_ = security_ == MailSecurity::None       ? Tls::Plain
           : security_ == MailSecurity::StartTls ? Tls::AwaitGreeting
                                                 : Tls::Handshake;
}

MailAction MailDialogue::connected(int) {
    connection_ = 2;
    reached_ = true;
    return {};
}

MailAction MailDialogue::encrypted(int i) {
    MailAction action;
    if (tls_ != Tls::Handshake)
        return action;
    tls_ = Tls::Secure;
    if (security_ == MailSecurity::StartTls)
        startTlsDone(i, action);
    return action;
}

MailAction MailDialogue::certificateFailed(int i, const CertificateCheck& check) {
    MailAction action;
    if (!pin_.isEmpty() && bareHex(pin_) == bareHex(check.fingerprint)) {
        action.acceptCertificate = true;
        return action;
    }
    // Nothing has been sent: the connection goes before the user is asked.
    offered_ = check.fingerprint;
    action.closeSocket = true;
    connection_ = 0;
    const QString& text = pin_.isEmpty() ? kUntrustedTail : kChangedTail;
    action.question = accountTag(i) + text.arg(host_, reasonsFor(check, host_), check.fingerprint);
    return action;
}

MailAction MailDialogue::trustAnswered(int i, bool trusted) {
    MailAction action;
    if (!mailBusy_ || offered_.isEmpty())
        return action;
    if (!trusted) {
        offered_.clear();
        action.label = accountTag(i) + kErrorLabelTail;
        end(action);
        return action;
    }
    pin_ = offered_;
    action.pin = offered_;
    offered_.clear();
    count_ = size_ = skip_ = 0;
    restart(i);
    action.closeSocket = true;
    connect(action);
    return action;
}

MailAction MailDialogue::dataArrived(int i, const QByteArray& bytes) {
    MailAction action;
    QByteArray& buffer = buffers_[i];
    // The line end is looked for in the joined text, so a CR and LF that
    // arrive apart still end their line.
    const QByteArray joined = buffer + bytes;
    qsizetype from = 0;
    for (;;) {
        if (skip_ > 0) {
            const qint64 passed = std::min<qint64>(skip_, joined.size() - from);
            from += qsizetype(passed);
            skip_ -= passed;
            if (skip_ > 0)
                break;
        }
        const qsizetype end = joined.indexOf(kCrLf, from);
        if (end < 0)
            break;
        const QByteArray line = joined.sliced(from, end + 2 - from);
        from = end + 2;
        if (handleLine(i, line, action) == LineResult::Stop) {
            // Bytes after the reply to STARTTLS came in clear text: they are
            // never read as if they had been protected.
            buffer = action.startTls ? QByteArray() : joined.sliced(from);
            return action;
        }
    }
    buffer = joined.sliced(from);
    if (buffer.size() > kBufferLimit) {
        buffer.clear();
        fail(i, action);
    }
    return action;
}

MailAction MailDialogue::closed(int i) {
    MailAction action;
    // A socket the server closed is still open on our side until we close it.
    if (tls_ == Tls::Handshake)
        endWithMessage(i, kTlsFailedTail, action);
    else
        closeHandling(i, true, action);
    return action;
}

void MailDialogue::closeHandling(int i, bool socketOpen, MailAction& action) {
    const QString tag = accountTag(i);
    const bool in = answered();
    if (count_ != 0 && in) {
        action.showResult = true;
        action.label =
            tag + u' ' + QString::number(count_) + kCountTail + QString::number(size_) + kSizeTail;
    } else if (in) {
        action.label = tag + u' ' + kNoMailTail;
    } else {
        switch (refusal()) {
        case Refusal::NoAccount:
            action.messages << tag + kNoAccountTail;
            break;
        case Refusal::InUse:
            action.messages << kInUse;
            break;
        case Refusal::BadPassword:
            action.messages << tag + kBadPasswordTail;
            break;
        case Refusal::None:
            break;
        }
        // An ended check never goes on reading as being checked.
        action.label = tag + kErrorLabelTail;
    }
    if (socketOpen)
        action.closeSocket = true;
    connection_ = 0;
    end(action);
}

MailAction MailDialogue::error(int i, int number, const QString& description, bool socketOpen) {
    MailAction action;
    // A reset after the answer was in is as good as a close.
    if (number == kReset && answered()) {
        closeHandling(i, socketOpen, action);
        return action;
    }
    if (socketOpen)
        closeHandling(i, true, action);
    else
        action.label = accountTag(i) + kErrorLabelTail;
    const std::pair<int, const QString&> tails[] = {
        {kHostNotFound, kHostNotFoundTail},
        {kTimedOut, kHostNotFoundTail},
        {kRefused, kRefusedTail},
        {kAddressNotAvailable, kAddressTail},
        {kAborted, kAbortedTail},
        {kReset, kResetTail},
        {kTlsFailed, kTlsFailedTail},
        {kTlsTimedOut, kTlsTimedOutTail},
        {kTlsUnavailable, kTlsUnavailableTail},
    };
    QString tail = kOtherErrorTail + QString::number(number) + u':' + description;
    for (const auto& [known, text] : tails)
        if (known == number)
            tail = text;
    action.messages << accountTag(i) + tail;
    end(action);
    return action;
}

MailAction MailDialogue::timedOut(int i) {
    MailAction action;
    if (answered())
        closeHandling(i, true, action); // the answer is in; only the goodbye is missing
    else if (reached_)
        endWithMessage(i, kNoResponseTail, action);
    else
        return error(i, kTimedOut, QString(), true);
    return action;
}

void MailDialogue::endWithMessage(int i, const QString& tail, MailAction& action) {
    closeHandling(i, true, action);
    action.messages << accountTag(i) + tail;
}

void MailDialogue::fail(int i, MailAction& action) {
    action.messages << accountTag(i) + kFailedTail;
    action.label = accountTag(i) + kErrorLabelTail;
    // Left open, a late close by this server would end another account's
    // dialogue.
    action.closeSocket = true;
    end(action);
}

void MailDialogue::end(MailAction& action) {
    mailBusy_ = false;
    done_ = true;
    action.ended = true;
}

} // namespace kova
