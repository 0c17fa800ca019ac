// PB function and PB info layouts: the type field that re-captions and hides
// boxes, and limits taken from the application block.
#include <gtest/gtest.h>
#include <unistd.h>

#include "editor_fixture.h"
#include "editors/record_editor.h"

namespace tramond {
namespace {

using test::ProgramDir;
using test::putText;
using test::RecordingPrompts;

class PbEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir.session.app.setU16(kindInfo(RecordKind::PbFunction).countOffset, 3);
        std::vector<std::uint8_t> pbf(3 * 20, 0);
        pbf[0] = 0x05;  // PRINT ONLY with bits 8 and 9 set
        pbf[1] = 0x03;
        pbf[20] = 0x04;  // PRINT +OPEN, bits 8, 9 and 12 set
        pbf[21] = 0x13;
        for (int i = 0; i < 3; ++i) putText(pbf, i * 20 + 3, "PB " + std::to_string(i + 1));
        dir.write(".pbf", pbf);
    }
    std::uint16_t word(int record) const {
        const auto b = dir.read(".pbf");
        return static_cast<std::uint16_t>(b.at(record * 20) | (b.at(record * 20 + 1) << 8));
    }
    ProgramDir dir;
    RecordingPrompts prompts;
};

TEST_F(PbEditorTest, TypeRecaptionsAndHiddenBoxesStoreZero) {
    RecordEditorController ed(pbFunctionEditorLayout(), dir.session, LanguageTexts::builtIn(), prompts);
    ASSERT_TRUE(ed.activate());
    const auto o1 = ed.fieldIndex("option1"), o5 = ed.fieldIndex("option5");
    EXPECT_EQ(ed.field("type").index, 5);
    EXPECT_FALSE(ed.fieldHidden(o5));
    EXPECT_EQ(ed.currentCaption(o5)->english, "Print &Last Tables");
    EXPECT_TRUE(ed.field(o5).checked);

    // PRINT ONLY to SERVICE: the captions of type 2, boxes 5 and 6 hidden,
    // and the bits they held written as 0.
    ed.field("type").index = 2;
    EXPECT_TRUE(ed.fieldHidden(o5));
    EXPECT_TRUE(ed.fieldHidden(ed.fieldIndex("option6")));
    EXPECT_EQ(ed.currentCaption(o1)->english, "&Time and Date on Slip");
    EXPECT_EQ(ed.currentCaption(ed.fieldIndex("option2"))->english, "Option &2");
    ed.next();
    EXPECT_EQ(word(0), 0x0002);

    // Type 4: bits 8-9 clear though the file held them, bits 10-15 too.
    ed.field("option4").checked = true;
    ed.next();
    EXPECT_EQ(word(1), 0x0084);
    EXPECT_EQ(dir.updates(), (std::vector<std::string>{"000000701", "000000702"}));
}

TEST_F(PbEditorTest, PbInfoNumberDigitsFromTheApplicationAndCheckedOnEveryKey) {
    auto& app = dir.session.app;
    app.setU16(2173, 5000);
    app.setU8(2175, 0xF7);  // random-code size 7 in the low four bits
    app.setU8(2176, 10);    // PB text size
    std::vector<std::uint8_t> pbr(5000 * 32, 0);
    for (int i = 0; i < 5000; ++i) putText(pbr, i * 32 + 7, "TABLE # " + std::to_string(i + 1));
    dir.write(".pbr", pbr);

    RecordEditorController ed(pbInfoEditorLayout(), dir.session, LanguageTexts::builtIn(), prompts);
    ASSERT_TRUE(ed.activate(4));  // no start record: always record 1
    EXPECT_EQ(ed.currentIndex(), 0);
    const auto number = ed.fieldIndex("pbNumber");
    EXPECT_EQ(ed.fieldMaxDigits(number), 14);
    EXPECT_EQ(ed.descriptorMaxLength(), 10);

    ed.field(number).text = "12345678901234";
    EXPECT_TRUE(ed.keyReleasedInField(number));
    ed.descriptor = "TERRACE TABLE 1";  // cut to the PB text size
    ed.numberText = "5000";             // four digits reach the last PB
    ASSERT_TRUE(ed.enterNumber());
    auto b = dir.read(".pbr");
    EXPECT_EQ(std::vector<std::uint8_t>(b.begin(), b.begin() + 7),
              (std::vector<std::uint8_t>{0x34, 0x12, 0x90, 0x78, 0x56, 0x34, 0x12}));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[7])), "TERRACE TA");
    EXPECT_EQ(dir.updates(), (std::vector<std::string>{"000060001"}));

    ed.field(number).text = "123456789A";
    EXPECT_FALSE(ed.keyReleasedInField(number));
    EXPECT_TRUE(ed.field(number).text.empty());
    EXPECT_EQ(prompts.texts(), (std::vector<std::string>{"Wrong Input!"}));
}

}  // namespace
}  // namespace tramond
