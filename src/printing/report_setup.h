#pragma once
// The register's report definitions in the application block: the system
// report matrix over the totalizer sets of the kind headers ("System
// Reports"), the nine user reports and the saving both dialogs share.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/language_texts.h"
#include "program/application_block.h"
#include "program/session.h"

namespace tramond {

// The six size boxes, in the order the dialog shows them, and the byte of
// the totalizer set each one edits.
enum class TotalSize { Amount, Counter, Quantity, ReturnQuantity, Discount, CostPrice };
inline constexpr int kTotalSizeCount = 6;
std::size_t totalSizeByte(TotalSize s);  // 2..7

struct ReportFile {
    std::string_view listText;  // "Total Sales  :    "
    const appblock::KindHeaderLayout* header;
    std::array<bool, kTotalSizeCount> sizes;  // which size boxes the file has
};
// The twelve report files in list order; row r of the user reports' section
// grid is section r + 1.
std::span<const ReportFile> reportFiles();
inline constexpr int kReportFileCount = 12;
inline constexpr int kTaxTotalsFile = 10;
inline constexpr int kReportTypeCount = 5;
inline constexpr int kPeriodCount = 4;

// "Standard Reports      :   " .. "S&alesperson Reports   :   " (the program
// has salespersons) or "Month of Year Reports :   ".
std::string reportTypeText(int type, const ApplicationBlock& app);

// Bytes per total: the sum of the six sizes plus one when nonzero, else 0.
std::uint8_t bytesPerTotal(const TotalizerSet& set);

// A size box's text when it is left: empty is 0, above 16 stores 0, an odd
// count is raised to the next even one. The byte stored is digits / 2.
struct SizeEntry {
    std::string shown;
    std::uint8_t bytes = 0;
};
SizeEntry sizeEntry(std::string_view text);
// Typing into a size box: a text that is not a number 0..16 is refused.
bool sizeTextAccepted(std::string_view text);
inline constexpr int kMaxTotalDigits = 16;

// "System Reports": edits the totalizer sets of the live application block
// (the dialog has no Cancel); closing saves through saveApplicationChange.
class SystemReportsEditor {
public:
    SystemReportsEditor(ApplicationBlock& app, const LanguageTexts& texts);

    int type() const { return type_; }
    int file() const { return file_; }
    void selectType(int type);
    void selectFile(int file);

    TotalizerSet set() const;
    bool period(int p) const;
    void setPeriod(int p, bool on);
    bool sizeEnabled(TotalSize s) const;
    std::string sizeText(TotalSize s) const;  // twice the stored byte
    // Leaving a size box: stores the entry and returns the text the box shows.
    std::string leaveSize(TotalSize s, std::string_view text);

    // Texts of the dialog, refreshed after every change.
    std::vector<std::string> typeItems() const;
    std::vector<std::string> fileItems() const;
    std::string periodCaption() const;  // "Periods    :  " + two blanks + count
    std::string groupCaption() const;   // "System Reports     :   " + two blanks + total

private:
    void normalize();
    std::size_t setOffset() const;

    ApplicationBlock& app_;
    const LanguageTexts& texts_;
    int type_ = 0;
    int file_ = 0;
};

// --- user reports ---------------------------------------------------------------

inline constexpr int kUserReportSections = 15;  // grid rows
inline constexpr int kLinkedReportEntries = 16;

// One user report's option check boxes: bit of the 16-bit option word,
// shown inverted (Z-count), and the language text that enables it (-1 none).
struct UserReportOption {
    std::string_view name;
    std::string_view caption;
    int bit;
    bool inverted;
    int gateText;
};
std::span<const UserReportOption> userReportOptions();
// The six print option boxes of byte 26, bits 0..5.
std::span<const std::string_view> userReportPrintOptions();
std::string_view sectionCaption(int row);  // grid column 0

// TUserReport: works on a copy of the report's 46 bytes; OK stores them.
class UserReportEditor {
public:
    // n = 1..9
    UserReportEditor(ProgramSession& session, int n);

    int number() const { return n_; }
    std::string title() const;  // at most 23 characters
    void setTitle(std::string_view utf8);
    int reportType() const;     // -1 when the stored value has no item
    void setReportType(int t);
    int period() const;
    void setPeriod(int p);
    bool option(int index) const;  // index into userReportOptions()
    void setOption(int index, bool ticked);
    bool printOption(int bit) const;
    void setPrintOption(int bit, bool on);

    // Section row r (0..14): its 1-based place in the linked list, or none.
    std::optional<int> sectionPosition(int row) const;
    // Clicking a row: removes it (later entries move up) or appends it at the
    // first free entry (nothing when all 16 are used).
    void toggleSection(int row);
    std::vector<int> linkedSections() const;

    struct Result {
        bool changed = false;
        std::vector<std::uint16_t> marked;
    };
    // Stores the report into the application block; when the block then
    // differs, marks the changed blocks and writes the ".app". Throws
    // FileError (the block is then put back as it was).
    Result ok();

private:
    std::uint16_t options() const;
    std::size_t offset() const;

    ProgramSession& session_;
    int n_;
    std::array<std::uint8_t, appblock::kUserReportSize> work_{};
};

// Writes the application block and marks every block whose bytes differ
// from the ".app" on disk; nothing when they are the same. Returns the
// marked blocks. Throws FileError when the ".app" cannot be written.
std::vector<std::uint16_t> saveApplicationChange(ProgramSession& session);

}  // namespace tramond
