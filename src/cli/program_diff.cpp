#include "cli/program_diff.h"

#include <algorithm>
#include <bit>
#include <functional>
#include <cstring>
#include <map>
#include <optional>
#include <sstream>

#include "app/language_texts.h"
#include "app/verbs.h"
#include "cli/record_columns.h"
#include "editors/record_description.h"
#include "options/general_options.h"
#include "program/codepage.h"
#include "program/file_io.h"
#include "program/plu_numbering.h"
#include "program/text_block.h"

namespace tramond {

namespace {

using Bytes = std::vector<std::uint8_t>;

std::optional<Bytes> readIfPresent(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return std::nullopt;
    try {
        return readFile(path);
    } catch (const FileError& e) {
        throw ProgramError(path.string() + ": " + e.what());
    }
}

std::string hex(std::span<const std::uint8_t> bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (auto b : bytes) {
        if (!out.empty()) out.push_back(' ');
        out.push_back(kHex[b >> 4]);
        out.push_back(kHex[b & 15]);
    }
    return out;
}

// Runs of differing bytes inside [0, size): "bytes 4-7" with both values.
void rawRuns(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b, std::size_t base,
             const std::function<void(std::string item, std::string va, std::string vb)>& emit) {
    const auto n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n;) {
        if (a[i] == b[i]) {
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < n && a[j] != b[j]) ++j;
        const auto first = base + i, last = base + j - 1;
        emit(first == last ? "byte " + std::to_string(first)
                           : "bytes " + std::to_string(first) + "-" + std::to_string(last),
             hex(a.subspan(i, j - i)), hex(b.subspan(i, j - i)));
        i = j;
    }
}

// ---- the application block ---------------------------------------------------------

struct Region {
    std::size_t offset;
    std::size_t width;
    std::string name;
};

std::vector<Region> applicationRegions() {
    std::vector<Region> out;
    for (const auto& k : recordKinds()) {
        const auto* h = kindHeader(k.kind);
        if (!h) continue;
        const std::string kind(k.name);
        if (h->count) out.push_back({h->count, 2, kind + " count"});
        if (h->recordLength) out.push_back({h->recordLength, 2, kind + " register record length"});
        if (h->baseLength) out.push_back({h->baseLength, 1, kind + " base length"});
        if (h->descriptorLength) out.push_back({h->descriptorLength, 1, kind + " descriptor length"});
        if (h->totalizerSets)
            for (int s = 0; s < appblock::kTotalizerSetCount; ++s)
                out.push_back({h->totalizerSets + static_cast<std::size_t>(s) * appblock::kTotalizerSetSize,
                               appblock::kTotalizerSetSize,
                               kind + " totalizer set " + std::to_string(s + 1)});
    }
    for (int i = 0; i < appblock::kMemorySlotCount; ++i)
        out.push_back({appblock::kMemoryMap + 4 * static_cast<std::size_t>(i), 4,
                       "memory map slot " + std::to_string(i + 1)});
    for (std::size_t i = 0; i < appblock::kKeyCount; ++i) {
        out.push_back({appblock::kKeyCodes + 2 * i, 2, "key " + std::to_string(i) + " function"});
        out.push_back({appblock::kSystemChars + i, 1, "key " + std::to_string(i) + " system character"});
    }
    for (int r = 0; r < appblock::kUserReportCount; ++r)
        out.push_back({appblock::kUserReports + static_cast<std::size_t>(r) * appblock::kUserReportSize,
                       appblock::kUserReportSize, "user report " + std::to_string(r + 1)});
    out.push_back({appblock::kPbCount.offset, 2, "PB count"});
    out.push_back({appblock::kPbFlags.offset, 1, "PB flags"});
    out.push_back({appblock::kPluOptionFlags.offset, 1, "PLU option flags"});
    out.push_back({appblock::kPluRandomCodeSize.offset, 1, "PLU random-code size"});
    out.push_back({appblock::kPluPriceLevels.offset, 1, "PLU price levels"});
    out.push_back({appblock::kPluPriceSize.offset, 1, "PLU price size"});
    out.push_back({appblock::kPluCostPrice.offset, 1, "PLU cost price"});
    out.push_back({appblock::kLogoSetting.offset, 1, "logo setting"});
    std::sort(out.begin(), out.end(), [](const Region& x, const Region& y) { return x.offset < y.offset; });
    return out;
}

std::uint64_t littleEndian(std::span<const std::uint8_t> b) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < b.size() && i < 8; ++i) v |= static_cast<std::uint64_t>(b[i]) << (8 * i);
    return v;
}

struct OptionControl {
    std::uint8_t mask;
    std::string caption;
};

