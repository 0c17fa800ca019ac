#pragma once
// How the register numbers its PLUs. By record number while PLUs are
// addressed by record; while they are addressed by code (random-code size
// nonzero) Clear & Install sends the PLU file in code order, so the
// register's PLU n is the n-th PLU in that order: the PLUs with a code
// sorted by code, then those without one by record. Every place that stores
// or shows a PLU by number (condiment entries, PLU keys of the register and
// handheld keyboards, the comparison of programs) goes through this one
// mapping; the linked PLU of code mode is stored by code and needs none.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "program/application_block.h"

namespace tramond {

class PluNumbering {
public:
    // From the bytes of a ".plu" file: its first `count` records (the PLU
    // count of the block), in code mode when the block's random-code size is
    // nonzero.
    static PluNumbering of(std::span<const std::uint8_t> pluFile, const ApplicationBlock& app);
    // From the program's file; nullopt when it cannot be read.
    static std::optional<PluNumbering> read(const std::filesystem::path& pluFile, const ApplicationBlock& app);

    // The order itself, for lists that sort PLUs the register's way: a PLU
    // with a code before one without; codes (all of one size, as digits) in
    // ascending order; then the record number.
    static bool before(bool usedA, std::string_view codeA, int recordA, bool usedB, std::string_view codeB,
                       int recordB);

    bool codeMode() const { return codeMode_; }
    std::size_t size() const { return records_.size(); }
    // The register's number of record r (from 1); 0 when the file does not
    // hold it.
    int numberOf(int record) const;
    // The record of the register's PLU n; 0 when there is none.
    int recordOf(int number) const;
    // Whether the record holds a PLU the register has (in code mode: a code).
    bool used(int record) const;
    // The records in the register's order: recordOf(1), recordOf(2), ...
    const std::vector<int>& records() const { return records_; }

private:
    bool codeMode_ = false;
    std::vector<int> records_;  // by number - 1
    std::vector<int> numbers_;  // by record - 1
    std::vector<bool> used_;    // by record - 1
};

// A PLU number stored by another file (condiment entry, PLU key) after the
// PLU order changed: the same PLU's new number, 0 when that PLU is gone.
int renumberedPlu(int number, const PluNumbering& before, const PluNumbering& after);

struct ProgramSession;
// After PLUs were created or deleted in code mode the register's numbers of
// the later ones move. Every condiment entry and PLU key that names a PLU by
// number (the register keyboards, the handheld keys, macro condiment tables)
// is renumbered to keep naming the same PLU; one naming a PLU that is gone
// is cleared. The files are written through the marking function, so the
// next Update carries them with the PLU lines. Throws FileError.
void renumberPluReferences(ProgramSession& session, const PluNumbering& before, const PluNumbering& after);

}  // namespace tramond
