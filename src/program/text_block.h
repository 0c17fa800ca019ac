#pragma once
// The 9689-byte text block: the image of a program's ".txt" file, in the
// OEM code page. Section layout and the built-in texts live with it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

namespace tramond {

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

    const Bytes& bytes() const { return bytes_; }
    Bytes& bytes() { return bytes_; }

    bool operator==(const TextBlock&) const = default;

private:
    static void check(std::size_t offset, std::size_t length) {
        if (offset > kSize || length > kSize - offset)
            throw std::out_of_range("text block access at " + std::to_string(offset) + " length " +
                                    std::to_string(length));
    }

    Bytes bytes_;
};

}  // namespace tramond
