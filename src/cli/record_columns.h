#pragma once
// Record files as tables of named columns, for the spreadsheet exchange and
// the program comparison. The columns come from the record-editor layouts
// (and the PLU editor's tables), so every kind that gets an editor layout
// gets its columns with it: the names, how a value reads from the record's
// bytes and how a typed value goes back.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/kind_words.h"
#include "program/application_block.h"
#include "program/record_kinds.h"

namespace tramond {

struct RecordColumn {
    std::string name;  // the field's name (the comparison's item)
    // The spreadsheet's header: the name, and for an amount of money its
    // unit, "price1 [0.01]" (import takes the bare name too).
    std::string header;
    // The value as the editor shows it.
    std::function<std::string(std::span<const std::uint8_t> record)> read;
    // Stores a value into the record; the error text when it cannot be held
    // ("" when stored). Empty for the key columns, which never change.
    std::function<std::string(std::span<std::uint8_t> record, std::string_view value)> write;
    bool key() const { return !write; }
    // Another field of the record hides this one (stored as 0); empty: never.
    std::function<bool(std::span<const std::uint8_t> record)> hidden{};
};

struct RecordTable {
    RecordKind kind{};
    std::size_t recordSize = 0;
    std::size_t count = 0;  // records of the kind in this program
    // The record number (from 1) goes before these, as "record".
    std::vector<RecordColumn> columns;
    // Records that are not exchanged: in code mode a PLU without a code.
    std::function<bool(std::span<const std::uint8_t> record)> inUse;

    // By name or by header.
    std::optional<std::size_t> column(std::string_view name) const;
};

// The kinds that have columns: the PLU, then every record-editor layout.
std::vector<RecordKind> tableKinds();

// Columns of a kind for this program (its header decides descriptor length,
// PLU code mode and price size); nullopt for a kind without a layout.
std::optional<RecordTable> recordTable(RecordKind kind, const ApplicationBlock& app);

// Columns of the two files the exchange leaves out, for listings only (every
// column a key column, nothing written through them): the condiment tables
// and the customer file (500 records of 125 bytes, not a record kind).
std::vector<RecordColumn> condimentColumns();
std::vector<RecordColumn> customerColumns();

// "Linked PL&U  :    " -> "linkedPlu": a column name from an English caption.
std::string columnNameFromCaption(std::string_view caption);

}  // namespace tramond
