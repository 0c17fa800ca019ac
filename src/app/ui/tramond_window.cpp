#include "app/ui/tramond_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>
#include <fstream>

#include "app/help_index.h"
#include "app/ui/dialog_conventions.h"
#include "app/language_pack.h"
#include "app/orvalt_registry.h"
#include "app/program_dir.h"
#include "app/ui/language_form.h"
#include "program/file_io.h"
#include "program/sizing.h"

namespace tramond {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

constexpr int kToolButtonSize = 26;
constexpr int kPanelWidths[] = {230, 140, 50};

QStyle::StandardPixmap toolGlyph(std::string_view name) {
    if (name == "mFileLoadDisk") return QStyle::SP_DialogOpenButton;
    if (name == "mFileLoadRegister") return QStyle::SP_ArrowDown;
    if (name == "mFileUpdateRegister") return QStyle::SP_ArrowUp;
    if (name == "mInstallRegister") return QStyle::SP_DialogApplyButton;
    if (name == "mFileInstallRegister") return QStyle::SP_BrowserReload;
    return QStyle::SP_DialogCloseButton;
}

// The style's file, link and bin glyphs are drawn pale grey and look
// disabled on an enabled button; these three are drawn in colour instead.
QIcon programIcon(std::string_view name, int size) {
    enum class Mark { None, New, Copy, Delete };
    const Mark mark = name == "mFileCreateProgram" ? Mark::New
                      : name == "mFileCopyTo"      ? Mark::Copy
                      : name == "mFileDelProgram"  ? Mark::Delete
                                                   : Mark::None;
    if (mark == Mark::None) return {};
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal u = size / 16.0;
    const auto page = [&](qreal x, qreal y) {
        p.setPen(QPen(QColor(30, 70, 150), u));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(x * u, y * u, 9 * u, 12 * u));
    };
    if (mark == Mark::Copy) {
        page(2, 1);
        page(6, 4);
    } else {
        page(3, 2);
    }
    if (mark == Mark::New) {
        p.setPen(QPen(QColor(20, 140, 40), 2.2 * u));
        p.drawLine(QPointF(12 * u, 9 * u), QPointF(12 * u, 15 * u));
        p.drawLine(QPointF(9 * u, 12 * u), QPointF(15 * u, 12 * u));
    } else if (mark == Mark::Delete) {
        p.setPen(QPen(QColor(200, 30, 30), 2.2 * u));
        p.drawLine(QPointF(9 * u, 9 * u), QPointF(15 * u, 15 * u));
        p.drawLine(QPointF(15 * u, 9 * u), QPointF(9 * u, 15 * u));
    }
    return QIcon(pixmap);
}

// A status-bar panel: as wide as the window form gives it when there is room,
// narrower (its text cut) in a narrow window rather than over its neighbour.
class StatusPanel : public QLabel {
public:
    StatusPanel(int width, QWidget* parent) : QLabel(parent), width_(width) {}
    QSize sizeHint() const override { return {std::max(width_, QLabel::sizeHint().width()), QLabel::sizeHint().height()}; }
    QSize minimumSizeHint() const override { return {fontMetrics().averageCharWidth() * 3, QLabel::minimumSizeHint().height()}; }

private:
    int width_;
};

class TAboutBox : public QDialog {
public:
    explicit TAboutBox(QWidget* parent) : QDialog(parent) {
        setWindowTitle("About");
        auto* layout = new QVBoxLayout(this);
        auto* title = new QLabel("<b>Tramond</b>", this);
        title->setAlignment(Qt::AlignCenter);
        layout->addWidget(title);
        layout->addWidget(new QLabel("Prepares, keeps and transfers the programs of ORB4400 cash registers.", this));
        layout->addWidget(new QLabel(QString("Version %1").arg(QApplication::applicationVersion().isEmpty()
                                                                   ? QString("0.1")
                                                                   : QApplication::applicationVersion()),
                                     this));
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        layout->addWidget(buttons);
    }
};

}  // namespace

TTramond::TTramond(ProgramSession& session, LanguageTexts& texts, AppServices services,
                   const MenuRegistry& registry, QWidget* parent)
    : QMainWindow(parent),
      session_(session),
      texts_(texts),
      services_(std::move(services)),
      registry_(registry),
      history_(services_.programDir / kHistoryFile),
      context_{session, texts, services_.settings, this, {}} {
    setObjectName("TTramond");
    setWindowTitle(kAppTitle);
    controller_ = std::make_unique<MainController>(session_, texts_, services_.settings, services_.prompter, history_);
    context_.registry = &registry_;
    context_.refresh = [this] { controller_->refresh(); };
    context_.programLoaded = [this](const std::filesystem::path& path) { controller_->adoptLoadedProgram(path); };

    conventions_ = std::make_unique<DialogConventions>(this);
    buildMenus();
    buildToolBar();
    buildStatusBar();
    buildLogo();

    // Steps 6 to 10 of the start-up.
    controller_->changed = [this] { sync(); };
    controller_->start();
    std::error_code ec;
    if (!std::filesystem::exists(history_.file(), ec)) {
        try {
            writeTextFileAtomic(history_.file(), "");
        } catch (const FileError&) {
            // An unwritable directory shows at exit, when the history is saved.
        }
    }
    history_.load();
    controller_->recoverInterruptedLoads();
    sync();
    move(0, 0);
    session_.unattended = false;
}

