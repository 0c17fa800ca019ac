#pragma once
// Shared by the mail tests: a program's files on disk and the archive read
// back with libzip.

#include <zip.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace tramond::testing {

inline void writeBytes(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

// A program of two files, D/base.app and D/base.txt; returns the .app.
inline std::filesystem::path writeProgram(const std::filesystem::path& dir, const std::string& base) {
    writeBytes(dir / (base + ".app"), std::string(2845, 'a'));
    writeBytes(dir / (base + ".txt"), std::string(9689, 't'));
    return dir / (base + ".app");
}

inline std::uint32_t crc32Of(const std::string& bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char b : bytes) {
        crc ^= b;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

struct ZipEntry {
    std::uint64_t size = 0;
    std::uint32_t crc = 0;
    std::string content;
};

// name -> entry; empty when the archive cannot be opened.
inline std::map<std::string, ZipEntry> readZip(const std::filesystem::path& archive) {
    std::map<std::string, ZipEntry> entries;
    int error = 0;
    zip_t* zip = zip_open(archive.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!zip) return entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(zip, 0); ++i) {
        zip_stat_t st;
        if (zip_stat_index(zip, static_cast<zip_uint64_t>(i), 0, &st) != 0) continue;
        ZipEntry e{st.size, st.crc, std::string(st.size, '\0')};
        if (zip_file_t* f = zip_fopen_index(zip, static_cast<zip_uint64_t>(i), 0)) {
            zip_fread(f, e.content.data(), st.size);
            zip_fclose(f);
        }
        entries[st.name] = std::move(e);
    }
    zip_close(zip);
    return entries;
}

}  // namespace tramond::testing
