// The money-and-people editors through their layouts on the engine, over
// real files: the records' own numbers and what each layout adds.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <set>

#include "editor_fixture.h"
#include "editors/record_editor.h"

namespace tramond {
namespace {

using test::ProgramDir;
using test::putText;
using test::RecordingPrompts;

// A program holding `count` records of the layout's kind (descriptors "R1",
// "R2", ...) and four drawers named "DRW n".
class LayoutEditorTest : public ::testing::Test {
protected:
    void give(const RecordEditorLayout& layout, int count, std::function<void(std::vector<std::uint8_t>&)> fill = {}) {
        const auto& info = kindInfo(layout.kind);
        dir.session.app.setU16(info.countOffset, static_cast<std::uint16_t>(count));
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count) * info.recordSize, 0);
        for (int i = 0; i < count; ++i)
            putText(bytes, i * info.recordSize + layout.descriptorOffset, "R" + std::to_string(i + 1));
        if (fill) fill(bytes);
        dir.write(info.extension, bytes);
    }
    void giveDrawers(int count) {
        dir.session.app.setU16(kindInfo(RecordKind::Drawer).countOffset, static_cast<std::uint16_t>(count));
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count) * 20, 0);
        for (int i = 0; i < count; ++i) putText(bytes, i * 20 + 3, "DRW " + std::to_string(i + 1));
        dir.write(".drw", bytes);
    }
    std::unique_ptr<RecordEditorController> open(const RecordEditorLayout& layout) {
        auto ed = std::make_unique<RecordEditorController>(layout, dir.session, LanguageTexts::builtIn(), prompts);
        EXPECT_TRUE(ed->activate());
        return ed;
    }
    std::uint16_t word(const RecordEditorLayout& layout, int record, std::size_t offset = 0) const {
        const auto bytes = dir.read(kindInfo(layout.kind).extension);
        const auto at = static_cast<std::size_t>(record) * kindInfo(layout.kind).recordSize + offset;
        return static_cast<std::uint16_t>(bytes.at(at) | (bytes.at(at + 1) << 8));
    }
    std::uint8_t byteAt(const RecordEditorLayout& layout, int record, std::size_t offset) const {
        return dir.read(kindInfo(layout.kind).extension)
            .at(static_cast<std::size_t>(record) * kindInfo(layout.kind).recordSize + offset);
    }

    ProgramDir dir;
    RecordingPrompts prompts;
};

// One row per rule of an option word: what the file held, what the user did,
// the word stored.
struct WordCase {
    const char* what;
    const RecordEditorLayout& (*layout)();
    std::uint16_t before;
    std::function<void(RecordEditorController&)> edit;
    std::uint16_t after;
};

void untickAll(RecordEditorController& ed) {
    for (std::size_t i = 0; i < ed.layout().fields.size(); ++i) ed.field(i).checked = false;
}

