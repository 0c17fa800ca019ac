// The register configuration file: where the parts lie, what a short or
// missing file reads as, and the DECT entries.

#include "program/register_config.h"

#include <gtest/gtest.h>

#include "scratch_dir.h"

namespace tramond {
namespace {

using testing::ScratchDir;
using testing::bytesOf;
using testing::pattern;

TEST(RegisterConfig, AMissingFileIsCreatedWithTheDefaultContents) {
    ScratchDir dir;
    const auto f = RegisterConfigFile::of(dir / "shop.app");
    EXPECT_EQ(f.path().filename(), "shop.chk");
    EXPECT_FALSE(f.exists());
    EXPECT_THROW(f.readCommon(), FileError);
    f.ensure();
    const auto bytes = bytesOf(f.path());
    ASSERT_EQ(bytes.size(), 168u);
    EXPECT_EQ(bytes[0] | bytes[1] << 8, 306);    // key 1
    EXPECT_EQ(bytes[26] | bytes[27] << 8, 1000);  // key 14
    EXPECT_EQ(bytes[28], 10);
    EXPECT_EQ(bytes[31], 12);
    EXPECT_EQ(f.readPart(1), defaultConfigPart());
    EXPECT_EQ(f.partCount(), 1);
    // ensure() leaves an existing file alone.
    f.writeCommon(ConfigCommon{});
    f.ensure();
    EXPECT_EQ(f.readCommon(), ConfigCommon{});
}

TEST(RegisterConfig, PartsBeyondTheEndReadAsZerosAndWritingOneExtendsTheFile) {
    ScratchDir dir;
    const RegisterConfigFile f(dir / "shop.chk");
    const auto one = pattern(168, 3);
    writeFileAtomic(f.path(), one);
    EXPECT_TRUE(f.holdsPart(0));
    EXPECT_TRUE(f.holdsPart(1));
    EXPECT_FALSE(f.holdsPart(2));
    EXPECT_EQ(f.readPart(3), ConfigPart{});
    // Machine 0 is part 1.
    EXPECT_EQ(f.readPart(0), f.readPart(1));
    EXPECT_EQ(f.readPart(1)[0], one[56]);

    ConfigPart third;
    for (std::size_t i = 0; i < third.size(); ++i) third[i] = static_cast<std::uint8_t>(200 - i);
    f.writePart(3, third);
    const auto bytes = bytesOf(f.path());
    ASSERT_EQ(bytes.size(), 56u + 3 * 112u);
    EXPECT_TRUE(std::equal(one.begin(), one.end(), bytes.begin()));                   // common and part 1 kept
    EXPECT_TRUE(std::all_of(bytes.begin() + 168, bytes.begin() + 280, [](auto b) { return b == 0; }));
    EXPECT_TRUE(std::equal(third.begin(), third.end(), bytes.begin() + 280));        // 56 + 112 x 2
    EXPECT_EQ(f.partCount(), 3);

    // The common part is rewritten in place, the parts stay.
    ConfigCommon common;
    common.fill(0xAB);
    f.writeCommon(common);
    EXPECT_EQ(f.readCommon(), common);
    EXPECT_EQ(f.readPart(3), third);
    EXPECT_EQ(bytesOf(f.path()).size(), 392u);
}

TEST(RegisterConfig, DectEntriesAreThirteenByteIdentificationsAndAType) {
    ConfigPart part;
    for (std::size_t i = 0; i < part.size(); ++i) part[i] = static_cast<std::uint8_t>(0x80 | i);
    DectTable t;
    t[0] = {"123456789012", static_cast<std::uint8_t>(DectType::Tovik)};
    t[1] = {"", static_cast<std::uint8_t>(DectType::None)};
    t[3] = {"42", static_cast<std::uint8_t>(DectType::Pc)};
    setDectTable(part, t);
    EXPECT_EQ(part[0], '1');
    EXPECT_EQ(part[11], '2');
    EXPECT_EQ(part[12], 0);  // terminating zero
    EXPECT_EQ(part[13], 1);
    EXPECT_EQ(part[14], 0);  // entry 2 empty
    EXPECT_EQ(part[27], 0);
    EXPECT_EQ(part[42], '4');
    EXPECT_EQ(part[55], 3);
    for (std::size_t i = 56; i < part.size(); ++i) EXPECT_EQ(part[i], 0x80 | i) << i;  // the handheld half
    EXPECT_EQ(dectTable(part), t);
}

}  // namespace
}  // namespace tramond
