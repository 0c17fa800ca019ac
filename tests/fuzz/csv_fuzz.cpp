// CSV as an import meets it: any bytes, either separator. Whatever parses
// must come back field for field when written out and read again (export
// and import agree), and a cell quoted in a message carries no control
// byte and stays short.
#include <cstdlib>

#include "cli/csv.h"
#include "cli/record_csv.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tramond;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const char separator : {csv::guessSeparator(text), ';'}) {
        const auto parsed = csv::parse(text, separator);
        if (!parsed.ok()) continue;
        // A leading byte-order mark of the output keeps one the first cell
        // may start with from being taken for the file's own.
        std::string again = "\xEF\xBB\xBF";
        for (const auto& row : parsed.rows) csv::appendRecord(again, row.fields);
        const auto reparsed = csv::parse(again, ',');
        if (!reparsed.ok() || reparsed.rows.size() != parsed.rows.size()) std::abort();
        for (std::size_t r = 0; r < parsed.rows.size(); ++r) {
            if (reparsed.rows[r].fields != parsed.rows[r].fields) std::abort();
            for (const auto& cell : parsed.rows[r].fields) {
                const auto shown = shownCell(cell);
                for (unsigned char c : shown)
                    if (c < 0x20 || c == 0x7F) std::abort();
                if (shown.size() > 4 * 40 + 64) std::abort();
            }
        }
    }
    return 0;
}
