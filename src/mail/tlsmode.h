// How a mail connection is protected, and when a password may go over it.
#pragma once

#include <optional>
#include <string_view>

namespace tavi {

// None: plain text all the way. StartTls: plain at first, encrypted on the server's offer
// (SMTP STARTTLS, POP3 STLS) before anything secret goes. Implicit: encrypted from the first
// byte (ports 465 and 995).
enum class TTlsMode { None, StartTls, Implicit };

// "none", "starttls" or "implicit" (any case); nothing for another name.
std::optional<TTlsMode> ParseTlsMode(std::string_view name);
const char* TlsModeName(TTlsMode mode);
// Implicit on the ports that speak TLS from the start (465, 995), StartTls everywhere else:
// a plain connection has to be asked for.
TTlsMode DefaultTlsMode(int port);

// Whether an address (as text, "127.0.0.1", "::1", "::ffff:127.0.0.1") is this machine's own
// loopback address.
bool IsLoopbackAddress(std::string_view address);
// Whether a password may be sent to the peer: over an encrypted connection, or to a server on
// this machine, whose traffic never leaves it.
bool MaySendSecret(bool encrypted, std::string_view peerAddress);

} // namespace tavi
