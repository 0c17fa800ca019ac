#pragma once
// The 9689-byte text block: the image of a program's ".txt" file, in the
// OEM code page. Section layout and the built-in texts live with it.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tramond {

enum class TextSection {
    SpecialCaptions,
    DayNames,
    ReceiptHeader,
    SystemMessages,
    MonthNames,
    ReportNames,
    SlipHeader,
    ReceiptTrailer,
    ProgramCaptions,
    ShortDisplayCaptions,
    DescriptorWords,
};

// How an entry ends.
enum class TextTermination {
    None,            // every byte of the entry is text
    ZeroAtEnd,       // width - 1 characters, a zero byte in the last one
    ZeroTerminated,  // text up to the first zero byte
    AsStored,        // not edited by the tool; kept byte for byte
};

struct TextSectionInfo {
    TextSection section;
    std::string_view name;
    std::size_t offset;
    std::size_t entries;
    std::size_t width;
    TextTermination termination;
};

namespace textblock {

// The sections in block order; together they cover the block exactly.
inline constexpr std::array<TextSectionInfo, 11> kSections = {{
    {TextSection::SpecialCaptions, "special captions", 0, 100, 17, TextTermination::ZeroAtEnd},
    {TextSection::DayNames, "day names", 1700, 7, 17, TextTermination::ZeroAtEnd},
    {TextSection::ReceiptHeader, "receipt header", 1819, 11, 48, TextTermination::None},
    {TextSection::SystemMessages, "system messages", 2347, 120, 24, TextTermination::None},
    {TextSection::MonthNames, "month names", 5227, 12, 17, TextTermination::ZeroAtEnd},
    {TextSection::ReportNames, "report names", 5431, 16, 25, TextTermination::ZeroAtEnd},
    {TextSection::SlipHeader, "slip header", 5831, 11, 40, TextTermination::None},
    {TextSection::ReceiptTrailer, "receipt trailer", 6271, 11, 48, TextTermination::None},
    {TextSection::ProgramCaptions, "program captions", 6799, 100, 17, TextTermination::ZeroAtEnd},
    {TextSection::ShortDisplayCaptions, "short display captions", 8499, 40, 17, TextTermination::AsStored},
    {TextSection::DescriptorWords, "default descriptor words", 9179, 30, 17,
     TextTermination::ZeroTerminated},
}};

constexpr const TextSectionInfo& sectionInfo(TextSection s) {
    return kSections[static_cast<std::size_t>(s)];
}

// Default descriptor words (numbered from 1) that the default-record writers use.
inline constexpr int kWordPlu = 1, kWordDepartment = 2, kWordGroup = 3, kWordTender = 4, kWordPoRa = 5,
                     kWordCorrection = 6, kWordDiscount = 7, kWordCurrency = 8, kWordDrawer = 9,
                     kWordPbFunction = 10, kWordTax = 11, kWordClerk = 12, kWordModifier = 14,
                     kWordSalesperson = 28, kWordCondiment = 29;
inline constexpr int kDescriptorWordCount = 30;
// The words Create New Program puts back (words 1..29; word 30 is kept).
extern const std::array<std::string_view, 29> kResetDescriptorWords;

// Special caption 24 (as the caption editor numbers its rows, from 1): the
// text of new PB info records.
inline constexpr int kPbInfoCaption = 24;

}  // namespace textblock

class TextBlock {
public:
    static constexpr std::size_t kSize = 9689;
    using Bytes = std::array<std::uint8_t, kSize>;

    TextBlock() { bytes_.fill(0); }

    // The image the tool holds before any program is loaded.
    static TextBlock builtIn();

    std::span<const std::uint8_t> slice(std::size_t offset, std::size_t length) const {
        check(offset, length);
        return {bytes_.data() + offset, length};
    }
    std::span<std::uint8_t> slice(std::size_t offset, std::size_t length) {
        check(offset, length);
        return {bytes_.data() + offset, length};
    }

    // Entry index (from 0) of a section, all its bytes.
    std::span<const std::uint8_t> entry(TextSection s, std::size_t index) const {
        const auto& info = textblock::sectionInfo(s);
        return slice(entryOffset(info, index), info.width);
    }
    std::span<std::uint8_t> entry(TextSection s, std::size_t index) {
        const auto& info = textblock::sectionInfo(s);
        return slice(entryOffset(info, index), info.width);
    }

    // The entry's text in OEM bytes: up to its first zero byte, never past
    // its text part (width - 1 bytes for ZeroAtEnd sections).
    std::string entryText(TextSection s, std::size_t index) const {
        const auto& info = textblock::sectionInfo(s);
        const auto e = entry(s, index);
        std::size_t n = info.termination == TextTermination::ZeroAtEnd ? info.width - 1 : info.width;
        std::size_t len = 0;
        while (len < n && e[len] != 0) ++len;
        return std::string(reinterpret_cast<const char*>(e.data()), len);
    }

    // Stores OEM text into an entry: the entry is first filled with `fill`,
    // the text is cut to the room the termination leaves, and the
    // terminating zero is put in place.
    void setEntryText(TextSection s, std::size_t index, std::string_view oem, std::uint8_t fill = 0) {
        const auto& info = textblock::sectionInfo(s);
        auto e = entry(s, index);
        std::fill(e.begin(), e.end(), fill);
        std::size_t room = info.width;
        if (info.termination == TextTermination::ZeroAtEnd || info.termination == TextTermination::ZeroTerminated)
            room = info.width - 1;
        const std::size_t n = std::min(room, oem.size());
        for (std::size_t i = 0; i < n; ++i) e[i] = static_cast<std::uint8_t>(oem[i]);
        if (info.termination == TextTermination::ZeroAtEnd) e[info.width - 1] = 0;
        if (info.termination == TextTermination::ZeroTerminated) e[n] = 0;
    }

    // Default descriptor word n (1..30), up to its zero byte.
    std::string descriptorWord(int n) const { return entryText(TextSection::DescriptorWords, wordIndex(n)); }
    void setDescriptorWord(int n, std::string_view oem) {
        setEntryText(TextSection::DescriptorWords, wordIndex(n), oem, 0);
    }
    // Words 1..29 from the reset list; word 30 keeps its value.
    void resetDescriptorWords();

    const Bytes& bytes() const { return bytes_; }
    Bytes& bytes() { return bytes_; }

    bool operator==(const TextBlock&) const = default;

private:
    static void check(std::size_t offset, std::size_t length) {
        if (offset > kSize || length > kSize - offset)
            throw std::out_of_range("text block access at " + std::to_string(offset) + " length " +
                                    std::to_string(length));
    }
    static std::size_t entryOffset(const TextSectionInfo& info, std::size_t index) {
        if (index >= info.entries)
            throw std::out_of_range(std::string(info.name) + " entry " + std::to_string(index) + " of " +
                                    std::to_string(info.entries));
        return info.offset + index * info.width;
    }
    static std::size_t wordIndex(int n) {
        if (n < 1 || n > textblock::kDescriptorWordCount)
            throw std::out_of_range("descriptor word " + std::to_string(n));
        return static_cast<std::size_t>(n - 1);
    }

    Bytes bytes_;
};

}  // namespace tramond
