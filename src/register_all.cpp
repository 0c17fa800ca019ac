// The executable's one place that knows every subsystem's dialogs: each ui
// library is wired in when its registration header is part of the tree.
#include "register_all.h"

#if __has_include("program/ui/setup_register.h")
#include "program/ui/setup_register.h"
#define TRAMOND_SETUP_DIALOGS 1
#endif
#if __has_include("program/ui/text_editors.h")
#include "program/ui/text_editors.h"
#define TRAMOND_TEXT_EDITORS 1
#endif
#if __has_include("editors/ui/editor_dialogs.h")
#include "editors/ui/editor_dialogs.h"
#define TRAMOND_EDITOR_DIALOGS 1
#endif
#if __has_include("options/ui/options_menu.h")
#include "options/ui/options_menu.h"
#define TRAMOND_OPTIONS_DIALOGS 1
#endif
#if __has_include("options/ui/country_register.h")
#include "options/ui/country_register.h"
#define TRAMOND_COUNTRY_DIALOGS 1
#endif
#if __has_include("link/ui/set_comp_comm.h")
#include "link/ui/set_comp_comm.h"
#define TRAMOND_LINK_DIALOGS 1
#endif
#if __has_include("printing/ui/printing_dialogs.h")
#include "printing/ui/printing_dialogs.h"
#define TRAMOND_PRINTING_DIALOGS 1
#endif
#if __has_include("keyboard/ui/keyboard_dialog.h")
#include "keyboard/ui/keyboard_dialog.h"
#define TRAMOND_KEYBOARD_DIALOGS 1
#endif
#if __has_include("handheld/ui/handheld_keyboard_dialog.h")
#include "handheld/ui/handheld_keyboard_dialog.h"
#define TRAMOND_HANDHELD_KEYBOARD_DIALOG 1
#endif
#if __has_include("link/ui/register_ops_menu.h")
#include "link/ui/register_ops_menu.h"
#define TRAMOND_REGISTER_OPERATIONS 1
#endif
#if __has_include("cli/ui/cli_dialogs.h")
#include "cli/ui/cli_dialogs.h"
#define TRAMOND_CLI_DIALOGS 1
#endif
#if __has_include("history/ui/program_history_dialog.h")
#include "history/ui/program_history_dialog.h"
#define TRAMOND_HISTORY_DIALOGS 1
#endif
#if __has_include("mail/ui/send_mail_form.h")
#include "mail/ui/send_mail_form.h"
#define TRAMOND_MAIL_DIALOGS 1
#endif
#if __has_include("handheld/ui/handheld_dialogs.h")
#include "handheld/ui/handheld_dialogs.h"
#define TRAMOND_HANDHELD_DIALOGS 1
#endif

// Verbs of the command line, per subsystem: each header declares
// register<Name>Verbs(VerbRegistry&).
#include "app/program_verbs.h"
#if __has_include("cli/cli_verbs.h")
#include "cli/cli_verbs.h"
#define TRAMOND_CLI_VERBS 1
#endif
#if __has_include("keyboard/ui/keyboard_verbs.h")
#include "keyboard/ui/keyboard_verbs.h"
#define TRAMOND_KEYBOARD_VERBS 1
#endif
#if __has_include("printing/ui/printing_verbs.h")
#include "printing/ui/printing_verbs.h"
#define TRAMOND_PRINTING_VERBS 1
#endif
#if __has_include("handheld/ui/handheld_verbs.h")
#include "handheld/ui/handheld_verbs.h"
#define TRAMOND_HANDHELD_VERBS 1
#endif

namespace tramond {

void registerAllVerbs(VerbRegistry& verbs) {
    registerProgramVerbs(verbs);
#ifdef TRAMOND_CLI_VERBS
    registerCliVerbs(verbs);
#endif
#ifdef TRAMOND_KEYBOARD_VERBS
    registerKeyboardVerbs(verbs);
#endif
#ifdef TRAMOND_PRINTING_VERBS
    registerPrintingVerbs(verbs);
#endif
#ifdef TRAMOND_HANDHELD_VERBS
    registerHandheldVerbs(verbs);
#endif
    (void)verbs;
}

void registerAllDialogs(MenuRegistry& registry) {
#ifdef TRAMOND_SETUP_DIALOGS
    registerSetupDialogs(registry);
#endif
#ifdef TRAMOND_TEXT_EDITORS
    registerTextEditors(registry);
#endif
#ifdef TRAMOND_EDITOR_DIALOGS
    registerEditorDialogs(registry);
#endif
#ifdef TRAMOND_OPTIONS_DIALOGS
    registerOptionsDialogs(registry);
#endif
#ifdef TRAMOND_COUNTRY_DIALOGS
    registerCountryDialogs(registry);
#endif
#ifdef TRAMOND_LINK_DIALOGS
    registerLinkDialogs(registry);
#endif
#ifdef TRAMOND_REGISTER_OPERATIONS
    registerRegisterOperations(registry);
#endif
#ifdef TRAMOND_CLI_DIALOGS
    registerCliDialogs(registry);
#endif
#ifdef TRAMOND_HISTORY_DIALOGS
    registerHistoryDialogs(registry);
#endif
#ifdef TRAMOND_MAIL_DIALOGS
    registerMailDialogs(registry);
#endif
#ifdef TRAMOND_PRINTING_DIALOGS
    registerPrintingDialogs(registry);
#endif
#ifdef TRAMOND_KEYBOARD_DIALOGS
    registerKeyboardDialogs(registry);
#endif
#ifdef TRAMOND_HANDHELD_KEYBOARD_DIALOG
    registerHandheldKeyboardDialog(registry);
#endif
#ifdef TRAMOND_HANDHELD_DIALOGS
    registerHandheldDialogs(registry);
#endif
    (void)registry;
}

}  // namespace tramond