// The option dialogs' controls by the byte they bind.
std::multimap<std::size_t, OptionControl> optionControls() {
    std::multimap<std::size_t, OptionControl> out;
    const auto& texts = LanguageTexts::builtIn();
    for (const auto& c : generalOptionsDialog().controls) {
        if (c.binding.kind == Binding::Kind::None) continue;
        std::string caption = std::string(c.prefix) + (c.text >= 0 ? texts.text(c.text) : std::string(c.literal));
        caption = withoutAccelerator(caption);
        while (!caption.empty() && (caption.back() == ' ' || caption.back() == ':')) caption.pop_back();
        const auto mask = c.binding.kind == Binding::Kind::Bit || c.binding.kind == Binding::Kind::Field
                              ? c.binding.mask
                              : std::uint8_t{0xFF};
        out.emplace(c.binding.offset, OptionControl{mask, caption});
    }
    return out;
}

void diffApplication(const ApplicationBlock& a, const ApplicationBlock& b, std::vector<Difference>& out) {
    static const auto regions = applicationRegions();
    static const auto controls = optionControls();
    const auto& ba = a.bytes();
    const auto& bb = b.bytes();
    const auto flagFirst = ApplicationBlock::flagOffset(ApplicationBlock::kFirstFlag);
    const auto flagLast = ApplicationBlock::flagOffset(ApplicationBlock::kLastFlag);
    std::size_t regionDone = 0;  // bytes below this were reported with their region
    for (std::size_t i = 0; i < ApplicationBlock::kSize; ++i) {
        if (ba[i] == bb[i] || i < regionDone) continue;
        // Bits the option dialogs show one by one are named one by one.
        const auto [from, to] = controls.equal_range(i);
        std::uint8_t named = 0;
        const bool flagByte = i >= flagFirst && i <= flagLast;
        const std::string where = flagByte ? "flag " + std::to_string(i - 45) : "byte " + std::to_string(i);
        for (auto it = from; it != to; ++it) {
            const auto mask = it->second.mask;
            if ((ba[i] & mask) == (bb[i] & mask) || (named & mask) == mask) continue;
            std::string item = where;
            if (std::has_single_bit(static_cast<unsigned>(mask)))
                item += " option " + std::to_string(std::countr_zero(static_cast<unsigned>(mask)) + 1);
            const auto value = [mask](std::uint8_t v) {
                return std::to_string(std::has_single_bit(static_cast<unsigned>(mask))
                                          ? ((v & mask) != 0)
                                          : (v & mask) >> std::countr_zero(static_cast<unsigned>(mask)));
            };
            out.push_back({"application", 0, item, it->second.caption, value(ba[i]), value(bb[i])});
            named |= mask;
        }
        const auto rest = static_cast<std::uint8_t>(~named);
        if ((ba[i] & rest) == (bb[i] & rest)) continue;
        if (flagByte) {
            for (int bit = 0; bit < 8; ++bit) {
                if (!((rest >> bit) & 1) || ((ba[i] >> bit) & 1) == ((bb[i] >> bit) & 1)) continue;
                out.push_back({"application", 0, where + " option " + std::to_string(bit + 1), "",
                               std::to_string((ba[i] >> bit) & 1), std::to_string((bb[i] >> bit) & 1)});
            }
            continue;
        }
        const auto region = std::find_if(regions.begin(), regions.end(),
                                         [i](const Region& r) { return i >= r.offset && i < r.offset + r.width; });
        if (region != regions.end()) {
            const std::span<const std::uint8_t> ra(ba.data() + region->offset, region->width);
            const std::span<const std::uint8_t> rb(bb.data() + region->offset, region->width);
            if (region->width <= 4)
                out.push_back({"application", 0, region->name, "", std::to_string(littleEndian(ra)),
                               std::to_string(littleEndian(rb))});
            else
                out.push_back({"application", 0, region->name, "", hex(ra), hex(rb)});
            regionDone = region->offset + region->width;
            continue;
        }
        out.push_back({"application", 0, "byte " + std::to_string(i), "", std::to_string(ba[i]),
                       std::to_string(bb[i])});
    }
}

// ---- the text block ----------------------------------------------------------------

void diffText(const Bytes& a, const Bytes& b, std::vector<Difference>& out) {
    if (a.size() != TextBlock::kSize || b.size() != TextBlock::kSize) {
        if (a != b)
            out.push_back({"text", 0, "file", "", std::to_string(a.size()) + " bytes", std::to_string(b.size()) + " bytes"});
        return;
    }
    for (const auto& s : textblock::kSections) {
        for (std::size_t e = 0; e < s.entries; ++e) {
            const auto at = s.offset + e * s.width;
            if (std::memcmp(a.data() + at, b.data() + at, s.width) == 0) continue;
            const std::span<const std::uint8_t> ea(a.data() + at, s.width), eb(b.data() + at, s.width);
            auto va = oemToUtf8(ea), vb = oemToUtf8(eb);
            // Text that reads the same but differs in its bytes (after the
            // end mark, say) shows its bytes.
            if (va == vb) {
                va = hex(ea);
                vb = hex(eb);
            }
            out.push_back({"text", 0, std::string(s.name) + " " + std::to_string(e + 1), "", va, vb});
        }
    }
}

