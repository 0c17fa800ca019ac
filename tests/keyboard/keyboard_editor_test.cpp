// The keyboard editor without its window: creating and reading keyboard
// files, the network chooser, and every change that must reach the ".app",
// the keyboard file's header and the update list together.

#include "keyboard/keyboard_geometry.h"
#include "keyboard_fixture.h"
#include "program/keyboard_header.h"
#include "program/update_list.h"

namespace tramond::test {
namespace {

std::uint16_t fileCode(const std::vector<std::uint8_t>& kbf, int blockIndex) {
    return static_cast<std::uint16_t>(kbf[24 + 2 * blockIndex] | (kbf[25 + 2 * blockIndex] << 8));
}

TEST(KeyboardEditor, FirstOpeningCreatesTheFileWithCaptionsAndTheKindLook) {
    KeyboardProgram program;
    auto& app = program.session.app;
    app.setKeyCode(blockIndexOf(0), 48);
    app.setKeyCode(blockIndexOf(1), 903);
    app.setKeyCode(blockIndexOf(2), 0);
    program.writeRecords(RecordKind::Tender, 4, [](int n) { return "CASH" + std::to_string(n); });
    auto& ed = program.editor();
    const auto kbf = program.read(".kbf");
    ASSERT_EQ(kbf.size(), 47201u);
    const auto header = keyboardHeader(app);
    EXPECT_TRUE(std::equal(header.begin(), header.end(), kbf.begin()));
    EXPECT_EQ(ed.record(0).text(0), "0");
    EXPECT_EQ(ed.record(0).style(0), (KeyLineStyle{0, 0x9DFFFF, 36, KeyLineStyle::kBold, "Times New Roman"}));
    EXPECT_EQ(ed.record(1).text(0), "CASH3");
    EXPECT_EQ(ed.record(1).style(0).keyColour, 0xDEBDFFu);
    EXPECT_EQ(ed.record(2).style(0).keyColour, 0xFFFFFFu);  // no function: a white key, not a black one
    EXPECT_EQ(ed.record(2).text(0), "");
    // Record 1 sits at 557 + 276.
    EXPECT_EQ(KeyRecord(std::span(kbf).subspan(557 + 276, 276)), ed.record(1));
    EXPECT_TRUE(std::filesystem::exists(program.dir / "bkeyboard.set"));
}

TEST(KeyboardEditor, AnExistingFileBringsItsHeaderIntoTheBlock) {
    KeyboardProgram program;
    program.editor();
    auto kbf = program.read(".kbf");
    kbf[24 + 2 * 20] = 0x39;  // block index 20: code 57
    kbf[24 + 2 * 20 + 1] = 0;
    kbf[362] = 0x01;  // manager key at block index 0
    kbf.resize(1000);  // and most records lost
    writeFileAtomic(program.session.file(".kbf"), kbf);
    auto& ed = program.editor();
    EXPECT_EQ(program.session.app.keyCode(20), 57);
    EXPECT_TRUE(ed.managerKey(0));
    EXPECT_EQ(ed.record(positionOfBlockIndex(20)).text(0), "9");
    EXPECT_EQ(program.read(".kbf").size(), 47201u);
}

// Reading for a printout builds what is missing in memory and writes
// nothing; level keys an earlier version left blank or "PL#" say their level.
TEST(KeyboardEditor, ReadingForPrintingWritesNothingAndCompletesLevelCaptions) {
    KeyboardProgram program;
    program.session.app.setKeyCode(blockIndexOf(3), 2013);
    program.session.app.setKeyCode(blockIndexOf(4), 2011);
    program.session.app.setKeyCode(blockIndexOf(5), 2024);
    writeFileAtomic(program.session.programPath, program.session.app.bytes());
    const auto app = program.read(".app");
    program.names = std::make_unique<ProgramKeyNames>(program.session.programPath, program.session.app);
    KeyboardEditor reader(program.session, LanguageTexts::builtIn(), KeyboardMode::Register,
                          program.dir / "bkeyboard.set", {program.prompter, *program.names, keyboardBlockOf});
    ASSERT_TRUE(reader.openForReading());
    EXPECT_EQ(reader.record(3).text(0), "PL# 3");
    EXPECT_FALSE(std::filesystem::exists(program.session.file(".kbf")));
    EXPECT_FALSE(std::filesystem::exists(program.dir / "bkeyboard.set"));
    EXPECT_FALSE(reader.toggleManager(3));
    EXPECT_EQ(program.read(".app"), app);

    // A file written with the old captions.
    auto& ed = program.editor();
    KeyRecord blank = ed.record(3), old = ed.record(4), own = ed.record(5);
    blank.setText(0, "");
    old.setText(0, "PL#");
    own.setText(0, "Happy hour");
    ASSERT_TRUE(ed.storeRecord(3, blank) && ed.storeRecord(4, old) && ed.storeRecord(5, own));
    ed.close();
    KeyboardEditor again(program.session, LanguageTexts::builtIn(), KeyboardMode::Register,
                         program.dir / "bkeyboard.set", {program.prompter, *program.names, keyboardBlockOf});
    ASSERT_TRUE(again.openForReading());
    EXPECT_EQ(again.record(3).text(0), "PL# 3");
    EXPECT_EQ(again.record(4).text(0), "PL# 1");
    EXPECT_EQ(again.record(5).text(0), "Happy hour") << "a caption the dealer typed stays";
}

TEST(KeyboardEditor, ManagerTwiceRestoresTheMapAndWritesTheAppBothTimes) {
    KeyboardProgram program;
    auto& ed = program.editor();
    const auto before = program.session.app;
    const int p = 14;  // block index 14: byte 25, bit 6
    ASSERT_TRUE(ed.toggleManager(p));
    EXPECT_TRUE(program.read(".app")[25] & 0x40);
    EXPECT_TRUE(program.read(".kbf")[363] & 0x40);
    std::filesystem::remove(program.session.programPath);
    ASSERT_TRUE(ed.toggleManager(p));
    EXPECT_TRUE(std::filesystem::exists(program.session.programPath));
    EXPECT_EQ(program.session.app, before);
    EXPECT_EQ(program.session.updateList().lines(), std::vector<std::string>{"000000020"});
}

TEST(KeyboardEditor, RemovingAKeyMarksTheBlockHoldingItsCode) {
    KeyboardProgram program;
    auto& ed = program.editor();
    const int p = 12;  // column 12, row 0: block index 156, code bytes 677-678 in block 15
    program.session.app.setKeyCode(156, 2005);
    ASSERT_TRUE(ed.removeKey(p));
    EXPECT_EQ(program.session.app.keyCode(156), 0);
    EXPECT_EQ(fileCode(program.read(".kbf"), 156), 0);
    EXPECT_EQ(ed.record(p).style(2), removedKeyStyle());
    EXPECT_EQ(program.session.updateList().lines(), std::vector<std::string>{"000000015"});
}

TEST(KeyboardEditor, AddingAFunctionRewritesTheHeaderSoReopeningKeepsIt) {
    KeyboardProgram program;
    program.writeRecords(RecordKind::Tender, 8, [](int n) { return "TENDER " + std::to_string(n); });
    auto& ed = program.editor();
    const int p = 1;  // block index 13
    ASSERT_TRUE(ed.setKeyFunction(p, 907));
    EXPECT_EQ(ed.record(p).text(0), "TENDER 7");
    EXPECT_EQ(fileCode(program.read(".kbf"), 13), 907);
    EXPECT_EQ(program.session.app.u16(365 + 2 * 13), 907);
    EXPECT_EQ(program.session.updateList().lines(), std::vector<std::string>{"000000011"});
    ed.close();
    program.session.app.setKeyCode(13, 0);
    program.editor();
    EXPECT_EQ(program.session.app.keyCode(13), 907);
    EXPECT_FALSE(program.ed->setKeyFunction(p, 0));
}

TEST(KeyboardEditor, IndividualKeysKeepTheirLookThroughAssignAndUpdate) {
    KeyboardProgram program;
    program.session.app.setKeyCode(blockIndexOf(5), 2005);
    program.session.app.setKeyCode(blockIndexOf(6), 2005);
    auto& ed = program.editor();
    for (const int p : {5, 6}) {
        KeyRecord r = ed.record(p);
        r.setStyle(0, {0xFF, 0x123456, 9, KeyLineStyle::kItalic, "Courier"});
        r.setText(0, "MY TOTAL");
        r.setSystemCaption("x");
        r.setIndividual(p == 5);
        ASSERT_TRUE(ed.storeRecord(p, r));
    }
    const auto kept = ed.record(5);
    ASSERT_TRUE(ed.assignAttributes());
    ASSERT_TRUE(ed.updateKeyboard());
    EXPECT_EQ(ed.record(5), kept);
    EXPECT_EQ(ed.record(6).style(0).fontName, "Times New Roman");
    EXPECT_EQ(ed.record(6).text(0), "SubTotal");
    EXPECT_EQ(ed.record(6).systemCaption(), "");
    const auto kbf = program.read(".kbf");
    EXPECT_EQ(KeyRecord(std::span(kbf).subspan(557 + 5 * 276, 276)), kept);
}

TEST(KeyboardEditor, NetworkChooserOpensOrCreatesEachMachinesKeyboard) {
    KeyboardProgram program;
    program.session.app.set(appblock::kIndividualKeyboards, true);
    program.session.app.setFlag(appblock::kFlagNetworkSize, 3);
    program.session.machineNumber = 1;
    std::string status;
    ProgramKeyNames names(program.session.programPath, program.session.app);
    KeyboardEditor ed(program.session, LanguageTexts::builtIn(), KeyboardMode::Register, program.dir / "b.set",
                      {program.prompter, names, keyboardBlockOf, [&](const std::string& s) { status = s; }});
    ASSERT_TRUE(ed.open());
    ASSERT_TRUE(ed.chooserVisible());
    EXPECT_EQ(ed.chooserEntries(), (std::vector<std::string>{"SHOP.kbf", "SHOP.kb2", "SHOP.kb3"}));
    EXPECT_EQ(ed.chooserIndex(), 0);
    ASSERT_TRUE(ed.chooseKeyboard(2));
    EXPECT_EQ(program.session.machineNumber, 3);
    EXPECT_EQ(status, "Settings for machine : 3");
    EXPECT_EQ(std::filesystem::file_size(program.dir / "SHOP.kb3"), 47201u);
    EXPECT_FALSE(std::filesystem::exists(program.dir / "SHOP.kb2"));
    EXPECT_FALSE(ed.chooseKeyboard(3));
    program.session.app.setFlag(appblock::kFlagNetworkSize, 1);
    EXPECT_FALSE(ed.chooserVisible());
}

TEST(KeyboardEditor, SystemKeyboardSpecialKeysAndCharacters) {
    KeyboardProgram program;
    auto& ed = program.editor(KeyboardMode::System);
    auto& app = program.session.app;
    // Built-in: "User Reports" (special key 3) sits on block index 168.
    ASSERT_EQ(app.specialKey(2), 168);
    EXPECT_EQ(ed.record(168).systemCaption(), "User Reports");
    const int p = 40;  // block index 1 * 13 + 3 = 16
    ASSERT_TRUE(ed.setSpecialKey(p, 2));
    EXPECT_EQ(app.specialKey(2), 16);
    EXPECT_EQ(ed.record(p).systemCaption(), "User Reports");
    EXPECT_EQ(ed.record(168).systemCaption(), "");
    EXPECT_EQ(program.read(".kbf")[3], 16);
    // Characters: block index 30 is row 4, column 2.
    const int q = positionOfBlockIndex(30);
    app.setKeyCode(30, 0);
    ASSERT_TRUE(ed.acceptsCharacter(q));
    ASSERT_TRUE(ed.setSystemCharacter(q, 'A'));
    EXPECT_EQ(program.read(".app")[196 + 30], 'A');
    EXPECT_EQ(program.read(".kbf")[384 + 30], 'A');
    EXPECT_EQ(ed.record(q).systemCaption(), "A");
    EXPECT_TRUE(ed.isCharacterKey(q));
    ASSERT_TRUE(ed.setSystemCharacter(q, ' '));
    EXPECT_EQ(ed.record(q).systemCaption(), " SP ");
    ASSERT_TRUE(ed.setSystemCharacter(q, '&'));
    EXPECT_EQ(ed.record(q).systemCaption(), "&&");
    ASSERT_TRUE(ed.setSystemCharacter(q, std::nullopt));
    EXPECT_EQ(app.systemChar(30), 0);
    EXPECT_EQ(ed.record(q).systemCaption(), "");
    // A character at block index 140 travels in block 122.
    ASSERT_TRUE(ed.setSystemCharacter(positionOfBlockIndex(140), 'Z'));
    EXPECT_EQ(program.session.updateList().lines(),
              (std::vector<std::string>{"000000019", "000000120", "000000122"}));
    app.setKeyCode(30, 53);
    EXPECT_FALSE(ed.acceptsCharacter(q));
    app.setKeyCode(30, 46);
    EXPECT_TRUE(ed.acceptsCharacter(q));
}

TEST(KeyboardEditor, AFailedWriteIsReportedNotClaimed) {
    KeyboardProgram program;
    auto& ed = program.editor();
    std::filesystem::remove_all(program.dir);
    EXPECT_FALSE(ed.toggleManager(3));
    ASSERT_EQ(program.prompter.messages.size(), 1u);
    EXPECT_EQ(program.prompter.messages[0].rfind("Error: ", 0), 0u);
}

}  // namespace
}  // namespace tramond::test
