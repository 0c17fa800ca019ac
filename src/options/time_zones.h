#pragma once
// Controller of the time zone grid (TTimeZones): a start time per zone as a
// packed HHMM word, and the price and article level of zones 1 to 24.

#include <cstdint>
#include <string>
#include <string_view>

#include "program/session.h"

namespace tramond {

class TimeZones {
public:
    static constexpr std::size_t kCountOffset = 2463;
    static constexpr std::size_t kStartTimes = 2465;
    static constexpr std::size_t kPriceLevels = 2589;
    static constexpr std::size_t kArticleLevels = 2613;
    static constexpr int kZonesWithLevels = 24;
    // The start-time table ends where the salesperson header begins.
    static constexpr int kMaxZones = 48;
    static constexpr int kColumns = 4;

    static constexpr int kCaptionText = 288;
    static constexpr int kStartZoneText = 421;
    static constexpr int kPriceLevelText = 563;
    static constexpr int kArticleLevelText = 564;
    static constexpr int kNotUsedText = 321;

    // startZone and notUsed are the language texts 421 and 321.
    TimeZones(ProgramSession& session, std::string startZone = "Start Zone", std::string notUsed = "Not Used")
        : session_(session), snapshot_(session.app), startZone_(std::move(startZone)), notUsed_(std::move(notUsed)) {}

    // Zones in the table (the stored count, kept within the table).
    int zoneCount() const;
    // Row r (0-based) is zone r + 1.
    std::string cell(int row, int column) const;

    enum class Edit { Stored, Ignored, WrongInput, NotUsed };
    // A cell edit stores into the block at once (OK marks 7 for start
    // times, 80 for levels). NotUsed: the cell must show cell(row, column)
    // again; WrongInput: "Wrong Input!", the cell keeps the typed text.
    Edit setCell(int row, int column, std::string_view text);

    // OK: writes the whole block to the ".app" file of a loaded program,
    // marking the blocks that differ from it.
    void confirm();
    // Closing without OK: the block as it was when the dialog opened.
    void cancel() { session_.app = snapshot_; }

    // Packs the digits of a text into an HHMM word, two per byte from the
    // right, low byte first ("830" gives 0x0830). Non-digits are skipped.
    static std::uint16_t packStartTime(std::string_view text);

private:
    ProgramSession& session_;
    ApplicationBlock snapshot_;
    std::string startZone_;
    std::string notUsed_;
};

}  // namespace tramond
