#pragma once
// Listings of a program's record files as fixed-pitch text: the optional
// first line (date and time, program path), the column header and one line
// per record, at most 77 characters wide. The Print dialog shows them; the
// "print" verb writes them without a window.

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/language_texts.h"
#include "printing/printer_settings.h"
#include "program/session.h"

namespace tramond {

enum class ListingKind { Plu, Group, Department, Clerk, Modifier, PbInfo };

struct ListingKindInfo {
    ListingKind kind;
    std::string_view name;         // the verb's KIND: "plu"
    std::string_view choice;       // the Print dialog's radio item: "PLU File"
    std::string_view extension;    // ".plu"
};
// In the order the Print dialog offers them.
std::span<const ListingKindInfo> listingKinds();
const ListingKindInfo& listingKindInfo(ListingKind kind);
std::optional<ListingKind> listingKindByName(std::string_view name);

inline constexpr std::size_t kListingWidth = 77;
// Files with more records than this show a progress window.
inline constexpr std::size_t kListingProgressThreshold = 400;

struct ListingRequest {
    PrinterSettings printer;
    // The first line's date and time in the C library's asctime form without
    // its line feed; empty: the local time now.
    std::string timestamp;
    // Called per record for files above the threshold: (done, total).
    std::function<void(std::size_t, std::size_t)> progress;
};

struct Listing {
    std::string fileName;            // the listed file, "shop.plu": the print job title
    std::vector<std::string> lines;  // as far as it was built
    std::string error;               // a message titled "Error"; empty when complete
    // Complete, but worth a word: the file holds fewer records than the count.
    std::vector<std::string> warnings;
    bool ok() const { return error.empty(); }
};

// Whether the PB info listing is available for this program.
bool pbInfoListingAvailable(const ApplicationBlock& app);

Listing buildListing(ListingKind kind, const ProgramSession& session, const LanguageTexts& texts,
                     const ListingRequest& request);

// The local time as asctime() writes it, without the line feed.
std::string asctimeNow();

// Plain text of a listing: lines ended by CR LF.
std::string listingText(std::span<const std::string> lines);

}  // namespace tramond
