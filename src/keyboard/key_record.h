#pragma once
// The PC-side picture of the keys: the 276-byte key record of a keyboard
// layout file (".kbf", ".kb2" ..) and the default attributes per key kind
// ("bkeyboard.set"). Texts are Windows-1252 in fixed byte fields; a text
// longer than its field is cut to it, never written past it. A record keeps
// its raw bytes, so whatever the editor does not touch is written back as read.

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tramond {

// Colours are Windows RGB values, 0x00BBGGRR.
struct KeyLineStyle {
    std::uint32_t fontColour = 0;
    std::uint32_t keyColour = 0;
    std::int32_t fontSize = 0;  // points
    std::uint8_t style = 0;     // bit 0 bold, 1 italic, 2 underline, 3 strike-out
    std::string fontName;       // UTF-8; at most 19 bytes stored

    static constexpr std::uint8_t kBold = 1, kItalic = 2, kUnderline = 4, kStrikeOut = 8;
    static constexpr std::size_t kSize = 33;
    static constexpr std::size_t kFontNameField = 20;

    static KeyLineStyle fromBytes(std::span<const std::uint8_t> bytes33);
    void toBytes(std::span<std::uint8_t> bytes33) const;
    bool operator==(const KeyLineStyle&) const = default;
};

enum class DisplayKind : std::uint32_t { OneLine = 1, TwoLines = 2, ThreeLines = 3, Bitmap = 4 };

class KeyRecord {
public:
    static constexpr std::size_t kSize = 276;
    static constexpr std::size_t kLineSize = 84;
    static constexpr std::size_t kLineOffset = 24;
    static constexpr std::size_t kCaptionOffset = 4;
    static constexpr std::size_t kCaptionField = 19;
    static constexpr std::size_t kTextOffset = 33;
    static constexpr std::size_t kTextField = 51;
    static constexpr std::size_t kEditorTextLimit = 39;  // what the key editor lets one type
    using Bytes = std::array<std::uint8_t, kSize>;

    KeyRecord();  // display kind 1, everything else zero
    explicit KeyRecord(std::span<const std::uint8_t> bytes276);

    // 0 and 1 both mean one line; values above 4 are shown as one line.
    std::uint32_t displayKindValue() const;
    DisplayKind displayKind() const;
    void setDisplayKind(DisplayKind kind);

    std::string systemCaption() const;
    // Returns false when the text was cut to the field.
    bool setSystemCaption(std::string_view utf8);

    bool individual() const { return bytes_[23] != 0; }
    void setIndividual(bool on) { bytes_[23] = on ? 1 : 0; }

    KeyLineStyle style(int line) const;  // line 0..2
    void setStyle(int line, const KeyLineStyle& s);
    std::string text(int line) const;
    // Returns false when the text was cut to the field (50 bytes).
    bool setText(int line, std::string_view utf8);
    // Whether a text fits the text field whole (a bitmap path must).
    static bool textFits(std::string_view utf8);

    const Bytes& bytes() const { return bytes_; }
    bool operator==(const KeyRecord&) const = default;

private:
    std::span<std::uint8_t> line(int i);
    std::span<const std::uint8_t> line(int i) const;

    Bytes bytes_{};
};

// The default look of the fourteen key kinds ("bkeyboard.set"): 14 records
// of 4 reserved bytes and three 36-byte line attributes.
class KeyAttributes {
public:
    static constexpr int kKinds = 14;
    static constexpr std::size_t kRecordSize = 112;
    static constexpr std::size_t kLineSize = 36;
    static constexpr std::size_t kFileSize = kKinds * kRecordSize;  // 1568
    static constexpr std::size_t kFontNameLimit = 17;  // characters copied onto keys
    static constexpr std::string_view kFileName = "bkeyboard.set";

    KeyAttributes();  // the built-in defaults

    // Reads the file; creates it with the defaults when it is missing.
    // Throws FileError when it exists but cannot be read or is too short, or
    // cannot be created.
    static KeyAttributes loadOrCreate(const std::filesystem::path& file);
    void save(const std::filesystem::path& file) const;

    KeyLineStyle line(int kind, int line) const;
    void setLine(int kind, int line, const KeyLineStyle& s);
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    // Throws FileError for fewer than 1568 bytes; more are kept as they are.
    static KeyAttributes fromBytes(std::span<const std::uint8_t> bytes);

    // Copies a kind's look onto a key's three lines (font names cut to 17).
    void applyTo(int kind, KeyRecord& record) const;

private:
    std::span<std::uint8_t> lineBytes(int kind, int line);
    std::span<const std::uint8_t> lineBytes(int kind, int line) const;

    std::vector<std::uint8_t> bytes_;
};

// The look of a removed key: white, black "Times New Roman" 10 points.
KeyLineStyle removedKeyStyle();

}  // namespace tramond
