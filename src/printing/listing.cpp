#include "printing/listing.h"

#include <algorithm>
#include <array>
#include <ctime>

#include "editors/plu_list.h"
#include "editors/plu_record.h"
#include "printing/amount_format.h"
#include "program/codepage.h"
#include "program/file_io.h"
#include "program/packed.h"
#include "program/record_kinds.h"

namespace tramond {

namespace {

constexpr int kProgramText = 0;        // "&Program "
constexpr int kErrorOpeningText = 398;  // "Error opening File !!"
constexpr int kNotAvailableText = 400;  // "Not Available with this Application !!"
constexpr int kCostPriceMixMatchFlag = 24;  // option 3: the cost price is a mix-and-match quantity

// PB info availability: block 700 bytes 8 and 9, and their switches.
constexpr int kPbRandomSwitchFlag = 19;  // option 3 set: no PB random numbers
constexpr int kPbTextSwitchFlag = 83;    // option 1 set: no PB texts

constexpr std::array kKinds{
    ListingKindInfo{ListingKind::Plu, "plu", "PLU File", ".plu"},
    ListingKindInfo{ListingKind::Group, "group", "Group File", ".grp"},
    ListingKindInfo{ListingKind::Department, "department", "Department File", ".dpt"},
    ListingKindInfo{ListingKind::Clerk, "clerk", "Clerk File", ".clk"},
    ListingKindInfo{ListingKind::Modifier, "modifier", "Modifier File", ".mod"},
    ListingKindInfo{ListingKind::PbInfo, "pbinfo", "PB Func.  File ", ".pbr"},
};

// Record layouts the listings read: descriptor place and size of a record.
struct Layout {
    RecordKind kind;
    std::size_t descriptor;
    std::size_t descriptorField;
};
constexpr Layout kGroupLayout{RecordKind::Group, 4, 25};
constexpr Layout kDepartmentLayout{RecordKind::Department, 4, 25};
constexpr Layout kClerkLayout{RecordKind::Clerk, 4, 17};
constexpr Layout kModifierLayout{RecordKind::Modifier, 3, 25};
constexpr Layout kPbInfoLayout{RecordKind::PbInfo, 7, 25};
constexpr std::size_t kDepartmentGroup = 2;  // u16, group index from 0
constexpr std::size_t kPbNumberSize = 7;

std::size_t charCount(std::string_view utf8) {
    return static_cast<std::size_t>(
        std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// The first `chars` characters of a UTF-8 text.
std::string_view firstChars(std::string_view utf8, std::size_t chars) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80) {
            if (n == chars) return utf8.substr(0, i);
            ++n;
        }
    }
    return utf8;
}

struct Column {
    std::string title;
    std::size_t width;
    bool right = false;
};

class Table {
public:
    explicit Table(std::vector<Column> columns) : columns_(std::move(columns)) {
        for (auto& c : columns_) c.width = std::max(c.width, charCount(c.title));
    }
    // Narrows column i so that a full line fits the listing width.
    void fit(std::size_t i) {
        std::size_t total = columns_.size() - 1;
        for (const auto& c : columns_) total += c.width;
        if (total > kListingWidth) columns_[i].width -= std::min(columns_[i].width - 1, total - kListingWidth);
    }
    std::string header() const {
        std::vector<std::string> titles;
        for (const auto& c : columns_) titles.push_back(c.title);
        return line(titles);
    }
    std::string line(std::span<const std::string> cells) const {
        std::string out;
        out.reserve(kListingWidth + 8);
        for (std::size_t i = 0; i < columns_.size() && i < cells.size(); ++i) {
            const auto& c = columns_[i];
            const auto text = firstChars(cells[i], c.width);
            const auto pad = c.width - charCount(text);
            if (i) out += ' ';
            if (c.right) out.append(pad, ' ');
            out += text;
            if (!c.right) out.append(pad, ' ');
        }
        while (!out.empty() && out.back() == ' ') out.pop_back();
        return out;
    }

private:
    std::vector<Column> columns_;
};

std::string descriptorText(std::span<const std::uint8_t> record, std::size_t offset, std::size_t field,
                           std::size_t maxChars) {
    const auto f = record.subspan(offset, std::min(field, record.size() - std::min(offset, record.size())));
    std::string s = oemToUtf8(f);
    s = std::string(firstChars(s, maxChars));
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

std::size_t descriptorChars(const ApplicationBlock& app, const Layout& layout) {
    const std::size_t field = layout.descriptorField - 1;
    if (layout.kind == RecordKind::PbInfo) {
        const auto size = app.get(appblock::kPbTextSize);
        return size == 0 ? field : std::min<std::size_t>(size, field);
    }
    const auto n = descriptorLength(app, layout.kind);
    return n == 0 ? field : std::min<std::size_t>(n, field);
}

class Builder {
public:
    Builder(ListingKind kind, const ProgramSession& session, const LanguageTexts& texts,
            const ListingRequest& request)
        : kind_(kind), session_(session), texts_(texts), request_(request) {
        listing_.fileName = session.file(listingKindInfo(kind).extension).filename().string();
    }

    Listing run() {
        const auto& app = session_.app;
        if (kind_ == ListingKind::PbInfo && !pbInfoListingAvailable(app)) {
            listing_.error = message(kNotAvailableText, "Not Available with this Application !!");
            return std::move(listing_);
        }
        firstLine();
        try {
            switch (kind_) {
                case ListingKind::Plu: plu(); break;
                case ListingKind::Group: simple(kGroupLayout); break;
                case ListingKind::Department: simple(kDepartmentLayout); break;
                case ListingKind::Clerk: simple(kClerkLayout); break;
                case ListingKind::Modifier: simple(kModifierLayout); break;
                case ListingKind::PbInfo: simple(kPbInfoLayout); break;
            }
        } catch (const FileError&) {
            listing_.error = message(kErrorOpeningText, "Error opening File !!");
        }
        return std::move(listing_);
    }

private:
    std::string message(int n, std::string_view fallback) const {
        const auto& t = texts_.text(n);
        return t.empty() ? std::string(fallback) : t;
    }

    void firstLine() {
        const auto& p = request_.printer;
        if (!p.printTimeDate && !p.printName) return;
        std::string line;
        if (p.printTimeDate) line = (request_.timestamp.empty() ? asctimeNow() : request_.timestamp) + "   ";
        if (p.printName) {
            const auto word = texts_.plain(kProgramText);
            line += (word.empty() ? std::string("Program ") : word) + session_.programPath.string();
        }
        // A long path goes on over further lines rather than past the width.
        std::string_view rest(line);
        do {
            const auto piece = firstChars(rest, kListingWidth);
            listing_.lines.emplace_back(piece);
            rest.remove_prefix(piece.size());
        } while (!rest.empty());
    }

    void header(const Table& table) {
        if (request_.printer.printHeader) listing_.lines.push_back(table.header());
    }

    void step(std::size_t done, std::size_t total) {
        if (total > kListingProgressThreshold && request_.progress) request_.progress(done, total);
    }

    std::vector<std::uint8_t> read(std::size_t recordSize, std::size_t count) {
        auto bytes = readFile(session_.file(listingKindInfo(kind_).extension));
        if (auto w = fewerRecordsWarning(listing_.fileName, bytes.size() / recordSize, count); !w.empty())
            listing_.warnings.push_back(std::move(w));
        bytes.resize(std::min(bytes.size(), recordSize * count));
        return bytes;
    }

    void simple(const Layout& layout) {
        const auto& app = session_.app;
        const auto recordSize = kindInfo(layout.kind).recordSize;
        const std::size_t count = recordCount(app, layout.kind);
        std::vector<Column> columns{{"Number", 5, true}, {"Descriptor", descriptorChars(app, layout)}};
        const bool randomTitle = layout.kind == RecordKind::PbInfo && pbRandomNumbersOn(app);
        if (layout.kind == RecordKind::Department) columns.push_back({"Group", 5, true});
        if (layout.kind == RecordKind::PbInfo) columns.push_back({randomTitle ? "Random Number" : "", 14, true});
        Table table(std::move(columns));
        table.fit(1);
        header(table);

        const auto bytes = read(recordSize, count);
        const std::size_t n = bytes.size() / recordSize;
        std::vector<std::string> cells(3);
        for (std::size_t r = 0; r < n; ++r) {
            const auto rec = std::span<const std::uint8_t>(bytes).subspan(r * recordSize, recordSize);
            cells[0] = std::to_string(r + 1);
            cells[1] = descriptorText(rec, layout.descriptor, layout.descriptorField, descriptorChars(app, layout));
            if (layout.kind == RecordKind::Department)
                cells[2] = std::to_string(rec[kDepartmentGroup] + (rec[kDepartmentGroup + 1] << 8) + 1);
            if (layout.kind == RecordKind::PbInfo) cells[2] = unpackAmount(rec.subspan(0, kPbNumberSize));
            listing_.lines.push_back(table.line(cells));
            step(r + 1, n);
        }
    }

    static bool pbRandomNumbersOn(const ApplicationBlock& app) {
        return app.pbRandomCodeSize() != 0 && !app.option(kPbRandomSwitchFlag, 3);
    }

    void plu() {
        const auto& app = session_.app;
        const auto h = PluHeader::from(app);
        const AmountFormat format = amountFormat(app);
        const std::size_t priceBytes = static_cast<std::size_t>(std::clamp(h.priceSize, 1, 8));
        const std::size_t amountWidth =
            std::max<std::size_t>(2 * priceBytes + (format.decimals ? 1 : 0),
                                  format.decimals ? static_cast<std::size_t>(format.decimals) + 2 : 1);
        const bool prices = h.priceSize > 0;
        const int levels = std::clamp(h.priceLevels, 1, 4);
        const bool mixMatch = app.option(kCostPriceMixMatchFlag, 3);

        std::vector<Column> columns{{"Number", h.codeMode() ? 2 * static_cast<std::size_t>(h.codeBytes) : 5, true},
                                    {"Descriptor", static_cast<std::size_t>(h.descriptorLength)},
                                    {"Dept.", 4, true}};
        if (prices) columns.push_back({"Price", amountWidth, true});
        if (h.costPrice) columns.push_back({mixMatch ? "MixMatch Q." : "Cost Price", amountWidth, true});
        Table table(std::move(columns));
        table.fit(1);
        header(table);

        const std::size_t count = static_cast<std::size_t>(h.count);
        const auto bytes = read(plu::kRecordSize, count);
        const std::span<const std::uint8_t> file(bytes);
        const std::size_t n = file.size() / plu::kRecordSize;

        std::vector<std::string> cells(5);
        auto emit = [&](std::size_t record, std::string number) {
            const auto rec = file.subspan(record * plu::kRecordSize, plu::kRecordSize);
            const auto price = [&](int level) {
                const auto slot = kPrice1 + plu::kPriceSlot * static_cast<std::size_t>(level - 1);
                return formatPackedAmount(rec.subspan(slot, priceBytes), format);
            };
            cells[0] = std::move(number);
            cells[1] = descriptorText(rec, plu::kDescriptor, plu::kDescriptorField,
                                      static_cast<std::size_t>(h.descriptorLength));
            cells[2] = std::to_string(rec[plu::kDepartment] + (rec[plu::kDepartment + 1] << 8) + 1);
            std::size_t c = 3;
            if (prices) cells[c++] = price(1);
            if (h.costPrice) {
                const auto cost = rec.subspan(kCostPrice, priceBytes);
                cells[c++] = mixMatch ? unpackAmount(cost) : formatPackedAmount(cost, format);
            }
            listing_.lines.push_back(table.line(std::span(cells).first(c)));
            if (!prices) return;
            for (int level = 2; level <= levels; ++level) {
                std::fill(cells.begin(), cells.end(), std::string());
                cells[3] = price(level);
                listing_.lines.push_back(table.line(std::span(cells).first(4)));
            }
        };

        if (!h.codeMode()) {
            for (std::size_t r = 0; r < n; ++r) {
                emit(r, std::to_string(r + 1));
                step(r + 1, n);
            }
            return;
        }
        // Code mode lists the PLUs in code order, as the PLU list holds them;
        // records without a code are no PLUs and are left out.
        const auto list = PluList::fromBytes(file, n, h.codeBytes, PluListOrder::Code);
        for (std::size_t i = 0; i < list.usedCount(); ++i) {
            const auto& e = list.entry(i);
            emit(static_cast<std::size_t>(e.record - 1), e.code);
            step(i + 1, list.usedCount());
        }
    }

    static constexpr std::size_t kPrice1 = 37;
    static constexpr std::size_t kCostPrice = 73;

    ListingKind kind_;
    const ProgramSession& session_;
    const LanguageTexts& texts_;
    const ListingRequest& request_;
    Listing listing_;
};

}  // namespace

std::span<const ListingKindInfo> listingKinds() { return kKinds; }

const ListingKindInfo& listingKindInfo(ListingKind kind) {
    for (const auto& k : kKinds)
        if (k.kind == kind) return k;
    return kKinds.front();
}

std::optional<ListingKind> listingKindByName(std::string_view name) {
    for (const auto& k : kKinds)
        if (k.name == name) return k.kind;
    return std::nullopt;
}

bool pbInfoListingAvailable(const ApplicationBlock& app) {
    return (app.pbRandomCodeSize() != 0 && !app.option(kPbRandomSwitchFlag, 3)) ||
           (app.get(appblock::kPbTextSize) != 0 && !app.option(kPbTextSwitchFlag, 1));
}

Listing buildListing(ListingKind kind, const ProgramSession& session, const LanguageTexts& texts,
                     const ListingRequest& request) {
    return Builder(kind, session, texts, request).run();
}

std::string asctimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buf[64];
    std::string s = asctime_r(&local, buf);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    return s;
}

std::string listingText(std::span<const std::string> lines) {
    std::string out;
    for (const auto& l : lines) {
        out += l;
        out += "\r\n";
    }
    return out;
}

}  // namespace tramond
