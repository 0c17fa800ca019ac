#pragma once
// Drives the next modal dialog from inside its own event loop, as a user
// would, so that menu handlers can be run whole in offscreen tests.

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>

#include <gtest/gtest.h>

#include "app/settings_store.h"
#include "app/ui/menu_registry.h"
#include "program/setup_fixture.h"
#include "program/ui/message_box.h"

namespace tramond::testing {

inline void whenModalShown(std::function<void(QDialog*)> act, int attempts = 200) {
    QTimer::singleShot(5, [act, attempts] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            act(d);
            return;
        }
        if (attempts > 0) whenModalShown(act, attempts - 1);
    });
}

// Collects the message boxes instead of showing them.
struct MessageCatcher {
    QStringList texts;
    ui::MessagePresenter previous;
    MessageCatcher() {
        previous = ui::setMessagePresenter(
            [this](QWidget*, ui::MessageKind, const QString&, const QString& text) { texts << text; });
    }
    ~MessageCatcher() { ui::setMessagePresenter(std::move(previous)); }
};

// A program fixture with a menu registry: tests run whole menu handlers.
class MenuHandlerFixture : public SetupFixture {
protected:
    MemorySettingsStore settings;
    int refreshes = 0;
    MenuRegistry registry;
    AppContext ctx{session, LanguageTexts::builtIn(), settings, nullptr, [this] { ++refreshes; }};

    void run(const char* handler) {
        const auto* h = registry.find(handler);
        ASSERT_NE(h, nullptr) << handler;
        (*h)(ctx);
    }
};

}  // namespace tramond::testing
