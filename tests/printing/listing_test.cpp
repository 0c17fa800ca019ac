#include "printing/listing.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "app/kind_words.h"
#include "cli/record_columns.h"
#include "editors/customer_editor.h"
#include "options/options_fixture.h"
#include "program/program_ops.h"
#include "program/file_io.h"
#include "program/packed.h"

namespace tramond {
namespace {

namespace ab = appblock;

constexpr const char* kStamp = "Tue Dec  8 06:00:00 2026";

class Listings : public testing::OptionsFixture {
protected:
    Listing build(ListingKind kind, PrinterSettings printer = {false, 60, false, true, false}) {
        ListingRequest request;
        request.printer = printer;
        request.timestamp = kStamp;
        request.progress = [this](std::size_t done, std::size_t total) {
            ++progressCalls_;
            lastProgress_ = {done, total};
        };
        return buildListing(kind, session_, texts_, request);
    }
    // Records of `size` bytes with a descriptor at `at`.
    void writeRecords(const char* ext, std::size_t size, std::size_t at, const std::vector<std::string>& names,
                      const std::function<void(std::vector<std::uint8_t>&, std::size_t)>& more = {}) {
        std::vector<std::uint8_t> bytes(size * names.size());
        for (std::size_t i = 0; i < names.size(); ++i) {
            std::memcpy(&bytes[i * size + at], names[i].data(), names[i].size());
            if (more) more(bytes, i * size);
        }
        writeFileAtomic(session_.file(ext), bytes);
    }
    void pluHeader(int count, int codeBytes, int levels, int priceSize, bool cost) {
        auto& app = session_.app;
        app.setKindCount(ab::kPlu, static_cast<std::uint16_t>(count));
        app.set(ab::kPluRandomCodeSize, static_cast<std::uint32_t>(codeBytes));
        app.setKindDescriptorLength(ab::kPlu, 24);
        app.set(ab::kPluPriceLevels, static_cast<std::uint32_t>(levels));
        app.set(ab::kPluPriceSize, static_cast<std::uint32_t>(priceSize));
        app.set(ab::kPluCostPrice, cost ? 1 : 0);
    }
    static void pack(std::vector<std::uint8_t>& b, std::size_t at, const char* digits, std::size_t width) {
        ASSERT_TRUE(packAmount(digits, std::span(b).subspan(at, width)));
    }