TTramond::~TTramond() {
    if (!closed_) {
        closed_ = true;
        controller_->close();
    }
}

QAction* TTramond::action(std::string_view name) const {
    auto it = actions_.find(name);
    return it == actions_.end() ? nullptr : it->second;
}

QAction* TTramond::toolAction(std::string_view name) const {
    auto it = toolActions_.find(name);
    return it == toolActions_.end() ? nullptr : it->second;
}

void TTramond::buildMenus() {
    std::map<std::string, QMenu*, std::less<>> menus;
    for (const auto& def : mainMenu()) {
        QAction* act = nullptr;
        if (def.kind == ItemKind::Menu) {
            QMenu* menu = def.parent.empty() ? menuBar()->addMenu(QString())
                                             : menus.at(std::string(def.parent))->addMenu(QString());
            menu->setObjectName(q(std::string(def.name)));
            menus[std::string(def.name)] = menu;
            act = menu->menuAction();
        } else {
            QMenu* parent = menus.at(std::string(def.parent));
            if (def.kind == ItemKind::Separator) {
                act = parent->addSeparator();
            } else {
                act = parent->addAction(QString());
                act->setCheckable(def.name == "Boran1");
                const std::string handler(def.handler);
                connect(act, &QAction::triggered, this, [this, handler] { runHandler(handler); });
            }
        }
        act->setObjectName(q(std::string(def.name)));
        act->setProperty(kOwnCaptionProperty, def.text < 0);
        actions_[std::string(def.name)] = act;
    }
}

void TTramond::buildToolBar() {
    auto* bar = addToolBar("Tools");
    bar->setObjectName("ToolBar1");
    bar->setMovable(false);
    bar->setIconSize(QSize(kToolButtonSize - 6, kToolButtonSize - 6));
    for (auto name : toolBarItems()) {
        const auto* def = findMenuItem(name);
        QIcon icon = programIcon(name, kToolButtonSize - 6);
        if (icon.isNull()) icon = style()->standardIcon(toolGlyph(name));
        auto* act = bar->addAction(icon, QString());
        act->setObjectName(q(std::string(def->toolHandler)));
        const std::string handler(def->toolHandler);
        connect(act, &QAction::triggered, this, [this, handler] { runHandler(handler); });
        toolActions_[std::string(name)] = act;
    }
}

void TTramond::buildStatusBar() {
    for (int i = 0; i < 3; ++i) {
        auto* panel = new StatusPanel(kPanelWidths[i], this);
        panel->setObjectName(QString("StatusPanel%1").arg(i));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        // The last panel takes the rest of the bar, so its text is never cut.
        statusBar()->addWidget(panel, i == 2 ? 1 : 0);
        panels_.push_back(panel);
    }
    statusBar()->setSizeGripEnabled(true);
}

