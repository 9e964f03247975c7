#pragma once

#include "mail/mail_dialogue.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <optional>

namespace kova::test {

// Drives one account's dialogue (POP3 or IMAP) as the socket owner would:
// every send completes at once, and everything asked of the owner is
// recorded.
template <class Dialogue> struct DialogueDriver {
    Dialogue dialogue;
    MailAccount account;
    int i = 0;
    QByteArray sent;
    std::optional<QString> label;
    QStringList messages;
    bool shown = false;
    bool socketClosed = false;
    bool ended = false;
    bool startedTls = false;
    int beeps = 0;

    void take(const MailAction& a) {
        sent += a.send;
        if (a.label)
            label = a.label;
        messages += a.messages;
        shown = shown || a.showResult;
        socketClosed = socketClosed || a.closeSocket;
        ended = ended || a.ended;
        startedTls = startedTls || a.startTls;
        beeps += a.beep ? 1 : 0;
        if (!a.send.isEmpty())
            dialogue.sendComplete(i);
    }
    void open() { open(account); }
    void open(const MailAccount& acc) {
        take(dialogue.start(i, acc));
        socketClosed = false;
        take(dialogue.connected(i));
    }
    // Replies arrive one chunk per event; the server closes when the dialogue
    // has not ended by itself.
    void run(const QList<QByteArray>& chunks, bool serverCloses) {
        open();
        for (const QByteArray& chunk : chunks)
            take(dialogue.dataArrived(i, chunk));
        if (serverCloses && !ended)
            take(dialogue.closed(i));
    }
    // STARTTLS: the handshake succeeds where the dialogue asks for one, if
    // `handshakes`.
    void runStartTls(const QList<QByteArray>& chunks, bool handshakes) {
        open();
        for (const QByteArray& chunk : chunks) {
            const MailAction action = dialogue.dataArrived(i, chunk);
            take(action);
            if (action.startTls && handshakes)
                take(dialogue.encrypted(i));
        }
        if (!ended)
            take(dialogue.closed(i));
    }
    // Ended, its socket closed, the run told, and no password in a text.
    bool endedCleanly() const {
        return ended && socketClosed && !dialogue.mailBusy() && dialogue.done() && !leaksPassword();
    }
    bool leaksPassword() const {
        bool leak = label && label->contains(account.password);
        for (const QString& m : messages)
            leak = leak || m.contains(account.password);
        return leak;
    }
};

} // namespace kova::test
