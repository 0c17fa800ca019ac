// The handheld options over a program on disk: where each value lands in
// the register configuration file, the port layouts, the checks of the
// number boxes and what OK writes.

#include <gtest/gtest.h>

#include "handheld/tovik_options.h"
#include "program/file_io.h"
#include "program/machine_printer.h"
#include "program/program_ops.h"
#include "program/scratch_dir.h"

namespace tramond {
namespace {

using testing::ScratchDir;

class TovikOptions : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(createProgram(session, dir / "shop.app").outcome, LoadOutcome::Loaded);
        // Three clerks with their own names.
        std::vector<std::uint8_t> clk(3 * 78, 0);
        for (int i = 0; i < 3; ++i) {
            const std::string name = "Clerk " + std::string(1, static_cast<char>('A' + i));
            std::copy(name.begin(), name.end(), clk.begin() + 78 * i + 4);
        }
        writeFileAtomic(session.file(".clk"), clk);
    }
    void setNetwork(int size, int flag90) {
        session.app.setFlag(78, static_cast<std::uint8_t>(size));
        session.app.setFlag(90, static_cast<std::uint8_t>(flag90));
        snapshotApp();
    }
    void snapshotApp() { writeFileAtomic(session.programPath, session.app.bytes()); }
    // Byte 13 of the four port records of machine m's part.
    void setChannels(int machine, std::array<std::uint8_t, 4> states) {
        RegisterConfigFile chk = RegisterConfigFile::of(session.programPath);
        ConfigPart part = chk.readPart(machine);
        for (int k = 0; k < 4; ++k) part[14 * static_cast<std::size_t>(k) + 13] = states[static_cast<std::size_t>(k)];
        chk.writePart(machine, part);
    }
    std::vector<std::uint8_t> chkBytes() { return readFile(session.file(".chk")); }
    bool marked(const std::string& code) {
        const auto lines = session.updateList().lines();
        return std::find(lines.begin(), lines.end(), code) != lines.end();
    }

    ScratchDir dir{"tovik"};
    ProgramSession session;
    const LanguageTexts& texts = LanguageTexts::builtIn();
};

TEST_F(TovikOptions, MissingChkIsCreatedWithTheDefaultBytes) {
    std::filesystem::remove(session.file(".chk"));
    TovikOptionsController c(session, texts);
    EXPECT_FALSE(c.open());
    EXPECT_TRUE(std::filesystem::exists(session.file(".chk")));
    EXPECT_EQ(c.common(), defaultConfigCommon());
    EXPECT_EQ(c.clerkItems(), (std::vector<std::string>{"Clerk A", "Clerk B", "Clerk C"}));
    EXPECT_FALSE(c.registerListEnabled()) << "a network of one register";
    // OK without a change writes nothing and marks nothing.
    const auto before = chkBytes();
    const auto r = c.ok();
    EXPECT_FALSE(r.error);
    EXPECT_FALSE(r.saved);
    EXPECT_FALSE(r.appWritten);
    EXPECT_EQ(chkBytes(), before);
    EXPECT_TRUE(session.updateList().lines().empty());
}

TEST_F(TovikOptions, HandheldTwoOnTerminalThreePortTwoStoresThirtyTwoAtOffset127) {
    setNetwork(3, 0);
    setChannels(1, {1, 1, 0, 0});
    TovikOptionsController c(session, texts);
    ASSERT_FALSE(c.open());
    EXPECT_EQ(c.handheldItems(), (std::vector<std::string>{"Tovik 1", "Tovik 2", "Not Used", "Not Used"}));
    c.changeHandheld(1);
    EXPECT_TRUE(c.handheldControlsEnabled());
    c.changeTerminal(3);
    c.controls.port = 1;
    c.controls.clerk = 2;
    c.controls.type = 9;
    const auto r = c.ok();
    ASSERT_FALSE(r.error) << *r.error;
    EXPECT_TRUE(r.saved);
    const auto bytes = chkBytes();
    EXPECT_EQ(bytes.at(127), 32);
    EXPECT_EQ(bytes.at(126), 9);
    EXPECT_EQ(bytes.at(128), 3);
    EXPECT_EQ(bytes.at(129), 0);
    EXPECT_TRUE(marked("000000111"));
    // The layout of terminal 3 came from flag 90 as ".pr3" is missing, and
    // reading it created nothing.
    EXPECT_FALSE(std::filesystem::exists(machinePrinterFile(session.programPath, 3)));
}

TEST_F(TovikOptions, DectLayoutListsTheChannelsAndStoresCodeEight) {
    setNetwork(1, 7);
    setChannels(0, {1, 2, 0, 0});
    TovikOptionsController c(session, texts);
    ASSERT_FALSE(c.open());
    ASSERT_EQ(c.portItems().size(), 7u);
    EXPECT_EQ(c.portItems()[3], "DECT channel 1 - not available");
    EXPECT_EQ(c.portItems()[4], "DECT channel 2");
    EXPECT_EQ(c.portItems()[6], "DECT channel 4 - not available");
    c.controls.port = 6;
    ASSERT_FALSE(c.ok().error);
    EXPECT_EQ(chkBytes().at(56 + 56 + 1), 8);

    TovikOptionsController again(session, texts);
    ASSERT_FALSE(again.open());
    EXPECT_EQ(again.controls.port, 6);
    // Any other layout: "1" .. "7", index i is code i + 1.
    EXPECT_EQ(tovik::portItems(3, ConfigPart{}, "x").size(), 7u);
    EXPECT_EQ(tovik::portCode(3, 6), 7);
    EXPECT_EQ(tovik::portIndex(7, 7), -1);
}

