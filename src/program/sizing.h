#pragma once
// Register record lengths, the memory map and the memory requirement: derived
// from the counts and settings of the application block, never edited.

#include <cstdint>
#include <string>

#include "program/application_block.h"

namespace tramond {

struct MemoryRequirement {
    std::uint32_t bytes = 0;      // used memory + 65536
    std::uint32_t kilobytes = 0;  // rounded up
    // " Memory Required : %7ld (%4dK) "
    std::string text() const;
};

// Fixed descriptor lengths and counts, applied at start and after every load.
void applyFixedValues(ApplicationBlock& app);
// The register record lengths of every kind (base lengths included): the
// twelve kinds with totals, and the clerk and salesperson lengths.
void computeRecordLengths(ApplicationBlock& app);
// The 64-slot memory map; returns the requirement.
MemoryRequirement computeMemoryMap(ApplicationBlock& app);
// Clerk register record length: descriptor + 40 with clerk time, else + 2.
std::uint16_t clerkRecordLength(const ApplicationBlock& app);
// Base length of a PLU record in the register, from the PLU header.
std::uint32_t pluBaseLength(const ApplicationBlock& app);
// Record lengths, then the map.
MemoryRequirement recomputeSizes(ApplicationBlock& app);

// Active system report totals: for report type t (1..5, the totalizer set
// t - 1), or every type when t is 0, the number of (report file, period)
// pairs whose set has bytes per total nonzero and that period's bit set.
int countActiveTotals(const ApplicationBlock& app, int type);

}  // namespace tramond
