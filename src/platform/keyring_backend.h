#pragma once

#include <QString>

#include <functional>

// What the program and its keyring module (kovashell-keyring.so) share. The
// module carries the keyring library, so the program loads it only when a
// password is to be stored or read, never at start.
namespace kova {

enum class KeyringOutcome {
    Ok,
    NotFound,
    // Locked and not unlocked, or access refused.
    Refused,
    // No keyring service here (nor the module).
    Unavailable,
    Failed,
};

class KeyringBackend {
public:
    enum class Operation { Read, Write, Remove };
    // The secret for a read; a short reason otherwise (for the log: it never
    // holds a password).
    using Done = std::function<void(KeyringOutcome, const QString& secretOrReason)>;

    virtual ~KeyringBackend() = default;
    // Asynchronous; `done` runs later on the calling thread, once.
    virtual void start(Operation operation, const QString& service, const QString& key,
                       const QString& secret, Done done) = 0;
};

} // namespace kova

namespace kova {
// The module's file, beside the program, and its one entry point.
inline constexpr char kKeyringModule[] = "kovashell-keyring.so";
inline constexpr char kKeyringEntry[] = "kovaKeyringBackend";
using KeyringEntry = KeyringBackend* (*)();
} // namespace kova
