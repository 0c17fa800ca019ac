#include "keyboard/key_record.h"

#include <algorithm>
#include <stdexcept>

#include "program/codepage.h"
#include "program/file_io.h"

namespace tramond {
namespace {

std::uint32_t getU32(std::span<const std::uint8_t> b, std::size_t o) {
    return static_cast<std::uint32_t>(b[o]) | (static_cast<std::uint32_t>(b[o + 1]) << 8) |
           (static_cast<std::uint32_t>(b[o + 2]) << 16) | (static_cast<std::uint32_t>(b[o + 3]) << 24);
}
void putU32(std::span<std::uint8_t> b, std::size_t o, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[o + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Text up to the first zero byte of a field.
std::string getText(std::span<const std::uint8_t> field) { return ansiToUtf8(field); }

// Zero-fills the field and stores as much of the text as leaves room for the
// terminating zero. False when it had to cut.
bool putText(std::span<std::uint8_t> field, std::string_view utf8) {
    const auto bytes = utf8ToAnsi(utf8);
    const auto n = std::min(bytes.size(), field.size() - 1);
    std::fill(field.begin(), field.end(), 0);
    std::copy_n(bytes.begin(), n, field.begin());
    return n == bytes.size();
}

int checkLine(int i) {
    if (i < 0 || i > 2) throw std::out_of_range("key line " + std::to_string(i));
    return i;
}

}  // namespace

KeyLineStyle KeyLineStyle::fromBytes(std::span<const std::uint8_t> b) {
    KeyLineStyle s;
    s.fontColour = getU32(b, 0);
    s.keyColour = getU32(b, 4);
    s.fontSize = static_cast<std::int32_t>(getU32(b, 8));
    s.style = b[12];
    s.fontName = getText(b.subspan(13, kFontNameField));
    return s;
}

void KeyLineStyle::toBytes(std::span<std::uint8_t> b) const {
    putU32(b, 0, fontColour);
    putU32(b, 4, keyColour);
    putU32(b, 8, static_cast<std::uint32_t>(fontSize));
    b[12] = style;
    putText(b.subspan(13, kFontNameField), fontName);
}

KeyRecord::KeyRecord() { bytes_[0] = 1; }

KeyRecord::KeyRecord(std::span<const std::uint8_t> b) {
    if (b.size() < kSize) throw std::invalid_argument("key record of " + std::to_string(b.size()) + " bytes");
    std::copy_n(b.begin(), kSize, bytes_.begin());
}

std::uint32_t KeyRecord::displayKindValue() const { return getU32(bytes_, 0); }

DisplayKind KeyRecord::displayKind() const {
    const auto v = displayKindValue();
    return v >= 2 && v <= 4 ? static_cast<DisplayKind>(v) : DisplayKind::OneLine;
}

void KeyRecord::setDisplayKind(DisplayKind kind) { putU32(bytes_, 0, static_cast<std::uint32_t>(kind)); }

std::string KeyRecord::systemCaption() const {
    return getText(std::span(bytes_).subspan(kCaptionOffset, kCaptionField));
}

bool KeyRecord::setSystemCaption(std::string_view utf8) {
    return putText(std::span(bytes_).subspan(kCaptionOffset, kCaptionField), utf8);
}

std::span<std::uint8_t> KeyRecord::line(int i) {
    return std::span(bytes_).subspan(kLineOffset + kLineSize * static_cast<std::size_t>(checkLine(i)), kLineSize);
}
std::span<const std::uint8_t> KeyRecord::line(int i) const {
    return std::span(bytes_).subspan(kLineOffset + kLineSize * static_cast<std::size_t>(checkLine(i)), kLineSize);
}

KeyLineStyle KeyRecord::style(int i) const { return KeyLineStyle::fromBytes(line(i)); }
void KeyRecord::setStyle(int i, const KeyLineStyle& s) { s.toBytes(line(i)); }
std::string KeyRecord::text(int i) const { return getText(line(i).subspan(kTextOffset, kTextField)); }
bool KeyRecord::setText(int i, std::string_view utf8) { return putText(line(i).subspan(kTextOffset, kTextField), utf8); }
bool KeyRecord::textFits(std::string_view utf8) { return utf8ToAnsi(utf8).size() < kTextField; }

KeyLineStyle removedKeyStyle() { return {0, 0xFFFFFF, 10, 0, "Times New Roman"}; }

KeyAttributes::KeyAttributes() : bytes_(kFileSize, 0) {
    const KeyLineStyle base{0, 0x9DFFFF, 12, 0, "Arial"};
    for (int k = 0; k < kKinds; ++k)
        for (int l = 0; l < 3; ++l) setLine(k, l, base);
    struct Default {
        int kind;
        std::uint32_t keyColour;
        bool bold;
        std::string_view font;
        int size;
    };
    static constexpr Default kDefaults[] = {
        {0, 0x9DFFFF, true, "Times New Roman", 36}, {1, 0x9DFFFF, true, "Times New Roman", 18},
        {2, 0xD5D5D5, false, {}, 0},  {3, 0xFFE4AC, false, {}, 0},  {4, 0xC8FF91, false, {}, 0},
        {5, 0xC4C4FF, false, {}, 0},  {6, 0xDEBDFF, true, {}, 0},   {7, 0xFBCEC8, false, {}, 0},
        {8, 0xA9B8C0, true, {}, 0},   {9, 0xE6E600, false, "Arial Narrow", 0},
        {10, 0xBDFFBD, false, {}, 0}, {11, 0xFFF0E1, false, {}, 0}, {12, 0xD9FDEE, false, {}, 0},
        {13, 0xFFFF4D, false, {}, 0},
    };
    for (const auto& d : kDefaults) {
        for (int l = 0; l < 3; ++l) {
            auto s = base;
            s.keyColour = d.keyColour;
            if (d.bold) s.style = KeyLineStyle::kBold;
            if (!d.font.empty()) s.fontName = std::string(d.font);
            if (d.size) s.fontSize = d.size;
            setLine(d.kind, l, s);
        }
    }
}

KeyAttributes KeyAttributes::fromBytes(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kFileSize)
        throw FileError("The key attribute file has " + std::to_string(bytes.size()) + " bytes, not " +
                        std::to_string(kFileSize));
    KeyAttributes a;
    a.bytes_.assign(bytes.begin(), bytes.end());
    return a;
}

KeyAttributes KeyAttributes::loadOrCreate(const std::filesystem::path& file) {
    std::error_code ec;
    if (std::filesystem::exists(file, ec)) return fromBytes(readFile(file));
    KeyAttributes a;
    a.save(file);
    return a;
}

void KeyAttributes::save(const std::filesystem::path& file) const { writeFileAtomic(file, bytes_); }

std::span<std::uint8_t> KeyAttributes::lineBytes(int kind, int l) {
    if (kind < 0 || kind >= kKinds) throw std::out_of_range("key kind " + std::to_string(kind));
    return std::span(bytes_).subspan(kRecordSize * kind + 4 + kLineSize * checkLine(l), KeyLineStyle::kSize);
}
std::span<const std::uint8_t> KeyAttributes::lineBytes(int kind, int l) const {
    if (kind < 0 || kind >= kKinds) throw std::out_of_range("key kind " + std::to_string(kind));
    return std::span(bytes_).subspan(kRecordSize * kind + 4 + kLineSize * checkLine(l), KeyLineStyle::kSize);
}

KeyLineStyle KeyAttributes::line(int kind, int l) const { return KeyLineStyle::fromBytes(lineBytes(kind, l)); }
void KeyAttributes::setLine(int kind, int l, const KeyLineStyle& s) { s.toBytes(lineBytes(kind, l)); }

void KeyAttributes::applyTo(int kind, KeyRecord& record) const {
    for (int l = 0; l < 3; ++l) {
        auto s = line(kind, l);
        if (s.fontName.size() > kFontNameLimit) s.fontName.resize(kFontNameLimit);
        record.setStyle(l, s);
    }
}

}  // namespace tramond
