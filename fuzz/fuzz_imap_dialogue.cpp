// The IMAP dialogue: any server bytes, cut into any pieces and mixed with
// send completions, a TLS handshake, a close or an error, end the dialogue
// cleanly: never a crash, never a count or size below zero or past what was
// said, never a command but those of a check, never a password before
// TLS where STARTTLS was chosen.

#include "mail/imap_dialogue.h"
#include "mail_dialogue_fuzz.h"

#include <QByteArray>

using namespace kova;
using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const int account = data[0] % kMailAccountCount;
    const bool tls = data[0] & 0x80;
    // A password that must go as a literal now and then.
    const QString password = (data[0] & 0x40) ? u"pä\"ss"_s : u"pw"_s;
    ImapDialogue dialogue;
    MailAccount settings{u"143"_s,
                         u"imap.example.org"_s,
                         u"alice"_s,
                         password,
                         tls ? MailSecurity::StartTls : MailSecurity::None,
                         {},
                         MailProtocol::Imap};
    MailAction action = dialogue.start(account, settings);
    action = dialogue.connected(account);
    QByteArray sent;
    QByteArray clearText; // sent before TLS
    bool secure = !tls;
    size_t at = 1;
    while (at < size && dialogue.mailBusy()) {
        const uint8_t control = data[at++];
        const size_t length = std::min<size_t>(control & 0x3F, size - at);
        action = dialogue.dataArrived(
            account, QByteArray(reinterpret_cast<const char*>(data + at), qsizetype(length)));
        at += length;
        sent += action.send;
        if (!secure)
            clearText += action.send;
        if ((control >> 6) == 1 && action.startTls) {
            action = dialogue.encrypted(account);
            secure = true;
            sent += action.send;
        }
    }
    fuzz::endDialogue(dialogue, account, size & 1);
    fuzz::require(!clearText.contains("LOGIN") && !clearText.contains("pw") &&
                      !clearText.contains("ss"),
                  "the login went out before TLS");
    // Only the commands of a check, each tagged, and the login's literals.
    for (const QByteArray& line : sent.split('\n')) {
        if (line.isEmpty())
            continue;
        const qsizetype gap = line.indexOf(' ');
        const QByteArray command = line.mid(gap + 1);
        const bool known =
            line.startsWith('k') &&
            (command == "CAPABILITY\r" || command == "STARTTLS\r" || command.startsWith("LOGIN ") ||
             command == "STATUS INBOX (MESSAGES SIZE)\r" || command == "EXAMINE INBOX\r" ||
             command == "FETCH 1:* (RFC822.SIZE)\r" || command == "LOGOUT\r");
        fuzz::require(known || line.startsWith("p\xc3\xa4\"ss"), "sent something else");
    }
    return 0;
}
