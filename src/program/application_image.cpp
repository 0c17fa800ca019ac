// The application block the tool holds before any program is loaded, and
// the one a program created without a loaded program starts from.

#include <array>
#include <string_view>

#include "program/application_block.h"
#include "program/sizing.h"

namespace tramond {
namespace {

namespace ab = appblock;

struct Value {
    std::size_t offset;
    std::size_t width;
    std::uint32_t value;
};

constexpr std::size_t flag(int n) {
    return 45 + static_cast<std::size_t>(n);
}

const Value kValues[] = {
    // Keyboard byte and the twelve special system keys (Date, Time, User
    // Reports, Program Type, Number, Enter, Option, System Reports, Machine
    // Test, Program Dump, Caps Lock, Back Space).
    {0, 1, 151},
    {1, 1, 130},
    {2, 1, 143},
    {3, 1, 168},
    {4, 1, 138},
    {5, 1, 125},
    {6, 1, 148},
    {7, 1, 135},
    {8, 1, 167},
    {9, 1, 0},
    {10, 1, 13},
    {11, 1, 26},
    {12, 1, 39},

    // System flags at start; every other flag is 0.
    {flag(17), 1, 3},
    {flag(21), 1, 1},   // computer on port 1
    {flag(22), 1, 5},   // inactive time
    {flag(27), 1, 15},  // port 1: 8,N,1 at 38400
    {flag(28), 1, 13},  // port 2: 8,N,1 at 9600
    {flag(29), 1, 13},  // port 3: 8,N,1 at 9600
    {flag(33), 1, 1},   // slip printer on port 1
    {flag(36), 1, 2},
    {flag(39), 1, 2},
    {flag(42), 1, 2},
    {flag(45), 1, 2},  // kitchen printers
    {flag(48), 1, 2},
    {flag(51), 1, 2},
    {flag(54), 1, 2},
    {flag(57), 1, 2},
    {flag(62), 1, 12},

    // Record counts; the fixed counts and descriptor lengths come from
    // applyFixedValues.
    {ab::kPlu.count, 2, 420},
    {ab::kDepartment.count, 2, 20},
    {ab::kGroup.count, 2, 10},
    {ab::kClerk.count, 2, 11},
    {ab::kModifier.count, 2, 20},
    {ab::kPbFunction.count, 2, 8},
    {ab::kPbCount.offset, 2, 45},
    {ab::kSalesperson.count, 2, 0},
    {ab::kCondiment.count, 2, 3},

    {ab::kDayOfWeekMultiplier.offset, 1, 7},
    {ab::kMonthMultiplier.offset, 1, 12},

    // PLU header of a new program: linked PLU, tare and condiments on,
    // number mode, four price levels of three bytes, no cost price.
    {ab::kPluOptionFlags.offset, 1, 11},
    {ab::kPluRandomCodeSize.offset, 1, 0},
    {ab::kPluPriceLevels.offset, 1, 4},
    {ab::kPluPriceSize.offset, 1, 3},
    {ab::kPluCostPrice.offset, 1, 0},

    // Our choice, nothing else fixing it: PB records of a 24-character
    // text and a 10-digit amount (the text size also makes a new program get
    // its PB info file), no random code, no track buffer, no logo.
    {ab::kPbTextSize.offset, 1, 24},
    {ab::kPbAmountSize.offset, 1, 5},
};

// Our choice, nothing else fixing the report matrix: standard reports
// kept daily and monthly for every report file (counter 2, quantity 3 and
// amount 5 bytes where the file has them; tax keeps its amount twice, as
// the report dialog stores it), and daily clerk and time-zone totals of the
// whole sale. Bytes per total is the sum of the sizes plus 1.
struct SetRow {
    const ab::KindHeaderLayout* header;
    int set;
    std::uint8_t periods;
    std::array<std::uint8_t, 6> sizes;  // counter, quantity, amount, return qty, discount, cost
};
constexpr std::uint8_t kDailyMonthly = 0x05;
constexpr std::uint8_t kDaily = 0x01;
const SetRow kSets[] = {
    {&ab::kSystemArea, 0, kDailyMonthly, {2, 3, 5, 0, 0, 0}},
    {&ab::kGroup, 0, kDailyMonthly, {2, 3, 5, 0, 0, 0}},
    {&ab::kDepartment, 0, kDailyMonthly, {2, 3, 5, 0, 0, 0}},
    {&ab::kPlu, 0, kDailyMonthly, {2, 3, 5, 0, 0, 0}},
    {&ab::kTender, 0, kDailyMonthly, {2, 0, 5, 0, 0, 0}},
    {&ab::kPoRa, 0, kDailyMonthly, {2, 0, 5, 0, 0, 0}},
    {&ab::kDrawer, 0, kDailyMonthly, {0, 0, 5, 0, 0, 0}},
    {&ab::kCorrection, 0, kDailyMonthly, {2, 3, 5, 0, 0, 0}},
    {&ab::kDiscount, 0, kDailyMonthly, {2, 0, 5, 0, 0, 0}},
    {&ab::kCurrency, 0, kDailyMonthly, {2, 0, 5, 0, 0, 0}},
    {&ab::kTax, 0, kDailyMonthly, {0, 0, 5, 0, 0, 5}},
    {&ab::kPbFunction, 0, kDailyMonthly, {0, 0, 5, 0, 0, 0}},
    {&ab::kSystemArea, 1, kDaily, {2, 0, 5, 0, 0, 0}},
    {&ab::kSystemArea, 2, kDaily, {2, 0, 5, 0, 0, 0}},
};

// System keyboard characters, columns 0 to 9 from row 1 down.
constexpr std::array<std::string_view, 10> kQwertyColumns = {
    "-QAZ", "'WSX", "(EDC", ")RFV ", "!TGB ", "?YHN ", "\"UJM ", "_IK,", "OL.", "P:/",
};

}  // namespace

ApplicationBlock ApplicationBlock::builtIn() {
    ApplicationBlock app;
    for (const auto& v : kValues) app.set(ab::Field{v.offset, v.width}, v.value);

    for (const auto& row : kSets) {
        TotalizerSet t;
        t.periodFlags = row.periods;
        t.sizes = row.sizes;
        unsigned sum = 0;
        for (auto s : row.sizes) sum += s;
        t.bytesPerTotal = static_cast<std::uint8_t>(sum != 0 ? sum + 1 : 0);
        app.setTotalizerSet(*row.header, row.set, t);
    }

    for (std::size_t column = 0; column < kQwertyColumns.size(); ++column) {
        const auto chars = kQwertyColumns[column];
        for (std::size_t row = 0; row < chars.size(); ++row)
            app.setSystemChar(static_cast<int>(column * 13 + row + 1),
                              static_cast<std::uint8_t>(chars[row]));
    }

    // Our choice: 48 time zones of half an hour from 00:00, price and
    // article level 0 (the key function codes likewise stay 0: no keys).
    for (int z = 1; z <= 48; ++z) {
        const int minutes = (z - 1) * 30;
        const int hhmm = (minutes / 60) * 100 + minutes % 60;
        const auto packed =
            static_cast<std::uint16_t>(((hhmm / 1000) << 12) | ((hhmm / 100 % 10) << 8) |
                                       ((hhmm / 10 % 10) << 4) | (hhmm % 10));
        app.setTimeZoneStart(z, packed);
    }

    applyFixedValues(app);
    recomputeSizes(app);
    return app;
}

}  // namespace tramond
