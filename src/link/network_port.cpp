#include "link/network_port.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "link/link_settings.h"

namespace tramond {
namespace {

constexpr std::string_view kSocketScheme = "socket://";
constexpr std::string_view kRfc2217Scheme = "rfc2217://";

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    return std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
}

std::string_view schemePrefix(NetworkScheme scheme) {
    return scheme == NetworkScheme::Rfc2217 ? kRfc2217Scheme : kSocketScheme;
}

bool hostNameCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_';
}

bool ipv6Character(char c) { return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.'; }

bool fail(std::string* problem, std::string text) {
    if (problem) *problem = std::move(text);
    return false;
}

// HOST:PORT after the scheme.
bool splitEndpoint(std::string_view rest, NetworkPortAddress& out, std::string* problem) {
    std::string_view host;
    std::string_view port;
    if (!rest.empty() && rest.front() == '[') {
        const auto close = rest.find(']');
        if (close == std::string_view::npos) return fail(problem, "an IPv6 address needs its closing ']'");
        host = rest.substr(1, close - 1);
        if (host.empty() || !std::all_of(host.begin(), host.end(), ipv6Character))
            return fail(problem, "not an IPv6 address: " + std::string(host));
        rest.remove_prefix(close + 1);
        if (rest.empty() || rest.front() != ':') return fail(problem, "the TCP port is missing (HOST:PORT)");
        port = rest.substr(1);
    } else {
        const auto colon = rest.rfind(':');
        if (colon == std::string_view::npos) return fail(problem, "the TCP port is missing (HOST:PORT)");
        host = rest.substr(0, colon);
        port = rest.substr(colon + 1);
        if (host.empty()) return fail(problem, "the host is missing (HOST:PORT)");
        if (host.size() > 253 || !std::all_of(host.begin(), host.end(), hostNameCharacter))
            return fail(problem, "not a host name: " + std::string(host));
    }
    unsigned value = 0;
    const auto [ptr, ec] = std::from_chars(port.data(), port.data() + port.size(), value);
    if (port.empty() || ec != std::errc() || ptr != port.data() + port.size() || value < 1 || value > 65535)
        return fail(problem, "the TCP port must be a number from 1 to 65535: " + std::string(port));
    out.host = std::string(host);
    out.port = static_cast<std::uint16_t>(value);
    return true;
}

}  // namespace

std::string NetworkPortAddress::endpoint() const {
    const bool v6 = host.find(':') != std::string::npos;
    return (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

std::string NetworkPortAddress::url() const { return std::string(schemePrefix(scheme)) + endpoint(); }

bool isNetworkPortName(std::string_view name) {
    return startsWithNoCase(name, kSocketScheme) || startsWithNoCase(name, kRfc2217Scheme);
}

std::optional<NetworkPortAddress> parseNetworkPort(std::string_view name, std::string* problem) {
    NetworkPortAddress out;
    if (startsWithNoCase(name, kSocketScheme)) {
        out.scheme = NetworkScheme::RawTcp;
        name.remove_prefix(kSocketScheme.size());
    } else if (startsWithNoCase(name, kRfc2217Scheme)) {
        out.scheme = NetworkScheme::Rfc2217;
        name.remove_prefix(kRfc2217Scheme.size());
    } else {
        fail(problem, "not a network port (socket://HOST:PORT or rfc2217://HOST:PORT)");
        return std::nullopt;
    }
    // A trailing slash is what a pasted URL often carries; nothing else may follow.
    if (!name.empty() && name.back() == '/') name.remove_suffix(1);
    if (!splitEndpoint(name, out, problem)) return std::nullopt;
    return out;
}

std::string networkProblem(const NetworkPortAddress& address, const std::string& what) {
    return "Network port " + address.url() + ": " + what;
}

std::string baudRefused(int asked, int set) {
    return "the far side set " + std::to_string(set) + " baud instead of " + std::to_string(asked);
}

NetworkPortFields networkPortFields(std::string_view name) {
    NetworkPortFields fields;
    if (const auto address = parseNetworkPort(name)) {
        fields.scheme = address->scheme;
        fields.host = address->host;
        fields.port = std::to_string(address->port);
    }
    return fields;
}

std::optional<std::string> networkPortName(const NetworkPortFields& fields, std::string* problem) {
    auto trim = [](std::string_view t) {
        while (!t.empty() && std::isspace(static_cast<unsigned char>(t.front()))) t.remove_prefix(1);
        while (!t.empty() && std::isspace(static_cast<unsigned char>(t.back()))) t.remove_suffix(1);
        return t;
    };
    std::string host(trim(fields.host));
    // An IPv6 address may be typed with or without its brackets.
    if (host.find(':') != std::string::npos && host.front() != '[') host = "[" + host + "]";
    const std::string typed = std::string(schemePrefix(fields.scheme)) + host + ":" + std::string(trim(fields.port));
    const auto parsed = parseNetworkPort(typed, problem);
    if (!parsed) return std::nullopt;
    return parsed->url();
}

std::string limitPortName(std::string name) {
    const std::size_t limit = isNetworkPortName(name) ? kMaxNetworkPortNameLength : kMaxPortNameLength;
    if (name.size() > limit) name.resize(limit);
    return name;
}

}  // namespace tramond
