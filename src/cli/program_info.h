#pragma once
// "tramond info": what a dealer asks of a program before sending it.

#include <cstdint>
#include <string>
#include <vector>

#include "cli/program_image.h"
#include "program/record_kinds.h"

namespace tramond {

struct KindSummary {
    RecordKind kind{};
    std::uint32_t count = 0;           // records in the application block
    std::size_t fileRecordSize = 0;    // bytes per record on the PC
    std::uint32_t registerRecordLength = 0;  // bytes per record in the register (0: not sized)
    std::size_t recordsInFile = 0;     // whole records the file holds (0 when missing)
    bool fileExists = false;
};

struct ProgramInfo {
    std::string path;
    int registerType = 3;  // the tool drives one register type; its keyboard layout follows it
    std::vector<KindSummary> kinds;
    std::uint32_t memoryBytes = 0;
    std::uint32_t memoryKilobytes = 0;
    std::string memoryText;  // as the status panel shows it
    int networkSize = 0;
    int logoSize = 0;        // 0 none, 1..3 a size, 15 do not send
    std::string logoType;    // "none", "256 x 160", ..., "do not send"
    int logoDensity = 0;
    int randomCodeSize = 0;  // PLU code bytes (0: PLUs by number)
    std::size_t updateListLength = 0;
};

// Throws ProgramError as ProgramImage::read does.
ProgramInfo programInfo(const ProgramImage& program);

std::string infoText(const ProgramInfo& info);
std::string infoJson(const ProgramInfo& info);

}  // namespace tramond
