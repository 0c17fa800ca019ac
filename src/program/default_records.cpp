#include "program/default_records.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>

#include "program/file_io.h"
#include "program/packed.h"

namespace tramond {
namespace {

namespace ab = appblock;
using K = RecordKind;

// Where a record's descriptor word comes from.
enum class Word { None, Descriptor, PbInfoCaption };
// When the record number goes into the descriptor as decimal text.
enum class Number { Never, KindDescriptor, PluDescriptor, Always };
// The 16-bit word at offset 0.
enum class FirstWord { Untouched, Constant, MinusOneModulo4, MinusOneUpToNine };
// Fields that only one kind has.
enum class Extra { None, Plu, PbInfo };

struct Layout {
    RecordKind kind;
    std::size_t blankOffset;
    std::size_t blankCount;
    Word word;
    int wordNumber;          // descriptor word (from 1)
    std::size_t wordMax;     // characters of the word taken at most
    std::size_t numberAt;
    Number number;
    FirstWord firstWord;
    std::uint16_t firstWordValue;
    std::uint8_t printOption;  // byte 2; 0 leaves it zero
    Extra extra;
};

using namespace textblock;
constexpr std::uint8_t kPrintJournalReceiptSlip = 11;

constexpr std::array<Layout, 17> kLayouts = {{
    {K::Plu, 9, 9, Word::Descriptor, kWordPlu, 4, 17, Number::KindDescriptor, FirstWord::Untouched, 0, 0, Extra::Plu},
    {K::Department, 4, 7, Word::Descriptor, kWordDepartment, 4, 10, Number::KindDescriptor, FirstWord::Untouched, 0, 0, Extra::None},
    {K::Group, 4, 7, Word::Descriptor, kWordGroup, 4, 10, Number::KindDescriptor, FirstWord::Untouched, 0, 0, Extra::None},
    {K::Tender, 13, 7, Word::Descriptor, kWordTender, 4, 19, Number::KindDescriptor, FirstWord::Constant, 1, kPrintJournalReceiptSlip, Extra::None},
    {K::Drawer, 3, 7, Word::Descriptor, kWordDrawer, 4, 9, Number::KindDescriptor, FirstWord::Untouched, 0, kPrintJournalReceiptSlip, Extra::None},
    {K::Correction, 3, 7, Word::Descriptor, kWordCorrection, 4, 9, Number::KindDescriptor, FirstWord::MinusOneModulo4, 0, kPrintJournalReceiptSlip, Extra::None},
    {K::Currency, 14, 7, Word::Descriptor, kWordCurrency, 4, 20, Number::KindDescriptor, FirstWord::Untouched, 0, 0, Extra::None},
    {K::Discount, 11, 7, Word::Descriptor, kWordDiscount, 4, 17, Number::KindDescriptor, FirstWord::Untouched, 0, kPrintJournalReceiptSlip, Extra::None},
    {K::PoRa, 5, 7, Word::Descriptor, kWordPoRa, 4, 11, Number::KindDescriptor, FirstWord::Constant, 1, kPrintJournalReceiptSlip, Extra::None},
    {K::Tax, 2, 7, Word::Descriptor, kWordTax, 4, 8, Number::KindDescriptor, FirstWord::Untouched, 0, 0, Extra::None},
    {K::PbFunction, 3, 7, Word::Descriptor, kWordPbFunction, 4, 9, Number::KindDescriptor, FirstWord::MinusOneUpToNine, 0, kPrintJournalReceiptSlip, Extra::None},
    {K::Salesperson, 2, 7, Word::Descriptor, kWordSalesperson, 4, 8, Number::KindDescriptor, FirstWord::Constant, 0, 0, Extra::None},
    {K::Clerk, 4, 7, Word::Descriptor, kWordClerk, 4, 10, Number::KindDescriptor, FirstWord::Constant, 16, 0, Extra::None},
    {K::Modifier, 3, 7, Word::Descriptor, kWordModifier, 4, 9, Number::KindDescriptor, FirstWord::Untouched, 0, 0, Extra::None},
    // Condiments follow the PLU descriptor length, not their own.
    {K::Condiment, 2, 9, Word::Descriptor, kWordCondiment, 4, 10, Number::PluDescriptor, FirstWord::Untouched, 0, 0, Extra::None},
    // The caption runs up to where the number goes.
    {K::PbInfo, 7, 24, Word::PbInfoCaption, 0, 11, 18, Number::Always, FirstWord::Untouched, 0, 0, Extra::PbInfo},
    {K::PbExtraTrailer, 0, 0, Word::None, 0, 0, 0, Number::Never, FirstWord::Untouched, 0, 0, Extra::None},
}};

const Layout& layout(RecordKind kind) {
    for (const auto& l : kLayouts)
        if (l.kind == kind) return l;
    throw std::invalid_argument("no default record for kind " + std::to_string(static_cast<int>(kind)));
}

void put16(std::vector<std::uint8_t>& r, std::size_t at, std::uint32_t v) {
    r[at] = static_cast<std::uint8_t>(v & 0xFF);
    r[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
}

// Copies bytes into the record, never past its end.
void put(std::vector<std::uint8_t>& r, std::size_t at, std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size() && at + i < r.size(); ++i) r[at + i] = static_cast<std::uint8_t>(bytes[i]);
}

void pluFields(std::vector<std::uint8_t>& r, std::uint32_t n, const ApplicationBlock& app) {
    if (app.kindDescriptorLength(ab::kPlu) == 0) return;
    r[107] = kPrintJournalReceiptSlip;
    packAmount("1000", std::span(r).subspan(90, 8));  // quantity of the linked PLU
    if (app.get(ab::kPluPriceSize) == 0) return;
    // Four price slots exist; a larger level count would run into the cost price.
    const auto levels = std::min<std::uint32_t>(app.get(ab::kPluPriceLevels), 4);
    const auto packed = packNumber3(n);
    for (std::uint32_t i = 0; i < levels; ++i) std::copy(packed.begin(), packed.end(), r.begin() + 37 + 9 * i);
}

bool pbInfoHasDefaults(const ApplicationBlock& app) {
    return app.pbRandomCodeSize() != 0 || app.get(ab::kPbTextSize) != 0;
}

}  // namespace

std::vector<std::uint8_t> defaultRecord(RecordKind kind, std::uint32_t n, const ApplicationBlock& app,
                                        const TextBlock& text) {
    const auto& l = layout(kind);
    std::vector<std::uint8_t> r(kindInfo(kind).recordSize, 0);

    if (l.blankCount > 0) std::fill_n(r.begin() + static_cast<std::ptrdiff_t>(l.blankOffset), l.blankCount, ' ');
    std::string word;
    if (l.word == Word::Descriptor) word = text.descriptorWord(l.wordNumber);
    if (l.word == Word::PbInfoCaption) word = text.entryText(TextSection::SpecialCaptions, kPbInfoCaption - 1);
    put(r, l.blankOffset, std::string_view(word).substr(0, std::min(l.wordMax, l.blankCount)));

    bool withNumber = false;
    switch (l.number) {
        case Number::Never: break;
        case Number::Always: withNumber = true; break;
        case Number::KindDescriptor: withNumber = descriptorLength(app, kind) != 0; break;
        case Number::PluDescriptor: withNumber = descriptorLength(app, K::Plu) != 0; break;
    }
    if (withNumber) {
        const std::string digits = std::to_string(n);
        put(r, l.numberAt, std::string_view(digits.c_str(), digits.size() + 1));
    }

    switch (l.firstWord) {
        case FirstWord::Untouched: break;
        case FirstWord::Constant: put16(r, 0, l.firstWordValue); break;
        case FirstWord::MinusOneModulo4: put16(r, 0, (n - 1) % 4); break;
        case FirstWord::MinusOneUpToNine: put16(r, 0, std::min<std::uint32_t>(n - 1, 9)); break;
    }
    if (l.printOption != 0) r[2] = l.printOption;

    switch (l.extra) {
        case Extra::None: break;
        case Extra::Plu: pluFields(r, n, app); break;
        case Extra::PbInfo: {
            const auto packed = packNumber3(n);
            std::copy(packed.begin(), packed.end(), r.begin());
            r[31] = 0;
            break;
        }
    }
    return r;
}

std::vector<std::uint8_t> defaultRecords(RecordKind kind, std::uint32_t first, std::uint32_t last,
                                         const ApplicationBlock& app, const TextBlock& text) {
    std::vector<std::uint8_t> out;
    if (first == 0) first = 1;
    if (last < first) return out;
    if (kind == K::PbInfo && !pbInfoHasDefaults(app)) return out;
    out.reserve(static_cast<std::size_t>(last - first + 1) * kindInfo(kind).recordSize);
    for (std::uint32_t n = first; n <= last; ++n) {
        const auto r = defaultRecord(kind, n, app, text);
        out.insert(out.end(), r.begin(), r.end());
    }
    return out;
}

static void ensureFileExists(const std::filesystem::path& file) {
    std::error_code ec;
    if (std::filesystem::exists(file, ec)) return;
    errno = 0;
    std::ofstream create(file, std::ios::binary);
    if (!create)
        throw FileError("Cannot create \"" + file.string() + "\": " + std::strerror(errno ? errno : EACCES));
}

std::uint32_t writeDefaultRecords(const std::filesystem::path& file, RecordKind kind, std::uint32_t first,
                                  const ApplicationBlock& app, const TextBlock& text) {
    if (first == 0) first = 1;
    const auto size = kindInfo(kind).recordSize;
    const auto data = defaultRecords(kind, first, recordCount(app, kind), app, text);
    ensureFileExists(file);
    if (data.empty()) return 0;
    errno = 0;
    std::fstream f(file, std::ios::binary | std::ios::in | std::ios::out);
    if (!f)
        throw FileError("Cannot open \"" + file.string() + "\" for writing: " + std::strerror(errno ? errno : EACCES));
    // Each record goes to its own place, so a torn last record is replaced
    // rather than followed by misaligned ones.
    f.seekp(static_cast<std::streamoff>(first - 1) * static_cast<std::streamoff>(size));
    f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    f.flush();
    if (!f) throw FileError("Cannot write \"" + file.string() + "\"");
    return static_cast<std::uint32_t>(data.size() / size);
}

std::uint32_t firstMissingRecord(std::uintmax_t fileSize, std::size_t recordSize, std::uint32_t count) {
    if (fileSize >= static_cast<std::uintmax_t>(count) * recordSize) return 0;
    return static_cast<std::uint32_t>(fileSize / recordSize) + 1;
}

std::uint32_t extendRecordFile(const std::filesystem::path& file, RecordKind kind, const ApplicationBlock& app,
                               const TextBlock& text) {
    std::error_code ec;
    const auto size = std::filesystem::exists(file, ec) ? std::filesystem::file_size(file, ec) : 0;
    if (ec) throw FileError("Cannot read the size of \"" + file.string() + "\": " + ec.message());
    const auto first = firstMissingRecord(size, kindInfo(kind).recordSize, recordCount(app, kind));
    if (first == 0) {
        ensureFileExists(file);
        return 0;
    }
    return writeDefaultRecords(file, kind, first, app, text);
}

void createRecordFile(const std::filesystem::path& file, RecordKind kind, const ApplicationBlock& app,
                      const TextBlock& text) {
    writeFileAtomic(file, defaultRecords(kind, 1, recordCount(app, kind), app, text));
}

bool pbInfoFileWanted(const ApplicationBlock& app) {
    if (app.get(ab::kPbCount) == 0) return false;
    const bool byCode = app.pbRandomCodeSize() != 0 && !app.option(19, 3) && !app.option(20, 8);
    const bool byText = app.get(ab::kPbTextSize) != 0 && app.flag(83) == 0;
    return byCode || byText;
}

bool pbExtraTrailerWanted(const ApplicationBlock& app) {
    return app.get(ab::kPbCount) != 0 && app.get(ab::kPbTrailer);
}

std::array<std::uint8_t, kCheckFileSize> defaultCheckFile() {
    static constexpr std::array<std::uint16_t, 14> kWords = {306,  307,  701,  705,  702,   2030, 5001,
                                                             5002, 5003, 5004, 5005, 10000, 901,  1000};
    std::array<std::uint8_t, kCheckFileSize> c{};
    for (std::size_t i = 0; i < kWords.size(); ++i) {
        c[2 * i] = static_cast<std::uint8_t>(kWords[i] & 0xFF);
        c[2 * i + 1] = static_cast<std::uint8_t>(kWords[i] >> 8);
    }
    c[28] = 10;
    c[29] = 30;
    c[30] = 50;
    c[31] = 12;
    return c;
}

void writeDefaultCheckFile(const std::filesystem::path& file) {
    const auto c = defaultCheckFile();
    writeFileAtomic(file, c);
}

}  // namespace tramond
