#include "program/program_changes.h"

#include <gtest/gtest.h>

#include "program/file_io.h"
#include "program/scratch_dir.h"

namespace tramond::testing {
namespace {

std::vector<std::uint8_t> zeros(std::size_t n) { return std::vector<std::uint8_t>(n, 0); }

ApplicationBlock program(int pluCodeBytes = 0) {
    auto app = ApplicationBlock::builtIn();
    app.setU16(1059, 20);   // departments
    app.setU16(2227, 10);   // PLUs
    app.setU8(2234, static_cast<std::uint8_t>(pluCodeBytes));
    app.setU16(2173, 4);    // PB info
    return app;
}

// One byte changed at `at` of a file with this extension, and what it marks.
struct OneByte {
    const char* file;
    std::size_t size;
    std::size_t at;
    std::vector<std::uint32_t> codes;
};

TEST(ProgramChanges, EachFileKindMarksTheBlockThatCarriesTheByte) {
    const OneByte cases[] = {
        {"p.app", 2845, 46 + 63, {2}},            // system flag 64
        {"p.app", 2845, 2335 + 9, {2900}},        // a tax totalizer set: the tax header
        {"p.app", 2845, 2227, {10000}},           // the PLU count
        {"p.app", 2845, 703 + 4, {3}},            // the memory map
        {"p.app", 2845, 900, {}},                 // not transferred
        {"p.app", 2845, 2566, {93}},              // the PB sharing bits
        {"p.txt", 9689, 1819, {70}},              // receipt header
        {"p.txt", 9689, 9000, {}},                // not transferred
        {"p.dpt", 39 * 25, 39 * 2 + 5, {5003}},   // department 3
        {"p.dpt", 39 * 25, 39 * 20, {}},          // past the count of 20
        {"p.pbr", 32 * 6, 32 * 3, {60004}},       // PB info 4
        {"p.pbr", 32 * 6, 32 * 4, {}},            // past the PB count
        {"p.pxt", 1200, 700, {90}},
        {"p.chk", 56 + 112 * 3, 56 + 112 * 2 + 5, {111}},
        {"p.bmp", 5000, 300, {91}},
        {"p.kbf", 47201, 24 + 2 * 40, {12}},      // key code of block index 40 (offset 445)
        {"p.kb3", 47201, 362, {20}},              // manager map
        {"p.kb2", 47201, 384 + 100, {121}},       // system character of block index 100
        {"p.kbf", 47201, 557 + 276 * 3, {}},      // a key's picture: the PC's only
        {"p.pr2", 62, 54, {2}},                   // flag 90 of machine 2
        {"p.upd", 20, 3, {}},
        {"p.stf", 20, 3, {}},
    };
    const auto app = program();
    for (const auto& c : cases) {
        auto before = zeros(c.size);
        auto after = before;
        after[c.at] = 0x5A;
        const auto changes = programFileChanges(c.file, 0, before, after, app);
        EXPECT_EQ(changes.codes, c.codes) << c.file << " byte " << c.at;
        EXPECT_TRUE(changes.pluLines.empty()) << c.file;
        // The same change seen through a window of the file at its place.
        const std::size_t from = c.at - c.at % 7;
        const auto window = programFileChanges(c.file, from, std::span(before).subspan(from, 7),
                                               std::span(after).subspan(from, 7), app);
        EXPECT_EQ(window.codes, c.codes) << c.file << " window at " << from;
    }
}

TEST(ProgramChanges, MissingBytesDifferAndEqualImagesMarkNothing) {
    const auto app = program();
    const auto grown = zeros(39 * 5);
    EXPECT_EQ(programFileChanges("p.dpt", 0, zeros(39 * 3), grown, app).codes,
              (std::vector<std::uint32_t>{5004, 5005}));
    EXPECT_TRUE(programFileChanges("p.dpt", 0, grown, grown, app).empty());
    EXPECT_EQ(programFileChanges("p.chk", 0, {}, zeros(168), app).codes, (std::vector<std::uint32_t>{111}));
}

// A register that was given the program without the PB info records, the
// PB trailer or the logo holds none of them: the setting that brings one in
// marks all of it, and the setting that takes it out marks no more than its
// own block.
TEST(ProgramChanges, ASettingThatBringsInAPartMarksTheWholePart) {
    struct Case {
        const char* what;
        void (*change)(ApplicationBlock&);
        std::vector<std::uint32_t> whole;  // codes of the part brought in
    };
    const Case cases[] = {
        {"PB text", [](ApplicationBlock& a) { a.setU8(2176, 24); }, {60001, 60002, 60003, 60004}},
        {"PB text kept off by flag 83", [](ApplicationBlock& a) { a.setOption(83, 1, true); a.setU8(2176, 24); }, {}},
        {"PB by code", [](ApplicationBlock& a) { a.setU8(2175, 0x01); }, {60001, 60002, 60003, 60004}},
        {"PB trailer", [](ApplicationBlock& a) { a.setU8(2175, 0x80); }, {90}},
        {"trailer without PB records", [](ApplicationBlock& a) { a.setU16(2173, 0); a.setU8(2175, 0x80); }, {}},
        {"logo", [](ApplicationBlock& a) { a.setU8(2583, 0x11); }, {91}},
        {"do-not-send logo", [](ApplicationBlock& a) { a.setU8(2583, 0x10); }, {}},
    };
    auto off = program();
    off.setU8(2175, 0);
    off.setU8(2176, 0);
    off.setU8(2583, 0);
    const auto bytes = [](const ApplicationBlock& a) { return std::vector<std::uint8_t>(a.bytes().begin(), a.bytes().end()); };
    const auto extra = [](const ProgramChanges& c) {
        std::vector<std::uint32_t> v;
        for (auto code : c.codes)
            if (code == 90 || code == 91 || code > 60000) v.push_back(code);
        return v;
    };
    for (const auto& c : cases) {
        auto on = off;
        c.change(on);
        EXPECT_EQ(extra(programFileChanges("p.app", 0, bytes(off), bytes(on), on)), c.whole) << c.what;
        EXPECT_TRUE(extra(programFileChanges("p.app", 0, bytes(on), bytes(off), off)).empty()) << c.what << " taken out";
        EXPECT_TRUE(extra(programFileChanges("p.app", 0, bytes(on), bytes(on), on)).empty()) << c.what << " kept";
    }
}

TEST(ProgramChanges, CodeModePlusBecomeLinesByWhatHappenedToTheCode) {
    const auto app = program(2);
    auto before = zeros(137 * 4);
    before[137 * 0 + 2] = 0x12;  // PLU 1: code 0012
    before[137 * 1 + 2] = 0x34;  // PLU 2: code 0034
    before[137 * 2 + 2] = 0x56;  // PLU 3: code 0056
    auto after = before;
    after[137 * 0 + 20] = 'X';   // PLU 1 edited
    after[137 * 1 + 2] = 0;      // PLU 2 deleted
    after[137 * 2 + 2] = 0x57;   // PLU 3 re-coded
    after[137 * 3 + 2] = 0x99;   // PLU 4 created
    const auto c = programFileChanges("p.plu", 0, before, after, app);
    EXPECT_TRUE(c.codes.empty());
    EXPECT_EQ(c.pluLines, (std::vector<std::string>{
                              "R000000000000120000100", "D000000000000340000200", "D000000000000560000300",
                              "N000000000000570000300", "N000000000000990000400"}));
    EXPECT_EQ(programFileChanges("p.plu", 0, before, after, program(0)).codes,
              (std::vector<std::uint32_t>{10001, 10002, 10003, 10004}));
}

TEST(ProgramChanges, WritingMarksWhatDiffersFromDiskAndWritesNothingUnmarked) {
    ScratchDir dir("changes");
    const UpdateList list(dir / "p.upd");
    auto app = program();
    const auto path = dir / "p.app";
    writeFileAtomic(path, app.bytes());
    app.setFlag(64, 3);   // changed earlier in memory, never saved
    app.setFlag(10, 1);
    EXPECT_EQ(writeProgramFile(list, app, path, app.bytes()).codes, (std::vector<std::uint32_t>{2}));
    EXPECT_EQ(list.lines(), (std::vector<std::string>{"000000002"}));
    EXPECT_EQ(readFile(path), std::vector<std::uint8_t>(app.bytes().begin(), app.bytes().end()));

    // In place: only the record's bytes change, and the record is marked.
    const auto dpt = dir / "p.dpt";
    writeFileAtomic(dpt, zeros(39 * 20));
    std::vector<std::uint8_t> rec(39, 7);
    EXPECT_EQ(writeProgramFileAt(list, app, dpt, 39 * 4, rec).codes, (std::vector<std::uint32_t>{5005}));
    const auto disk = readFile(dpt);
    EXPECT_EQ(disk.size(), 39u * 20);
    EXPECT_EQ(disk[39 * 4], 7);
    EXPECT_EQ(disk[39 * 5], 0);

    // A list that cannot be written stops the write: nothing unmarked lands.
    std::filesystem::create_directories(dir / "q.upd");
    const UpdateList blocked(dir / "q.upd");
    app.setFlag(11, 9);
    EXPECT_THROW(writeProgramFile(blocked, app, path, app.bytes()), FileError);
    EXPECT_EQ(readFile(path)[45 + 11], 0);
}

}  // namespace
}  // namespace tramond::testing
