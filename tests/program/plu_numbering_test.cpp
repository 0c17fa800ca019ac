#include "program/plu_numbering.h"

#include <gtest/gtest.h>

#include "program/file_io.h"
#include "program/scratch_dir.h"
#include "program/session.h"

namespace tramond::testing {
namespace {

// PLU file of `codes.size()` records, record r with code codes[r - 1] (one byte).
std::vector<std::uint8_t> pluFile(std::initializer_list<int> codes) {
    std::vector<std::uint8_t> b;
    for (int c : codes) {
        std::vector<std::uint8_t> rec(137, 0);
        rec[2] = static_cast<std::uint8_t>(c / 10 << 4 | c % 10);
        b.insert(b.end(), rec.begin(), rec.end());
    }
    return b;
}

ApplicationBlock app(int count, int codeBytes) {
    ApplicationBlock a;
    a.setU16(2227, static_cast<std::uint16_t>(count));
    a.setU8(2234, static_cast<std::uint8_t>(codeBytes));
    a.setU16(2584, 1);  // one condiment table
    return a;
}

TEST(PluNumbering, TheRegistersPluNIsTheNthInCodeOrderUnusedLast) {
    const auto n = PluNumbering::of(pluFile({50, 0, 20, 90, 0}), app(5, 1));
    EXPECT_EQ(n.records(), (std::vector<int>{3, 1, 4, 2, 5}));
    EXPECT_EQ(n.numberOf(4), 3);
    EXPECT_EQ(n.recordOf(1), 3);
    EXPECT_EQ(n.recordOf(6), 0);
    EXPECT_FALSE(n.used(2));
    const auto byRecord = PluNumbering::of(pluFile({50, 0, 20}), app(3, 0));
    EXPECT_EQ(byRecord.records(), (std::vector<int>{1, 2, 3}));
}

// A delete moves the later PLUs: keys, handheld keys and condiment tables
// (PLU entries and PLU keys of macro tables) keep naming the same PLUs; a
// reference to the deleted PLU is cleared and the table closes its gap.
TEST(PluNumbering, ReferencesFollowTheirPlusAndAreMarkedWithTheirWrite) {
    ScratchDir dir("plunum");
    ProgramSession s;
    s.programPath = dir / "p.app";
    s.loaded = true;
    s.app = app(4, 1);
    const auto before = PluNumbering::of(pluFile({10, 20, 30, 40}), s.app);
    const auto after = PluNumbering::of(pluFile({10, 0, 30, 40}), s.app);  // the PLU with code 20 deleted
    s.app.setKeyCode(5, 10003);                                            // the PLU with code 30
    writeFileAtomic(s.programPath, ApplicationBlock{}.bytes());
    std::vector<std::uint8_t> chk(168, 0);
    chk[0] = 10004 & 0xFF, chk[1] = 10004 >> 8;  // handheld key 1: code 40
    chk[2] = 10002 & 0xFF, chk[3] = 10002 >> 8;  // handheld key 2: the deleted PLU
    writeFileAtomic(s.file(".chk"), chk);
    std::vector<std::uint8_t> con(140, 0);
    for (auto [entry, value] : {std::pair{0, 2}, {1, 4}, {2, 1}}) con[28 + 7 * entry] = static_cast<std::uint8_t>(value);
    writeFileAtomic(s.file(".con"), con);

    renumberPluReferences(s, before, after);
    EXPECT_EQ(s.app.keyCode(5), 10002);
    const auto a = readFile(s.programPath);
    EXPECT_EQ(a[365 + 10] | a[366 + 10] << 8, 10002);
    const auto c = readFile(s.file(".chk"));
    EXPECT_EQ(c[0] | c[1] << 8, 10003);
    EXPECT_EQ(c[2] | c[3] << 8, 0);
    const auto t = readFile(s.file(".con"));
    EXPECT_EQ((std::vector<int>{t[28], t[35], t[42]}), (std::vector<int>{3, 1, 0}));
    const auto lines = s.updateList().lines();
    for (const char* code : {"000000011", "000000111", "000004501"})
        EXPECT_NE(std::find(lines.begin(), lines.end(), code), lines.end()) << code;
}

}  // namespace
}  // namespace tramond::testing
