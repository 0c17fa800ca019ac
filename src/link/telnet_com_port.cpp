#include "link/telnet_com_port.h"

#include <array>

namespace tramond::telnet {
namespace {

constexpr std::uint8_t kCr = 13;
constexpr std::uint8_t kNul = 0;
// A sub-negotiation longer than any COM-PORT answer is not kept whole; the
// far side cannot make the client hold more than this.
constexpr std::size_t kMaxSubnegotiation = 64;

bool weOffer(std::uint8_t option) {
    return option == kOptBinary || option == kOptSuppressGoAhead || option == kOptComPort;
}
bool weAccept(std::uint8_t option) { return option == kOptBinary || option == kOptSuppressGoAhead; }

void put(std::vector<std::uint8_t>& out, std::initializer_list<std::uint8_t> bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

}  // namespace

std::vector<std::uint8_t> ComPortClient::opening() {
    std::vector<std::uint8_t> out;
    for (const std::uint8_t option : {kOptComPort, kOptBinary, kOptSuppressGoAhead}) {
        put(out, {kIac, kWill, option});
        askedUs_[option] = true;
    }
    for (const std::uint8_t option : {kOptBinary, kOptSuppressGoAhead}) {
        put(out, {kIac, kDo, option});
        askedHim_[option] = true;
    }
    return out;
}

void ComPortClient::encode(std::span<const std::uint8_t> data, std::vector<std::uint8_t>& out) const {
    const bool binary = us_[kOptBinary];
    for (const std::uint8_t b : data) {
        out.push_back(b);
        if (b == kIac) out.push_back(kIac);
        else if (b == kCr && !binary) out.push_back(kNul);
    }
}

void ComPortClient::command(ComCommand cmd, std::span<const std::uint8_t> value,
                            std::vector<std::uint8_t>& out) const {
    put(out, {kIac, kSb, kOptComPort, static_cast<std::uint8_t>(cmd)});
    for (const std::uint8_t b : value) {
        out.push_back(b);
        if (b == kIac) out.push_back(kIac);
    }
    put(out, {kIac, kSe});
}

void ComPortClient::setBaudRate(std::uint32_t baud, std::vector<std::uint8_t>& out) const {
    const std::array<std::uint8_t, 4> value = {static_cast<std::uint8_t>(baud >> 24),
                                               static_cast<std::uint8_t>(baud >> 16),
                                               static_cast<std::uint8_t>(baud >> 8), static_cast<std::uint8_t>(baud)};
    command(ComCommand::SetBaudRate, value, out);
}

void ComPortClient::oneByte(ComCommand cmd, std::uint8_t value, std::vector<std::uint8_t>& out) const {
    command(cmd, std::span<const std::uint8_t>(&value, 1), out);
}

void ComPortClient::setDataSize(std::uint8_t bits, std::vector<std::uint8_t>& out) const {
    oneByte(ComCommand::SetDataSize, bits, out);
}
void ComPortClient::setParity(Parity parity, std::vector<std::uint8_t>& out) const {
    oneByte(ComCommand::SetParity, static_cast<std::uint8_t>(parity), out);
}
void ComPortClient::setStopSize(StopSize size, std::vector<std::uint8_t>& out) const {
    oneByte(ComCommand::SetStopSize, static_cast<std::uint8_t>(size), out);
}
void ComPortClient::setControl(Control value, std::vector<std::uint8_t>& out) const {
    oneByte(ComCommand::SetControl, static_cast<std::uint8_t>(value), out);
}
void ComPortClient::purge(Purge which, std::vector<std::uint8_t>& out) const {
    oneByte(ComCommand::PurgeData, static_cast<std::uint8_t>(which), out);
}

void ComPortClient::negotiate(std::uint8_t verb, std::uint8_t option, std::vector<std::uint8_t>& reply) {
    switch (verb) {
    case kWill:
        if (him_[option]) break;
        if (weAccept(option)) {
            him_[option] = true;
            if (askedHim_[option]) askedHim_[option] = false;
            else put(reply, {kIac, kDo, option});
        } else {
            put(reply, {kIac, kDont, option});
        }
        break;
    case kWont:
        if (askedHim_[option]) {
            askedHim_[option] = false;
            him_[option] = false;
        } else if (him_[option]) {
            him_[option] = false;
            put(reply, {kIac, kDont, option});
        }
        break;
    case kDo:
        if (us_[option]) break;
        if (weOffer(option)) {
            us_[option] = true;
            if (askedUs_[option]) askedUs_[option] = false;
            else put(reply, {kIac, kWill, option});
            if (option == kOptComPort) comPort_ = Offer::Accepted;
        } else {
            put(reply, {kIac, kWont, option});
        }
        break;
    case kDont:
        if (askedUs_[option]) {
            askedUs_[option] = false;
            us_[option] = false;
            if (option == kOptComPort) comPort_ = Offer::Refused;
        } else if (us_[option]) {
            us_[option] = false;
            put(reply, {kIac, kWont, option});
            if (option == kOptComPort) comPort_ = Offer::Refused;
        }
        break;
    default: break;
    }
}

void ComPortClient::subnegotiation() {
    if (sub_.size() < 2 || sub_[0] != kOptComPort || sub_[1] < kServerAnswerOffset) return;
    ++answers_;
    const auto cmd = static_cast<ComCommand>(sub_[1] - kServerAnswerOffset);
    if (cmd == ComCommand::SetBaudRate && sub_.size() >= 6)
        baud_ = (std::uint32_t{sub_[2]} << 24) | (std::uint32_t{sub_[3]} << 16) | (std::uint32_t{sub_[4]} << 8) |
                std::uint32_t{sub_[5]};
}

void ComPortClient::receive(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& data,
                            std::vector<std::uint8_t>& reply) {
    for (const std::uint8_t b : in) {
        switch (state_) {
        case State::AfterCr:
            state_ = State::Data;
            if (b == kNul) break;
            [[fallthrough]];
        case State::Data:
            if (b == kIac) {
                state_ = State::Iac;
            } else {
                data.push_back(b);
                if (b == kCr && !him_[kOptBinary]) state_ = State::AfterCr;
            }
            break;
        case State::Iac:
            if (b == kIac) {
                data.push_back(kIac);
                state_ = State::Data;
            } else if (b == kWill || b == kWont || b == kDo || b == kDont) {
                verb_ = b;
                state_ = State::Verb;
            } else if (b == kSb) {
                sub_.clear();
                state_ = State::Sub;
            } else {
                state_ = State::Data;  // NOP, GA and the like carry nothing for the line
            }
            break;
        case State::Verb:
            negotiate(verb_, b, reply);
            state_ = State::Data;
            break;
        case State::Sub:
            if (b == kIac) state_ = State::SubIac;
            else if (sub_.size() < kMaxSubnegotiation) sub_.push_back(b);
            break;
        case State::SubIac:
            if (b == kIac) {
                if (sub_.size() < kMaxSubnegotiation) sub_.push_back(kIac);
                state_ = State::Sub;
            } else {
                // IAC SE ends it; any other command ends a malformed one too.
                if (b == kSe) subnegotiation();
                state_ = State::Data;
            }
            break;
        }
    }
}

}  // namespace tramond::telnet
