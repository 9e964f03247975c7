#pragma once

#include <QString>

// What the mail socket tells the dialogue, in terms the dialogue decides on:
// no Qt Network type here.
namespace kova {

// Error numbers: those of the Winsock control the dialogue was written for,
// and our own for what it did not know.
namespace socketerror {
inline constexpr int kHostNotFound = 11001;
inline constexpr int kTimedOut = 10060;
inline constexpr int kRefused = 10061;
inline constexpr int kAddressNotAvailable = 10049;
inline constexpr int kAborted = 10053;
inline constexpr int kReset = 10054;
inline constexpr int kTlsFailed = 30001;
inline constexpr int kTlsTimedOut = 30002;
inline constexpr int kTlsUnavailable = 30003;
// Any other failure: this plus Qt's QAbstractSocket::SocketError value
// (UnknownSocketError: 19999).
inline constexpr int kOtherBase = 20000;
} // namespace socketerror

// What is wrong with a server's certificate that did not verify.
struct CertificateCheck {
    enum Problem {
        SelfSigned = 1,
        UnknownIssuer = 2,
        Expired = 4,
        NotYetValid = 8,
        WrongName = 16,
        Revoked = 32,
        Other = 64,
    };
    int problems = 0; // Problem flags
    // SHA-256 of the server's own certificate, upper-case hex pairs joined
    // by ":", as `openssl x509 -fingerprint -sha256` prints it.
    QString fingerprint;
};

} // namespace kova
