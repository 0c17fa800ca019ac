#pragma once
// Registers reached through a serial-to-network converter or ser2net. Such a
// port is named by URL wherever a port name is accepted:
//   socket://HOST:PORT    raw TCP: the bytes of the line, nothing else
//   rfc2217://HOST:PORT   telnet with the COM-PORT option: the far side's
//                         baud rate and framing are set from here
// HOST is a name, an IPv4 address or an IPv6 address in brackets.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tramond {

enum class NetworkScheme { RawTcp, Rfc2217 };

struct NetworkPortAddress {
    NetworkScheme scheme = NetworkScheme::RawTcp;
    std::string host;  // without the brackets of an IPv6 address
    std::uint16_t port = 0;

    // The port name again, in its canonical spelling.
    std::string url() const;
    // "HOST:PORT" ("[::1]:PORT"), for messages.
    std::string endpoint() const;
};

// A network port name can be far longer than a COM name; it is kept whole.
inline constexpr std::size_t kMaxNetworkPortNameLength = 300;

// True when the name starts with one of the two schemes (any case), whether
// or not the rest is well formed.
bool isNetworkPortName(std::string_view name);

// The parts of a network port name; std::nullopt, with the reason in
// problem, when the name is not one or is malformed.
std::optional<NetworkPortAddress> parseNetworkPort(std::string_view name, std::string* problem = nullptr);

// How a network port failed, for the line after "Check COMM Port!!" or
// "Check RS232 Connection !!".
inline constexpr const char* kHostNotFound = "host not found";
inline constexpr const char* kConnectionRefused = "connection refused (is ser2net or the converter running?)";
inline constexpr const char* kConnectionClosed = "the connection was closed by the far side";
inline constexpr const char* kNoAnswer = "no answer";
inline constexpr const char* kNetworkForbidden =
    "this process may not open network connections (for the nightly unit: its network-port drop-in)";
inline constexpr const char* kNoRfc2217Answer = "no answer to the serial port settings (RFC 2217)";
inline constexpr const char* kRfc2217Refused =
    "the far side does not set its serial port (no RFC 2217); use socket:// for a raw connection";
// "Network port rfc2217://HOST:PORT: what".
std::string networkProblem(const NetworkPortAddress& address, const std::string& what);
std::string baudRefused(int asked, int set);

// The fields of the "Network port..." form: the kind, the host and the TCP
// port as typed.
struct NetworkPortFields {
    NetworkScheme scheme = NetworkScheme::Rfc2217;
    std::string host;
    std::string port;
};
// The form's fields for a port name: its parts when it is a network port,
// an empty RFC 2217 form otherwise.
NetworkPortFields networkPortFields(std::string_view name);
// The port name the fields make, or std::nullopt with the reason in problem.
std::optional<std::string> networkPortName(const NetworkPortFields& fields, std::string* problem = nullptr);

// The stored or typed port name cut to what a port name may hold: a COM name
// to 12 characters, a network port name to kMaxNetworkPortNameLength (cutting
// a URL would aim the link at another host).
std::string limitPortName(std::string name);

}  // namespace tramond
