#include "printing/report_setup.h"

#include <algorithm>

#include "program/codepage.h"
#include "program/file_io.h"
#include "program/program_changes.h"
#include "program/sizing.h"
#include "program/system_blocks.h"

namespace tramond {

namespace {

namespace ab = appblock;

constexpr int kYesText = 402;
constexpr int kNoText = 403;
constexpr int kSystemReportsText = 36;  // "System &Reports     :   "

constexpr std::array<bool, kTotalSizeCount> kAll{true, true, true, true, true, true};
constexpr std::array<bool, kTotalSizeCount> kCounts{true, true, true, false, false, false};
constexpr std::array<bool, kTotalSizeCount> kAmount{true, false, false, false, false, false};

constexpr std::array<ReportFile, kReportFileCount> kFiles{{
    {"Total Sales  :    ", &ab::kSystemArea, kAll},
    {"Groups       :    ", &ab::kGroup, kAll},
    {"Departments  :    ", &ab::kDepartment, kAll},
    {"PLU          :    ", &ab::kPlu, kAll},
    {"Tender       :    ", &ab::kTender, kCounts},
    {"P.O. & R.A.  :    ", &ab::kPoRa, kCounts},
    {"Drawer Totals:    ", &ab::kDrawer, kAmount},
    {"Corrections  :    ", &ab::kCorrection, kCounts},
    {"Discounts    :    ", &ab::kDiscount, kCounts},
    {"Foreign Curr.:    ", &ab::kCurrency, kCounts},
    {"Tax Totals   :    ", &ab::kTax, kAmount},
    {"PB functions :    ", &ab::kPbFunction, kAmount},
}};

constexpr std::array<std::string_view, kReportTypeCount> kTypeTexts{
    "Standard Reports      :   ", "Clerk Reports         :   ", "Time Zone Reports     :   ",
    "Day of Week Reports   :   ", "Month of Year Reports :   "};
constexpr std::string_view kSalespersonTypeText = "S&alesperson Reports   :   ";

constexpr std::array<std::size_t, kTotalSizeCount> kSizeBytes{4, 2, 3, 5, 6, 7};
constexpr std::size_t kTaxCostByte = 7;
constexpr std::size_t kTaxAmountByte = 4;

// The first n characters of an ASCII caption, blank-padded.
std::string fixed(std::string_view text, std::size_t n) {
    std::string s(text.substr(0, std::min(n, text.size())));
    s.resize(n, ' ');
    return s;
}

std::string text(const LanguageTexts& texts, int n, std::string_view fallback) {
    const auto& t = texts.text(n);
    return t.empty() ? std::string(fallback) : t;
}

bool allDigits(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::size_t totalSizeByte(TotalSize s) { return kSizeBytes.at(static_cast<std::size_t>(s)); }
std::span<const ReportFile> reportFiles() { return kFiles; }

std::string reportTypeText(int type, const ApplicationBlock& app) {
    if (type == 4 && app.kindCount(ab::kSalesperson) != 0) return withoutAccelerators(kSalespersonTypeText);
    return std::string(kTypeTexts.at(static_cast<std::size_t>(type)));
}

std::uint8_t bytesPerTotal(const TotalizerSet& set) {
    int sum = 0;
    for (auto b : set.sizes) sum += b;
    return static_cast<std::uint8_t>(sum == 0 ? 0 : std::min(sum + 1, 255));
}

SizeEntry sizeEntry(std::string_view text) {
    int digits = 0;
    if (!text.empty() && allDigits(text) && text.size() <= 3) {
        for (char c : text) digits = digits * 10 + (c - '0');
    }
    if (digits > kMaxTotalDigits) digits = 0;
    if (digits % 2) ++digits;
    return {std::to_string(digits), static_cast<std::uint8_t>(digits / 2)};
}

bool sizeTextAccepted(std::string_view text) {
    if (text.empty()) return true;  // an emptied box is 0 once it is left
    if (!allDigits(text) || text.size() > 2) return false;
    int v = 0;
    for (char c : text) v = v * 10 + (c - '0');
    return v <= kMaxTotalDigits;
}

// --- system reports ---------------------------------------------------------

SystemReportsEditor::SystemReportsEditor(ApplicationBlock& app, const LanguageTexts& texts)
    : app_(app), texts_(texts) {
    selectFile(0);
}

std::size_t SystemReportsEditor::setOffset() const {
    return ApplicationBlock::totalizerSetOffset(*kFiles.at(static_cast<std::size_t>(file_)).header, type_);
}

void SystemReportsEditor::normalize() {
    const auto o = setOffset();
    if (file_ == kTaxTotalsFile) app_.setU8(o + kTaxCostByte, app_.u8(o + kTaxAmountByte));
    auto s = set();
    app_.setU8(o + 1, bytesPerTotal(s));
}

void SystemReportsEditor::selectType(int type) {
    if (type < 0 || type >= kReportTypeCount) return;
    type_ = type;
    selectFile(0);
}

void SystemReportsEditor::selectFile(int file) {
    if (file < 0 || file >= kReportFileCount) return;
    file_ = file;
    normalize();
}

TotalizerSet SystemReportsEditor::set() const {
    return app_.totalizerSet(*kFiles.at(static_cast<std::size_t>(file_)).header, type_);
}

bool SystemReportsEditor::period(int p) const { return (set().periodFlags >> p) & 1; }

void SystemReportsEditor::setPeriod(int p, bool on) {
    if (p < 0 || p >= kPeriodCount) return;
    app_.setBit(setOffset(), p, on);
    normalize();
}

bool SystemReportsEditor::sizeEnabled(TotalSize s) const {
    return kFiles.at(static_cast<std::size_t>(file_)).sizes.at(static_cast<std::size_t>(s));
}

std::string SystemReportsEditor::sizeText(TotalSize s) const {
    return std::to_string(2 * app_.u8(setOffset() + totalSizeByte(s)));
}

std::string SystemReportsEditor::leaveSize(TotalSize s, std::string_view text) {
    if (!sizeEnabled(s)) return sizeText(s);
    const auto e = sizeEntry(text);
    app_.setU8(setOffset() + totalSizeByte(s), e.bytes);
    normalize();
    return e.shown;
}

std::vector<std::string> SystemReportsEditor::typeItems() const {
    std::vector<std::string> items;
    for (int t = 0; t < kReportTypeCount; ++t)
        items.push_back(fixed(reportTypeText(t, app_), 22) + std::to_string(countActiveTotals(app_, t + 1)));
    return items;
}

std::vector<std::string> SystemReportsEditor::fileItems() const {
    const auto yes = text(texts_, kYesText, "Yes");
    const auto no = text(texts_, kNoText, "No");
    std::vector<std::string> items;
    for (const auto& f : kFiles) {
        const auto s = app_.totalizerSet(*f.header, type_);
        items.push_back(fixed(f.listText, 17) + (s.periodFlags != 0 && s.bytesPerTotal != 0 ? yes : no));
    }
    return items;
}

std::string SystemReportsEditor::periodCaption() const {
    return "Periods    :    " + std::to_string(set().periodCount());
}

std::string SystemReportsEditor::groupCaption() const {
    return withoutAccelerators(text(texts_, kSystemReportsText, "System &Reports     :   ")) + "  " +
           std::to_string(countActiveTotals(app_, 0));
}

// --- user reports -----------------------------------------------------------

namespace {

constexpr std::size_t kOptionWord = 0;
constexpr std::size_t kTitle = 2;
constexpr std::size_t kTitleField = 24;
constexpr std::size_t kTitleChars = 23;
constexpr std::size_t kPrintByte = 26;
constexpr std::size_t kPeriodByte = 28;
constexpr std::size_t kTypeByte = 29;
constexpr std::size_t kLinkedList = 30;

constexpr std::array<UserReportOption, 8> kOptions{{
    {"CheckBox1", "&Open Drawer", 0, false, 208},
    {"CheckBox2", "&All Pointers       :    ", 1, false, 154},
    {"CheckBox3", "Reset &Consecutive# :    ", 2, false, 155},
    {"CheckBox4", "Add(Print) &Z-Count :    ", 3, true, 520},
    {"CheckBox5", "Calc. &Percentage   :    ", 4, false, 596},
    {"CheckBox6", "&Secret Report Code", 6, false, -1},
    {"CheckBox7", "Cash &Declaration", 7, false, -1},
    {"CheckBox8", "KP preparation time", 8, false, -1},
}};

constexpr std::array<std::string_view, 6> kPrintOptions{
    "Print on &Journal :",     "Print on &Receipt :",     "&Double Height R/J:    ",
    "Print on &Slip    :",     "&Compulsory Slip  :    ", "&Two Line on R/J  :    "};

constexpr std::array<std::string_view, 3> kExtraSections{"PB Sti&ll Open:    ", "PLU &Inventory:    ",
                                                         "&Clerk Time"};

}  // namespace

std::span<const UserReportOption> userReportOptions() { return kOptions; }
std::span<const std::string_view> userReportPrintOptions() { return kPrintOptions; }

std::string_view sectionCaption(int row) {
    if (row < kReportFileCount) return kFiles.at(static_cast<std::size_t>(row)).listText;
    return kExtraSections.at(static_cast<std::size_t>(row - kReportFileCount));
}

UserReportEditor::UserReportEditor(ProgramSession& session, int n) : session_(session), n_(n) {
    if (n < 1 || n > ab::kUserReportCount) throw std::out_of_range("user report " + std::to_string(n));
    const auto bytes = session.app.slice(offset(), ab::kUserReportSize);
    std::copy(bytes.begin(), bytes.end(), work_.begin());
}

std::size_t UserReportEditor::offset() const {
    return ab::kUserReports + ab::kUserReportSize * static_cast<std::size_t>(n_ - 1);
}

std::string UserReportEditor::title() const {
    std::string t = oemToUtf8(std::span<const std::uint8_t>(work_).subspan(kTitle, kTitleField));
    std::size_t chars = 0;
    for (std::size_t i = 0; i < t.size(); ++i)
        if ((static_cast<unsigned char>(t[i]) & 0xC0) != 0x80 && chars++ == kTitleChars) return t.substr(0, i);
    return t;
}

void UserReportEditor::setTitle(std::string_view utf8) {
    auto oem = utf8ToOem(utf8);
    oem.resize(std::min(oem.size(), kTitleChars));
    std::fill_n(work_.begin() + kTitle, kTitleField, std::uint8_t{0});
    std::copy(oem.begin(), oem.end(), work_.begin() + kTitle);
}

int UserReportEditor::reportType() const { return work_[kTypeByte] < kReportTypeCount ? work_[kTypeByte] : -1; }
void UserReportEditor::setReportType(int t) {
    if (t >= 0 && t < kReportTypeCount) work_[kTypeByte] = static_cast<std::uint8_t>(t);
}
int UserReportEditor::period() const { return work_[kPeriodByte] < kPeriodCount ? work_[kPeriodByte] : -1; }
void UserReportEditor::setPeriod(int p) {
    if (p >= 0 && p < kPeriodCount) work_[kPeriodByte] = static_cast<std::uint8_t>(p);
}

std::uint16_t UserReportEditor::options() const {
    return static_cast<std::uint16_t>(work_[kOptionWord] | (work_[kOptionWord + 1] << 8));
}

bool UserReportEditor::option(int index) const {
    const auto& o = kOptions.at(static_cast<std::size_t>(index));
    return (((options() >> o.bit) & 1) != 0) != o.inverted;
}

void UserReportEditor::setOption(int index, bool ticked) {
    const auto& o = kOptions.at(static_cast<std::size_t>(index));
    std::uint16_t w = options();
    const auto mask = static_cast<std::uint16_t>(1u << o.bit);
    w = (ticked != o.inverted) ? (w | mask) : (w & ~mask);
    work_[kOptionWord] = static_cast<std::uint8_t>(w & 0xFF);
    work_[kOptionWord + 1] = static_cast<std::uint8_t>(w >> 8);
}

bool UserReportEditor::printOption(int bit) const { return (work_[kPrintByte] >> bit) & 1; }
void UserReportEditor::setPrintOption(int bit, bool on) {
    if (bit < 0 || bit >= static_cast<int>(kPrintOptions.size())) return;
    const auto mask = static_cast<std::uint8_t>(1u << bit);
    work_[kPrintByte] = on ? (work_[kPrintByte] | mask) : (work_[kPrintByte] & ~mask);
}

std::vector<int> UserReportEditor::linkedSections() const {
    std::vector<int> out;
    for (int i = 0; i < kLinkedReportEntries && work_[kLinkedList + i] != 0; ++i) out.push_back(work_[kLinkedList + i]);
    return out;
}

std::optional<int> UserReportEditor::sectionPosition(int row) const {
    const auto list = linkedSections();
    const auto it = std::find(list.begin(), list.end(), row + 1);
    if (it == list.end()) return std::nullopt;
    return static_cast<int>(it - list.begin()) + 1;
}

void UserReportEditor::toggleSection(int row) {
    if (row < 0 || row >= kUserReportSections) return;
    auto list = linkedSections();
    const auto it = std::find(list.begin(), list.end(), row + 1);
    if (it != list.end()) {
        list.erase(it);
    } else if (list.size() < static_cast<std::size_t>(kLinkedReportEntries)) {
        list.push_back(row + 1);
    }
    // Entries after the list's end are kept unless the list moved over them.
    const auto old = linkedSections().size();
    for (std::size_t i = 0; i < std::max(old, list.size()); ++i)
        work_[kLinkedList + i] = i < list.size() ? static_cast<std::uint8_t>(list[i]) : 0;
}

UserReportEditor::Result UserReportEditor::ok() {
    const ApplicationBlock before = session_.app;
    auto place = session_.app.slice(offset(), ab::kUserReportSize);
    std::copy(work_.begin(), work_.end(), place.begin());
    Result r;
    r.changed = session_.app != before;
    try {
        r.marked = saveApplicationChange(session_);
    } catch (const FileError&) {
        session_.app = before;
        throw;
    }
    return r;
}

std::vector<std::uint16_t> saveApplicationChange(ProgramSession& session) {
    const auto changes = writeApplication(session);
    return {changes.codes.begin(), changes.codes.end()};
}

}  // namespace tramond
