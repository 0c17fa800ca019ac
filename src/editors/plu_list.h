#pragma once
// The PLU list: one line per PLU record, the index behind the PLU editor and
// the order in which PLUs addressed by code are sent to the register.
//
// Line (46 characters): number mode, the name in columns 0-39; code mode in
// code order, the code digits and a blank in columns 0-14 and the name from
// column 15; code mode in name order, the name in columns 0-24 and the code
// digits from column 25. Columns 40-44 always hold the record number
// ("%05d"). In code mode a record whose code is zero is unused: nines stand
// for its code and "zz (Not Used)" for its name. Used lines always come
// before unused ones, whatever their names or codes, so that the first
// unused line is at index usedCount().

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "program/update_list.h"  // pluUpdateLine

namespace tramond {

enum class PluListOrder {
    File,  // number mode before any resort: record order
    Code,  // code mode: by code
    Name,  // by name
};

struct PluListEntry {
    int record = 0;        // 1-based record number in the ".plu" file
    bool used = true;      // number mode: always
    std::string code;      // 2 x code size digits, most significant first; "" in number mode
    std::string name;      // UTF-8, as the record holds it
};

class PluList {
public:
    static constexpr std::size_t kLineLength = 46;
    static constexpr std::size_t kRecordColumn = 40;
    static constexpr std::string_view kUnusedName = "zz (Not Used)";

    PluList() = default;
    // codeBytes 0: number mode; 1..7: code mode with that many code bytes.
    explicit PluList(int codeBytes) : codeBytes_(codeBytes) {}

    // From the bytes of a ".plu" file: the first `count` records (fewer when
    // the bytes end early).
    static PluList fromBytes(std::span<const std::uint8_t> file, std::size_t count, int codeBytes,
                             PluListOrder order);
    // From the file; nullopt when it cannot be read.
    static std::optional<PluList> read(const std::filesystem::path& pluFile, std::size_t count, int codeBytes,
                                       PluListOrder order);

    bool codeMode() const { return codeBytes_ > 0; }
    int codeBytes() const { return codeBytes_; }
    PluListOrder order() const { return order_; }
    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    std::size_t usedCount() const { return used_; }
    std::size_t unusedCount() const { return entries_.size() - used_; }
    const PluListEntry& entry(std::size_t i) const { return entries_.at(i); }
    int recordAt(std::size_t i) const { return entries_.at(i).record; }
    // Column at which the name starts (0 or 15).
    std::size_t nameColumn() const;

    std::string line(std::size_t i) const;
    std::vector<std::string> lines() const;

    // Sorts into `order` (File only makes sense in number mode).
    void sort(PluListOrder order);
    // The used line whose code equals the typed digits, leading zeros aside.
    std::optional<std::size_t> findCode(std::string_view typed) const;
    std::optional<std::size_t> findRecord(int record) const;

    void setName(std::size_t i, std::string name);
    // Code mode: turns line i into a used line with this code and name and
    // puts it in order; returns its new index.
    std::size_t makeUsed(std::size_t i, std::string code, std::string name);
    // Code mode: turns line i into an unused line and re-sorts; returns the
    // new index of that line.
    std::size_t makeUnused(std::size_t i);

private:
    bool less(const PluListEntry& a, const PluListEntry& b) const;
    void recount();

    int codeBytes_ = 0;
    PluListOrder order_ = PluListOrder::File;
    std::vector<PluListEntry> entries_;
    std::size_t used_ = 0;
};

}  // namespace tramond
