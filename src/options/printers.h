#pragma once
// The register's printers: the printers dialog (common options, machine
// switching, the line and button captions) and its nested dialogs for the
// slip and kitchen printers, the receipt and journal printers, the ticket
// layout and the kitchen preparation time, each a table for the option
// engine. The printers dialog owns the snapshot, the comparison and the
// save; the nested ones only write into the block.

#include <string>
#include <vector>

#include "options/option_dialog.h"

namespace tramond {

// Printer type names as list items.
std::vector<ListItem> slipTypeItems();
std::vector<ListItem> kpTypeItems();
std::vector<ListItem> receiptTypeItems();
std::vector<ListItem> journalTypeItems();
// The journal list's stored values: the KP types as their index, then 98
// and 99.
std::vector<int> journalTypeValues();

// The register port a printer may hang on, by the handheld port of its
// machine: with the DECT module (port 7) the list is ports 1..3 and the four
// DECT channels (ports 4, 5, 6 and 8); otherwise ports 1..7.
struct PrinterPortList {
    bool dect = false;
    std::vector<std::string> items;
};
int printerPortFromIndex(int index, bool dect);
// -1 when the port is not in the list.
int printerPortIndex(int port, bool dect);
// The list for machine m: its handheld port comes from the block for the
// current machine and from its machine printer file for the others (in a
// network of two or more); a DECT channel is offered when entry n of the
// machine's DECT table is a printer.
PrinterPortList printerPortList(const OptionDialog& dialog, int machine);

// Nested dialogs. Printer 0 is the slip printer, 1..8 the kitchen printers.
const OptionDialogTable& kpPrinterDialog(int printer);
const OptionDialogTable& receiptPrinterDialog();
const OptionDialogTable& journalPrinterDialog();
const OptionDialogTable& ticketLayoutDialog();
const OptionDialogTable& prepTimeDialog();

// The printers dialog's own table: the common print options. Opening loads
// the current machine's settings (individual printers in a network above 1),
// OK saves them to its machine printer file before the comparison.
const OptionDialogTable& printersDialog();

// Caption of printer line 0..8 ("&Slip: Active", "KP &3 : Not Used").
std::string printerLine(const OptionDialog& dialog, int line);
std::string receiptButtonCaption(const OptionDialog& dialog);
std::string journalButtonCaption(const OptionDialog& dialog);

// Writes the common options, saves the current machine, makes `machine`
// current, loads its settings and shows them. A message when a file failed.
std::optional<Message> switchPrinterMachine(OptionDialog& printers, int machine);

}  // namespace tramond