    int progressCalls_ = 0;
    std::pair<std::size_t, std::size_t> lastProgress_;
};

TEST_F(Listings, FirstLineHeaderAndRecordsFollowThePrinterSettings) {
    session_.app.setKindCount(ab::kGroup, 2);
    writeRecords(".grp", 29, 4, {"FOOD", "DRINKS"});

    auto all = build(ListingKind::Group, {0, 60, true, true, true});
    ASSERT_TRUE(all.ok()) << all.error;
    // The first line goes on over further lines rather than past 77 characters.
    const std::string first = std::string(kStamp) + "   Program " + session_.programPath.string();
    const std::size_t firstLines = (first.size() + kListingWidth - 1) / kListingWidth;
    ASSERT_EQ(all.lines.size(), firstLines + 3);
    std::string joined;
    for (std::size_t i = 0; i < firstLines; ++i) joined += all.lines[i];
    EXPECT_EQ(joined, first);
    EXPECT_EQ(all.lines[firstLines], "Number Descriptor");
    EXPECT_EQ(all.lines[firstLines + 1], "     1 FOOD");
    EXPECT_EQ(all.lines[firstLines + 2], "     2 DRINKS");
    EXPECT_EQ(all.fileName, "shop.grp");

    EXPECT_EQ(build(ListingKind::Group, {0, 60, false, true, false}).lines[0], "Number Descriptor");
    EXPECT_EQ(build(ListingKind::Group, {0, 60, true, false, false}).lines[0], std::string(kStamp) + "   ");
    EXPECT_EQ(build(ListingKind::Group, {0, 60, false, false, true}).lines[0],
              ("Program " + session_.programPath.string()).substr(0, kListingWidth));
    EXPECT_EQ(build(ListingKind::Group, {0, 60, false, false, false}).lines[0], "     1 FOOD");
}

TEST_F(Listings, DepartmentGroupsClerksAndModifiersReadTheirOwnLayouts) {
    auto& app = session_.app;
    app.setKindCount(ab::kDepartment, 2);
    writeRecords(".dpt", 39, 4, {"BREAD", "WINE"}, [](auto& b, std::size_t r) { b[r + 2] = r ? 2 : 0; });
    const auto d = build(ListingKind::Department);
    EXPECT_EQ(d.lines, (std::vector<std::string>{"Number Descriptor               Group", "     1 BREAD                        1",
                                                 "     2 WINE                         3"}));

    app.setKindCount(ab::kClerk, 1);
    writeRecords(".clk", 78, 4, {"ANNA"}, [](auto& b, std::size_t r) { b[r + 2] = 'X'; });
    EXPECT_EQ(build(ListingKind::Clerk).lines.back(), "     1 ANNA");

    app.setKindCount(ab::kModifier, 2);
    writeRecords(".mod", 28, 3, {"LARGE", "SMALL"}, [](auto& b, std::size_t r) { b[r + 2] = 'X'; });
    EXPECT_EQ(build(ListingKind::Modifier).lines.back(), "     2 SMALL");
}

TEST_F(Listings, PluNumberModeShowsPricesCostAndFurtherLevels) {
    pluHeader(2, 0, 2, 3, true);
    session_.app.setOption(24, 3, true);
    writeRecords(".plu", 137, 9, {"COFFEE", "TEA"}, [](auto& b, std::size_t r) {
        b[r + 34] = r ? 4 : 0;
        pack(b, r + 37, r ? "250" : "123", 8);
        pack(b, r + 46, "5", 8);
        pack(b, r + 73, "12", 8);
    });
    const auto l = build(ListingKind::Plu);
    ASSERT_EQ(l.lines.size(), 5u);
    EXPECT_EQ(l.lines[0], "Number Descriptor               Dept. Lv   Price MixMatch Q.");
    EXPECT_EQ(l.lines[1], "     1 COFFEE                       1 L1    1,23          12");
    EXPECT_EQ(l.lines[2], "                                      L2    0,05");
    EXPECT_EQ(l.lines[3], "     2 TEA                          5 L1    2,50          12");
    // Each PLU is one record of two lines: pages break between PLUs.
    EXPECT_EQ(l.recordStarts, (std::vector<std::size_t>{1, 3}));
    EXPECT_EQ(l.bodyStart(), 1u);

    session_.app.setOption(24, 3, false);
    session_.app.setOption(2, 1, true);
    const auto cost = build(ListingKind::Plu);
    EXPECT_EQ(cost.lines[0].substr(cost.lines[0].size() - 10), "Cost Price");
    EXPECT_EQ(cost.lines[1].substr(cost.lines[1].size() - 4), "0.12");
}

TEST_F(Listings, PluCodeModeListsCodeOrderAndLeavesRecordsWithoutCodeOut) {
    pluHeader(3, 2, 1, 3, false);
    writeRecords(".plu", 137, 9, {"ZED", "FREE", "ALPHA"}, [](auto& b, std::size_t r) {
        if (r == 0) pack(b, r + 2, "2000", 2);
        if (r == 2 * 137) pack(b, r + 2, "17", 2);
    });
    const auto l = build(ListingKind::Plu);
    ASSERT_TRUE(l.ok());
    ASSERT_EQ(l.lines.size(), 3u);
    EXPECT_EQ(l.lines[1].substr(0, 13), "  0017 ALPHA ");
    EXPECT_EQ(l.lines[2].substr(0, 11), "  2000 ZED ");
}

TEST_F(Listings, LinesStayWithin77CharactersWithoutCuttingAmounts) {
    pluHeader(1, 7, 4, 8, true);
    writeRecords(".plu", 137, 9, {"ABCDEFGHIJKLMNOPQRSTUVWX"}, [](auto& b, std::size_t r) {
        pack(b, r + 2, "12345678901234", 7);
        pack(b, r + 37, "9999999999999999", 8);
        pack(b, r + 73, "8888888888888888", 8);
    });
    const auto l = build(ListingKind::Plu, {0, 60, true, true, true});
    for (const auto& line : l.lines) EXPECT_LE(line.size(), kListingWidth) << line;
    const auto& record = l.lines[l.lines.size() - 4];  // three more price levels follow
    EXPECT_EQ(record.substr(0, 15), "12345678901234 ");
    EXPECT_NE(record.find(" 99999999999999,99 88888888888888,88"), std::string::npos) << record;
}

TEST_F(Listings, FailuresKeepWhatWasListed) {
    session_.app.setKindCount(ab::kGroup, 3);
    const auto missing = build(ListingKind::Group);
    EXPECT_EQ(missing.error, "Error opening File !!");
    EXPECT_EQ(missing.lines, std::vector<std::string>{"Number Descriptor"});

    auto& app = session_.app;
    app.set(ab::kPbFlags, 0);
    app.set(ab::kPbTextSize, 24);
    app.setOption(83, 1, true);
    EXPECT_EQ(build(ListingKind::PbInfo).error, "Not Available with this Application !!");

    app.setOption(83, 1, false);
    app.set(ab::kPbCount, 1);
    writeRecords(".pbr", 32, 7, {"TABLE # 1"}, [](auto& b, std::size_t r) { pack(b, r, "4711", 7); });
    auto pb = build(ListingKind::PbInfo);
    ASSERT_TRUE(pb.ok());
    EXPECT_EQ(pb.lines[0], "Number Descriptor");  // random numbers are off: no column title
    EXPECT_EQ(pb.lines[1].substr(pb.lines[1].size() - 4), "4711");
    app.set(ab::kPbFlags, 3);
    EXPECT_EQ(build(ListingKind::PbInfo).lines[0].substr(32), " Random Number");
}

// A file shorter than the program's count is listed as far as it goes, and
// says so; a whole file says nothing.
TEST_F(Listings, AShortFileIsListedWithAWarning) {
    session_.app.setKindCount(ab::kGroup, 3);
    writeRecords(".grp", 29, 4, {"BREAD", "MILK"});
    const auto short2 = build(ListingKind::Group);
    ASSERT_TRUE(short2.ok());
    EXPECT_EQ(short2.lines.size(), 3u);
    ASSERT_EQ(short2.warnings.size(), 1u);
    EXPECT_NE(short2.warnings[0].find(".grp holds 2 records, fewer than the program's count of 3"), std::string::npos)
        << short2.warnings[0];
    session_.app.setKindCount(ab::kGroup, 2);
    EXPECT_TRUE(build(ListingKind::Group).warnings.empty());
}

TEST_F(Listings, ProgressIsShownOnlyAbove400Records) {
    session_.app.setKindCount(ab::kGroup, 400);
    writeRecords(".grp", 29, 4, std::vector<std::string>(400, "G"));
    build(ListingKind::Group);
    EXPECT_EQ(progressCalls_, 0);
    session_.app.setKindCount(ab::kGroup, 401);
    writeRecords(".grp", 29, 4, std::vector<std::string>(401, "G"));
    build(ListingKind::Group);
    EXPECT_EQ(progressCalls_, 401);
    EXPECT_EQ(lastProgress_, (std::pair<std::size_t, std::size_t>{401, 401}));
}

// Every kind with an editor is listed, one record per record of the file,
// with every field its spreadsheet export has, within 77 characters.
TEST_F(Listings, EveryKindListsEachRecordWithTheFieldsOfItsExport) {
    ASSERT_TRUE(createProgram(session_, dir_ / "full.app").ok());
    std::vector<std::uint8_t> customers;
    for (int n = 1; n <= customer::kCount; ++n) {
        const auto r = customer::newRecord(n);
        customers.insert(customers.end(), r.begin(), r.end());
    }
    writeFileAtomic(session_.file(".cst"), customers);
    session_.app.set(ab::kPbFlags, 3);  // PB info listed with its random numbers
    // A kind the new program has none of gets three blank records.
    for (const auto& k : recordKinds()) {
        const auto* header = kindHeader(k.kind);
        if (!header || recordCount(session_.app, k.kind) != 0) continue;
        session_.app.setKindCount(*header, 3);
        writeFileAtomic(session_.file(k.extension), std::vector<std::uint8_t>(3 * k.recordSize, 0));
    }

    for (const auto& info : listingKinds()) {
        if (info.kind == ListingKind::Summary) continue;
        SCOPED_TRACE(std::string(info.name));
        const auto l = build(info.kind, {0, 60, true, true, true});
        ASSERT_TRUE(l.ok()) << l.error;
        const auto rk = kindFromWord(info.name == "pbinfo" ? "pb-info" : info.name);
        const std::size_t expected = info.kind == ListingKind::Customer ? 500u : recordCount(session_.app, *rk);
        EXPECT_EQ(l.records(), expected);
        EXPECT_GT(l.records(), 0u);
        EXPECT_GE(l.firstLines, 1u);  // a long path takes more than one line
        EXPECT_EQ(l.headerLines, 1u);
        const auto& header = l.lines[l.firstLines];
        EXPECT_EQ(header.rfind("Number Descriptor", 0), 0u) << header;
        for (const auto& line : l.lines) EXPECT_LE(line.size(), kListingWidth) << line;
        // The record starts go up, the first right after the header.
        ASSERT_FALSE(l.recordStarts.empty());
        EXPECT_EQ(l.recordStarts.front(), l.bodyStart());
        EXPECT_TRUE(std::is_sorted(l.recordStarts.begin(), l.recordStarts.end()));
        // Each field of the export is named in the header or in the first record.
        std::vector<RecordColumn> columns;
        if (info.kind == ListingKind::Customer) columns = customerColumns();
        else if (info.kind == ListingKind::Condiment) columns = condimentColumns();
        else if (info.kind >= ListingKind::Tender) columns = recordTable(*rk, session_.app)->columns;
        const std::size_t end = l.records() > 1 ? l.recordStarts[1] : l.lines.size();
        std::string shown = header;
        for (std::size_t i = l.recordStarts.front(); i < end; ++i) shown += "\n" + l.lines[i];
        for (const auto& c : columns)
            if (c.name != "name") {
                EXPECT_NE(shown.find(c.name), std::string::npos) << c.name << "\n" << shown;
            }
    }
    // Unknown words fail; the export's words name the same listings.
    EXPECT_EQ(listingKindByName("po-ra"), ListingKind::PoRa);
    EXPECT_EQ(listingKindByName(".tnd"), ListingKind::Tender);
    EXPECT_EQ(listingKindByName("pb-info"), ListingKind::PbInfo);
    EXPECT_EQ(listingKindByName("customers"), std::nullopt);
    EXPECT_EQ(listingKindByName("CUSTOMER"), ListingKind::Customer);
}

// Pages break between records: whatever the record sizes and the page
// length, the pages cover the body in order, no page is over-full and only a
// record longer than a page is cut.
TEST(ListingPages, BreakOnlyBetweenRecordsAndCoverEveryLine) {
    std::mt19937 rng(7);
    for (int round = 0; round < 300; ++round) {
        Listing l;
        l.firstLines = rng() % 3;
        l.headerLines = rng() % 2;
        l.lines.resize(l.bodyStart());
        const int records = static_cast<int>(rng() % 60);
        for (int r = 0; r < records; ++r) {
            l.recordStarts.push_back(l.lines.size());
            l.lines.resize(l.lines.size() + 1 + rng() % (round % 5 == 0 ? 12 : 4));
        }
        const std::size_t perPage = 3 + rng() % 20;
        const auto pages = paginateListing(l, perPage);
        ASSERT_FALSE(pages.empty());
        std::size_t at = l.bodyStart();
        for (std::size_t p = 0; p < pages.size(); ++p) {
            const auto& page = pages[p];
            EXPECT_EQ(page.withFirstLines, p == 0);
            EXPECT_EQ(page.first, at);
            const std::size_t room = perPage - l.headerLines - (p == 0 ? l.firstLines : 0);
            EXPECT_LE(page.end - page.first, std::max<std::size_t>(room, 1));
            const bool atRecord = std::count(l.recordStarts.begin(), l.recordStarts.end(), page.first) == 1;
            if (!atRecord && page.first != l.bodyStart()) {
                // Only the rest of a record longer than a page starts mid-record.
                const auto it = std::upper_bound(l.recordStarts.begin(), l.recordStarts.end(), page.first);
                const std::size_t start = *(it - 1);
                const std::size_t end = it == l.recordStarts.end() ? l.lines.size() : *it;
                EXPECT_GT(end - start, perPage - l.headerLines - l.firstLines) << "round " << round;
            }
            at = page.end;
        }
        EXPECT_EQ(at, l.lines.size()) << "round " << round;
    }
}

TEST_F(Listings, SummaryNamesTheProgramItsCountsAndTheOptionsSwitchedOn) {
    ASSERT_TRUE(createProgram(session_, dir_ / "sum.app").ok());
    const auto before = build(ListingKind::Summary, {0, 60, true, true, true});
    ASSERT_TRUE(before.ok()) << before.error;
    std::string text;
    for (const auto& line : before.lines) text += line + "\n";
    for (const char* part : {"Register type:", "Memory required:", "Network size:", "Logo:", "PLU", "department"})
        EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
    EXPECT_LE(before.lines.size(), 66u) << text;  // one page of 9-point lines
    for (const auto& line : before.lines) EXPECT_LE(line.size(), kListingWidth) << line;

    // Switching an option on adds its caption.
    session_.app.setOption(26, 5, !session_.app.option(26, 5));  // modifier used as PLU number
    const auto after = build(ListingKind::Summary, {0, 60, true, true, true});
    std::string caption = texts_.plain(804);
    while (!caption.empty() && caption.back() == ' ') caption.pop_back();
    const auto count = [&](const Listing& l) {
        int n = 0;
        for (const auto& line : l.lines) n += line.find(caption) != std::string::npos;
        return n;
    };
    EXPECT_NE(count(before), count(after)) << caption;
}

}  // namespace
}  // namespace tramond
