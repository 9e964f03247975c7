// The POP3 dialogue: any server bytes, cut into any pieces and mixed with
// send completions, a close or an error, end the dialogue cleanly: never a
// crash, never a number read wrong, never more sent than the four commands.

#include "mail/pop3_dialogue.h"
#include "mail_dialogue_fuzz.h"

#include <QByteArray>

using namespace kova;
using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const int account = data[0] % kMailAccountCount;
    const bool tls = data[0] & 0x80;
    Pop3Dialogue dialogue;
    MailAccount settings{u"110"_s,
                         u"pop.example.org"_s,
                         u"alice"_s,
                         u"pw"_s,
                         tls ? MailSecurity::StartTls : MailSecurity::None,
                         {}};
    MailAction action = dialogue.start(account, settings);
    action = dialogue.connected(account);
    QByteArray sent;
    // The rest comes in pieces: a control byte says how long the next piece
    // is and what happens after it.
    size_t at = 1;
    while (at < size && dialogue.mailBusy()) {
        const uint8_t control = data[at++];
        const size_t length = std::min<size_t>(control & 0x1F, size - at);
        action = dialogue.dataArrived(
            account, QByteArray(reinterpret_cast<const char*>(data + at), qsizetype(length)));
        at += length;
        sent += action.send;
        switch (control >> 5) {
        case 0:
            dialogue.sendComplete(account);
            break;
        case 1:
            if (action.question)
                action = dialogue.trustAnswered(account, control & 1);
            break;
        case 2:
            action = dialogue.encrypted(account);
            break;
        default:
            break;
        }
        sent += action.send;
    }
    fuzz::endDialogue(dialogue, account, size & 1);
    // Only the four commands (and STLS), each a whole line.
    for (const QByteArray& line : sent.split('\n')) {
        if (line.isEmpty())
            continue;
        fuzz::require(line.startsWith("USER ") || line.startsWith("PASS ") || line == "STAT\r" ||
                          line == "QUIT\r" || line == "STLS\r",
                      "sent something else");
    }
    return 0;
}
