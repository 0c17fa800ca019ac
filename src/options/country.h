#pragma once
// Controller of the country info dialog (TCountryInfo): amount format and
// prefix, time and date format, all held in system flags.

#include <array>
#include <string>
#include <string_view>

#include "program/session.h"

namespace tramond {

class CountryInfo {
public:
    // Language texts of the amount items (299, 300, 301, 302, 509, 510, 588, 589)
    // and their English defaults.
    struct Item {
        int text;
        std::string_view fallback;
    };
    static const std::array<Item, 8>& amountItems();
    static const std::array<Item, 2>& timeItems();
    static const std::array<Item, 3>& dateItems();
    static constexpr int kCaptionText = 286;
    static constexpr std::array<int, 4> kLabelTexts{290, 291, 292, 293};
    static constexpr int kHelpContext = 54;
    static constexpr std::size_t kMaxPrefix = 3;

    explicit CountryInfo(ProgramSession& session) : session_(session), snapshot_(session.app) {}

    // 2 x flag 1 + option 1 of flag 2; -1 when flag 1 holds no known format.
    int amountIndex() const;
    // Written at once: flag 1 = i / 2, option 1 of flag 2 = i modulo 2.
    void chooseAmount(int index);

    // The characters of flags 11, 12 and 95 up to the first unused one.
    std::string prefix() const;

    int timeIndex() const;            // option 1 of flag 3
    void chooseTime(int index);       // written at once
    int dateIndex() const;            // flag 4; -1 when out of the list
    void chooseDate(int index);       // written at once, the whole byte

    // OK: stores the prefix (at most three characters), writes the whole
    // block to the ".app" file and marks what differs from it (block 2)
    // when a program is loaded. Throws FileError when the file cannot be
    // written.
    void confirm(std::string_view prefixText);
    // Closing without OK: the block as it was when the dialog opened.
    void cancel() { session_.app = snapshot_; }

private:
    ProgramSession& session_;
    ApplicationBlock snapshot_;
};

}  // namespace tramond