TEST_F(TovikOptions, ChangingTheRegisterSavesAndShowsThatRegistersPart) {
    setNetwork(3, 7);
    setChannels(3, {1, 0, 0, 0});
    session.machineNumber = 1;
    const auto before = chkBytes();
    TovikOptionsController c(session, texts);
    ASSERT_FALSE(c.open());
    EXPECT_TRUE(c.registerListEnabled());
    EXPECT_EQ(c.registerItems().size(), 3u);
    ASSERT_FALSE(c.changeRegister(3));
    EXPECT_EQ(session.machineNumber, 3);
    EXPECT_EQ(c.handheldItems()[0], "Tovik 1");
    c.controls.timer = "200";
    c.controls.clerk = 0;
    ASSERT_FALSE(c.ok().error);
    const auto after = chkBytes();
    ASSERT_GE(after.size(), 392u);
    for (std::size_t i = 0; i < before.size(); ++i)
        if (after[i] != before[i]) {
            EXPECT_TRUE(i < 56 || (i >= 280 && i < 392)) << "byte " << i << " changed";
        }
    EXPECT_EQ(after[28], 200);
    EXPECT_EQ(after[280 + 56 + 2], 1);
}

TEST_F(TovikOptions, NumberBoxesRefuseWhatDoesNotFit) {
    TovikOptionsController c(session, texts);
    ASSERT_FALSE(c.open());
    struct Case {
        std::string timer;
        bool refused;
    };
    for (const Case& k : {Case{"250", false}, Case{"0", false}, Case{"251", true}, Case{"", true}}) {
        c.controls.timer = k.timer;
        const auto m = c.leaveTimer();
        EXPECT_EQ(m.has_value(), k.refused) << k.timer;
        if (m) {
            EXPECT_EQ(*m, "Invalid Entry   Possible values 0 - 250.");
        }
    }
    EXPECT_EQ(c.leaveValue("101"), "Entered value too big!");
    EXPECT_FALSE(c.leaveValue("100"));
    // OK with a refused value saves nothing.
    const auto before = chkBytes();
    c.controls.timer = "251";
    c.controls.general[0] = true;
    const auto r = c.ok();
    EXPECT_TRUE(r.error);
    EXPECT_EQ(chkBytes(), before);
    EXPECT_FALSE(session.app.option(23, 1));
}

TEST_F(TovikOptions, OkWritesFlag23IntoTheBlockAndTheMachinesPrinterFile) {
    setNetwork(2, 0);
    session.app.set(appblock::kIndividualPrinters, true);
    snapshotApp();
    session.machineNumber = 2;
    TovikOptionsController c(session, texts);
    ASSERT_FALSE(c.open());
    c.controls.general = {true, false, true};
    const auto r = c.ok();
    ASSERT_FALSE(r.error);
    EXPECT_TRUE(r.appWritten);
    EXPECT_TRUE(marked("000000002"));
    EXPECT_EQ(session.app.flag(23) & 0x07, 0x05);
    EXPECT_EQ(readFile(session.programPath).at(45 + 23) & 0x07, 0x05);
    // The machine's printer file carries it, so loading it keeps the edit.
    ApplicationBlock loaded = ApplicationBlock::builtIn();
    loaded.setFlag(23, 0);
    EXPECT_EQ(readMachinePrinterFile(session.programPath, 2, loaded), SideFileRead::Read);
    EXPECT_EQ(loaded.flag(23) & 0x07, 0x05);
}

// Issue 26: changing the register lost the general options of the register
// left and showed the first register's over the second's; OK then wrote them
// into the second register's ".pr".
TEST_F(TovikOptions, ChangingTheRegisterKeepsEachRegistersGeneralOptions) {
    setNetwork(2, 0);
    session.app.set(appblock::kIndividualPrinters, true);
    session.app.setFlag(23, 0);
    snapshotApp();
    ApplicationBlock two = session.app;
    two.setFlag(23, 0x04);  // register 2: option 3
    writeMachinePrinterFile(session.programPath, 2, two);
    session.machineNumber = 1;
    TovikOptionsController c(session, texts);
    ASSERT_FALSE(c.open());
    c.controls.general = {true, false, false};
    ASSERT_FALSE(c.changeRegister(2));
    EXPECT_EQ(c.controls.general, (std::array<bool, 3>{false, false, true}));  // register 2's own
    c.controls.general[1] = true;
    ASSERT_FALSE(c.ok().error);
    ApplicationBlock read = ApplicationBlock::builtIn();
    ASSERT_EQ(readMachinePrinterFile(session.programPath, 1, read), SideFileRead::Read);
    EXPECT_EQ(read.flag(23) & 0x07, 0x01);
    ASSERT_EQ(readMachinePrinterFile(session.programPath, 2, read), SideFileRead::Read);
    EXPECT_EQ(read.flag(23) & 0x07, 0x06);
    EXPECT_TRUE(marked("000000002"));

    // Cancel after a change of register: files, block and machine as before.
    const auto pr1 = readFile(machinePrinterFile(session.programPath, 1));
    const auto chk = chkBytes();
    const auto app = session.app;
    TovikOptionsController cancelled(session, texts);
    ASSERT_FALSE(cancelled.open());
    cancelled.controls.general = {true, true, true};
    cancelled.controls.timer = "99";
    ASSERT_FALSE(cancelled.changeRegister(1));
    cancelled.cancel();
    EXPECT_EQ(session.machineNumber, 2);
    EXPECT_EQ(session.app, app);
    EXPECT_EQ(readFile(machinePrinterFile(session.programPath, 1)), pr1);
    EXPECT_EQ(chkBytes(), chk);
}

}  // namespace
}  // namespace tramond
