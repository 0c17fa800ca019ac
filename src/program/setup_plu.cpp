#include "program/setup_plu.h"

#include <stdexcept>

#include "program/setup_common.h"
#include "program/setup_counts.h"

namespace tramond {

namespace {

// PLU kind header.
constexpr std::size_t kCount = 2227;
constexpr std::size_t kOptionFlags = 2231;  // bit 0 linked PLU, bit 1 tare, bit 3 condiments
constexpr std::size_t kRandomSize = 2234;
constexpr std::size_t kDescriptorLength = 2235;
constexpr std::size_t kPriceLevels = 2236;
constexpr std::size_t kPriceSize = 2237;
constexpr std::size_t kCostPrice = 2238;
constexpr std::size_t kInventorySize = 2239;
constexpr std::size_t kInventoryAmount = 2240;

using Field = SetupPlu::Field;
using Switch = SetupPlu::Switch;

constexpr std::array<SetupPlu::FieldInfo, 7> kFields{{
    {Field::Count, "Number Of :      ", 29999},
    {Field::CaptionSize, "Caption Size :   ", 24},
    {Field::RandomSize, "Random# Size :   ", 14},
    {Field::PriceSize, "Price Size   :   ", 10},
    {Field::PriceLevels, "Price Levels :   ", 4},
    {Field::InventorySize, "Invent. Size :   ", 16},
    {Field::InventoryAmount, "Inv. Amount :    ", 16},
}};

constexpr std::array<SetupPlu::SwitchInfo, 4> kSwitches{{
    {Switch::CostPrice, "&Cost Price  :   "},
    {Switch::LinkedPlu, "Linked PL&U  :    "},
    {Switch::Condiments, "&Condiments"},
    {Switch::Tare, "&Tare"},
}};

int optionBit(Switch s) {
    switch (s) {
        case Switch::LinkedPlu: return 0;
        case Switch::Tare: return 1;
        case Switch::Condiments: return 3;
        case Switch::CostPrice: break;
    }
    return -1;
}

}  // namespace

std::span<const SetupPlu::FieldInfo> SetupPlu::fields() { return kFields; }
std::span<const SetupPlu::SwitchInfo> SetupPlu::switches() { return kSwitches; }

const SetupPlu::FieldInfo& SetupPlu::info(Field f) {
    for (const auto& i : kFields)
        if (i.field == f) return i;
    throw std::invalid_argument("unknown PLU field");
}

std::string SetupPlu::text(Field f) const {
    switch (f) {
        case Field::Count: return std::to_string(app_.u16(kCount));
        case Field::CaptionSize: return std::to_string(app_.u8(kDescriptorLength));
        case Field::RandomSize: return std::to_string(setup::bytesToDigits(app_.u8(kRandomSize)));
        case Field::PriceSize: return std::to_string(setup::bytesToDigits(app_.u8(kPriceSize)));
        case Field::PriceLevels: return std::to_string(app_.u8(kPriceLevels));
        case Field::InventorySize: {
            // One byte of the inventory field is not digits; an unused field shows 0.
            const int bytes = app_.u8(kInventorySize);
            return std::to_string(bytes == 0 ? 0 : setup::bytesToDigits(bytes) - 2);
        }
        case Field::InventoryAmount: return std::to_string(setup::bytesToDigits(app_.u8(kInventoryAmount)));
    }
    return {};
}

bool SetupPlu::acceptsText(Field f, std::string_view text) const {
    return text.empty() || setup::parseNumber(text, info(f).limit).has_value();
}

bool SetupPlu::isOn(Switch s) const {
    if (s == Switch::CostPrice) return app_.u8(kCostPrice) != 0;
    return app_.bit(kOptionFlags, optionBit(s));
}

void SetupPlu::toggle(Switch s) {
    if (s == Switch::CostPrice) {
        app_.setU8(kCostPrice, app_.u8(kCostPrice) != 0 ? 0 : 1);
        return;
    }
    app_.setBit(kOptionFlags, optionBit(s), !isOn(s));
}

std::optional<Field> SetupPlu::store(const std::array<std::string, 7>& texts) {
    std::array<int, 7> v{};
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        const auto n = setup::parseNumberOrZero(texts[i], kFields[i].limit);
        if (!n) return kFields[i].field;
        v[i] = static_cast<int>(*n);
    }
    auto u8 = [](int x) { return static_cast<std::uint8_t>(x); };
    app_.setU16(kCount, static_cast<std::uint16_t>(v[0]));
    app_.setU8(kDescriptorLength, u8(v[1]));
    app_.setU8(kRandomSize, u8(setup::digitsToBytes(v[2])));
    app_.setU8(kPriceSize, u8(std::max(1, setup::digitsToBytes(v[3]))));
    app_.setU8(kPriceLevels, u8(std::max(1, v[4])));
    app_.setU8(kInventorySize, u8(v[5] == 0 ? 0 : setup::digitsToBytes(v[5]) + 1));
    app_.setU8(kInventoryAmount, u8(setup::digitsToBytes(v[6])));
    return std::nullopt;
}

MemoryRequirement finishSetupPlu(ProgramSession& session, bool confirmed) {
    const auto memory = recomputeSizes(session.app);
    if (session.loaded) {
        if (confirmed) setup::writeApplicationFile(session);
        setup::extendRecordFile(session, RecordKind::Plu);
    }
    return memory;
}

}  // namespace tramond