TEST_F(LayoutEditorTest, OptionWordsAreRebuiltAsEachRecordSays) {
    const std::vector<WordCase> cases{
        {"tender, nothing ticked: amount entry not allowed", tenderEditorLayout, 0x0001, untickAll, 4},
        {"tender, amount entry allowed clears bit 2, card reader is bit 9", tenderEditorLayout, 0xFFFF,
         [](auto& ed) {
             untickAll(ed);
             ed.field("amountEntryAllowed").checked = true;
             ed.field("cardReader").checked = true;
         },
         0x0200},
        {"drawer \"2\" clears bits 0 and 2", drawerEditorLayout, 0x0005,
         [](auto& ed) { ed.field("decimalPoint").index = 2; }, 0x0000},
        {"drawer \"1\" is bits 0 and 2, other bits written as 0", drawerEditorLayout, 0xFF00,
         [](auto& ed) { ed.field("decimalPoint").index = 1; }, 0x0005},
        {"received on account, single item: bit 3 set, bit 1 clear", poRaEditorLayout, 0x0002,
         [](auto& ed) {
             ed.field("type").index = 1;
             ed.field("singleItem").checked = true;
         },
         0x0008},
        {"paid out, cash back is bit 15", poRaEditorLayout, 0,
         [](auto& ed) {
             untickAll(ed);
             ed.field("type").index = 0;
             ed.field("cashBack").checked = true;
         },
         0x8002},
        {"currency with decimal point ticked clears bit 0", currencyEditorLayout, 0x0001,
         [](auto& ed) { ed.field("decimalPoint").checked = true; }, 0x0000},
        {"currency unticked starts from 1", currencyEditorLayout, 0x00F0, untickAll, 0x0001},
        {"discount: type in bits 0-1, bits 8-15 written as 0", discountEditorLayout, 0xFF00,
         [](auto& ed) {
             ed.field("type").index = 2;
             ed.field("positive").checked = true;
         },
         0x000A},
        {"clerk with no box ticked: no reports, no Z, no programming", clerkEditorLayout, 0x0010, untickAll, 14},
        {"clerk drawer 3 is bit 10, an allowed box clears its bit", clerkEditorLayout, 0,
         [](auto& ed) {
             untickAll(ed);
             ed.field("drawer3").checked = true;
             ed.field("zReports").checked = true;
         },
         0x040A},
        {"modifier keeps bit 5 while its two boxes change", modifierEditorLayout, 0x0021,
         [](auto& ed) {
             ed.field("suppressPrinting").checked = false;
             ed.field("kitchenMessage").checked = true;
         },
         0x0022},
        {"salesperson keeps only bit 0", salespersonEditorLayout, 0xFFFE,
         [](auto& ed) { ed.field("doubleHeight").checked = true; }, 0x0001},
        {"tax: type VAT is bit 0, bit 5 written as 0", taxEditorLayout, 0x0020,
         [](auto& ed) { ed.field("type").index = 1; }, 0x0001},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto& layout = c.layout();
        give(layout, 2, [&](auto& bytes) {
            bytes[0] = static_cast<std::uint8_t>(c.before);
            bytes[1] = static_cast<std::uint8_t>(c.before >> 8);
        });
        auto ed = open(layout);
        c.edit(*ed);
        ed->next();
        EXPECT_EQ(word(layout, 0), c.after);
    }
}

TEST(DrawerDecimalPoint, ReadingMapsEveryValue) {
    const auto& f = drawerEditorLayout().fields[0];
    ASSERT_EQ(f.encoding, FieldEncoding::Mapped);
    ProgramDir dir;
    RecordingPrompts prompts;
    dir.session.app.setU16(kindInfo(RecordKind::Drawer).countOffset, 6);
    // Only bits 0 and 2 are the decimal point: 7 (with open drawer total) is
    // one decimal; 2 and 8 hold no decimal bits and show "2".
    const std::array<std::uint8_t, 6> stored{1, 5, 4, 0, 7, 8};
    const std::array<int, 6> shown{0, 1, 3, 2, 1, 2};
    std::vector<std::uint8_t> bytes(6 * 20, 0);
    for (std::size_t i = 0; i < 6; ++i) bytes[i * 20] = stored[i];
    dir.write(".drw", bytes);
    RecordEditorController ed(drawerEditorLayout(), dir.session, LanguageTexts::builtIn(), prompts);
    ASSERT_TRUE(ed.activate());
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(ed.field("decimalPoint").index, shown[i]) << "value " << int(stored[i]);
        ed.next();
    }
}

