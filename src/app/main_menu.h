#pragma once
// The main window's menus and tool bar as data: every item with its control
// name, language text, handler name and the rules the main window applies to
// it. Other subsystems register their dialogs under these handler names
// (MenuRegistry); the view builds its menus from this table.

#include <optional>
#include <span>
#include <string_view>

#include "program/record_kinds.h"

namespace tramond {

enum class ItemKind { Menu, Item, Separator };

enum ItemFlag : unsigned {
    kHiddenAtStart = 1u << 0,     // hidden and disabled whatever the language table says
    kRequiresProgram = 1u << 1,   // "No Program Loaded !" (title "Warning") without a program
    kProgramTitledError = 1u << 2,  // the same message titled "Error"
    kSetupCount = 1u << 3,        // caption: text, TAB, value
    kCopyItem = 1u << 4,          // disabled until a program is loaded or created
    kEditMenuLocked = 1u << 5,    // a top menu disabled in "emode"
    kOwnHandler = 1u << 6,        // handled by the main window itself
    kNoAction = 1u << 7,          // an item whose handler does nothing
};

struct MenuItemDef {
    std::string_view name;    // control name, "mFileLoadDisk"
    std::string_view parent;  // the menu it sits in; "" for the menu bar
    ItemKind kind;
    int text;                        // language text number; -1 for none
    std::string_view handler;        // "mFileLoadDiskClick"
    std::string_view toolHandler;    // the tool-bar twin, "SBLoadFromDiskClick"
    unsigned flags = 0;
    std::string_view fixedCaption = {};  // caption of an item without a language text
};

std::span<const MenuItemDef> mainMenu();
const MenuItemDef* findMenuItem(std::string_view name);
const MenuItemDef* findMenuItemByHandler(std::string_view handler);

// The tool-bar buttons, in their order: the menu items they twin.
std::span<const std::string_view> toolBarItems();

// The Edit-menu guards: what must be nonzero and which file must exist
// before a record editor opens.
enum class EditRequirement {
    Count,        // the kind's record count
    PbFunctions,  // PB function count and PB count
    PbInfo,       // PB count, and PB info settings or PB text size
};
struct EditGuardDef {
    std::string_view handler;
    RecordKind kind;
    EditRequirement requirement = EditRequirement::Count;
    bool checksFile = true;  // the salesperson and condiment editors do not
};
std::span<const EditGuardDef> editGuards();
const EditGuardDef* findEditGuard(std::string_view handler);

// The Setup menu's count items and what they show after the TAB.
enum class SetupValue {
    SystemReports, RecordCount, IndividualKeyboards, FloatingClerks, GraphicLogo,
    IndividualPrinters,
};
struct SetupCountDef {
    std::string_view name;
    SetupValue value;
    RecordKind kind = RecordKind::Plu;  // for RecordCount
};
std::span<const SetupCountDef> setupCounts();

inline constexpr int kUserReportCount = 9;
inline constexpr int kUserReportText = 1064;  // "User Report # "

}  // namespace tramond
