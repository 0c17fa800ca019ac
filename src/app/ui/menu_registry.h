#pragma once
// How dialogs of other subsystems reach the main window's menus: each
// subsystem's ui library registers handlers by the menu item's handler name
// ("mGeneralOptionsClick"). A menu item without a registered handler stays
// disabled, so no placeholder dialog is ever shown.

#include <QWidget>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "app/language_texts.h"
#include "app/settings_store.h"
#include "program/session.h"

namespace tramond {

class MenuRegistry;

struct AppContext {
    ProgramSession& session;
    const LanguageTexts& texts;
    SettingsStore& settings;
    QWidget* mainWindow = nullptr;
    // Refreshes the Setup menu counts, the status bar and the caption after a
    // dialog changed the blocks.
    std::function<void()> refresh;
    // A program arrived other than through the open dialog (Load from
    // Register): it ends like a load from disk (history, last path, menus).
    std::function<void(const std::filesystem::path&)> programLoaded = {};
    // The window's handlers, for the buttons of a dialog opened from inside
    // another one (Key Info's record editor) as the menu opens them.
    const MenuRegistry* registry = nullptr;
};

class MenuRegistry {
public:
    using Handler = std::function<void(AppContext&)>;

    void add(std::string handlerName, Handler handler) {
        handlers_[std::move(handlerName)] = std::move(handler);
    }
    const Handler* find(std::string_view handlerName) const {
        auto it = handlers_.find(std::string(handlerName));
        return it == handlers_.end() ? nullptr : &it->second;
    }

    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& [name, handler] : handlers_) out.push_back(name);
        return out;
    }

private:
    std::map<std::string, Handler> handlers_;
};

}  // namespace tramond
