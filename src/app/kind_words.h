#pragma once
// The KIND words of the command line: one table for every verb that names a
// record kind (export, import, print). A kind is named by its word
// ("department", "po-ra"), its file extension ("dpt" or ".dpt"), its plain
// name ("PO/RA") or its name in the Edit menu ("Department File"); case,
// blanks, hyphens, dots and slashes do not matter, so "PBinfo", "pb-info"
// and "PB Info File" name the same kind.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "program/record_kinds.h"

namespace tramond {

struct KindName {
    RecordKind kind;
    std::string word;                  // "department"
    std::vector<std::string> aliases;  // "dpt", "Department File", ...
};

// Every record kind with its word and aliases, in the table's order.
std::span<const KindName> kindNames();

// The word of a kind: its name in lower case with blanks and slashes as
// hyphens ("plu", "department", "po-ra", "pb-info").
std::string kindWord(RecordKind kind);
// A kind by its word or any alias, or nothing.
std::optional<RecordKind> kindFromWord(std::string_view word);

// The --help and error-message list of the kinds a verb takes:
// "plu (.plu), department (.dpt), ...".
std::string kindList(std::span<const RecordKind> kinds);

}  // namespace tramond
