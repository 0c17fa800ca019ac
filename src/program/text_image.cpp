// The built-in text block: the texts a new program starts with.

#include <initializer_list>
#include <string>
#include <string_view>

#include "program/text_block.h"

namespace tramond {

namespace textblock {

// Create New Program writes these words back before it writes default
// records. The discount, slip, flag and discount-amount words carry a 5 for
// an S; programs created so far carry them that way, so they are kept.
const std::array<std::string_view, 29> kResetDescriptorWords = {
    "PLU ", "DEPT", "GRP ", "TEND", "PORA", "CORR", "DI5C", "CURR", "DRAW", "PB-F",
    "TAX ", "CLER", "2ONE", "ADDI", "HEAD", "TRAI", "5LIP", "REPO", "FCAP", "ECAP",
    "DCAP", "-CAP", "RCAP", "5FLG", "BORD", "DI5A", "PB-I", "SALP", "COND",
};

}  // namespace textblock

namespace {

using S = TextSection;
using List = std::initializer_list<std::string_view>;

void fillEntries(TextBlock& t, S s, List texts, std::uint8_t fill = 0) {
    std::size_t i = 0;
    for (auto text : texts) t.setEntryText(s, i++, text, fill);
}

// An empty line of a line section: first byte zero, the rest blanks, as the
// line editor stores a cleared line.
void emptyLines(TextBlock& t, S s, std::size_t from) {
    const auto& info = textblock::sectionInfo(s);
    for (std::size_t i = from; i < info.entries; ++i) {
        auto e = t.entry(s, i);
        std::fill(e.begin(), e.end(), ' ');
        e[0] = 0;
    }
}

void banner(TextBlock& t, S s) {
    // The banner's wording is ours: a frame of the section's line width that
    // the dealer replaces with the shop's own header.
    const auto width = textblock::sectionInfo(s).width;
    const std::string rule = "*" + std::string(width - 2, '=') + "*";
    auto centred = [width](std::string_view text) {
        const std::size_t inner = width - 2;
        const std::size_t left = (inner - text.size()) / 2;
        return "*" + std::string(left, ' ') + std::string(text) + std::string(inner - left - text.size(), ' ') + "*";
    };
    const std::string lines[] = {rule, centred("YOUR SHOP NAME"), centred("STREET AND TOWN"),
                                 centred("TELEPHONE"), rule};
    std::size_t i = 0;
    for (const auto& l : lines) t.setEntryText(s, i++, l, ' ');
    emptyLines(t, s, i);
}

}  // namespace

void TextBlock::resetDescriptorWords() {
    for (std::size_t i = 0; i < textblock::kResetDescriptorWords.size(); ++i)
        setDescriptorWord(static_cast<int>(i) + 1, textblock::kResetDescriptorWords[i]);
}

TextBlock TextBlock::builtIn() {
    TextBlock t;

    // In every section the first entries are the register's own defaults;
    // the entries after them are our choice of English texts, and the rest
    // are stored empty the way the text editors store a cleared entry.
    fillEntries(t, S::SpecialCaptions,
                {"Total   ", "Subtotal", "KPTOTAL ", " NET    ", "CASH    ", "CHANGE  ", "ITEMS   ",
                 "TAX     ", "VOID    ", "REFUND  ", "DISCOUNT", "COPY    ", "CLERK   ", "DUE     ",
                 "PAID    ", "BALANCE ", "TRAINING", "NO SALE ", "CHECK   ", "CARD    ", "CREDIT  ",
                 "COVERS  ", "SERVICE ", "TABLE # ", "INVOICE ", "RECEIPT ", "QTY     ", "PRICE   ",
                 "AMOUNT  ", "GUEST   "});
    for (std::size_t i = 30; i < 100; ++i) t.setEntryText(S::SpecialCaptions, i, "", ' ');

    fillEntries(t, S::DayNames,
                {"Monday  ", "Tuesday ", "Wednesday", "Thursday", "Friday  ", "Saturday", "Sunday  "});

    banner(t, S::ReceiptHeader);

    fillEntries(t, S::SystemMessages,
                {" INVALID  ENTRY ", "UNKNOWN KEYCODE!", "STILL IN TENDER ", "  INVALID DATE  ",
                 "  INVALID TIME  ", " CLERK REQUIRED ", " PAPER  EMPTY   ", " DRAWER IS OPEN ",
                 "  AMOUNT LIMIT  ", " QUANTITY LIMIT ", "  PLU NOT FOUND ", "  MEMORY  FULL  ",
                 " ENTER  PASSWORD", " WRONG PASSWORD ", " PRINTER  ERROR ", "  NETWORK ERROR ",
                 " TABLE NOT OPEN ", "TABLE  IS IN USE", "  PRICE ENTRY   ", " SCALE REQUIRED ",
                 "  CLOSE  DRAWER ", "  NO  PERMISSION", " REPORT PRINTING", "   PLEASE WAIT  "},
                ' ');
    emptyLines(t, S::SystemMessages, 24);

    fillEntries(t, S::MonthNames,
                {"January", "February", "March", "April", "May", "June", "July", "August", "September",
                 "October", "November", "December"});

    fillEntries(t, S::ReportNames,
                {"  TOTAL SALES   ", "  GROUP  SALES  ", "DEPARTMENT SALES", "   PLU  SALES   ",
                 "  CLERK  SALES  ", "  HOURLY SALES  ", "  DAILY  SALES  ", " MONTHLY  SALES ",
                 " MODIFIER SALES ", "  DRAWER TOTAL  ", "   TAX  TOTAL   ", " TENDER  TOTALS ",
                 " SALESP.  SALES ", "   PB  REPORT   ", "CONDIMENT  SALES", "  STOCK REPORT  "});

    banner(t, S::SlipHeader);

    // The trailer lines begin with "_" as the register expects them.
    fillEntries(t, S::ReceiptTrailer, {" ", "_ YOUR RECEIPT THANK YOU ", "_   PLEASE CALL AGAIN    "}, ' ');
    emptyLines(t, S::ReceiptTrailer, 3);

    fillEntries(t, S::ProgramCaptions,
                {"PLU             ", "Department      ", "Group           ", "Modifier        ",
                 "Tender          ", "Drawer          ", "Correction      ", "Discount        ",
                 "Currency        ", "Paid Out/Rec.Acc", "Tax             ", "Clerk           ",
                 "Salesperson     ", "PB Function     ", "PB Info         ", "Condiment       ",
                 "Customer        ", "Time Zone       ", "Report          ", "System Flag     "});
    for (std::size_t i = 20; i < 100; ++i) {
        t.setEntryText(S::ProgramCaptions, i, "", ' ');
        t.entry(S::ProgramCaptions, i)[0] = 0;
    }

    fillEntries(t, S::ShortDisplayCaptions,
                {" ON", "OFF", "C: ", "DPT", "GRP", "PLU", "CLK", "TND", "DSC", "TAX", "MOD", "QTY",
                 "AMT", "TTL", "SUB"});

    fillEntries(t, S::DescriptorWords,
                {"PLU ", "DEPT", "GRP ", "TEND", "PORA", "CORR", "DISC", "CURR", "DRAW", "PB-F",
                 "TAX ", "CLER", "2ONE", "ADDI", "HEAD", "TRAI", "SLIP", "REPO", "FCAP", "ECAP",
                 "DCAP", "-CAP", "RCAP", "SFLG", "BORD", "DISA", "PB-I", "SALP", "COND", "    "});
    return t;
}

}  // namespace tramond