// ---- record files ------------------------------------------------------------------

void diffRecords(const ProgramImage& pa, const ProgramImage& pb, const KindInfo& k, std::vector<Difference>& out) {
    const auto fa = readIfPresent(pa.file(k.extension));
    const auto fb = readIfPresent(pb.file(k.extension));
    const auto area = kindWord(k.kind);
    if (!fa && !fb) return;
    const auto records = [&k](const ProgramImage& p, const std::optional<Bytes>& f) -> std::size_t {
        return f ? std::min<std::size_t>(recordCount(p.app, k.kind), f->size() / k.recordSize) : 0;
    };
    // The records compared with each other, by index in each file: record n
    // with record n; PLUs addressed by code in both programs as the register
    // numbers them (its PLU n is the n-th in code order), those without a
    // code being no PLU of the register.
    const auto order = [&](const ProgramImage& p, const std::optional<Bytes>& f) {
        std::vector<std::size_t> out;
        if (!f) return out;
        const auto n = PluNumbering::of(*f, p.app);
        for (const int r : n.records())
            if (n.used(r)) out.push_back(static_cast<std::size_t>(r - 1));
        return out;
    };
    const bool byCode = k.kind == RecordKind::Plu && pa.app.get(appblock::kPluRandomCodeSize) != 0 &&
                        pb.app.get(appblock::kPluRandomCodeSize) != 0;
    std::vector<std::size_t> ia, ib;
    if (byCode) {
        ia = order(pa, fa);
        ib = order(pb, fb);
    } else {
        for (std::size_t r = 0; r < records(pa, fa); ++r) ia.push_back(r);
        for (std::size_t r = 0; r < records(pb, fb); ++r) ib.push_back(r);
    }
    const auto na = ia.size(), nb = ib.size();
    const auto ta = recordTable(k.kind, pa.app);
    const auto tb = recordTable(k.kind, pb.app);
    for (std::size_t r = 0; r < std::max(na, nb); ++r) {
        const auto number = static_cast<std::uint32_t>(r + 1);
        if (r >= na || r >= nb) {
            out.push_back({area, number, "record", "", r < na ? "present" : "", r < nb ? "present" : ""});
            continue;
        }
        const std::span<const std::uint8_t> ra(fa->data() + ia[r] * k.recordSize, k.recordSize);
        const std::span<const std::uint8_t> rb(fb->data() + ib[r] * k.recordSize, k.recordSize);
        if (std::memcmp(ra.data(), rb.data(), k.recordSize) == 0) continue;
        bool named = false;
        if (ta && tb) {
            for (const auto& c : ta->columns) {
                const auto other = tb->column(c.name);
                if (!other) continue;
                auto va = c.read(ra), vb = tb->columns[*other].read(rb);
                if (va == vb) continue;
                out.push_back({area, number, c.name, "", std::move(va), std::move(vb)});
                named = true;
            }
        }
        // Bytes no field shows (or a kind without a layout): by offset.
        if (!named)
            rawRuns(ra, rb, 0, [&](std::string item, std::string va, std::string vb) {
                out.push_back({area, number, std::move(item), "", std::move(va), std::move(vb)});
            });
    }
}

}  // namespace

std::vector<Difference> diffPrograms(const ProgramImage& a, const ProgramImage& b) {
    std::vector<Difference> out;
    diffApplication(a.app, b.app, out);
    const auto ta = readIfPresent(a.file(".txt")), tb = readIfPresent(b.file(".txt"));
    diffText(ta.value_or(Bytes{}), tb.value_or(Bytes{}), out);
    for (const auto& k : recordKinds()) diffRecords(a, b, k, out);
    return out;
}

std::string diffText(const std::vector<Difference>& differences) {
    std::ostringstream out;
    for (const auto& d : differences) {
        out << d.area;
        if (d.record) out << " " << d.record;
        out << ": " << d.item;
        if (!d.caption.empty()) out << " (" << d.caption << ")";
        out << ": " << jsonQuote(d.a) << " -> " << jsonQuote(d.b) << "\n";
    }
    return out.str();
}

std::string diffJson(const std::vector<Difference>& differences) {
    std::ostringstream out;
    out << "{\"same\":" << (differences.empty() ? "true" : "false") << ",\"differences\":[";
    for (std::size_t i = 0; i < differences.size(); ++i) {
        const auto& d = differences[i];
        out << (i ? "," : "") << "{\"area\":" << jsonQuote(d.area) << ",\"record\":" << d.record
            << ",\"item\":" << jsonQuote(d.item) << ",\"caption\":" << jsonQuote(d.caption)
            << ",\"a\":" << jsonQuote(d.a) << ",\"b\":" << jsonQuote(d.b) << "}";
    }
    out << "]}\n";
    return out.str();
}

}  // namespace tramond
