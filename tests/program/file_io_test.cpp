#include "program/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "program/file_set.h"

namespace fs = std::filesystem;
using namespace tramond;

namespace {

struct TempDir {
    fs::path path;
    TempDir() {
        path = fs::temp_directory_path() /
               ("tramond-fileio-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempDir() { fs::remove_all(path); }
    std::size_t entries() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(path), {}));
    }
    static inline int counter = 0;
};

std::vector<std::uint8_t> bytes(std::size_t n, std::uint8_t seed) {
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>(seed + i * 7);
    return v;
}

WriteStage g_failAt;
bool failAtStage(WriteStage stage, std::size_t written) {
    // A "full disk" part-way through the data, or a failure at another stage.
    if (stage == WriteStage::Write) return g_failAt == WriteStage::Write && written > 0;
    return stage == g_failAt;
}

}  // namespace

TEST(WriteFileAtomic, ReplacesContentAndLeavesNoTemporary) {
    TempDir dir;
    const auto target = dir.path / "shop.app";
    writeFileAtomic(target, bytes(2845, 1));
    writeFileAtomic(target, bytes(2845, 9));
    EXPECT_EQ(readFile(target), bytes(2845, 9));
    EXPECT_EQ(dir.entries(), 1u);
}

TEST(WriteFileAtomic, InjectedFailureAtEveryStageKeepsTheOldFile) {
    for (auto stage :
         {WriteStage::Create, WriteStage::Write, WriteStage::Sync, WriteStage::Rename}) {
        SCOPED_TRACE(static_cast<int>(stage));
        TempDir dir;
        const auto target = dir.path / "shop.txt";
        const auto old = bytes(9689, 3);
        writeFileAtomic(target, old);
        g_failAt = stage;
        setWriteFaultHookForTesting(failAtStage);
        // Large enough to be written in several chunks.
        EXPECT_THROW(writeFileAtomic(target, bytes(3 << 20, 5)), FileError);
        setWriteFaultHookForTesting(nullptr);
        EXPECT_EQ(readFile(target), old);
        EXPECT_EQ(dir.entries(), 1u) << "temporary file left behind";
    }
}

TEST(WriteFileAtomic, BadTargetsGiveAClearError) {
    TempDir dir;
    fs::create_directory(dir.path / "shop.upd");
    try {
        writeTextFileAtomic(dir.path / "shop.upd", "000000002\r\n");
        FAIL() << "writing over a directory succeeded";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("shop.upd"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(fs::is_directory(dir.path / "shop.upd"));

    EXPECT_THROW(writeTextFileAtomic(dir.path / "missing" / "shop.app", "x"), FileError);
    EXPECT_THROW(readFile(dir.path / "nothing.app"), FileError);
    EXPECT_THROW(readFile(dir.path / "shop.upd"), FileError);
}

TEST(WriteFileAtomic, KeepsThePermissionsOfTheReplacedFile) {
    TempDir dir;
    const auto target = dir.path / "shop.chk";
    writeTextFileAtomic(target, "a");
    ::chmod(target.c_str(), 0640);
    writeTextFileAtomic(target, "b");
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(WriteFileAtomic, WritesThroughASymbolicLink) {
    TempDir dir;
    const auto real = dir.path / "real.app";
    writeTextFileAtomic(real, "old");
    fs::create_symlink(real, dir.path / "link.app");
    writeTextFileAtomic(dir.path / "link.app", "new");
    EXPECT_TRUE(fs::is_symlink(dir.path / "link.app"));
    EXPECT_EQ(readFile(real), (std::vector<std::uint8_t>{'n', 'e', 'w'}));
}

TEST(FileSet, ExtensionsAndSiblingNames) {
    const auto& ext = fileset::kProgramExtensions;
    EXPECT_EQ(ext.front(), ".bmp");
    EXPECT_EQ(ext[8], ".kbf");
    EXPECT_EQ(ext[18], ".con");
    EXPECT_EQ(ext.back(), ".upd");
    for (std::size_t i = 0; i < ext.size(); ++i)
        for (std::size_t j = i + 1; j < ext.size(); ++j) EXPECT_NE(ext[i], ext[j]);
    EXPECT_EQ(std::count(ext.begin(), ext.end(), ".app"), 0);

    EXPECT_EQ(fileset::sibling("/p/shop.app", ".plu"), fs::path("/p/shop.plu"));
    EXPECT_EQ(fileset::sibling("/p.v2/shop", ".plu"), fs::path("/p.v2/shop.plu"));
    EXPECT_EQ(fileset::sibling("/p/my.shop.app", ".txt"), fs::path("/p/my.shop.txt"));
    EXPECT_EQ(fileset::keyboardFile("/p/shop.app", 0), fs::path("/p/shop.kbf"));
    EXPECT_EQ(fileset::keyboardFile("/p/shop.app", 1), fs::path("/p/shop.kbf"));
    EXPECT_EQ(fileset::keyboardFile("/p/shop.app", 12), fs::path("/p/shop.kb12"));
    EXPECT_EQ(fileset::printerFile("/p/shop.app", 1), fs::path("/p/shop.pr1"));
    EXPECT_EQ(fileset::printerFile("/p/shop.app", 24), fs::path("/p/shop.pr24"));
}
