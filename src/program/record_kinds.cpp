#include "program/record_kinds.h"

#include <array>
#include <stdexcept>
#include <string>
#include <utility>

namespace tramond {
namespace {

using K = RecordKind;
constexpr std::nullopt_t kFree = std::nullopt;

// kind, name, ext, size, count at, descriptor length at, change base,
// fixed count, fixed descriptor length, whole block
const std::array<KindInfo, 17> kKinds = {{
    {K::Plu, "PLU", ".plu", 137, 2227, 2235, 10001, kFree, 24},
    {K::Department, "department", ".dpt", 39, 1059, 1064, 5001, kFree, 24},
    {K::Group, "group", ".grp", 29, 2117, 2122, 4001, kFree, 24},
    {K::Tender, "tender", ".tnd", 30, 2375, 2380, 901, 32, 16},
    {K::Drawer, "drawer", ".drw", 20, 1151, 1156, 601, 32, 16},
    {K::Correction, "correction", ".cor", 20, 966, 971, 301, 16, 16},
    {K::Currency, "currency", ".cur", 31, 1012, 1017, 401, 32, 16},
    {K::Discount, "discount", ".dis", 28, 1105, 1110, 501, 16, 16},
    {K::PoRa, "PO/RA", ".por", 22, 2282, 2287, 801, 8, 16},
    {K::Tax, "tax", ".tax", 25, 2328, 2333, 2901, 16, 16},
    {K::PbFunction, "PB function", ".pbf", 20, 2167, 2172, 701, kFree, 16},
    {K::Clerk, "clerk", ".clk", 78, 959, 963, 3001, kFree, 16},
    {K::Modifier, "modifier", ".mod", 28, 2163, 2165, 1001, kFree, 24},
    {K::Salesperson, "salesperson", ".sps", 27, 2561, 2565, 2101, kFree, 24},
    {K::Condiment, "condiment", ".con", 140, 2584, 2588, 4501, kFree, 24},
    {K::PbInfo, "PB info", ".pbr", 32, 2173, 2176, 60001, kFree, 0},
    // Fifty lines that the register takes as one block, change code 90.
    {K::PbExtraTrailer, "PB extra trailer", ".pxt", 24, 0, 0, 90, 50, 0, true},
}};

}  // namespace

std::span<const KindInfo> recordKinds() {
    return kKinds;
}

const KindInfo& kindInfo(RecordKind kind) {
    for (const auto& k : kKinds)
        if (k.kind == kind) return k;
    throw std::invalid_argument("unknown record kind " + std::to_string(static_cast<int>(kind)));
}

std::uint32_t recordCount(const ApplicationBlock& app, RecordKind kind) {
    const auto& k = kindInfo(kind);
    if (k.countOffset == 0) return k.fixedCount.value_or(0);
    return app.u16(k.countOffset);
}

std::uint8_t descriptorLength(const ApplicationBlock& app, RecordKind kind) {
    const auto& k = kindInfo(kind);
    return k.descriptorLengthOffset == 0 ? 0 : app.u8(k.descriptorLengthOffset);
}

std::uint32_t changeCode(RecordKind kind, std::uint32_t recordNumber) {
    if (recordNumber == 0) throw std::out_of_range("record numbers start at 1");
    const auto& k = kindInfo(kind);
    return k.wholeBlock ? k.changeBase : k.changeBase + recordNumber - 1;
}

const appblock::KindHeaderLayout* kindHeader(RecordKind kind) {
    namespace ab = appblock;
    static const std::pair<RecordKind, const ab::KindHeaderLayout*> kHeaders[] = {
        {K::Plu, &ab::kPlu},
        {K::Department, &ab::kDepartment},
        {K::Group, &ab::kGroup},
        {K::Tender, &ab::kTender},
        {K::Drawer, &ab::kDrawer},
        {K::Correction, &ab::kCorrection},
        {K::Currency, &ab::kCurrency},
        {K::Discount, &ab::kDiscount},
        {K::PoRa, &ab::kPoRa},
        {K::Tax, &ab::kTax},
        {K::PbFunction, &ab::kPbFunction},
        {K::Clerk, &ab::kClerk},
        {K::Modifier, &ab::kModifier},
        {K::Salesperson, &ab::kSalesperson},
        {K::Condiment, &ab::kCondiment},
    };
    for (const auto& [k, h] : kHeaders)
        if (k == kind) return h;
    return nullptr;
}

std::string fewerRecordsWarning(std::string_view fileName, std::size_t held, std::size_t count) {
    if (held >= count) return {};
    return std::string(fileName) + " holds " + std::to_string(held) + (held == 1 ? " record" : " records") +
           ", fewer than the program's count of " + std::to_string(count);
}

std::optional<RecordKind> kindForExtension(std::string_view extension) {
    for (const auto& k : kKinds)
        if (k.extension == extension) return k.kind;
    return std::nullopt;
}

std::optional<DescriptorPlace> descriptorPlace(RecordKind kind) {
    static const std::pair<RecordKind, DescriptorPlace> kPlaces[] = {
        {K::Plu, {9, 25}},         {K::Department, {4, 25}}, {K::Group, {4, 25}},
        {K::Tender, {13, 17}},     {K::Drawer, {3, 17}},     {K::Correction, {3, 17}},
        {K::Currency, {14, 17}},   {K::Discount, {11, 17}},  {K::PoRa, {5, 17}},
        {K::Tax, {2, 17}},         {K::PbFunction, {3, 17}}, {K::Clerk, {4, 17}},
        {K::Modifier, {3, 25}},    {K::Salesperson, {2, 25}}, {K::Condiment, {2, 25}},
        {K::PbInfo, {7, 25}},
    };
    for (const auto& [k, place] : kPlaces)
        if (k == kind) return place;
    return std::nullopt;
}

}  // namespace tramond
