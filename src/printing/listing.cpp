#include "printing/listing.h"

#include <algorithm>
#include <cctype>
#include <array>
#include <ctime>
#include <sstream>
#include <utility>

#include "app/kind_words.h"
#include "cli/program_info.h"
#include "cli/record_columns.h"
#include "editors/customer_editor.h"
#include "editors/plu_list.h"
#include "editors/plu_record.h"
#include "options/flag_options.h"
#include "options/general_options.h"
#include "options/option_dialog.h"
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
    ListingKindInfo{ListingKind::Plu, "plu", "PLU File", -1, ".plu"},
    ListingKindInfo{ListingKind::Group, "group", "Group File", -1, ".grp"},
    ListingKindInfo{ListingKind::Department, "department", "Department File", -1, ".dpt"},
    ListingKindInfo{ListingKind::Clerk, "clerk", "Clerk File", -1, ".clk"},
    ListingKindInfo{ListingKind::Modifier, "modifier", "Modifier File", -1, ".mod"},
    ListingKindInfo{ListingKind::PbInfo, "pbinfo", "PB Func.  File ", -1, ".pbr"},
    // The other files with an editor, named as the Edit menu names them.
    ListingKindInfo{ListingKind::Tender, "tender", "Tender File", 26, ".tnd"},
    ListingKindInfo{ListingKind::Drawer, "drawer", "Drawer File", 24, ".drw"},
    ListingKindInfo{ListingKind::Correction, "correction", "Correction File", 22, ".cor"},
    ListingKindInfo{ListingKind::Discount, "discount", "Discount File", 23, ".dis"},
    ListingKindInfo{ListingKind::PoRa, "po-ra", "PoRa File", 25, ".por"},
    ListingKindInfo{ListingKind::Currency, "currency", "Currency File", 27, ".cur"},
    ListingKindInfo{ListingKind::Tax, "tax", "Tax File", 28, ".tax"},
    // Not the Edit menu's "PB Func. File": the PB info entry above reads the same.
    ListingKindInfo{ListingKind::PbFunction, "pb-function", "PB Function File", -1, ".pbf"},
    ListingKindInfo{ListingKind::Salesperson, "salesperson", "Salesp. File", 577, ".sps"},
    ListingKindInfo{ListingKind::Condiment, "condiment", "Condiment File", 1082, ".con"},
    ListingKindInfo{ListingKind::Customer, "customer", "Customer File", 1081, ".cst"},
    ListingKindInfo{ListingKind::Summary, "summary", "Program Summary", -1, ".app"},
};

// The record kind behind a listing (none for the customer file and the summary).
std::optional<RecordKind> recordKindOf(ListingKind k) {
    switch (k) {
        case ListingKind::Plu: return RecordKind::Plu;
        case ListingKind::Group: return RecordKind::Group;
        case ListingKind::Department: return RecordKind::Department;
        case ListingKind::Clerk: return RecordKind::Clerk;
        case ListingKind::Modifier: return RecordKind::Modifier;
        case ListingKind::PbInfo: return RecordKind::PbInfo;
        case ListingKind::Tender: return RecordKind::Tender;
        case ListingKind::Drawer: return RecordKind::Drawer;
        case ListingKind::Correction: return RecordKind::Correction;
        case ListingKind::Discount: return RecordKind::Discount;
        case ListingKind::PoRa: return RecordKind::PoRa;
        case ListingKind::Currency: return RecordKind::Currency;
        case ListingKind::Tax: return RecordKind::Tax;
        case ListingKind::PbFunction: return RecordKind::PbFunction;
        case ListingKind::Salesperson: return RecordKind::Salesperson;
        case ListingKind::Condiment: return RecordKind::Condiment;
        case ListingKind::Customer:
        case ListingKind::Summary: return std::nullopt;
    }
    return std::nullopt;
}

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

