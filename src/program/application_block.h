#pragma once
// The 2845-byte application block: the image of a program's ".app" file.
// Raw accessors are bounds-checked and little-endian, as every program file
// is; named accessors for the regions (kind headers, memory map, keyboard)
// build on them.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

namespace tramond {

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

    bool bit(std::size_t offset, int bitIndex) const { return (u8(offset) >> checkBit(bitIndex)) & 1; }
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
