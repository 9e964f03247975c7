#include "mail/imap_dialogue.h"

#include "mail/mail_texts.h"

#include <limits>

namespace kova {

using namespace Qt::StringLiterals;
using namespace mailtext;

namespace {

// A whole token of digits, as IMAP writes numbers; nullopt for anything else.
std::optional<qint64> number(QByteArrayView token) {
    if (token.isEmpty())
        return std::nullopt;
    for (char c : token)
        if (c < '0' || c > '9')
            return std::nullopt;
    return leadingNumber64(QString::fromLatin1(token));
}

// A string as LOGIN takes it: quoted where that can hold it, else a
// literal (nullopt) for the text to follow the server's "+".
std::optional<QByteArray> quoted(const QByteArray& text) {
    QByteArray q = "\"";
    for (char c : text) {
        if (c == '\r' || c == '\n' || (c & 0x80))
            return std::nullopt;
        if (c == '"' || c == '\\')
            q += '\\';
        q += c;
    }
    return q + '"';
}

// The literal a line ends with ("{12}" or "{12+}"): its size, else -1; -2
// for one too large to be a size.
qint64 literalAtEnd(QByteArrayView line) {
    if (!line.endsWith('}'))
        return -1;
    const qsizetype open = line.lastIndexOf('{');
    if (open < 0)
        return -1;
    QByteArrayView digits = line.sliced(open + 1, line.size() - open - 2);
    if (digits.endsWith('+'))
        digits.chop(1);
    const std::optional<qint64> size = number(digits);
    return size ? *size : (digits.isEmpty() ? -1 : -2);
}

// The word that starts at `from`; empty past the end.
QByteArrayView wordAt(QByteArrayView line, qsizetype from) {
    if (from >= line.size())
        return {};
    const qsizetype gap = line.indexOf(' ', from);
    return line.sliced(from, (gap < 0 ? line.size() : gap) - from);
}

// The list of a "[CAPABILITY ...]" response code in an upper-case line.
std::optional<QByteArray> capabilityCode(const QByteArray& upper) {
    const QByteArray code = "[CAPABILITY ";
    const qsizetype at = upper.indexOf(code);
    if (at < 0)
        return std::nullopt;
    const qsizetype from = at + code.size();
    const qsizetype close = upper.indexOf(']', from);
    return upper.sliced(from, (close < 0 ? upper.size() : close) - from);
}

} // namespace

void ImapDialogue::restart(int i) {
    // Unlike POP3's, no text of an earlier connection leads the next.
    buffers_[i].clear();
    step_ = Step::Greeting;
    tag_ = 0;
    pending_.clear();
    literals_.clear();
    capabilities_ = statusSize_ = loginDisabled_ = startTlsOffered_ = false;
    loggedIn_ = answered_ = false;
    exists_ = 0;
    statusMessages_.reset();
    statusBytes_.reset();
    refusal_ = Refusal::None;
}

bool ImapDialogue::canSend(const QString& text) const {
    return !text.contains(QChar(0));
}

QString ImapDialogue::progress() const {
    static const char* const names[] = {"greeting", "CAPABILITY", "STARTTLS", "LOGIN",
                                        "STATUS",   "EXAMINE",    "FETCH",    "LOGOUT"};
    return u"IMAP at "_s + QLatin1String(names[int(step_)]);
}

void ImapDialogue::command(Step step, const QByteArray& text, MailAction& action) {
    step_ = step;
    action.send += 'k' + QByteArray::number(++tag_) + ' ' + text + "\r\n";
}

ImapDialogue::LineResult ImapDialogue::handleLine(int i, const QByteArray& bytes,
                                                  MailAction& action) {
    const QByteArrayView line = QByteArrayView(bytes).chopped(2);
    const qint64 literal = literalAtEnd(line);
    if (literal == -2) {
        fail(i, action);
        return LineResult::Stop;
    }
    if (literal >= 0) {
        // The literal's bytes are passed over unread; a mailbox name or a
        // text is all a literal holds in the replies we ask for.
        pending_ += line.first(line.lastIndexOf('{'));
        pending_ += "\"\"";
        skip_ = literal;
        if (pending_.size() > kBufferLimit) {
            pending_.clear();
            fail(i, action);
            return LineResult::Stop;
        }
        return LineResult::Next;
    }
    QByteArray response = pending_;
    response += line;
    pending_.clear();
    return handleResponse(i, response, action);
}

ImapDialogue::LineResult ImapDialogue::handleResponse(int i, const QByteArray& line,
                                                      MailAction& action) {
    if (line.startsWith("* "))
        return handleUntagged(i, line, action);
    // A POP3 greeting ("+OK") is no continuation.
    if (line.startsWith('+') && step_ != Step::Greeting) {
        if (!literals_.isEmpty())
            action.send += literals_.takeFirst();
        return LineResult::Next;
    }
    const QByteArray tag = 'k' + QByteArray::number(tag_) + ' ';
    if (tag_ > 0 && line.startsWith(tag)) {
        const QByteArray status = wordAt(line, tag.size()).toByteArray().toUpper();
        if (status == "OK" || status == "NO" || status == "BAD")
            return handleTagged(i, status, line, action);
    }
    // Not IMAP, or not an answer to anything we said.
    fail(i, action);
    return LineResult::Stop;
}

ImapDialogue::LineResult ImapDialogue::handleUntagged(int i, const QByteArray& line,
                                                      MailAction& action) {
    const QByteArray first = wordAt(line, 2).toByteArray().toUpper();
    const QByteArray upper = line.toUpper();
    if (const auto list = capabilityCode(upper); list && (first == "OK" || first == "PREAUTH"))
        readCapabilities(*list);
    if (first == "CAPABILITY")
        readCapabilities(upper.sliced(2 + first.size()));
    if (first == "BYE") {
        if (step_ == Step::Logout)
            return LineResult::Next;
        // The server ends the connection; what is in counts.
        if (answered_)
            closeHandling(i, true, action);
        else
            endWithMessage(i, kResetTail, action);
        return LineResult::Stop;
    }
    if (step_ == Step::Greeting) {
        if (first == "PREAUTH" && tls_ != Tls::AwaitGreeting) {
            loggedIn_ = true;
            return afterLogin(action);
        }
        if (first != "OK") {
            fail(i, action);
            return LineResult::Stop;
        }
        return afterGreeting(i, action);
    }
    const QByteArray second = wordAt(line, 2 + first.size() + 1).toByteArray().toUpper();
    if (step_ == Step::Examine && second == "EXISTS") {
        exists_ = number(first).value_or(exists_);
    } else if (step_ == Step::Status && first == "STATUS") {
        if (!readStatus(upper)) {
            fail(i, action);
            return LineResult::Stop;
        }
    } else if (step_ == Step::Fetch && second == "FETCH") {
        if (!addFetched(upper)) {
            fail(i, action);
            return LineResult::Stop;
        }
    }
    return LineResult::Next;
}

ImapDialogue::LineResult ImapDialogue::handleTagged(int i, const QByteArray& status,
                                                    const QByteArray& line, MailAction& action) {
    const bool ok = status == "OK";
    const QByteArray upper = line.toUpper();
    if (const auto list = capabilityCode(upper); list && ok)
        readCapabilities(*list);
    switch (step_) {
    case Step::Greeting:
        break;
    case Step::Capability:
        if (!ok)
            break;
        capabilities_ = true;
        return loggedIn_ ? afterLogin(action) : login(i, action);
    case Step::StartTls:
        if (!ok) {
            endWithMessage(i, kStlsRefusedTail, action);
            return LineResult::Stop;
        }
        action.startTls = true;
        tls_ = Tls::Handshake;
        return LineResult::Stop;
    case Step::Login:
        if (ok) {
            loggedIn_ = true;
            return afterLogin(action);
        }
        if (upper.contains("[PRIVACYREQUIRED]")) {
            endWithMessage(i, kLoginDisabledTail, action);
            return LineResult::Stop;
        }
        if (status == "BAD")
            break;
        // Nothing more is said, as after a refused POP3 password.
        refusal_ = upper.contains("[INUSE]") ? Refusal::InUse : Refusal::BadPassword;
        closeHandling(i, true, action);
        return LineResult::Stop;
    case Step::Status:
        if (ok && !(statusMessages_ && statusBytes_))
            break;
        if (ok) {
            count_ = *statusMessages_;
            size_ = *statusBytes_;
            answered_ = true;
        }
        // A refused count is answered with LOGOUT, as a refused STAT with QUIT.
        command(Step::Logout, "LOGOUT", action);
        return LineResult::Next;
    case Step::Examine:
        if (ok && exists_ > 0) {
            command(Step::Fetch, "FETCH 1:* (RFC822.SIZE)", action);
            return LineResult::Next;
        }
        answered_ = ok;
        command(Step::Logout, "LOGOUT", action);
        return LineResult::Next;
    case Step::Fetch:
        answered_ = ok;
        if (!ok)
            count_ = size_ = 0;
        command(Step::Logout, "LOGOUT", action);
        return LineResult::Next;
    case Step::Logout:
        closeHandling(i, true, action);
        return LineResult::Stop;
    }
    fail(i, action);
    return LineResult::Stop;
}

ImapDialogue::LineResult ImapDialogue::afterGreeting(int i, MailAction& action) {
    if (tls_ == Tls::AwaitGreeting) {
        // Once TLS was asked for, nothing goes out in clear text but STARTTLS.
        if (capabilities_ && !startTlsOffered_) {
            endWithMessage(i, kStlsRefusedTail, action);
            return LineResult::Stop;
        }
        tls_ = Tls::AwaitStls;
        command(Step::StartTls, "STARTTLS", action);
        return LineResult::Next;
    }
    if (!capabilities_) {
        command(Step::Capability, "CAPABILITY", action);
        return LineResult::Next;
    }
    return login(i, action);
}

void ImapDialogue::startTlsDone(int, MailAction& action) {
    // What the server said before TLS is not to be trusted now.
    capabilities_ = statusSize_ = loginDisabled_ = startTlsOffered_ = false;
    command(Step::Capability, "CAPABILITY", action);
}

ImapDialogue::LineResult ImapDialogue::login(int i, MailAction& action) {
    if (loginDisabled_) {
        endWithMessage(i, kLoginDisabledTail, action);
        return LineResult::Stop;
    }
    // The capabilities change with the login: those after it decide the count.
    capabilities_ = statusSize_ = false;
    QList<QByteArray> parts = {'k' + QByteArray::number(tag_ + 1) + " LOGIN "};
    for (const QString* text : {&user_, &password_}) {
        const QByteArray bytes = text->toUtf8();
        if (const std::optional<QByteArray> q = quoted(bytes)) {
            parts.last() += *q;
        } else {
            parts.last() += '{' + QByteArray::number(bytes.size()) + "}\r\n";
            parts << bytes;
        }
        parts.last() += text == &user_ ? " " : "\r\n";
    }
    ++tag_;
    step_ = Step::Login;
    action.send += parts.takeFirst();
    literals_ = parts;
    return LineResult::Next;
}

ImapDialogue::LineResult ImapDialogue::afterLogin(MailAction& action) {
    if (!capabilities_) {
        command(Step::Capability, "CAPABILITY", action);
        return LineResult::Next;
    }
    count(action);
    return LineResult::Next;
}

void ImapDialogue::count(MailAction& action) {
    if (statusSize_)
        command(Step::Status, "STATUS INBOX (MESSAGES SIZE)", action);
    else
        command(Step::Examine, "EXAMINE INBOX", action);
}

void ImapDialogue::readCapabilities(const QByteArray& list) {
    capabilities_ = true;
    for (const QByteArray& word : list.split(' ')) {
        statusSize_ = statusSize_ || word == "STATUS=SIZE";
        loginDisabled_ = loginDisabled_ || word == "LOGINDISABLED";
        startTlsOffered_ = startTlsOffered_ || word == "STARTTLS";
    }
}

// "* STATUS INBOX (MESSAGES 3 SIZE 537)", upper case.
bool ImapDialogue::readStatus(const QByteArray& line) {
    const qsizetype open = line.lastIndexOf('(');
    const qsizetype close = line.indexOf(')', open);
    if (open < 0 || close < 0)
        return false;
    const QList<QByteArray> words = line.sliced(open + 1, close - open - 1).split(' ');
    for (qsizetype w = 0; w + 1 < words.size(); w += 2) {
        const std::optional<qint64> value = number(words[w + 1]);
        if (!value)
            return false;
        if (words[w] == "MESSAGES")
            statusMessages_ = value;
        else if (words[w] == "SIZE")
            statusBytes_ = value;
    }
    return true;
}

// "* 12 FETCH (RFC822.SIZE 4321 ...)", upper case; a FETCH without a size
// (a change of flags) counts nothing.
bool ImapDialogue::addFetched(const QByteArray& line) {
    const QByteArray item = "RFC822.SIZE ";
    const qsizetype at = line.indexOf(item);
    if (at < 0)
        return true;
    QByteArrayView word = wordAt(line, at + item.size());
    while (word.endsWith(')'))
        word.chop(1);
    const std::optional<qint64> value = number(word);
    if (!value || size_ > std::numeric_limits<qint64>::max() - *value)
        return false;
    ++count_;
    size_ += *value;
    return true;
}

} // namespace kova
