// Every dialog this build registers, opened the way a user opens it (the
// menu item of its handler, a program loaded), at its default size on the
// offscreen platform, and checked as a user would look at it: no control cut
// off by its parent, no text cut off, no two labelled controls on top of one
// another, no Alt letter used twice. The same for every menu.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QTableWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QElapsedTimer>
#include <QProcess>
#include <QScopedValueRollback>
#include <map>
#include <set>

#include "app/accelerators.h"
#include "app/app_test_support.h"
#include "app/main_menu.h"
#include "app/ui/dialog_conventions.h"
#include "app/ui/tramond_window.h"
#include "program/program_ops.h"
#include "register_all.h"

namespace tramond {
namespace {

namespace fs = std::filesystem;

struct NoShell : Shell {
    bool openDocument(const std::string&) override { return true; }
};

std::string name(const QWidget* w) {
    const auto text = [&]() -> QString {
        if (auto* b = qobject_cast<const QAbstractButton*>(w)) return b->text();
        if (auto* l = qobject_cast<const QLabel*>(w)) return l->text();
        if (auto* g = qobject_cast<const QGroupBox*>(w)) return g->title();
        return {};
    }();
    return (w->metaObject()->className() + (" \"" + text + "\"")).toStdString();
}

bool insideScrollArea(const QWidget* w, const QWidget* top) {
    for (auto* p = w->parentWidget(); p && p != top; p = p->parentWidget())
        if (qobject_cast<const QAbstractScrollArea*>(p)) return true;
    return false;
}

// A control a user reads or types into.
bool labelled(const QWidget* w) {
    if (auto* l = qobject_cast<const QLabel*>(w)) return !l->text().isEmpty() || !l->pixmap().isNull();
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) return !b->text().isEmpty();
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w);
}

// What is wrong with one dialog as shown, one line per fault.
// Boxes for names and numbers; longer ones (paths, addresses) may scroll.
constexpr int kLongestShownWhole = 40;

std::vector<std::string> faultsOf(QWidget* dialog) {
    std::vector<std::string> out;
    const auto title = dialog->windowTitle().toStdString();
    if (dialog->width() < titleWidth(dialog)) out.push_back(title + ": title cut off");
    // A laptop of 1920 x 1080 at 150 % shows every dialog whole.
    if (dialog->width() > 1280 || dialog->height() > 720)
        out.push_back(title + ": larger than a 1280 x 720 screen (" + std::to_string(dialog->width()) + " x " +
                      std::to_string(dialog->height()) + ")");
    std::vector<QWidget*> controls;
    for (auto* w : dialog->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(dialog) || w->isWindow() || insideScrollArea(w, dialog)) continue;
        const QRect inParent(QPoint(0, 0), w->parentWidget()->size());
        if (!inParent.contains(w->geometry()))
            out.push_back(title + ": " + name(w) + " cut off by its parent");
        if (auto* l = qobject_cast<QLabel*>(w); l && !l->wordWrap() && l->textFormat() != Qt::RichText &&
                                                 !l->text().isEmpty() && l->pixmap().isNull()) {
            const auto plain = QString::fromStdString(withoutAccelerators(l->text().toStdString()));
            if (l->fontMetrics().horizontalAdvance(plain.trimmed()) > l->contentsRect().width())
                out.push_back(title + ": " + name(w) + " text cut off");
        }
        if (auto* b = qobject_cast<QAbstractButton*>(w); b && !b->text().isEmpty() &&
                                                         b->sizeHint().width() > b->width() + 2)
            out.push_back(title + ": " + name(w) + " text cut off");
        // A key that paints its own caption shows an Alt mark as a literal "&".
        if (auto* b = qobject_cast<QAbstractButton*>(w); b && !drawsMnemonics(b) && acceleratorOf(b->text().toStdString()))
            out.push_back(title + ": " + name(w) + " paints its text with an \"&\"");
        if (auto* e = qobject_cast<QLineEdit*>(w); e && e->isEnabled() && e->maxLength() <= kLongestShownWhole &&
                                                    e->width() < wholeContentWidth(e, e->maxLength(), e->validator()))
            out.push_back(title + ": " + w->objectName().toStdString() + " shows fewer than its " +
                          std::to_string(e->maxLength()) + " characters");
        if (auto* l = qobject_cast<QLabel*>(w); l && l->buddy() && !l->buddy()->isVisibleTo(dialog))
            out.push_back(title + ": " + name(w) + " shown without its box");
        if (auto* list = qobject_cast<QListWidget*>(w); list && list->horizontalScrollBar()->isVisible())
            out.push_back(title + ": " + name(w) + " needs a horizontal scroll bar");
        if (auto* t = qobject_cast<QTableWidget*>(w)) {
            if (t->rowCount() <= 12 && t->verticalScrollBar()->isVisible())
                out.push_back(title + ": the " + std::to_string(t->rowCount()) + " rows need scrolling");
            for (int c = 0; c < t->columnCount() && t->horizontalHeader()->isVisible(); ++c)
                if (auto* h = t->horizontalHeaderItem(c);
                    h && t->horizontalHeader()->fontMetrics().horizontalAdvance(h->text()) > t->columnWidth(c))
                    out.push_back(title + ": header \"" + h->text().toStdString() + "\" cut off");
        }
        if (labelled(w)) controls.push_back(w);
    }
    for (std::size_t i = 0; i < controls.size(); ++i)
        for (std::size_t k = i + 1; k < controls.size(); ++k) {
            auto* a = controls[i];
            auto* b = controls[k];
            if (a->isAncestorOf(b) || b->isAncestorOf(a)) continue;
            const QRect ra(a->mapTo(dialog, QPoint(0, 0)), a->size());
            const QRect rb(b->mapTo(dialog, QPoint(0, 0)), b->size());
            if (ra.intersects(rb)) out.push_back(title + ": " + name(a) + " overlaps " + name(b));
        }
    std::map<char, std::string> letters;
    const auto claim = [&](const QString& caption, const QWidget* w) {
        const char a = acceleratorOf(caption.toStdString());
        if (!a) return;
        if (auto [it, fresh] = letters.emplace(a, name(w)); !fresh)
            out.push_back(title + ": Alt+" + std::string(1, a) + " on " + it->second + " and " + name(w));
    };
    for (auto* b : dialog->findChildren<QAbstractButton*>())
        if (b->isVisibleTo(dialog)) claim(b->text(), b);
    for (auto* g : dialog->findChildren<QGroupBox*>())
        if (g->isVisibleTo(dialog)) claim(g->title(), g);
    for (auto* l : dialog->findChildren<QLabel*>())
        if (l->isVisibleTo(dialog) && l->buddy()) claim(l->text(), l);
    return out;
}

