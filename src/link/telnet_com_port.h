#pragma once
// The client side of a telnet connection with the COM-PORT option (RFC 2217),
// as spoken by ser2net and serial-to-Ethernet converters: the line's bytes
// with IAC doubled, the option negotiation, and the commands that set the
// far side's serial port. No I/O here: the adapters feed what they receive
// and send what comes out.

#include <bitset>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tramond::telnet {

inline constexpr std::uint8_t kIac = 255;
inline constexpr std::uint8_t kDont = 254;
inline constexpr std::uint8_t kDo = 253;
inline constexpr std::uint8_t kWont = 252;
inline constexpr std::uint8_t kWill = 251;
inline constexpr std::uint8_t kSb = 250;
inline constexpr std::uint8_t kSe = 240;

inline constexpr std::uint8_t kOptBinary = 0;
inline constexpr std::uint8_t kOptSuppressGoAhead = 3;
inline constexpr std::uint8_t kOptComPort = 44;

// COM-PORT commands from the client; the server answers with the same
// command + 100 and the value it applied.
enum class ComCommand : std::uint8_t {
    SetBaudRate = 1,
    SetDataSize = 2,
    SetParity = 3,
    SetStopSize = 4,
    SetControl = 5,
    PurgeData = 12,
};
inline constexpr std::uint8_t kServerAnswerOffset = 100;

enum class Parity : std::uint8_t { None = 1, Odd = 2, Even = 3, Mark = 4, Space = 5 };
enum class StopSize : std::uint8_t { One = 1, Two = 2, OneAndHalf = 3 };
// SET-CONTROL values used here.
enum class Control : std::uint8_t {
    NoFlowControl = 1,
    HardwareFlowControl = 3,
    DtrOn = 8,
    DtrOff = 9,
    RtsOn = 11,
    RtsOff = 12,
};
enum class Purge : std::uint8_t { Receive = 1, Transmit = 2, Both = 3 };

class ComPortClient {
public:
    enum class Offer { Pending, Accepted, Refused };

    // What the client says first: it will do COM-PORT, and binary
    // transmission with go-ahead suppressed both ways.
    std::vector<std::uint8_t> opening();

    // The line's bytes as they go on the wire (IAC doubled; outside binary
    // mode a CR is followed by NUL, as telnet wants).
    void encode(std::span<const std::uint8_t> data, std::vector<std::uint8_t>& out) const;

    void setBaudRate(std::uint32_t baud, std::vector<std::uint8_t>& out) const;
    void setDataSize(std::uint8_t bits, std::vector<std::uint8_t>& out) const;
    void setParity(Parity parity, std::vector<std::uint8_t>& out) const;
    void setStopSize(StopSize size, std::vector<std::uint8_t>& out) const;
    void setControl(Control value, std::vector<std::uint8_t>& out) const;
    void purge(Purge which, std::vector<std::uint8_t>& out) const;

    // Takes what arrived, in any slicing: line bytes are appended to data,
    // anything owed to the far side (answers to its negotiation) to reply.
    void receive(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& data,
                 std::vector<std::uint8_t>& reply);

    // The far side's answer to the COM-PORT offer.
    Offer comPort() const { return comPort_; }
    // The baud rate the far side reported it set, once it answered.
    std::optional<std::uint32_t> confirmedBaudRate() const { return baud_; }
    // How many COM-PORT answers arrived: a caller waits for its commands'.
    std::uint64_t answers() const { return answers_; }
    bool sendsBinary() const { return us_[kOptBinary]; }
    bool receivesBinary() const { return him_[kOptBinary]; }

private:
    void command(ComCommand cmd, std::span<const std::uint8_t> value, std::vector<std::uint8_t>& out) const;
    void oneByte(ComCommand cmd, std::uint8_t value, std::vector<std::uint8_t>& out) const;
    void negotiate(std::uint8_t verb, std::uint8_t option, std::vector<std::uint8_t>& reply);
    void subnegotiation();

    enum class State { Data, Iac, Verb, Sub, SubIac, AfterCr };
    State state_ = State::Data;
    std::uint8_t verb_ = 0;
    std::vector<std::uint8_t> sub_;
    // Options in force on our side (we WILL) and the far side's (it WILL),
    // and those asked for and not yet answered: an answer to our own request
    // is not answered again, so no negotiation loops.
    std::bitset<256> us_, him_, askedUs_, askedHim_;
    Offer comPort_ = Offer::Pending;
    std::optional<std::uint32_t> baud_;
    std::uint64_t answers_ = 0;
};

}  // namespace tramond::telnet
