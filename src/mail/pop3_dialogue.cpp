#include "mail/pop3_dialogue.h"

#include "base/text_codec.h"
#include "mail/mail_texts.h"

namespace kova {

using namespace Qt::StringLiterals;
using namespace mailtext;

namespace {

const QByteArray kCrLf = QByteArrayLiteral("\r\n");

} // namespace

void Pop3Dialogue::restart(int) {
    userState_ = passState_ = statState_ = quits_ = 0;
}

bool Pop3Dialogue::canSend(const QString& text) const {
    bool ok = false;
    toShiftJis(text, &ok);
    return ok;
}

QString Pop3Dialogue::progress() const {
    return u"USER %1, PASS %2, STAT %3"_s.arg(userState_).arg(passState_).arg(statState_);
}

void Pop3Dialogue::sendComplete(int) {
    for (int* state : {&userState_, &passState_, &statState_}) {
        if (*state == 1) {
            *state = 2;
            return;
        }
    }
}

// After STLS the protected connection starts the dialogue as a greeting
// would.
void Pop3Dialogue::startTlsDone(int i, MailAction& action) {
    handleLine(i, "+OK\r\n", action);
}

MailDialogue::Refusal Pop3Dialogue::refusal() const {
    if (userState_ == 5)
        return Refusal::NoAccount;
    if (passState_ == 6)
        return Refusal::InUse;
    if (passState_ == 5)
        return Refusal::BadPassword;
    return Refusal::None;
}

Pop3Dialogue::LineResult Pop3Dialogue::handleLine(int i, const QByteArray& bytes,
                                                  MailAction& action) {
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
                                                      MailAction& action) {
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

} // namespace kova
