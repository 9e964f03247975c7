#include "mail/pop3_dialogue.h"

#include "mail/mail_texts.h"
#include "platform/text_codec.h"

#include <limits>

namespace kova {

using namespace Qt::StringLiterals;
using namespace mailtext;

namespace {

const QByteArray kCrLf = QByteArrayLiteral("\r\n");

} // namespace

std::optional<qint32> leadingNumber(QStringView text) {
    qint64 value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            break;
        value = value * 10 + (c.unicode() - u'0');
        if (value > std::numeric_limits<qint32>::max())
            return std::nullopt;
    }
    return static_cast<qint32>(value);
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
    userState_ = passState_ = statState_ = 0;
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
    action.connect = true;
    action.host = account.server;
    action.port = static_cast<quint16>(*port);
    connection_ = 1;
    return action;
}

Pop3Action Pop3Dialogue::connected(int) {
    connection_ = 2;
    return {};
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
                buffer = joined.sliced(from);
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
            const std::optional<qint32> count =
                gap < 0 ? std::nullopt : leadingNumber(QStringView(rest).left(gap));
            const std::optional<qint32> size =
                gap < 0 ? std::nullopt : leadingNumber(QStringView(rest).sliced(gap + 1));
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
        return LineResult::Stop;
    } else if (passState_ == 0) {
        action.send += "PASS " + toShiftJis(password_) + kCrLf;
        passState_ = 1;
    } else if (passState_ == 4) {
        const qsizetype gap = rest.indexOf(u' ');
        const QString reason = (gap < 0 ? rest.chopped(2) : rest.left(gap)).toUpper();
        passState_ = reason == u"[IN-USE]"_s ? 6 : 5;
        return LineResult::Stop;
    } else if (statState_ == 0 && passState_ == 3) {
        action.send += "STAT" + kCrLf;
        statState_ = 1;
    } else {
        action.send += "QUIT" + kCrLf;
        connection_ = 1;
    }
    return LineResult::Next;
}

Pop3Action Pop3Dialogue::closed(int i) {
    Pop3Action action;
    // A socket the server closed is still open on our side until we close it.
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
    if (socketOpen)
        action.closeSocket = true;
    connection_ = 0;
    end(action);
}

Pop3Action Pop3Dialogue::error(int i, int winsockNumber, const QString& description,
                               bool socketOpen) {
    Pop3Action action;
    if (socketOpen)
        closeHandling(i, true, action);
    const QString tag = accountTag(i);
    switch (winsockNumber) {
    case 11001:
    case kTimedOutError:
        action.messages << tag + kHostNotFoundTail;
        break;
    case 10061:
        action.messages << tag + kRefusedTail;
        break;
    case 10049:
        action.messages << tag + kAddressTail;
        break;
    case 10053:
        action.messages << tag + kAbortedTail;
        break;
    default:
        action.messages << tag + kOtherErrorTail + QString::number(winsockNumber) + u':' +
                               description;
    }
    end(action);
    return action;
}

Pop3Action Pop3Dialogue::timedOut(int i) {
    return error(i, kTimedOutError, QString(), true);
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
