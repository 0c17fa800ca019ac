#include <gtest/gtest.h>

#include <string>

#include "program/text_block.h"

namespace tramond {
namespace {

using S = TextSection;

std::string text(const TextBlock& t, S s, std::size_t i) { return t.entryText(s, i); }

TEST(TextBlockLayout, SectionsTileTheBlockInOrder) {
    std::size_t next = 0;
    for (const auto& s : textblock::kSections) {
        EXPECT_EQ(s.offset, next) << s.name;
        next = s.offset + s.entries * s.width;
    }
    EXPECT_EQ(next, TextBlock::kSize);
    EXPECT_EQ(textblock::sectionInfo(S::DescriptorWords).offset, 9179u);
}

TEST(TextBlockLayout, EntryAccessIsBoundedBySection) {
    TextBlock t;
    EXPECT_THROW(t.entry(S::DayNames, 7), std::out_of_range);
    EXPECT_THROW(t.descriptorWord(0), std::out_of_range);
    EXPECT_THROW(t.descriptorWord(31), std::out_of_range);
    t.setEntryText(S::SpecialCaptions, 99, std::string(30, 'x'), ' ');
    const auto e = t.entry(S::SpecialCaptions, 99);
    EXPECT_EQ(e[15], 'x');
    EXPECT_EQ(e[16], 0) << "16 characters and a zero byte";
    EXPECT_EQ(t.bytes()[1700], 0) << "the next section is untouched";
    t.setEntryText(S::SystemMessages, 0, std::string(30, 'y'), ' ');
    EXPECT_EQ(text(t, S::SystemMessages, 0), std::string(24, 'y')) << "no terminating byte";
}

TEST(TextBlockBuiltIn, HoldsTheRegistersDefaultTexts) {
    const auto t = TextBlock::builtIn();
    EXPECT_EQ(text(t, S::SpecialCaptions, 0), "Total   ");
    EXPECT_EQ(text(t, S::SpecialCaptions, 1), "Subtotal");
    EXPECT_EQ(text(t, S::SpecialCaptions, 2), "KPTOTAL ");
    EXPECT_EQ(text(t, S::SpecialCaptions, 3), " NET    ");
    EXPECT_EQ(text(t, S::SpecialCaptions, textblock::kPbInfoCaption - 1), "TABLE # ");
    EXPECT_EQ(text(t, S::DayNames, 0), "Monday  ");
    EXPECT_EQ(text(t, S::DayNames, 1), "Tuesday ");
    EXPECT_EQ(text(t, S::MonthNames, 0), "January");
    EXPECT_EQ(text(t, S::SystemMessages, 0), " INVALID  ENTRY         ");
    EXPECT_EQ(text(t, S::SystemMessages, 1).substr(0, 16), "UNKNOWN KEYCODE!");
    EXPECT_EQ(text(t, S::SystemMessages, 2).substr(0, 16), "STILL IN TENDER ");
    EXPECT_EQ(text(t, S::SystemMessages, 3).substr(0, 16), "  INVALID DATE  ");
    EXPECT_EQ(text(t, S::ReportNames, 0), "  TOTAL SALES   ");
    EXPECT_EQ(text(t, S::ReportNames, 2), "DEPARTMENT SALES");
    EXPECT_EQ(text(t, S::ReportNames, 3), "   PLU  SALES   ");
    EXPECT_EQ(text(t, S::ReceiptTrailer, 0), std::string(48, ' '));
    EXPECT_EQ(text(t, S::ReceiptTrailer, 1).substr(0, 25), "_ YOUR RECEIPT THANK YOU ");
    EXPECT_EQ(text(t, S::ReceiptTrailer, 2).substr(0, 25), "_   PLEASE CALL AGAIN    ");
    EXPECT_EQ(text(t, S::ProgramCaptions, 0), "PLU             ");
    EXPECT_EQ(text(t, S::ProgramCaptions, 3), "Modifier        ");
    EXPECT_EQ(text(t, S::ShortDisplayCaptions, 0), " ON");
    EXPECT_EQ(text(t, S::ShortDisplayCaptions, 4), "GRP");

    const char* words[] = {"PLU ", "DEPT", "GRP ", "TEND", "PORA", "CORR", "DISC", "CURR", "DRAW", "PB-F",
                           "TAX ", "CLER", "2ONE", "ADDI", "HEAD", "TRAI", "SLIP", "REPO", "FCAP", "ECAP",
                           "DCAP", "-CAP", "RCAP", "SFLG", "BORD", "DISA", "PB-I", "SALP", "COND", "    "};
    for (int w = 1; w <= 30; ++w) EXPECT_EQ(t.descriptorWord(w), words[w - 1]) << "word " << w;
}

TEST(TextBlockBuiltIn, BannersAreFramedToTheLineWidthAndOtherLinesEmpty) {
    const auto t = TextBlock::builtIn();
    for (auto s : {S::ReceiptHeader, S::SlipHeader}) {
        const auto w = textblock::sectionInfo(s).width;
        for (std::size_t i = 0; i < 5; ++i) {
            const auto line = text(t, s, i);
            ASSERT_EQ(line.size(), w);
            EXPECT_EQ(line.front(), '*');
            EXPECT_EQ(line.back(), '*');
        }
        for (std::size_t i = 5; i < 11; ++i) EXPECT_EQ(t.entry(s, i)[0], 0) << "line " << i << " is empty";
    }
}

TEST(TextBlockWords, ResetPutsBackWordsOneTo29AndKeepsWord30) {
    auto t = TextBlock::builtIn();
    for (int w = 1; w <= 30; ++w) t.setDescriptorWord(w, "XX");
    t.resetDescriptorWords();
    EXPECT_EQ(t.descriptorWord(1), "PLU ");
    EXPECT_EQ(t.descriptorWord(7), "DI5C");
    EXPECT_EQ(t.descriptorWord(17), "5LIP");
    EXPECT_EQ(t.descriptorWord(24), "5FLG");
    EXPECT_EQ(t.descriptorWord(26), "DI5A");
    EXPECT_EQ(t.descriptorWord(29), "COND");
    EXPECT_EQ(t.descriptorWord(30), "XX");
    const auto w1 = t.entry(S::DescriptorWords, 0);
    EXPECT_EQ(w1[4], 0) << "zero-terminated";
}

}  // namespace
}  // namespace tramond
