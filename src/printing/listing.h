#pragma once
// Listings of a program's record files as fixed-pitch text: the optional
// first line (date and time, program path), the column header and the
// records, at most 77 characters wide. Every record kind with an editor has
// one (the fields its spreadsheet export has), and a one-page program
// summary. The Print dialog shows them; the "print" verb writes them without
// a window; pages are cut between records, never inside one.

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

enum class ListingKind {
    Plu,
    Group,
    Department,
    Clerk,
    Modifier,
    PbInfo,
    Tender,
    Drawer,
    Correction,
    Discount,
    PoRa,
    Currency,
    Tax,
    PbFunction,
    Salesperson,
    Condiment,
    Customer,
    Summary,
};

struct ListingKindInfo {
    ListingKind kind;
    std::string_view name;       // the verb's KIND: "plu"
    std::string_view choice;     // the Print dialog's radio item: "PLU File"
    int choiceText;              // the same as a language text (-1: `choice` only)
    std::string_view extension;  // ".plu"; the summary lists the ".app"
};
// In the order the Print dialog offers them: the six files of the original
// dialog first.
std::span<const ListingKindInfo> listingKinds();
const ListingKindInfo& listingKindInfo(ListingKind kind);
// By the verb's KIND, or any word the spreadsheet exchange takes for the
// same kind ("po-ra", ".tnd", "pb-info").
std::optional<ListingKind> listingKindByName(std::string_view name);
// The radio item as the dialog shows it (language text, "&" removed).
std::string listingChoice(const LanguageTexts& texts, const ListingKindInfo& info);

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
    std::size_t firstLines = 0;      // lines[0, firstLines): date and program
    std::size_t headerLines = 0;     // then the column header (0 or 1 line)
    // The line each record starts at, in order; a record ends where the next
    // one starts.
    std::vector<std::size_t> recordStarts;
    std::string error;               // a message titled "Error"; empty when complete
    // Complete, but worth a word: the file holds fewer records than the count.
    std::vector<std::string> warnings;
    bool ok() const { return error.empty(); }
    std::size_t records() const { return recordStarts.size(); }
    std::size_t bodyStart() const { return firstLines + headerLines; }
};

// Whether the PB info listing is available for this program.
bool pbInfoListingAvailable(const ApplicationBlock& app);

Listing buildListing(ListingKind kind, const ProgramSession& session, const LanguageTexts& texts,
                     const ListingRequest& request);

// The lines of one printed page: [first, end) of the listing's lines, after
// the first line (page 1 only) and the column header (every page).
struct ListingPage {
    std::size_t first = 0;
    std::size_t end = 0;
    bool withFirstLines = false;
};
// Cuts the records into pages of `linesPerPage` lines, header included,
// breaking only between records; a record longer than a whole page is the
// only one cut. At least one page, even for an empty listing.
std::vector<ListingPage> paginateListing(const Listing& listing, std::size_t linesPerPage);

// "Page 3 of 12".
std::string pageNumberText(std::size_t page, std::size_t pages);

// The local time as asctime() writes it, without the line feed.
std::string asctimeNow();

// Plain text of a listing: lines ended by CR LF.
std::string listingText(std::span<const std::string> lines);

}  // namespace tramond
