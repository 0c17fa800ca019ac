#include "cli/program_info.h"

#include <sstream>

#include "app/verbs.h"
#include "cli/record_columns.h"
#include "program/sizing.h"
#include "program/update_list.h"

namespace tramond {

namespace {

std::string logoTypeName(int size) {
    switch (size) {
        case 0: return "none";
        case 1: return "256 x 160";
        case 2: return "256 x 320";
        case 3: return "512 x 160";
        case appblock::kLogoDoNotSend: return "do not send";
    }
    return "unknown (" + std::to_string(size) + ")";
}

}  // namespace

ProgramInfo programInfo(const ProgramImage& program) {
    ProgramInfo info;
    info.path = program.appPath.string();
    // Sized as loading sizes it, on a copy: looking changes nothing.
    ApplicationBlock sized = program.app;
    sized.setOption(59, 5, false);
    applyFixedValues(sized);
    const auto memory = recomputeSizes(sized);
    info.memoryBytes = memory.bytes;
    info.memoryKilobytes = memory.kilobytes;
    info.memoryText = memory.text();
    for (const auto& k : recordKinds()) {
        KindSummary s;
        s.kind = k.kind;
        s.count = recordCount(sized, k.kind);
        s.fileRecordSize = k.recordSize;
        if (const auto* h = kindHeader(k.kind); h && h->recordLength) s.registerRecordLength = sized.kindRecordLength(*h);
        std::error_code ec;
        const auto path = program.file(k.extension);
        s.fileExists = std::filesystem::is_regular_file(path, ec);
        if (s.fileExists) s.recordsInFile = static_cast<std::size_t>(std::filesystem::file_size(path, ec)) / k.recordSize;
        info.kinds.push_back(s);
    }
    info.networkSize = program.app.flag(appblock::kFlagNetworkSize);
    info.logoSize = program.app.logoSize();
    info.logoType = logoTypeName(info.logoSize);
    info.logoDensity = program.app.logoDensity();
    info.randomCodeSize = program.app.get(appblock::kPluRandomCodeSize);
    std::error_code ec;
    if (std::filesystem::exists(program.file(".upd"), ec)) {
        try {
            info.updateListLength = UpdateList(program.file(".upd")).lines().size();
        } catch (const std::exception&) {
            info.updateListLength = 0;
        }
    }
    return info;
}

std::string infoText(const ProgramInfo& info) {
    std::ostringstream out;
    out << "Program:          " << info.path << "\n"
        << "Register type:    " << info.registerType << "\n"
        << "Memory required:  " << info.memoryBytes << " bytes (" << info.memoryKilobytes << "K)\n"
        << "Network size:     " << info.networkSize << "\n"
        << "Logo:             " << info.logoType << " (density " << info.logoDensity << ")\n"
        << "Random-code size: " << info.randomCodeSize << " bytes"
        << (info.randomCodeSize ? "" : " (PLUs by number)") << "\n"
        << "Update list:      " << info.updateListLength << " entries\n\n";
    out << "kind               file  records  in file  PC bytes  register bytes\n";
    for (const auto& k : info.kinds) {
        const auto& ki = kindInfo(k.kind);
        char line[160];
        std::snprintf(line, sizeof line, "%-18s %-5s %7u  %7s  %8zu  %14s\n", std::string(ki.name).c_str(),
                      std::string(ki.extension).c_str(), k.count,
                      k.fileExists ? std::to_string(k.recordsInFile).c_str() : "-", k.fileRecordSize,
                      k.registerRecordLength ? std::to_string(k.registerRecordLength).c_str() : "-");
        out << line;
    }
    return out.str();
}

std::string infoJson(const ProgramInfo& info) {
    std::ostringstream out;
    out << "{\"program\":" << jsonQuote(info.path) << ",\"registerType\":" << info.registerType
        << ",\"memoryRequired\":{\"bytes\":" << info.memoryBytes << ",\"kilobytes\":" << info.memoryKilobytes
        << ",\"text\":" << jsonQuote(info.memoryText) << "}"
        << ",\"networkSize\":" << info.networkSize << ",\"logo\":{\"size\":" << info.logoSize
        << ",\"type\":" << jsonQuote(info.logoType) << ",\"density\":" << info.logoDensity << "}"
        << ",\"randomCodeSize\":" << info.randomCodeSize << ",\"updateListLength\":" << info.updateListLength
        << ",\"kinds\":[";
    bool first = true;
    for (const auto& k : info.kinds) {
        const auto& ki = kindInfo(k.kind);
        out << (first ? "" : ",") << "{\"kind\":" << jsonQuote(kindWord(k.kind)) << ",\"name\":" << jsonQuote(std::string(ki.name))
            << ",\"extension\":" << jsonQuote(std::string(ki.extension)) << ",\"count\":" << k.count
            << ",\"recordSize\":" << k.fileRecordSize << ",\"registerRecordLength\":" << k.registerRecordLength
            << ",\"fileExists\":" << (k.fileExists ? "true" : "false") << ",\"recordsInFile\":" << k.recordsInFile
            << "}";
        first = false;
    }
    out << "]}\n";
    return out.str();
}

}  // namespace tramond