TEST_F(LayoutEditorTest, AmountsClearHigherDigitsAndChecksRefuseWithEachMessage) {
    give(taxEditorLayout(), 2, [](auto& b) { b[19] = 0x56, b[20] = 0x34, b[21] = 0x12; });
    auto tax = open(taxEditorLayout());
    EXPECT_EQ(tax->field("rate").text, "123456");
    tax->field("rate").text = "5";
    EXPECT_TRUE(tax->enterInNumberField(tax->fieldIndex("rate")));
    tax->field("exempt").text = "";  // not silently "0" here
    EXPECT_FALSE(tax->enterInNumberField(tax->fieldIndex("exempt")));
    tax->field("exempt").text = "1x";
    EXPECT_FALSE(tax->enterInNumberField(tax->fieldIndex("exempt")));
    EXPECT_TRUE(tax->field("exempt").text.empty());
    EXPECT_EQ(prompts.texts(), (std::vector<std::string>{"Wrong Input!", "Wrong Input!"}));
    tax->next();
    auto bytes = dir.read(".tax");
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 19, bytes.begin() + 25),
              (std::vector<std::uint8_t>{5, 0, 0, 0, 0, 0}));

    prompts.shown.clear();
    give(discountEditorLayout(), 2);
    auto disc = open(discountEditorLayout());
    disc->field("fixedDiscount").text = "-3";
    EXPECT_FALSE(disc->enterInNumberField(disc->fieldIndex("fixedDiscount")));
    giveDrawers(1);
    give(currencyEditorLayout(), 2);
    auto cur = open(currencyEditorLayout());
    cur->field("sellingRate").text = "1.5";
    EXPECT_FALSE(cur->enterInNumberField(cur->fieldIndex("sellingRate")));
    EXPECT_EQ(prompts.texts(), (std::vector<std::string>{"Wrong Input", "Wrong Input"}));
    // The tender preset amount keeps the department rule: an empty edit is "0".
    give(tenderEditorLayout(), 1);
    auto tnd = open(tenderEditorLayout());
    tnd->field("presetAmount").text = "";
    EXPECT_TRUE(tnd->enterInNumberField(tnd->fieldIndex("presetAmount")));
    EXPECT_EQ(tnd->field("presetAmount").text, "0");
}

TEST_F(LayoutEditorTest, TaxWritesAndMarksEveryStoreOthersOnlyChanges) {
    give(taxEditorLayout(), 3);
    give(clerkEditorLayout(), 3);
    {
        auto tax = open(taxEditorLayout());
        tax->next();
        tax->next();
        auto clerk = open(clerkEditorLayout());
        clerk->next();
        clerk->field("master").checked = true;
        clerk->next();
    }
    EXPECT_EQ(dir.updates(), (std::vector<std::string>{"000002901", "000002902", "000003002"}));
}

TEST_F(LayoutEditorTest, CurrencyPrefixThroughCodePageRestZero) {
    give(currencyEditorLayout(), 1, [](auto& b) { putText(b, 3, "DKK"); });
    {
        auto ed = open(currencyEditorLayout());
        EXPECT_EQ(ed->field("prefix").text, "DKK");
        ed->field("prefix").text = "£";
        ed->ok();
    }
    const auto b = dir.read(".cur");
    EXPECT_EQ(b[3], 0x9C);  // the pound sign in the OEM code page
    EXPECT_EQ(b[4], 0);
    EXPECT_EQ(b[5], 0);
}

TEST_F(LayoutEditorTest, DrawerSelectorsListNoAndDrawersAndSurviveAMissingFile) {
    giveDrawers(20);
    give(poRaEditorLayout(), 2, [](auto& b) { b[3] = 17, b[22 + 3] = 3; });
    give(tenderEditorLayout(), 1);
    {
        auto tnd = open(tenderEditorLayout());
        const auto items = tnd->lookupItems(tnd->fieldIndex("drawerTotal"));
        ASSERT_EQ(items.size(), 21u);
        EXPECT_EQ(items[0], "NO");
        EXPECT_EQ(items[20], "DRW 20");
    }
    {
        // Four bits hold the paid-out's drawer: only drawers 1..15 are offered,
        // and a value outside them stays as read.
        auto por = open(poRaEditorLayout());
        const auto field = por->fieldIndex("drawerTotal");
        EXPECT_EQ(por->lookupItems(field).size(), 16u);
        EXPECT_EQ(por->field(field).index, 17);
        por->descriptor = "CHANGED";
        por->next();
        EXPECT_EQ(byteAt(poRaEditorLayout(), 0, 3), 17);
        por->field(field).index = 15;
        por->ok();
        EXPECT_EQ(byteAt(poRaEditorLayout(), 1, 3), 15);
    }
    EXPECT_TRUE(prompts.shown.empty());

    std::filesystem::remove(dir.session.file(".drw"));
    for (const auto* layout : {&tenderEditorLayout(), &poRaEditorLayout(), &currencyEditorLayout()}) {
        SCOPED_TRACE(layout->className);
        give(*layout, 1);
        prompts.shown.clear();
        auto ed = open(*layout);
        // One message for the file, though the tender lists it twice.
        EXPECT_EQ(prompts.texts(), (std::vector<std::string>{"Error opening File !!"}));
        EXPECT_EQ(std::vector<std::string>(ed->lookupItems(ed->fieldIndex("drawerTotal")).begin(),
                                           ed->lookupItems(ed->fieldIndex("drawerTotal")).end()),
                  (std::vector<std::string>{"NO"}));
        EXPECT_EQ(ed->count(), 1);  // the editor goes on
    }
}