std::vector<std::string> menuFaults(QWidget* menu, const std::string& title) {
    std::vector<std::string> out;
    std::map<char, std::string> letters;
    for (QAction* a : menu->actions()) {
        if (a->isSeparator() || !a->isVisible()) continue;
        const auto text = a->text().toStdString();
        const auto head = withoutAccelerators(text.substr(0, text.find('\t')));
        const char letter = acceleratorOf(text);
        if (!letter && std::any_of(head.begin(), head.end(), [](unsigned char c) { return std::isalnum(c); }))
            out.push_back(title + ": \"" + text + "\" has no Alt letter");
        if (letter)
            if (auto [it, fresh] = letters.emplace(letter, text); !fresh)
                out.push_back(title + ": Alt+" + std::string(1, letter) + " on \"" + it->second + "\" and \"" +
                              text + "\"");
    }
    return out;
}

struct EveryDialog : ::testing::Test {
    TempDir home;
    TempDir work;
    MemorySettingsStore settings;
    FakePrompter prompter;
    NoShell shell;
    ProgramSession session;
    LanguageTexts texts = LanguageTexts::builtIn();
    MenuRegistry registry;
    std::unique_ptr<TTramond> window;

    void SetUp() override {
        registerAllDialogs(registry);
        // The pack dealers have: its letters are the ones they know.
        fs::copy_file(fs::path(TRAMOND_SOURCE_DIR) / "resources" / "mwt Files" / "Trmd_english.mwt",
                      home.path() / "Tramond.mwt");
        prepareLanguage(texts, settings, home.path(), false);
        window = std::make_unique<TTramond>(session, texts, AppServices{settings, prompter, shell, home.path()},
                                            registry);
        window->show();
        ProgramSession s;
        const auto app = work.path() / "shop.app";
        ASSERT_TRUE(createProgram(s, app).ok());
        window->controller().loadSilently(app);
        ASSERT_TRUE(session.loaded);
    }
};

// Qt sizes a message box to its text: a short one ("USER BREAK!") had its
// title cut by the window manager.
TEST(MessageBoxes, AreWideEnoughForTheirTitle) {
    DialogConventions conventions(nullptr);
    const std::pair<const char*, const char*> boxes[] = {
        {"Information", "USER BREAK!"}, {"Confirm", "Are You Sure ?"}, {"Warning", "?"}};
    for (const auto& [title, text] : boxes) {
        QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok);
        box.show();
        QApplication::processEvents();
        EXPECT_GE(box.width(), titleWidth(&box)) << title;
        box.hide();
    }
}

TEST_F(EveryDialog, MenusGiveEveryItemItsOwnAltLetter) {
    if (const char* shots = std::getenv("TRAMOND_DIALOG_SHOTS"))
        window->grab().save(QString::fromStdString(std::string(shots) + "/main.png"));
    std::vector<std::string> faults = menuFaults(window->menuBar(), "menu bar");
    for (auto* m : window->findChildren<QMenu*>()) {
        const auto more = menuFaults(m, m->objectName().toStdString());
        faults.insert(faults.end(), more.begin(), more.end());
    }
    EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);
}

