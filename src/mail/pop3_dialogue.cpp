#include "mail/pop3_dialogue.h"

#include "base/text_codec.h"
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

Pop3Action Pop3Dialogue::start(int i, const MailAccount& account) {
    Pop3Action action;
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
    userState_ = passState_ = statState_ = quits_ = 0;
    count_ = size_ = 0;
    action.closeSocket = true;

    // Failures the socket would raise at once (a port it cannot take, text
    // it cannot send) end the dialogue before anything is connected.
    const std::optional<qint32> port = leadingNumber(account.port);
    bool userOk = false;
    bool passwordOk = false;
    toShiftJis(user_, &userOk);
    toShiftJis(password_, &passwordOk);
    if (!port || *port < 1 || *port > 65535 || !userOk || !passwordOk) {
        fail(i, action);
        return action;
    }
    host_ = account.server;
    port_ = static_cast<quint16>(*port);
    connect(action);
    return action;
}

void Pop3Dialogue::connect(Pop3Action& action) {
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

Pop3Action Pop3Dialogue::connected(int) {
    connection_ = 2;
    reached_ = true;
    return {};
}

Pop3Action Pop3Dialogue::encrypted(int i) {
    Pop3Action action;
    if (tls_ != Tls::Handshake)
        return action;
    tls_ = Tls::Secure;
    // After STLS the protected connection starts the dialogue as a greeting
    // would.
    if (security_ == MailSecurity::StartTls)
        handleLine(i, "+OK\r\n", action);
    return action;
}

Pop3Action Pop3Dialogue::certificateFailed(int i, const CertificateCheck& check) {
    Pop3Action action;
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

Pop3Action Pop3Dialogue::trustAnswered(int i, bool trusted) {
    Pop3Action action;
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
    userState_ = passState_ = statState_ = quits_ = 0;
    count_ = size_ = 0;
    action.closeSocket = true;
    connect(action);
    return action;
}

void Pop3Dialogue::sendComplete(int) {
    for (int* state : {&userState_, &passState_, &statState_}) {
        if (*state == 1) {
            *state = 2;
            return;
        }
    }
}

Pop3Action Pop3Dialogue::dataArrived(int i, const QByteArray& bytes) {
    Pop3Action action;
    QByteArray& buffer = buffers_[i];
    // The line end is looked for in the joined text, so a CR and LF that
    // arrive apart still end their line.
    const QByteArray joined = buffer + bytes;
    if (!joined.contains(kCrLf)) {
        buffer = joined;
    } else {
        qsizetype from = 0;
        qsizetype end = joined.indexOf(kCrLf);
        while (end >= 0) {
            const QByteArray line = joined.sliced(from, end + 2 - from);
            from = end + 2;
            if (handleLine(i, line, action) == LineResult::Stop) {
                // Bytes after the reply to STLS came in clear text: they are
                // never read as if they had been protected.
                buffer = action.startTls ? QByteArray() : joined.sliced(from);
                return action;
            }
            end = joined.indexOf(kCrLf, from);
        }
        buffer = joined.sliced(from);
    }
    if (buffer.size() > kBufferLimit) {
        buffer.clear();
        fail(i, action);
    }
    return action;
}

Pop3Dialogue::LineResult Pop3Dialogue::handleLine(int i, const QByteArray& bytes,
                                                  Pop3Action& action) {
    QByteArray spaced = bytes;
    if (!spaced.contains(' '))
        spaced.insert(spaced.size() - 2, ' ');
    const QString line = fromShiftJis(spaced);
    const qsizetype space = line.indexOf(u' ');
    const QString token = line.left(space).toUpper();
    const QString rest = line.mid(space + 1);
    if (tls_ == Tls::AwaitGreeting || tls_ == Tls::AwaitStls)
        return handleStartTls(i, token, action);

    if (token == u"+OK"_s) {
        if (connection_ == 2) {
            connection_ = 3;
        } else if (userState_ == 2) {
            userState_ = 3;
        } else if (passState_ == 2) {
            passState_ = 3;
        } else if (statState_ == 2) {
            statState_ = 3;
            const qsizetype gap = rest.indexOf(u' ');
            const std::optional<qint64> count =
                gap < 0 ? std::nullopt : leadingNumber64(QStringView(rest).left(gap));
            const std::optional<qint64> size =
                gap < 0 ? std::nullopt : leadingNumber64(QStringView(rest).sliced(gap + 1));
            if (!count || !size) {
                fail(i, action);
                return LineResult::Stop;
            }
            count_ = *count;
            size_ = *size;
        } else if (connection_ == 1) {
            connection_ = 3;
        }
    } else if (token == u"-ERR"_s) {
        for (int* state : {&userState_, &passState_, &statState_}) {
            if (*state == 2) {
                *state = 4;
                break;
            }
        }
    }

    if (userState_ == 0) {
        action.send += "USER " + toShiftJis(user_) + kCrLf;
        userState_ = 1;
    } else if (userState_ == 4) {
        userState_ = 5;
        // Nothing more is said; the connection ends here rather than when
        // the server gets round to closing it.
        closeHandling(i, true, action);
        return LineResult::Stop;
    } else if (passState_ == 0) {
        action.send += "PASS " + toShiftJis(password_) + kCrLf;
        passState_ = 1;
    } else if (passState_ == 4) {
        const qsizetype gap = rest.indexOf(u' ');
        const QString reason = (gap < 0 ? rest.chopped(2) : rest.left(gap)).toUpper();
        passState_ = reason == u"[IN-USE]"_s ? 6 : 5;
        closeHandling(i, true, action);
        return LineResult::Stop;
    } else if (statState_ == 0 && passState_ == 3) {
        action.send += "STAT" + kCrLf;
        statState_ = 1;
    } else if (quits_ < 2) {
        action.send += "QUIT" + kCrLf;
        ++quits_;
        connection_ = 1;
    } else {
        // Still answering after two QUITs: the dialogue ends here, not at
        // the deadline, and the server hears nothing more.
        closeHandling(i, true, action);
        return LineResult::Stop;
    }
    return LineResult::Next;
}

Pop3Dialogue::LineResult Pop3Dialogue::handleStartTls(int i, const QString& token,
                                                      Pop3Action& action) {
    if (token == u"+OK"_s && tls_ == Tls::AwaitGreeting) {
        action.send += "STLS" + kCrLf;
        tls_ = Tls::AwaitStls;
        return LineResult::Next;
    }
    if (token == u"+OK"_s && tls_ == Tls::AwaitStls) {
        action.startTls = true;
        tls_ = Tls::Handshake;
        return LineResult::Stop;
    }
    // Once TLS was asked for, nothing goes out in clear text but STLS.
    endWithMessage(i, kStlsRefusedTail, action);
    return LineResult::Stop;
}

Pop3Action Pop3Dialogue::closed(int i) {
    Pop3Action action;
    // A socket the server closed is still open on our side until we close it.
    if (tls_ == Tls::Handshake)
        endWithMessage(i, kTlsFailedTail, action);
    else
        closeHandling(i, true, action);
    return action;
}

void Pop3Dialogue::closeHandling(int i, bool socketOpen, Pop3Action& action) {
    const QString tag = accountTag(i);
    if (count_ != 0 && statState_ == 3) {
        action.showResult = true;
        action.label =
            tag + u' ' + QString::number(count_) + kCountTail + QString::number(size_) + kSizeTail;
    } else if (statState_ == 3) {
        action.label = tag + u' ' + kNoMailTail;
    } else if (userState_ == 5) {
        action.messages << tag + kNoAccountTail;
    } else if (passState_ == 6) {
        action.messages << kInUse;
    } else if (passState_ == 5) {
        action.messages << tag + kBadPasswordTail;
    }
    // An ended check never goes on reading as being checked.
    if (statState_ != 3)
        action.label = tag + kErrorLabelTail;
    if (socketOpen)
        action.closeSocket = true;
    connection_ = 0;
    end(action);
}

Pop3Action Pop3Dialogue::error(int i, int number, const QString& description, bool socketOpen) {
    Pop3Action action;
    // A reset after the answer was in is as good as a close.
    if (number == kReset && statState_ == 3) {
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

Pop3Action Pop3Dialogue::timedOut(int i) {
    Pop3Action action;
    if (statState_ == 3)
        closeHandling(i, true, action); // the answer is in; only the goodbye is missing
    else if (reached_)
        endWithMessage(i, kNoResponseTail, action);
    else
        return error(i, kTimedOut, QString(), true);
    return action;
}

void Pop3Dialogue::endWithMessage(int i, const QString& tail, Pop3Action& action) {
    closeHandling(i, true, action);
    action.messages << accountTag(i) + tail;
}

void Pop3Dialogue::fail(int i, Pop3Action& action) {
    action.messages << accountTag(i) + kFailedTail;
    action.label = accountTag(i) + kErrorLabelTail;
    // Left open, a late close by this server would end another account's
    // dialogue.
    action.closeSocket = true;
    end(action);
}

void Pop3Dialogue::end(Pop3Action& action) {
    mailBusy_ = false;
    done_ = true;
    action.ended = true;
}

} // namespace kova
