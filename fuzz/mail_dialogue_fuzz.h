#pragma once

// Shared by the fuzz targets of the mail dialogues.

#include "fuzz_support.h"
#include "mail/mail_dialogue.h"

namespace kova::fuzz {

// Whatever the server sent, a close or an error ends the dialogue, and what
// it counted is never below zero.
inline void endDialogue(MailDialogue& dialogue, int account, bool byClose) {
    using namespace Qt::StringLiterals;
    if (dialogue.mailBusy()) {
        if (byClose)
            dialogue.closed(account);
        else
            dialogue.error(account, 10053, u"aborted"_s, true);
        require(!dialogue.mailBusy(), "a close leaves the dialogue running");
    }
    require(dialogue.messageCount() >= 0 && dialogue.mailboxSize() >= 0,
            "a negative count or size");
}

} // namespace kova::fuzz
