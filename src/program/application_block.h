#pragma once
// The 2845-byte application block: the image of a program's ".app" file.
// Raw accessors are bounds-checked and little-endian, as every program file
// is; named accessors for the regions (kind headers, memory map, keyboard)
// build on them.

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <stdexcept>
#include <string>

namespace tramond {

// Where things live in the application block: every offset the program core
// knows, in one place. A field is a little-endian unsigned integer of 1, 2
// or 4 bytes; a bit is one bit of one byte; a kind header names where its
// fields live (0: the kind has no such field).
namespace appblock {

struct Field {
    std::size_t offset;
    std::size_t width;  // 1, 2 or 4
};
struct Bit {
    std::size_t offset;
    int bit;  // 0..7
};

struct KindHeaderLayout {
    std::size_t count;             // u16 record count
    std::size_t recordLength;      // u16 register record length
    std::size_t baseLength;        // u8 base record length
    std::size_t descriptorLength;  // u8 descriptor length
    std::size_t totalizerSets;     // 5 x 8 bytes
};

inline constexpr int kTotalizerSetCount = 5;
inline constexpr std::size_t kTotalizerSetSize = 8;

// The nine kinds sharing the 46-byte header layout.
inline constexpr KindHeaderLayout kCorrection{966, 968, 970, 971, 972};
inline constexpr KindHeaderLayout kCurrency{1012, 1014, 1016, 1017, 1018};
inline constexpr KindHeaderLayout kDepartment{1059, 1061, 1063, 1064, 1065};
inline constexpr KindHeaderLayout kDiscount{1105, 1107, 1109, 1110, 1111};
inline constexpr KindHeaderLayout kDrawer{1151, 1153, 1155, 1156, 1157};
inline constexpr KindHeaderLayout kGroup{2117, 2119, 2121, 2122, 2123};
inline constexpr KindHeaderLayout kPoRa{2282, 2284, 2286, 2287, 2288};
inline constexpr KindHeaderLayout kTax{2328, 2330, 2332, 2333, 2335};  // 2334 unused
inline constexpr KindHeaderLayout kTender{2375, 2377, 2379, 2380, 2381};
// The other headers.
inline constexpr KindHeaderLayout kPbFunction{2167, 2169, 2171, 2172, 2187};
inline constexpr KindHeaderLayout kPlu{2227, 2229, 2233, 2235, 2242};
inline constexpr KindHeaderLayout kSystemArea{0, 2421, 0, 0, 2423};  // "record length" = area size
inline constexpr KindHeaderLayout kClerk{959, 961, 0, 963, 0};
inline constexpr KindHeaderLayout kModifier{2163, 0, 0, 2165, 0};
inline constexpr KindHeaderLayout kSalesperson{2561, 2563, 0, 2565, 0};
inline constexpr KindHeaderLayout kCondiment{2584, 2586, 0, 2588, 0};

// Keyboard regions (block index = column x 13 + row).
inline constexpr std::size_t kKeyCount = 169;
inline constexpr Field kKeyboardByte{0, 1};
inline constexpr std::size_t kSpecialKeys = 1;  // 12 block indexes
inline constexpr std::size_t kSpecialKeyCount = 12;
inline constexpr std::size_t kManagerKeyMap = 24;  // 22 bytes, bit per block index
inline constexpr std::size_t kManagerKeyMapSize = 22;
inline constexpr std::size_t kSystemFlags = 46;   // flags 1..150
inline constexpr std::size_t kSystemChars = 196;  // 169 bytes
inline constexpr std::size_t kKeyCodes = 365;     // 169 x u16

// Memory map: 64 u32 slots.
inline constexpr std::size_t kMemoryMap = 703;
inline constexpr int kMemorySlotCount = 64;

// Report definitions: nine user reports of 46 bytes.
inline constexpr std::size_t kUserReports = 1197;
inline constexpr std::size_t kUserReportSize = 46;
inline constexpr int kUserReportCount = 9;

// Multipliers of totalizer sets 3 and 4.
inline constexpr Field kDayOfWeekMultiplier{1058, 1};
inline constexpr Field kMonthMultiplier{2166, 1};

// PB functions and PB.
inline constexpr Field kPbCount{2173, 2};
inline constexpr Field kPbFlags{2175, 1};  // bits 0..3 random-code size
inline constexpr Bit kPbExtraCount{2175, 4};
inline constexpr Bit kPbTrackRandomPlu{2175, 5};
inline constexpr Bit kPbInvoiceNumber{2175, 6};
inline constexpr Bit kPbTrailer{2175, 7};
inline constexpr Field kPbTextSize{2176, 1};
inline constexpr Field kPbAmountSize{2177, 1};
inline constexpr Field kTrackAmountSize{2178, 1};
inline constexpr Field kTrackQuantitySize{2179, 1};
inline constexpr Field kTrackEntryLength{2180, 1};  // computed
inline constexpr Field kTrackEntriesPerBlock{2181, 2};
inline constexpr Field kTrackBlocks{2183, 2};
inline constexpr Field kTrackBlockSize{2185, 2};  // computed

// PLU header fields besides the common ones.
inline constexpr Field kPluOptionFlags{2231, 1};
inline constexpr Bit kPluLinked{2231, 0};
inline constexpr Bit kPluTare{2231, 1};
inline constexpr Bit kPluCondiments{2231, 3};
inline constexpr Field kPluRandomCodeSize{2234, 1};
inline constexpr Field kPluPriceLevels{2236, 1};
inline constexpr Field kPluPriceSize{2237, 1};
inline constexpr Field kPluCostPrice{2238, 1};
inline constexpr Field kPluInventorySize{2239, 1};
inline constexpr Field kPluInventoryAmountSize{2240, 1};
inline constexpr Field kPluExtraFieldSize{2241, 1};

// Time zones: count, start times (packed HHMM words), levels of zones 1..24.
inline constexpr Field kTimePeriodCount{2463, 2};
inline constexpr std::size_t kTimeZoneStarts = 2465;
inline constexpr std::size_t kTimeZonePriceLevels = 2589;
inline constexpr std::size_t kTimeZoneArticleLevels = 2613;
inline constexpr int kLeveledTimeZones = 24;

inline constexpr Bit kIndividualKeyboards{2566, 0};
inline constexpr Bit kIndividualPrinters{2566, 1};
inline constexpr Bit kClerkTime{2567, 0};
inline constexpr Bit kSalesExVat{2569, 0};
inline constexpr Bit kDiscountPerPlu{2569, 2};
inline constexpr Field kLogoSetting{2583, 1};  // low nibble size, high nibble density
inline constexpr int kLogoDoNotSend = 15;

// Flags with a role in sizing.
inline constexpr int kFlagPbOptions = 19;  // option 8: store item 1 & 2
inline constexpr int kFlagFloatingClerks = 80;
inline constexpr int kFlagFloatingClerkSize = 81;
inline constexpr int kFlagPbInvoiceOptions = 106;  // option 7
inline constexpr int kFlagLargeArea = 119;         // option 1
inline constexpr int kFlagNetworkSize = 78;

}  // namespace appblock

struct TotalizerSet {
    std::uint8_t periodFlags = 0;  // bits 0..3: daily, weekly, monthly, yearly
    std::uint8_t bytesPerTotal = 0;
    std::array<std::uint8_t, 6> sizes{};  // counter, quantity, amount, return qty, discount, cost