// The columns of a kind that is listed field by field, with the file they
// read: the spreadsheet exchange's columns (their names are the export's
// headings), or the read-only ones of the files it leaves out.
struct FieldSource {
    std::size_t recordSize = 0;
    std::size_t count = 0;
    std::optional<RecordColumn> name;  // the descriptor, listed as "Descriptor"
    std::vector<RecordColumn> fields;
    std::function<bool(std::span<const std::uint8_t>)> inUse;
};

std::optional<FieldSource> fieldSource(ListingKind kind, const ApplicationBlock& app) {
    FieldSource source;
    std::vector<RecordColumn> columns;
    if (kind == ListingKind::Customer) {
        source.recordSize = customer::kRecordSize;
        source.count = customer::kCount;
        columns = customerColumns();
    } else if (kind == ListingKind::Condiment) {
        source.recordSize = kindInfo(RecordKind::Condiment).recordSize;
        source.count = recordCount(app, RecordKind::Condiment);
        columns = condimentColumns();
    } else {
        const auto rk = recordKindOf(kind);
        if (!rk) return std::nullopt;
        auto table = recordTable(*rk, app);
        if (!table) return std::nullopt;
        source.recordSize = table->recordSize;
        source.count = table->count;
        source.inUse = table->inUse;
        columns = std::move(table->columns);
    }
    for (auto& c : columns) {
        if (c.name == "name" && !source.name)
            source.name = std::move(c);
        else
            source.fields.push_back(std::move(c));
    }
    return source;
}

