#include "link/network_port.h"

#include <gtest/gtest.h>

#include "app/settings_store.h"
#include "link/comm_settings.h"
#include "link/link_settings.h"
#include "link/telnet_com_port.h"

namespace tramond {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(NetworkPortName, ParsesWhatItShouldAndNamesWhatIsWrong) {
    struct Case {
        const char* name;
        const char* url;  // canonical form, or nullptr when refused
        const char* problem = "";
    };
    const Case cases[] = {
        {"rfc2217://127.0.0.1:4001", "rfc2217://127.0.0.1:4001"},
        {"RFC2217://Shop-PC.example:7000/", "rfc2217://Shop-PC.example:7000"},
        {"socket://[::1]:2000", "socket://[::1]:2000"},
        {"socket://host:65535", "socket://host:65535"},
        {"socket://host:0", nullptr, "1 to 65535"},
        {"socket://host:65536", nullptr, "1 to 65535"},
        {"socket://host:40x1", nullptr, "1 to 65535"},
        {"socket://host", nullptr, "TCP port is missing"},
        {"socket://:4001", nullptr, "host is missing"},
        {"socket://a b:4001", nullptr, "not a host name"},
        {"socket://[::1:4001", nullptr, "closing ']'"},
        {"socket://[zz]:4001", nullptr, "not an IPv6 address"},
        {"rfc2217://host:4001/extra", nullptr, "1 to 65535"},
        {"/dev/ttyS0", nullptr, "not a network port"},
        {"COM1", nullptr, "not a network port"},
    };
    for (const auto& c : cases) {
        std::string problem;
        const auto parsed = parseNetworkPort(c.name, &problem);
        if (c.url) {
            ASSERT_TRUE(parsed) << c.name << ": " << problem;
            EXPECT_EQ(parsed->url(), c.url);
        } else {
            EXPECT_FALSE(parsed) << c.name;
            EXPECT_NE(problem.find(c.problem), std::string::npos) << c.name << " -> " << problem;
        }
        EXPECT_EQ(isNetworkPortName(c.name), std::string(c.name).find("://") != std::string::npos) << c.name;
    }
    const auto v6 = parseNetworkPort("rfc2217://[fe80::1]:4001");
    ASSERT_TRUE(v6);
    EXPECT_EQ(v6->host, "fe80::1");
    EXPECT_EQ(networkProblem(*v6, kConnectionRefused).rfind("Network port rfc2217://[fe80::1]:4001: ", 0), 0u);
}

TEST(NetworkPortName, FormFieldsRoundTripAndRefuseWhatMakesNoPort) {
    const auto fields = networkPortFields("socket://10.0.0.7:4001");
    EXPECT_EQ(fields.scheme, NetworkScheme::RawTcp);
    EXPECT_EQ(fields.host, "10.0.0.7");
    EXPECT_EQ(fields.port, "4001");
    EXPECT_EQ(networkPortName(fields), "socket://10.0.0.7:4001");
    // A local port gives an empty form that starts on RFC 2217.
    const auto empty = networkPortFields("/dev/ttyUSB0");
    EXPECT_EQ(empty.scheme, NetworkScheme::Rfc2217);
    EXPECT_TRUE(empty.host.empty());
    std::string problem;
    EXPECT_FALSE(networkPortName(empty, &problem));
    EXPECT_FALSE(problem.empty());
    // Blanks around the fields and a bare IPv6 address are what people type.
    EXPECT_EQ(networkPortName({NetworkScheme::Rfc2217, "  ::1 ", " 4001 "}), "rfc2217://[::1]:4001");
    EXPECT_FALSE(networkPortName({NetworkScheme::Rfc2217, "shop", "99999"}));
}

TEST(NetworkPortName, SettingsKeepANetworkPortWholeAndListIt) {
    const std::string url = "rfc2217://register-shop-17.example:4001";
    EXPECT_EQ(limitPortName(url), url);
    EXPECT_EQ(limitPortName("/dev/serial/by-id/usb-x"), "/dev/serial/");
    MemorySettingsStore store;
    LinkSettings settings;
    CommSettingsController dialog(settings, store, {"/dev/ttyS0"});
    dialog.accept(url, "38400", false);
    EXPECT_EQ(store.read(kCommsKey, "Port"), url);
    const auto loaded = loadCommsSettings(store, ".");
    EXPECT_EQ(loaded.port, url);
    LinkSettings again = loaded;
    CommSettingsController reopened(again, store, {"/dev/ttyS0"});
    ASSERT_GE(reopened.selectedPort(), 0);
    EXPECT_EQ(reopened.portChoices()[static_cast<std::size_t>(reopened.selectedPort())], url);
}

// ---- the telnet COM-PORT client --------------------------------------------

using namespace telnet;

TEST(TelnetComPort, CommandsAreTheExactSubnegotiationsWithIacDoubled) {
    ComPortClient c;
    struct Case {
        std::function<void(Bytes&)> command;
        Bytes wire;
    };
    const Case cases[] = {
        {[&](Bytes& o) { c.setBaudRate(38400, o); }, {255, 250, 44, 1, 0, 0, 0x96, 0x00, 255, 240}},
        {[&](Bytes& o) { c.setBaudRate(0x00FF00FF, o); }, {255, 250, 44, 1, 0, 255, 255, 0, 255, 255, 255, 240}},
        {[&](Bytes& o) { c.setDataSize(8, o); }, {255, 250, 44, 2, 8, 255, 240}},
        {[&](Bytes& o) { c.setParity(Parity::None, o); }, {255, 250, 44, 3, 1, 255, 240}},
        {[&](Bytes& o) { c.setParity(Parity::Even, o); }, {255, 250, 44, 3, 3, 255, 240}},
        {[&](Bytes& o) { c.setStopSize(StopSize::One, o); }, {255, 250, 44, 4, 1, 255, 240}},
        {[&](Bytes& o) { c.setStopSize(StopSize::Two, o); }, {255, 250, 44, 4, 2, 255, 240}},
        {[&](Bytes& o) { c.setControl(Control::HardwareFlowControl, o); }, {255, 250, 44, 5, 3, 255, 240}},
        {[&](Bytes& o) { c.setControl(Control::DtrOff, o); }, {255, 250, 44, 5, 9, 255, 240}},
        {[&](Bytes& o) { c.purge(Purge::Both, o); }, {255, 250, 44, 12, 3, 255, 240}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        Bytes out;
        cases[i].command(out);
        EXPECT_EQ(out, cases[i].wire) << "case " << i;
    }
    EXPECT_EQ(c.opening(), (Bytes{255, 251, 44, 255, 251, 0, 255, 251, 3, 255, 253, 0, 255, 253, 3}));
}

TEST(TelnetComPort, DataEscapesIacAndStuffsCrOnlyOutsideBinaryMode) {
    ComPortClient c;
    const Bytes data = {0x02, 255, 13, 0x41, 13};
    Bytes out;
    c.encode(data, out);
    EXPECT_EQ(out, (Bytes{0x02, 255, 255, 13, 0, 0x41, 13, 0}));
    c.opening();
    Bytes ignored, reply;
    c.receive(Bytes{255, 253, 0}, ignored, reply);  // DO BINARY: we send binary now
    EXPECT_TRUE(reply.empty());
    out.clear();
    c.encode(data, out);
    EXPECT_EQ(out, (Bytes{0x02, 255, 255, 13, 0x41, 13}));
}

// What ser2net sends on connecting, then line bytes (an IAC among them), the
// answers to the settings, a notification and more line bytes.
Bytes serverStream() {
    return {255, 253, 44, 255, 253, 0, 255, 251, 0, 255, 253, 3, 255, 251, 3,  // agrees to all
            0x02, 0x06, 255, 255, 0x15,                                         // data with IAC
            255, 250, 44, 101, 0, 0, 0x96, 0, 255, 240,                         // baud set: 38400
            255, 250, 44, 102, 8, 255, 240,                                     // data size 8
            255, 250, 44, 107, 0x30, 255, 240,                                  // modem state notice
            255, 241,                                                           // NOP
            13, 0, 0x06};  // binary both ways: CR NUL is two line bytes
}

TEST(TelnetComPort, AnySlicingOfTheServerStreamGivesTheSameLineBytesAndState) {
    const Bytes stream = serverStream();
    const Bytes expectedData = {0x02, 0x06, 255, 0x15, 13, 0, 0x06};
    for (std::size_t cut1 = 0; cut1 <= stream.size(); ++cut1) {
        for (std::size_t cut2 = cut1; cut2 <= stream.size(); cut2 += 3) {
            ComPortClient c;
            c.opening();
            Bytes data, reply;
            const std::span<const std::uint8_t> all(stream);
            c.receive(all.subspan(0, cut1), data, reply);
            c.receive(all.subspan(cut1, cut2 - cut1), data, reply);
            c.receive(all.subspan(cut2), data, reply);
            ASSERT_EQ(data, expectedData) << cut1 << "/" << cut2;
            ASSERT_TRUE(reply.empty()) << "answers to our own requests are not answered again";
            ASSERT_EQ(c.comPort(), ComPortClient::Offer::Accepted);
            ASSERT_EQ(c.confirmedBaudRate(), 38400u);
            ASSERT_EQ(c.answers(), 3u);
            ASSERT_TRUE(c.sendsBinary() && c.receivesBinary());
        }
    }
}

TEST(TelnetComPort, NegotiationRefusesWhatItDoesNotDoAndNeverLoops) {
    struct Case {
        Bytes fromServer;
        Bytes reply;
        ComPortClient::Offer comPort;
    };
    const Case cases[] = {
        {{255, 253, 1}, {255, 252, 1}, ComPortClient::Offer::Pending},       // DO ECHO -> WONT
        {{255, 251, 1}, {255, 254, 1}, ComPortClient::Offer::Pending},       // WILL ECHO -> DONT
        {{255, 254, 44}, {}, ComPortClient::Offer::Refused},                 // no COM-PORT there
        {{255, 253, 44, 255, 253, 44}, {}, ComPortClient::Offer::Accepted},  // repeated: no echo back
        {{255, 251, 0, 255, 252, 0}, {255, 254, 0}, ComPortClient::Offer::Pending},  // binary withdrawn
        {{255, 253, 44, 255, 254, 44}, {255, 252, 44}, ComPortClient::Offer::Refused},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        ComPortClient c;
        c.opening();
        Bytes data, reply;
        c.receive(cases[i].fromServer, data, reply);
        EXPECT_TRUE(data.empty()) << "case " << i;
        EXPECT_EQ(reply, cases[i].reply) << "case " << i;
        EXPECT_EQ(c.comPort(), cases[i].comPort) << "case " << i;
    }
    // A client that did not ask for binary answers the offer once.
    ComPortClient fresh;
    Bytes data, reply;
    fresh.receive(Bytes{255, 251, 0, 255, 251, 0}, data, reply);
    EXPECT_EQ(reply, (Bytes{255, 253, 0}));
}

TEST(TelnetComPort, AFloodedSubnegotiationStaysBoundedAndTheLineGoesOn) {
    ComPortClient c;
    c.opening();
    Bytes flood = {255, 250, 44, 101};
    flood.insert(flood.end(), 100000, 0x11);
    flood.insert(flood.end(), {255, 240, 0x42});
    Bytes data, reply;
    c.receive(flood, data, reply);
    EXPECT_EQ(data, Bytes{0x42});
    EXPECT_EQ(c.answers(), 1u);
}

}  // namespace
}  // namespace tramond