    int periodCount() const {
        int n = 0;
        for (int b = 0; b < 4; ++b) n += (periodFlags >> b) & 1;
        return n;
    }
    bool operator==(const TotalizerSet&) const = default;
};

class ApplicationBlock {
public:
    static constexpr std::size_t kSize = 2845;
    static constexpr int kFirstFlag = 1;
    static constexpr int kLastFlag = 150;
    using Bytes = std::array<std::uint8_t, kSize>;

    ApplicationBlock() { bytes_.fill(0); }

    // The image the tool holds before any program is loaded.
    static ApplicationBlock builtIn();

    std::uint8_t u8(std::size_t offset) const { return bytes_[check(offset, 1)]; }
    void setU8(std::size_t offset, std::uint8_t v) { bytes_[check(offset, 1)] = v; }

    std::uint16_t u16(std::size_t offset) const {
        check(offset, 2);
        return static_cast<std::uint16_t>(bytes_[offset] | (bytes_[offset + 1] << 8));
    }
    void setU16(std::size_t offset, std::uint16_t v) {
        check(offset, 2);
        bytes_[offset] = static_cast<std::uint8_t>(v & 0xff);
        bytes_[offset + 1] = static_cast<std::uint8_t>(v >> 8);
    }

    std::uint32_t u32(std::size_t offset) const {
        check(offset, 4);
        return static_cast<std::uint32_t>(bytes_[offset]) |
               (static_cast<std::uint32_t>(bytes_[offset + 1]) << 8) |
               (static_cast<std::uint32_t>(bytes_[offset + 2]) << 16) |
               (static_cast<std::uint32_t>(bytes_[offset + 3]) << 24);
    }
    void setU32(std::size_t offset, std::uint32_t v) {
        check(offset, 4);
        for (int i = 0; i < 4; ++i) bytes_[offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }

    bool bit(std::size_t offset, int bitIndex) const {
        return (u8(offset) >> checkBit(bitIndex)) & 1;
    }
    void setBit(std::size_t offset, int bitIndex, bool on) {
        const auto mask = static_cast<std::uint8_t>(1u << checkBit(bitIndex));
        setU8(offset, on ? (u8(offset) | mask) : (u8(offset) & ~mask));
    }

    // System flag N (1..150) is the byte at offset 45 + N.
    static std::size_t flagOffset(int n) {
        if (n < kFirstFlag || n > kLastFlag)
            throw std::out_of_range("system flag " + std::to_string(n) + " out of range");
        return 45 + static_cast<std::size_t>(n);
    }
    std::uint8_t flag(int n) const { return u8(flagOffset(n)); }
    void setFlag(int n, std::uint8_t v) { setU8(flagOffset(n), v); }

    // Option K (1..8) of flag N is bit K-1 of the flag byte.
    bool option(int n, int k) const { return bit(flagOffset(n), checkOption(k) - 1); }
    void setOption(int n, int k, bool on) { setBit(flagOffset(n), checkOption(k) - 1, on); }

    // Named fields (see namespace appblock).
    std::uint32_t get(appblock::Field f) const {
        switch (f.width) {
            case 1:
                return u8(f.offset);
            case 2:
                return u16(f.offset);
            case 4:
                return u32(f.offset);
        }
        throw std::invalid_argument("field width " + std::to_string(f.width));
    }
    void set(appblock::Field f, std::uint32_t v) {
        switch (f.width) {
            case 1:
                return setU8(f.offset, checkFits<std::uint8_t>(v));
            case 2:
                return setU16(f.offset, checkFits<std::uint16_t>(v));
            case 4:
                return setU32(f.offset, v);
        }
        throw std::invalid_argument("field width " + std::to_string(f.width));
    }
    bool get(appblock::Bit b) const { return bit(b.offset, b.bit); }
    void set(appblock::Bit b, bool on) { setBit(b.offset, b.bit, on); }

    // Kind headers. Asking for a field the kind does not have throws.
    std::uint16_t kindCount(const appblock::KindHeaderLayout& h) const {
        return u16(need(h.count, "count"));
    }
    void setKindCount(const appblock::KindHeaderLayout& h, std::uint16_t v) {
        setU16(need(h.count, "count"), v);
    }
    std::uint16_t kindRecordLength(const appblock::KindHeaderLayout& h) const {
        return u16(need(h.recordLength, "record length"));
    }
    void setKindRecordLength(const appblock::KindHeaderLayout& h, std::uint16_t v) {
        setU16(need(h.recordLength, "record length"), v);
    }
    std::uint8_t kindBaseLength(const appblock::KindHeaderLayout& h) const {
        return u8(need(h.baseLength, "base length"));
    }
    void setKindBaseLength(const appblock::KindHeaderLayout& h, std::uint8_t v) {
        setU8(need(h.baseLength, "base length"), v);
    }
    std::uint8_t kindDescriptorLength(const appblock::KindHeaderLayout& h) const {
        return u8(need(h.descriptorLength, "descriptor length"));
    }
    void setKindDescriptorLength(const appblock::KindHeaderLayout& h, std::uint8_t v) {
        setU8(need(h.descriptorLength, "descriptor length"), v);
    }
    static std::size_t totalizerSetOffset(const appblock::KindHeaderLayout& h, int set) {
        if (set < 0 || set >= appblock::kTotalizerSetCount)
            throw std::out_of_range("totalizer set " + std::to_string(set));
        return need(h.totalizerSets, "totalizer sets") +
               appblock::kTotalizerSetSize * static_cast<std::size_t>(set);
    }
    TotalizerSet totalizerSet(const appblock::KindHeaderLayout& h, int set) const {
        const auto o = totalizerSetOffset(h, set);
        TotalizerSet t;
        t.periodFlags = u8(o);
        t.bytesPerTotal = u8(o + 1);
        for (std::size_t i = 0; i < t.sizes.size(); ++i) t.sizes[i] = u8(o + 2 + i);
        return t;
    }
    void setTotalizerSet(const appblock::KindHeaderLayout& h, int set, const TotalizerSet& t) {
        const auto o = totalizerSetOffset(h, set);
        setU8(o, t.periodFlags);
        setU8(o + 1, t.bytesPerTotal);
        for (std::size_t i = 0; i < t.sizes.size(); ++i) setU8(o + 2 + i, t.sizes[i]);
    }

    // Memory map slot i (0..63).
    std::uint32_t memorySlot(int i) const { return u32(slotOffset(i)); }
    void setMemorySlot(int i, std::uint32_t v) { setU32(slotOffset(i), v); }

    // Machine and port bytes: 10 x machine (0..24) + port (0..9).
    int machineOf(int flag) const { return this->flag(flag) / 10; }
    int portOf(int flag) const { return this->flag(flag) % 10; }
    void setMachineAndPort(int flag, int machine, int port) {
        if (machine < 0 || machine > 24)
            throw std::out_of_range("machine " + std::to_string(machine));
        if (port < 0 || port > 9) throw std::out_of_range("port " + std::to_string(port));
        setFlag(flag, static_cast<std::uint8_t>(10 * machine + port));
    }

    // Logo setting: low four bits size (15: do not send), high four bits density.
    int logoSize() const { return get(appblock::kLogoSetting) & 0x0f; }
    int logoDensity() const { return get(appblock::kLogoSetting) >> 4; }
    // PB random-code size: low four bits of the PB flags.
    int pbRandomCodeSize() const { return get(appblock::kPbFlags) & 0x0f; }

    // Keyboard data by block index (0..168).
    std::uint16_t keyCode(int blockIndex) const {
        return u16(appblock::kKeyCodes + 2 * keyIndex(blockIndex));
    }
    void setKeyCode(int blockIndex, std::uint16_t code) {
        setU16(appblock::kKeyCodes + 2 * keyIndex(blockIndex), code);
    }
    std::uint8_t systemChar(int blockIndex) const {
        return u8(appblock::kSystemChars + keyIndex(blockIndex));
    }
    void setSystemChar(int blockIndex, std::uint8_t c) {
        setU8(appblock::kSystemChars + keyIndex(blockIndex), c);
    }
    bool managerKey(int blockIndex) const {
        const auto i = keyIndex(blockIndex);
        return bit(appblock::kManagerKeyMap + i / 8, static_cast<int>(i % 8));
    }
    void setManagerKey(int blockIndex, bool on) {
        const auto i = keyIndex(blockIndex);
        setBit(appblock::kManagerKeyMap + i / 8, static_cast<int>(i % 8), on);
    }
    // Special system key k (0..11): the block index it sits on.
    std::uint8_t specialKey(int k) const { return u8(appblock::kSpecialKeys + specialIndex(k)); }
    void setSpecialKey(int k, std::uint8_t blockIndex) {
        setU8(appblock::kSpecialKeys + specialIndex(k), blockIndex);
    }

    // Time zone z (1..count): start time word; zones 1..24 also have levels.
    std::uint16_t timeZoneStart(int z) const {
        return u16(appblock::kTimeZoneStarts + 2 * zoneIndex(z, 48));
    }
    void setTimeZoneStart(int z, std::uint16_t v) {
        setU16(appblock::kTimeZoneStarts + 2 * zoneIndex(z, 48), v);
    }
    std::uint8_t timeZonePriceLevel(int z) const {
        return u8(appblock::kTimeZonePriceLevels + zoneIndex(z, 24));
    }
    void setTimeZonePriceLevel(int z, std::uint8_t v) {
        setU8(appblock::kTimeZonePriceLevels + zoneIndex(z, 24), v);
    }
    std::uint8_t timeZoneArticleLevel(int z) const {
        return u8(appblock::kTimeZoneArticleLevels + zoneIndex(z, 24));
    }
    void setTimeZoneArticleLevel(int z, std::uint8_t v) {
        setU8(appblock::kTimeZoneArticleLevels + zoneIndex(z, 24), v);
    }

    std::span<const std::uint8_t> slice(std::size_t offset, std::size_t length) const {
        check(offset, length);
        return {bytes_.data() + offset, length};
    }
    std::span<std::uint8_t> slice(std::size_t offset, std::size_t length) {
        check(offset, length);
        return {bytes_.data() + offset, length};
    }

    const Bytes& bytes() const { return bytes_; }
    Bytes& bytes() { return bytes_; }

    bool operator==(const ApplicationBlock&) const = default;

private:
    static std::size_t need(std::size_t offset, const char* what) {
        if (offset == 0) throw std::out_of_range(std::string("kind header has no ") + what);
        return offset;
    }
    template <class T>
    static T checkFits(std::uint32_t v) {
        if (v > std::numeric_limits<T>::max())
            throw std::out_of_range("value " + std::to_string(v) + " too large for its field");
        return static_cast<T>(v);
    }
    static std::size_t slotOffset(int i) {
        if (i < 0 || i >= appblock::kMemorySlotCount)
            throw std::out_of_range("memory slot " + std::to_string(i));
        return appblock::kMemoryMap + 4 * static_cast<std::size_t>(i);
    }
    static std::size_t keyIndex(int i) {
        if (i < 0 || i >= static_cast<int>(appblock::kKeyCount))
            throw std::out_of_range("key block index " + std::to_string(i));
        return static_cast<std::size_t>(i);
    }
    static std::size_t specialIndex(int k) {
        if (k < 0 || k >= static_cast<int>(appblock::kSpecialKeyCount))
            throw std::out_of_range("special key " + std::to_string(k));
        return static_cast<std::size_t>(k);
    }
    static std::size_t zoneIndex(int z, int last) {
        if (z < 1 || z > last) throw std::out_of_range("time zone " + std::to_string(z));
        return static_cast<std::size_t>(z - 1);
    }
    static std::size_t check(std::size_t offset, std::size_t length) {
        if (offset > kSize || length > kSize - offset)
            throw std::out_of_range("application block access at " + std::to_string(offset) +
                                    " length " + std::to_string(length));
        return offset;
    }
    static int checkBit(int b) {
        if (b < 0 || b > 7) throw std::out_of_range("bit index " + std::to_string(b));
        return b;
    }
    static int checkOption(int k) {
        if (k < 1 || k > 8) throw std::out_of_range("option " + std::to_string(k));
        return k;
    }

    Bytes bytes_;
};

}  // namespace tramond