// The option dialogs whose switches the summary names.
std::vector<const OptionDialogTable*> optionTables() {
    return {&generalOptionsDialog(), &clerkOptionsDialog(),   &pbOptionsDialog(),       &pluOptionsDialog(),
            &barcodeOptionsDialog(), &cardOptionsDialog(),    &handheldOptionsDialog(), &logoOptionsDialog()};
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
                case ListingKind::Summary: summary(); break;
                default: fields(); break;
            }
        } catch (const FileError&) {
            listing_.error = message(kErrorOpeningText, "Error opening File !!");
        } catch (const ProgramError& e) {
            listing_.error = e.what();
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
        listing_.firstLines = listing_.lines.size();
    }

    void header(std::string line) {
        if (!request_.printer.printHeader) return;
        listing_.lines.push_back(std::move(line));
        listing_.headerLines = 1;
    }

    // The next lines pushed belong to a new record.
    void startRecord() { listing_.recordStarts.push_back(listing_.lines.size()); }

    void step(std::size_t done, std::size_t total) {
        if (total > kListingProgressThreshold && request_.progress) request_.progress(done, total);
    }

    std::vector<std::uint8_t> read(std::size_t recordSize, std::size_t count) {
        // No records, nothing to open: a kind the program has none of.
        if (count == 0) return {};
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
        header(table.header());

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
            startRecord();
            listing_.lines.push_back(table.line(cells));
            step(r + 1, n);
        }
    }

    static bool pbRandomNumbersOn(const ApplicationBlock& app) {
        return app.pbRandomCodeSize() != 0 && !app.option(kPbRandomSwitchFlag, 3);
    }

    // Every field of the kind's spreadsheet export. As a table when the
    // columns fit the width; otherwise each record is its number and name,
    // then its fields as "name: value" cells, as many to a line as fit.
    void fields() {
        auto source = fieldSource(kind_, session_.app);
        if (!source) return;
        const auto bytes = read(source->recordSize, source->count);
        const std::size_t n = bytes.size() / source->recordSize;
        std::vector<std::size_t> numbers;
        std::vector<std::string> names;
        std::vector<std::vector<std::string>> values;
        for (std::size_t r = 0; r < n; ++r) {
            const auto rec = std::span<const std::uint8_t>(bytes).subspan(r * source->recordSize, source->recordSize);
            if (source->inUse && !source->inUse(rec)) continue;
            numbers.push_back(r + 1);
            std::string name = source->name ? source->name->read(rec) : std::string();
            while (!name.empty() && name.back() == ' ') name.pop_back();
            names.push_back(std::move(name));
            auto& row = values.emplace_back();
            for (const auto& f : source->fields) row.push_back(f.read(rec));
        }

        std::size_t nameWidth = std::string_view("Descriptor").size();
        for (const auto& nm : names) nameWidth = std::max(nameWidth, charCount(nm));
        std::vector<std::size_t> widths;
        for (std::size_t c = 0; c < source->fields.size(); ++c) {
            std::size_t w = charCount(source->fields[c].name);
            for (const auto& row : values) w = std::max(w, charCount(row[c]));
            widths.push_back(w);
        }
        std::size_t total = 5 + 1 + nameWidth;
        for (const auto w : widths) total += 1 + w;

        if (total <= kListingWidth) {
            std::vector<Column> columns{{"Number", 5, true}, {"Descriptor", nameWidth}};
            for (std::size_t c = 0; c < widths.size(); ++c) columns.push_back({source->fields[c].name, widths[c], true});
            const Table table(std::move(columns));
            header(table.header());
            std::vector<std::string> cells;
            for (std::size_t i = 0; i < values.size(); ++i) {
                cells = {std::to_string(numbers[i]), names[i]};
                cells.insert(cells.end(), values[i].begin(), values[i].end());
                startRecord();
                listing_.lines.push_back(table.line(cells));
                step(i + 1, values.size());
            }
            return;
        }

        Table table({{"Number", 5, true}, {"Descriptor", std::min(nameWidth, kListingWidth - 6)}});
        header(table.header());
        // Cells on tab stops under the descriptor: three to a line, a long
        // one taking as many stops as it needs.
        constexpr std::size_t kIndent = 6, kStop = 23;
        for (std::size_t i = 0; i < values.size(); ++i) {
            startRecord();
            listing_.lines.push_back(table.line(std::vector<std::string>{std::to_string(numbers[i]), names[i]}));
            std::string line;
            for (std::size_t c = 0; c < values[i].size(); ++c) {
                const std::string text(
                    firstChars(source->fields[c].name + ": " + values[i][c], kListingWidth - kIndent));
                std::size_t at = line.empty() ? kIndent : charCount(line);
                if (at > kIndent) at = kIndent + ((at - kIndent + 1 + kStop - 1) / kStop) * kStop;
                if (at + charCount(text) > kListingWidth) {
                    flushCells(line);
                    at = kIndent;
                }
                if (line.size() < at) line.append(at - charCount(line), ' ');
                line += text;
            }
            if (!line.empty()) flushCells(line);
            step(i + 1, values.size());
        }
    }

    void flushCells(std::string& line) {
        while (!line.empty() && line.back() == ' ') line.pop_back();
        listing_.lines.push_back(std::move(line));
        line.clear();
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
        // With further price levels every price line says its level.
        const bool levelColumn = prices && levels > 1;

        std::vector<Column> columns{{"Number", h.codeMode() ? 2 * static_cast<std::size_t>(h.codeBytes) : 5, true},
                                    {"Descriptor", static_cast<std::size_t>(h.descriptorLength)},
                                    {"Dept.", 4, true}};
        if (levelColumn) columns.push_back({"Lv", 2});
        if (prices) columns.push_back({"Price", amountWidth, true});
        if (h.costPrice) columns.push_back({mixMatch ? "MixMatch Q." : "Cost Price", amountWidth, true});
        Table table(std::move(columns));
        table.fit(1);
        header(table.header());

        const std::size_t count = static_cast<std::size_t>(h.count);
        const auto bytes = read(plu::kRecordSize, count);
        const std::span<const std::uint8_t> file(bytes);
        const std::size_t n = file.size() / plu::kRecordSize;
        const std::size_t priceColumn = levelColumn ? 4 : 3;
        static const std::string kLevels[] = {"L1", "L2", "L3", "L4"};

        std::vector<std::string> cells(6);
        auto emit = [&](std::size_t record, std::string number) {
            const auto rec = file.subspan(record * plu::kRecordSize, plu::kRecordSize);
            const auto price = [&](int level) {
                const auto slot = kPrice1 + plu::kPriceSlot * static_cast<std::size_t>(level - 1);
                return formatPackedAmount(rec.subspan(slot, priceBytes), format);
            };
            startRecord();
            cells[0] = std::move(number);
            cells[1] = descriptorText(rec, plu::kDescriptor, plu::kDescriptorField,
                                      static_cast<std::size_t>(h.descriptorLength));
            cells[2] = std::to_string(rec[plu::kDepartment] + (rec[plu::kDepartment + 1] << 8) + 1);
            std::size_t c = 3;
            if (levelColumn) cells[c++] = kLevels[0];
            if (prices) cells[c++] = price(1);
            if (h.costPrice) {
                const auto cost = rec.subspan(kCostPrice, priceBytes);
                cells[c++] = mixMatch ? unpackAmount(cost) : formatPackedAmount(cost, format);
            }
            listing_.lines.push_back(table.line(std::span(cells).first(c)));
            if (!levelColumn) return;
            for (int level = 2; level <= levels; ++level) {
                std::fill(cells.begin(), cells.end(), std::string());
                cells[3] = kLevels[level - 1];
                cells[priceColumn] = price(level);
                listing_.lines.push_back(table.line(std::span(cells).first(priceColumn + 1)));
            }
        };

        listing_.lines.reserve(listing_.lines.size() + n * static_cast<std::size_t>(levelColumn ? levels : 1));
        listing_.recordStarts.reserve(n);
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

    // One page: what the register is, what it holds, what it needs, and the
    // options that are switched on, by their captions.
    void summary() {
        header("Program summary");
        const ProgramImage image{session_.programPath, session_.app};
        const auto info = programInfo(image);
        const auto title = [&](const std::string& text) {
            startRecord();
            listing_.lines.push_back(text);
        };
        std::istringstream text(infoText(info));
        std::string line;
        bool first = true;
        while (std::getline(text, line)) {
            // The first line names the program, which the listing's first line does already.
            if (first && line.rfind("Program:", 0) == 0 && listing_.firstLines > 0) {
                first = false;
                continue;
            }
            first = false;
            startRecord();
            listing_.lines.push_back(std::string(firstChars(line, kListingWidth)));
        }
        ProgramSession copy = session_;
        for (const auto* table : optionTables()) {
            OptionDialog dialog(*table, copy, texts_);
            std::vector<std::string> on;
            for (std::size_t i = 0; i < dialog.size(); ++i) {
                const auto& row = dialog.row(i);
                const auto& state = dialog.state(i);
                if (!state.visible || row.hidden) continue;
                const auto caption = plainCaption(state.caption);
                if (caption.empty()) continue;
                if (row.kind == ControlKind::CheckBox && state.value == 1) on.push_back(caption);
                if (row.kind == ControlKind::List && state.value > 0 &&
                    static_cast<std::size_t>(state.value) < state.items.size())
                    on.push_back(caption + ": " + plainCaption(state.items[static_cast<std::size_t>(state.value)]));
                if (row.kind == ControlKind::NumberBox && !state.text.empty() && numberValue(state.text) != 0)
                    on.push_back(caption + ": " + state.text);
            }
            if (on.empty()) continue;
            title("");
            title(dialog.caption());
            twoColumns(on);
        }
    }

    static std::string plainCaption(const std::string& caption) {
        std::string s = withoutAccelerators(caption);
        while (!s.empty() && (s.back() == ' ' || s.back() == ':')) s.pop_back();
        while (!s.empty() && s.front() == ' ') s.erase(0, 1);
        return s;
    }

    // Short items two to a line, longer ones on a line of their own.
    void twoColumns(const std::vector<std::string>& items) {
        constexpr std::size_t kColumn = 37;
        std::string pending;
        for (const auto& item : items) {
            const auto text = std::string(firstChars("  " + item, kListingWidth));
            if (charCount(text) > kColumn) {
                if (!pending.empty()) pushLine(std::exchange(pending, {}));
                pushLine(text);
            } else if (pending.empty()) {
                pending = text;
            } else {
                pending.append(kColumn + 2 - charCount(pending), ' ');
                pushLine(std::exchange(pending, {}) + text);
            }
        }
        if (!pending.empty()) pushLine(pending);
    }

    void pushLine(std::string line) {
        startRecord();
        listing_.lines.push_back(std::move(line));
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
    // In any case, like every other KIND word ("Summary", "CUSTOMER").
    const auto sameWord = [&](std::string_view word) {
        return std::equal(word.begin(), word.end(), name.begin(), name.end(), [](char a, char b) {
            return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
        });
    };
    for (const auto& k : kKinds)
        if (sameWord(k.name)) return k.kind;
    // The words the spreadsheet exchange takes for the same files.
    if (const auto rk = kindFromWord(name))
        for (const auto& k : kKinds)
            if (recordKindOf(k.kind) == rk) return k.kind;
    return std::nullopt;
}

std::string listingChoice(const LanguageTexts& texts, const ListingKindInfo& info) {
    std::string s = info.choiceText >= 0 ? texts.plain(info.choiceText) : std::string();
    if (s.empty()) s = std::string(info.choice);
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

bool pbInfoListingAvailable(const ApplicationBlock& app) {
    return (app.pbRandomCodeSize() != 0 && !app.option(kPbRandomSwitchFlag, 3)) ||
           (app.get(appblock::kPbTextSize) != 0 && !app.option(kPbTextSwitchFlag, 1));
}

Listing buildListing(ListingKind kind, const ProgramSession& session, const LanguageTexts& texts,
                     const ListingRequest& request) {
    return Builder(kind, session, texts, request).run();
}

std::vector<ListingPage> paginateListing(const Listing& listing, std::size_t linesPerPage) {
    std::vector<ListingPage> pages;
    const std::size_t total = listing.lines.size();
    const std::size_t body = std::min(listing.bodyStart(), total);
    const std::size_t perPage = std::max<std::size_t>(1, linesPerPage);
    // Room for records: the header takes a line of every page, the first
    // line its lines of page 1 (a page holds at least one record line).
    const auto room = [&](bool firstPage) {
        const std::size_t taken = listing.headerLines + (firstPage ? listing.firstLines : 0);
        return perPage > taken ? perPage - taken : std::size_t{1};
    };
    // Where each record starts, and the listing's end as the last boundary.
    std::vector<std::size_t> starts;
    starts.reserve(listing.recordStarts.size() + 1);
    for (const auto s : listing.recordStarts)
        if (s >= body && s < total && (starts.empty() || s > starts.back())) starts.push_back(s);
    if (starts.empty() || starts.front() != body) starts.insert(starts.begin(), body);
    starts.push_back(total);

    ListingPage page{body, body, true};
    std::size_t r = 0;  // the record that starts at page.end
    while (r + 1 < starts.size()) {
        const std::size_t next = starts[r + 1];
        const std::size_t limit = room(page.withFirstLines);
        if (next - page.first <= limit) {
            page.end = next;
            ++r;
            continue;
        }
        if (page.end > page.first) {
            // The record does not fit the rest of this page: it starts the next.
            pages.push_back(page);
            page = {page.end, page.end, false};
            continue;
        }
        // A record longer than a whole page: cut it, a page at a time.
        page.end = page.first + limit;
        pages.push_back(page);
        page = {page.end, page.end, false};
        if (page.first >= next) ++r;
    }
    if (page.end > page.first || pages.empty()) pages.push_back(page);
    return pages;
}

std::string pageNumberText(std::size_t page, std::size_t pages) {
    return "Page " + std::to_string(page) + " of " + std::to_string(pages);
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