TEST_F(EveryDialog, MenuItemsKeepThePacksLettersUnlessThePackRepeatsOne) {
    std::vector<std::string> faults;
    int kept = 0;
    std::vector<QWidget*> menus{window->menuBar()};
    for (auto* m : window->findChildren<QMenu*>()) menus.push_back(m);
    for (auto* menu : menus) {
        std::set<char> earlier;  // the pack's letters of the items above, in this menu
        for (QAction* a : menu->actions()) {
            if (a->isSeparator() || !a->isVisible()) continue;
            const auto* def = findMenuItem(a->objectName().toStdString());
            if (!def || def->text < 0) continue;  // the tool's own items and the history
            const char pack = acceleratorOf(texts.text(def->text));
            if (!pack) continue;
            const bool repeated = !earlier.insert(pack).second;
            const char shown = acceleratorOf(a->text().toStdString());
            if (repeated) continue;  // the later item of a clash takes a letter of its own
            ++kept;
            if (shown != pack)
                faults.push_back(a->objectName().toStdString() + ": Alt+" + std::string(1, shown) +
                                 " instead of the pack's Alt+" + std::string(1, pack));
        }
    }
    EXPECT_GT(kept, 60);
    EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);
}

TEST_F(EveryDialog, OpensCleanAtItsDefaultSizeBelowTheMainWindow) {
    std::vector<std::string> faults;
    int dialogs = 0;
    int handlersRun = 0;
    std::map<std::string, std::pair<char, std::string>> commandLetters;  // caption -> letter, where first seen
    std::string current;
    // Looks at whatever modal window a handler opened, then closes it.
    QTimer poll;
    bool looking = false;  // the screenshot's wait turns the event loop
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (looking) return;
        const QScopedValueRollback busy(looking, true);
        auto* w = QApplication::activeModalWidget();
        auto* dialog = qobject_cast<QDialog*>(w);
        if (!dialog) return;
        // Marked on the object itself: a dialog on the stack is often born at
        // the address of the one before it.
        if (!dialog->property("inspected").toBool()) {
            dialog->setProperty("inspected", true);
            ++dialogs;
            if (const char* shots = std::getenv("TRAMOND_DIALOG_SHOTS"))
                dialog->grab().save(QString::fromStdString(std::string(shots) + "/" + current + ".png"));
            // Under a real X server: the whole screen once the window manager
            // has framed and placed the dialog.
            if (const char* shots = std::getenv("TRAMOND_SCREEN_SHOTS")) {
                QElapsedTimer framed;
                framed.start();
                while (framed.elapsed() < 900) QApplication::processEvents(QEventLoop::AllEvents, 20);
                QProcess::execute("import", {"-window", "root", QString::fromStdString(std::string(shots) + "/" + current + ".png")});
            }
            if (std::getenv("TRAMOND_LIST_DIALOGS")) fprintf(stderr, "DIALOG %s: %s %dx%d\n", current.c_str(), dialog->windowTitle().toUtf8().constData(), dialog->width(), dialog->height());
            if (qobject_cast<QMessageBox*>(dialog) && dialog->width() < titleWidth(dialog))
                faults.push_back(current + ": " + dialog->windowTitle().toStdString() + ": title cut off");
            if (!qobject_cast<QMessageBox*>(dialog) && !qobject_cast<QFileDialog*>(dialog)) {
                for (auto& f : faultsOf(dialog)) faults.push_back(current + ": " + f);
                // A command is reached by the same letter in every dialog.
                for (auto* b : dialog->findChildren<QPushButton*>()) {
                    if (!b->isVisibleTo(dialog)) continue;
                    const auto caption = withoutAccelerators(b->text().toStdString());
                    const char letter = acceleratorOf(b->text().toStdString());
                    if (!letter) continue;
                    auto [it, fresh] = commandLetters.emplace(caption, std::make_pair(letter, current));
                    if (!fresh && it->second.first != letter)
                        faults.push_back(current + ": \"" + caption + "\" is Alt+" + std::string(1, letter) +
                                         ", Alt+" + std::string(1, it->second.first) + " in " + it->second.second);
                }
                const QPoint want(window->frameGeometry().left(), window->frameGeometry().top() + kDialogDropPixels);
                if (dialog->frameGeometry().topLeft() != want && !dialog->property("tramondOwnPlace").toBool())
                    faults.push_back(current + ": " + dialog->windowTitle().toStdString() + " not placed below the main window");
            }
        }
        dialog->done(QDialog::Rejected);
    });
    poll.start(30);
    for (const auto& handler : registry.names()) {
        const auto* def = findMenuItemByHandler(handler);
        QAction* act = def ? window->action(def->name) : nullptr;
        if (std::getenv("TRAMOND_LIST_DIALOGS"))
            fprintf(stderr, "HANDLER %s %s\n", handler.c_str(), !act ? "no item" : act->isEnabled() ? "" : "disabled");
        if (!act || !act->isEnabled()) continue;
        current = handler;
        ++handlersRun;
        act->trigger();
        QApplication::processEvents();
    }
    poll.stop();
    EXPECT_GT(handlersRun, 10);
    EXPECT_GT(dialogs, 10);
    EXPECT_TRUE(faults.empty()) << faults.size() << " faults:\n" << ::testing::PrintToString(faults);
}

}  // namespace
}  // namespace tramond