TEST_F(LayoutEditorTest, DiscountTaxBoxesFollowTheTaxCountAndKeepHiddenBits) {
    dir.session.app.setU16(kindInfo(RecordKind::Tax).countOffset, 3);
    give(discountEditorLayout(), 1, [](auto& b) { b[6] = 0x10; });  // tax 5
    auto ed = open(discountEditorLayout());
    for (int n = 1; n <= 8; ++n)
        EXPECT_EQ(ed->fieldAllowedByCount(ed->fieldIndex("tax" + std::to_string(n))), n <= 3) << n;
    EXPECT_TRUE(ed->field("tax5").checked);
    ed->field("tax2").checked = true;
    ed->descriptor = "";  // the discount stores an empty name empty
    ed->ok();
    EXPECT_EQ(byteAt(discountEditorLayout(), 0, 6), 0x12);
    EXPECT_EQ(byteAt(discountEditorLayout(), 0, 11), 0);
}

TEST_F(LayoutEditorTest, TenderListEnterStoresThenLoadsOthersRefresh) {
    give(tenderEditorLayout(), 3);
    auto ed = open(tenderEditorLayout());
    ed->descriptor = "CASH";
    ed->enterInList(2);
    EXPECT_EQ(ed->currentIndex(), 2);
    EXPECT_EQ(ed->lines()[0], "CASH");
    EXPECT_EQ(dir.updates(), (std::vector<std::string>{"000000901"}));

    give(drawerEditorLayout(), 3);
    auto drw = open(drawerEditorLayout());
    drw->descriptor = "TILL";
    drw->enterInList(2);
    EXPECT_EQ(drw->currentIndex(), 0);
    EXPECT_EQ(drw->descriptor, "TILL");  // what was typed stays
}

TEST(RecordEditorLayouts, EveryEditorIsReachableAndItsAcceleratorsAreDistinct) {
    std::set<RecordKind> kinds;
    for (const auto* layout : recordEditorLayouts()) {
        SCOPED_TRACE(layout->className);
        EXPECT_TRUE(kinds.insert(layout->kind).second);
        EXPECT_LE(layout->descriptorOffset + layout->descriptorField, kindInfo(layout->kind).recordSize);
        // Alt letters of the check boxes and buttons, "&Next" included, for
        // every value of a re-captioning field.
        const std::size_t variants = layout->recaption ? layout->recaption->byValue.size() : 1;
        for (std::size_t value = 0; value < variants; ++value) {
            std::set<char> letters{'n'};
            auto take = [&](std::string_view label) {
                const auto amp = label.find('&');
                if (amp == std::string_view::npos || amp + 1 >= label.size() || label[amp + 1] == '&') return;
                EXPECT_TRUE(letters.insert(static_cast<char>(std::tolower(label[amp + 1]))).second)
                    << label << " value " << value;
            };
            for (const auto& f : layout->fields) {
                if (f.control != FieldControl::CheckBox) continue;
                auto caption = f.caption;
                if (layout->recaption) {
                    const auto& r = *layout->recaption;
                    const auto t = std::find(r.targets.begin(), r.targets.end(), f.name);
                    if (t != r.targets.end())
                        caption = r.byValue[value][static_cast<std::size_t>(t - r.targets.begin())];
                }
                take(caption.english);
            }
            for (const auto& b : layout->buttons) take(b.caption.english);
            if (layout->printOptions) take("&Print Options");
        }
        for (const auto& f : layout->fields) {
            EXPECT_LE(f.offset + (f.encoding == FieldEncoding::Byte ? 1 : f.width), kindInfo(layout->kind).recordSize)
                << f.name;
            EXPECT_LT(f.bit, static_cast<int>(8 * f.width)) << f.name;
        }
    }
    EXPECT_EQ(kinds.size(), 14u);
}

}  // namespace
}  // namespace tramond
