// Key records and the key attribute file: byte places, field limits,
// Windows-1252 text and the built-in defaults.

#include "keyboard/key_record.h"
#include "keyboard_fixture.h"

namespace tramond::test {
namespace {

TEST(KeyRecord, FieldsSitAtTheirOffsetsAndLongTextsStopAtTheField) {
    KeyRecord r;
    EXPECT_EQ(r.bytes()[0], 1);  // one text line
    r.setIndividual(true);
    EXPECT_FALSE(r.setSystemCaption("Program Dump Report Key"));  // 23 characters into 19 bytes
    EXPECT_EQ(r.systemCaption(), "Program Dump Repor");  // 18 bytes and the zero
    EXPECT_EQ(r.bytes()[4 + 18], 0);  // the terminating zero stays inside the field
    EXPECT_EQ(r.bytes()[23], 1);      // the flag after it is untouched
    r.setStyle(1, {0x112233, 0x445566, 14, KeyLineStyle::kBold | KeyLineStyle::kItalic, "Arial"});
    const auto& b = r.bytes();
    const std::size_t line2 = 24 + 84;
    EXPECT_EQ(b[line2], 0x33);
    EXPECT_EQ(b[line2 + 4], 0x66);
    EXPECT_EQ(b[line2 + 8], 14);
    EXPECT_EQ(b[line2 + 12], 3);
    EXPECT_EQ(b[line2 + 13], 'A');
    const std::string t39(39, 'x');
    EXPECT_TRUE(r.setText(2, t39));
    EXPECT_EQ(r.text(2), t39);
    EXPECT_EQ(b[24 + 2 * 84 + 33], 'x');
    EXPECT_FALSE(KeyRecord::textFits(std::string(51, 'p')));
    EXPECT_TRUE(KeyRecord::textFits(std::string(50, 'p')));
    EXPECT_FALSE(r.setText(0, std::string(60, 'y')));
    EXPECT_EQ(r.text(0).size(), 50u);
    EXPECT_EQ(KeyRecord(r.bytes()), r);
}

TEST(KeyRecord, TextsAreWindows1252) {
    KeyRecord r;
    r.setText(0, "€ Café");
    EXPECT_EQ(r.bytes()[24 + 33], 0x80);
    EXPECT_EQ(r.bytes()[24 + 33 + 5], 0xE9);
    EXPECT_EQ(r.text(0), "€ Café");
    // Every byte converts to something and back to itself.
    std::vector<std::uint8_t> all;
    for (int i = 1; i < 256; ++i) all.push_back(static_cast<std::uint8_t>(i));
    EXPECT_EQ(utf8ToAnsi(ansiToUtf8(all)), all);
}

TEST(KeyAttributes, BuiltInDefaultsAndFileSize) {
    KeyboardProgram program;
    const auto file = program.dir / "bkeyboard.set";
    const auto a = KeyAttributes::loadOrCreate(file);
    const auto bytes = readFile(file);
    ASSERT_EQ(bytes.size(), 1568u);
    // Kind 9, line 1: key colour 0xE6E600, "Arial Narrow".
    const std::size_t k9 = 9 * 112 + 4;
    EXPECT_EQ(bytes[k9 + 4], 0x00);
    EXPECT_EQ(bytes[k9 + 5], 0xE6);
    EXPECT_EQ(bytes[k9 + 6], 0xE6);
    EXPECT_EQ(std::string(bytes.begin() + k9 + 13, bytes.begin() + k9 + 25), "Arial Narrow");
    EXPECT_EQ(a.line(0, 2), (KeyLineStyle{0, 0x9DFFFF, 36, KeyLineStyle::kBold, "Times New Roman"}));
    EXPECT_EQ(a.line(1, 0).fontSize, 18);
    EXPECT_EQ(a.line(6, 1).style, KeyLineStyle::kBold);
    EXPECT_EQ(a.line(13, 0), (KeyLineStyle{0, 0xFFFF4D, 12, 0, "Arial"}));
    // A changed file is read back, not replaced by the defaults.
    auto changed = a;
    changed.setLine(3, 0, {1, 2, 3, 4, "Verdana"});
    changed.save(file);
    EXPECT_EQ(KeyAttributes::loadOrCreate(file).line(3, 0).fontName, "Verdana");
    writeFileAtomic(file, std::vector<std::uint8_t>(100, 0));
    EXPECT_THROW(KeyAttributes::loadOrCreate(file), FileError);
}

TEST(KeyAttributes, ApplyCutsFontNamesToSeventeenCharacters) {
    KeyAttributes a;
    a.setLine(2, 1, {0, 0xD5D5D5, 12, 0, "Some Very Long Font"});
    KeyRecord r;
    r.setText(1, "kept");
    a.applyTo(2, r);
    EXPECT_EQ(r.style(1).fontName, "Some Very Long Fo");
    EXPECT_EQ(r.style(0).keyColour, 0xD5D5D5u);
    EXPECT_EQ(r.text(1), "kept");
}

}  // namespace
}  // namespace tramond::test