void TTramond::buildLogo() {
    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    auto* logo = new QLabel(central);
    logo->setObjectName("Image1");
    const auto file = findResource(services_.programDir, services_.resourceDirs, "Tramondlogo.bmp");
    QPixmap pixmap;
    if (file && pixmap.load(q(file->string()))) {
        logo->setPixmap(pixmap.scaled(240, 120, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        logo->setFixedSize(240, 120);
    }
    layout->addWidget(logo, 0, Qt::AlignLeft | Qt::AlignTop);
    layout->addStretch(1);
    setCentralWidget(central);
    resize(820, 300);
}

bool TTramond::hasHandler(const MenuItemDef& def) const {
    if (def.flags & kNoAction) return false;
    if (def.flags & kOwnHandler) return true;
    return registry_.find(def.handler) != nullptr ||
           (!def.toolHandler.empty() && registry_.find(def.toolHandler) != nullptr);
}

void TTramond::sync() {
    for (const auto& def : mainMenu()) {
        QAction* act = action(def.name);
        if (!act) continue;
        const auto& s = controller_->item(def.name);
        if (def.kind == ItemKind::Separator) {
            act->setVisible(!(def.flags & kHiddenAtStart));
            continue;
        }
        act->setText(q(s.caption));
        act->setVisible(s.visible);
        bool enabled = s.enabled() && !controller_->menuLocked(def.name);
        if (def.kind == ItemKind::Item) enabled = enabled && hasHandler(def);
        act->setEnabled(enabled);
        if (act->isCheckable()) act->setChecked(s.checked);
    }
    for (auto name : toolBarItems()) {
        const auto* def = findMenuItem(name);
        QAction* act = toolAction(name);
        const std::string hint = controller_->toolHint(name);
        act->setToolTip(q(hint));
        act->setText(q(hint));
        act->setVisible(controller_->item(name).visible);
        act->setEnabled(controller_->toolEnabled(name) && hasHandler(*def));
    }
    setWindowTitle(q(controller_->caption()));
    panels_[0]->setText(q(controller_->memoryPanel()));
    panels_[1]->setText(QString());
    panels_[2]->setText(q(controller_->machinePanel()));
    rebuildHistory();
    // Captions come from the language pack; their Alt letters are made
    // unique per menu only now that every caption and visibility is known.
    repairMenuAccelerators(menuBar());
    for (auto* menu : findChildren<QMenu*>()) repairMenuAccelerators(menu);
}

void TTramond::rebuildHistory() {
    QAction* exitAction = action("FileExit");
    QMenu* file = findChild<QMenu*>("mFile");
    for (QAction* a : historyActions_) {
        file->removeAction(a);
        a->deleteLater();
    }
    historyActions_.clear();
    const auto& entries = history_.entries();
    if (entries.empty()) return;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        auto* a = new QAction(q(FileHistory::caption(i, entries[i])), file);
        a->setObjectName(QString("History%1").arg(i + 1));
        a->setProperty(kOwnCaptionProperty, true);
        const std::string path = entries[i];
        connect(a, &QAction::triggered, this, [this, path] { controller_->loadSilently(path); });
        a->setEnabled(!controller_->menuLocked("mFile"));
        file->insertAction(exitAction, a);
        historyActions_.push_back(a);
    }
    auto* closing = new QAction(file);
    closing->setSeparator(true);
    file->insertAction(exitAction, closing);
    historyActions_.push_back(closing);
}

void TTramond::runHandler(std::string_view handler) {
    const auto* def = findMenuItemByHandler(handler);
    if (def && (def->flags & kOwnHandler)) {
        runOwn(def->handler);
        return;
    }
    if (def && (def->flags & kNoAction)) return;
    const MenuRegistry::Handler* h = registry_.find(handler);
    if (!h && def) h = registry_.find(def->handler);
    if (!h) return;
    if (!controller_->mayRun(def ? def->handler : handler)) return;
    (*h)(context_);
    controller_->refresh();
}

void TTramond::runOwn(std::string_view handler) {
    if (handler == "mFileLoadDiskClick") controller_->loadFromDisk();
    else if (handler == "mFileCreateProgramClick") controller_->createNewProgram();
    else if (handler == "mFileCopyToClick") controller_->copyProgramTo();
    else if (handler == "mFileDelProgramClick") controller_->deleteProgram();
    else if (handler == "Boran1Click") controller_->selectRegisterType();
    else if (handler == "FileExitClick") close();
    else if (handler == "ContentsClick") showHelp(0);
    else if (handler == "mDistributorHomePageClick") openHomePage();
    else if (handler == "AboutClick") showAbout();
}

void TTramond::showHelp(int context) {
    const auto address = helpAddress(services_.programDir, context, services_.resourceDirs);
    if (!address) {
        services_.prompter.message(MessageKind::Error, "Error",
                                   "Help file not found: " + (services_.programDir / kHelpFile).string());
        return;
    }
    openWithBrowser(*address);
}

void TTramond::openHomePage() { openWithBrowser(texts_.text(kWebAddressText)); }

void TTramond::openWithBrowser(const std::string& address) {
    if (!services_.shell.hasBrowser()) {
        services_.prompter.message(MessageKind::Information, "Help", noBrowserMessage(address));
        return;
    }
    if (!services_.shell.openDocument(address))
        services_.prompter.message(MessageKind::Error, "Error", "Could not create process");
}

void TTramond::showAbout() {
    TAboutBox box(this);
    box.exec();
}

void TTramond::evaluateCommandLine() {
    if (!commandLine_) return;
    const CommandLine cl = *commandLine_;
    commandLine_.reset();
    controller_->applyCommandLine(cl);
}

void TTramond::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && commandLine_) evaluateCommandLine();
}

void TTramond::closeEvent(QCloseEvent* event) {
    if (!closed_) {
        closed_ = true;
        controller_->close();
    }
    event->accept();
}

void prepareLanguage(LanguageTexts& texts, SettingsStore& settings, const std::filesystem::path& programDir,
                     bool askForLanguage, const std::vector<std::filesystem::path>& resourceDirs) {
    installationCheck(settings, programDir);
    std::error_code ec;
    if (askForLanguage && !std::filesystem::exists(programDir / kLanguagePackFile, ec)) {
        TLanguageForm form(programDir, nullptr, resourceDirs);
        form.exec();
    }
    try {
        loadLanguagePack(texts, programDir);
    } catch (const std::exception& e) {
        // The built-in texts stay in force; the tool still works.
        if (askForLanguage)
            QMessageBox::warning(nullptr, "Error", QString::fromStdString(e.what()));
    }
}

}  // namespace tramond
