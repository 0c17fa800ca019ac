#include "keyboard/ui/keyboard_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "app/ui/tramond_window.h"
#include "editors/plu_list.h"
#include "editors/ui/editor_dialogs.h"
#include "keyboard/ui/condiment_dialog.h"
#include "keyboard/ui/key_editor_dialog.h"
#include "keyboard/ui/keyboard_print.h"
#include "keyboard/ui/keyboard_services.h"
#include "options/ui/enter_a_number_dialog.h"
#include "platform/desktop_choosers.h"
#include "program/codepage.h"
#include "program/ui/setup_ui_common.h"

namespace tramond {
namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }
QString text(const LanguageTexts& texts, int n, const char* fallback) { return ui::langText(texts, n, fallback); }


ScreenGeometry screenGeometry(int keyboardType) {
    ScreenGeometry g;
    if (const auto* screen = QGuiApplication::primaryScreen()) {
        g.screenWidth = screen->geometry().width();
        g.dpi = screen->logicalDotsPerInch();
    }
    g.keyboardType = keyboardType;
    return g;
}

// The PLU editor's list (code mode: in code order, a key's number is the
// position in it).
class EditorPluLines : public PluLines {
public:
    explicit EditorPluLines(const ProgramSession& session) : session_(session) {}
    std::optional<std::vector<PluLine>> lines() override {
        const auto list = PluList::read(session_.file(".plu"), recordCount(session_.app, RecordKind::Plu),
                                        static_cast<int>(session_.app.get(appblock::kPluRandomCodeSize)),
                                        PluListOrder::Code);
        if (!list) return std::nullopt;
        std::vector<PluLine> out;
        for (std::size_t i = 0; i < list->size(); ++i) out.push_back({list->entry(i).record, list->line(i)});
        return out;
    }

private:
    const ProgramSession& session_;
};

}  // namespace

void usePluListOrder(ProgramKeyNames& names, const ProgramSession& session) {
    if (session.app.get(appblock::kPluRandomCodeSize) == 0) return;
    if (const auto lines = EditorPluLines(session).lines()) {
        std::vector<int> order;
        for (const auto& l : *lines) order.push_back(l.record);
        names.setPluOrder(std::move(order));
    }
}

std::unique_ptr<PluLines> codeOrderPluLines(const ProgramSession& session) {
    return std::make_unique<EditorPluLines>(session);
}

namespace {

// The keyboard type is the register type chosen in the main window (types
// 2 and 6 have a two-row key).
int keyboardTypeOf(QWidget* mainWindow) {
    if (auto* w = qobject_cast<TTramond*>(mainWindow)) return w->controller().registerType();
    return 0;
}

}  // namespace

KeyboardBoard::KeyboardBoard(KeyboardEditor& editor, ScreenGeometry geometry, QWidget* parent)
    : QWidget(parent), editor_(editor), geometry_(geometry),
      keys_([this](const std::string& m) { emit bitmapProblem(qs(m)); }) {
    natural_ = QSize(static_cast<int>(geometry_.boardWidth() + 6), static_cast<int>(geometry_.boardHeight() + 6));
    // The board follows the window: smaller on a screen that cannot hold it
    // whole (a laptop at 200 %), larger when the window is made larger.
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMinimumSize(natural_ / 3);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

QSize KeyboardBoard::sizeHint() const { return natural_; }

double KeyboardBoard::zoom() const {
    return std::min(double(width()) / natural_.width(), double(height()) / natural_.height());
}

void KeyboardBoard::setSelected(int position) {
    selected_ = position;
    update();
}

void KeyboardBoard::paintEvent(QPaintEvent*) {
    if (!editor_.isOpen()) return;
    QPainter p(this);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(zoom(), zoom());
    paintBoard(p, editor_, keys_, geometry_, selected_);
}

void KeyboardBoard::mousePressEvent(QMouseEvent* event) {
    const double z = zoom();
    const auto pos = geometry_.positionAt(event->position().x() / z, event->position().y() / z);
    if (!pos) return;
    emit keyPressed(*pos, event->button(), event->globalPosition().toPoint());
}

TKeyboard::TKeyboard(AppContext& context, KeyboardMode mode, std::filesystem::path attributeFile, QWidget* parent)
    : QDialog(parent), context_(context), prompter_(this) {
    installKeyFontSubstitutes();
    const auto& texts = context.texts;
    setWindowTitle(withoutAccelerators(texts.text(mode == KeyboardMode::Register ? 18 : 19)).empty()
                       ? QStringLiteral("Keyboard")
                       : qs(withoutAccelerators(texts.text(mode == KeyboardMode::Register ? 18 : 19))));
    names_ = std::make_unique<ProgramKeyNames>(context.session.programPath, context.session.app);
    usePluListOrder(*names_, context.session);
    KeyboardEditorServices services{prompter_, *names_, registerBlockOf, [this](const std::string& s) {
                                        if (auto* w = qobject_cast<TTramond*>(context_.mainWindow))
                                            w->statusPanel(2)->setText(qs(s));
                                    }};
    editor_ = std::make_unique<KeyboardEditor>(context.session, texts, mode, std::move(attributeFile), services);

    Board = new KeyboardBoard(*editor_, screenGeometry(keyboardTypeOf(context.mainWindow)), this);
    Label1 = new QLabel(text(texts, 779, "Choose Function"), this);
    ComboBox1 = new QComboBox(this);
    for (int k = 0; k < kKeyKindCount; ++k) ComboBox1->addItem(qs(keyKindName(texts, k)));
    StaticText1 = new QLabel(this);
    StaticText1->setAlignment(Qt::AlignCenter);
    StaticText1->setMinimumHeight(60);
    StaticText1->setAutoFillBackground(true);
    StaticText1->setFrameShape(QFrame::Box);
    Button1 = new QPushButton(text(texts, 780, "Set Attributes"), this);
    Button2 = new QPushButton(text(texts, 781, "Assign Attributes"), this);
    Button3 = new QPushButton(text(texts, 799, "Update Keyboard"), this);
    Print1 = new QPushButton(text(texts, 754, "&Print"), this);
    Label2 = new QLabel(text(texts, 782, "Choose Keyboard"), this);
    ComboBox2 = new QComboBox(this);
    CBPluPerDeptAttrb = new QCheckBox(this);
    CBPluPerDeptAttrb->setVisible(false);
    CBPluPerDeptAttrb->setEnabled(false);
    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    for (auto* b : {Button1, Button2, Button3, Print1, BitBtn1}) b->setAutoDefault(false);

    for (QWidget* w : std::initializer_list<QWidget*>{ComboBox1, StaticText1, Button1, Button2, Button3, ComboBox2,
                                                      Print1, BitBtn1})
        w->setFixedWidth(200);
    auto* side = new QVBoxLayout;
    side->addWidget(Label1);
    side->addWidget(ComboBox1);
    side->addWidget(StaticText1);
    side->addWidget(Button1);
    side->addWidget(Button2);
    side->addWidget(Button3);
    side->addSpacing(12);
    side->addWidget(Label2);
    side->addWidget(ComboBox2);
    side->addStretch();
    side->addWidget(Print1);
    side->addWidget(BitBtn1);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(Board, 1);
    layout->addLayout(side);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->addAction(text(texts, 59, "Key Info"), this, &TKeyboard::InfoClick);
    PopupMenu1->addAction(text(texts, 61, "Key Editor"), this, &TKeyboard::KeyEditor1Click);
    PopupMenu1->addAction(text(texts, 60, "Manager"), this, &TKeyboard::Manager1Click);
    PopupMenu1->addAction(text(texts, 63, "Disable Key"))->setEnabled(false);
    PopupMenu1->addAction(text(texts, 62, "Remove Key"), this, &TKeyboard::RemoveKey1Click);

    connect(Board, &KeyboardBoard::keyPressed, this, [this](int p, Qt::MouseButton b, QPoint global) {
        if (b == Qt::LeftButton) keyLeftClick(p);
        else if (b == Qt::RightButton) keyRightClick(p, global);
    });
    connect(Board, &KeyboardBoard::bitmapProblem, this, [this](const QString& m) {
        // Not from inside the paint event.
        QTimer::singleShot(0, this, [this, m] { prompter_.message(MessageKind::Warning, "Keyboard", m.toStdString()); });
    });
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this](int) { showPreview(); });
    connect(Button1, &QPushButton::clicked, this, &TKeyboard::Button1Click);
    connect(Button2, &QPushButton::clicked, this, [this] {
        editor_->assignAttributes();
        refresh();
    });
    connect(Button3, &QPushButton::clicked, this, [this] {
        names_->reload();
        editor_->updateKeyboard();
        refresh();
    });
    connect(Print1, &QPushButton::clicked, this, [this] { printKeyboard(*editor_, this, prompter_); });
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);

    opened_ = editor_->open();
    const bool chooser = editor_->chooserVisible();
    Label2->setVisible(chooser);
    ComboBox2->setVisible(chooser);
    if (chooser) {
        for (const auto& e : editor_->chooserEntries()) ComboBox2->addItem(qs(e));
        ComboBox2->setCurrentIndex(editor_->chooserIndex());
        connect(ComboBox2, &QComboBox::activated, this, &TKeyboard::ComboBox2Change);
    }
    ComboBox1->setCurrentIndex(0);
    showPreview();
    fitToScreen();
}

void TKeyboard::fitToScreen() {
    QSize want = sizeHint();
    if (const auto* s = screen()) {
        // Room for the window's frame and the desktop's panels.
        const QSize room = s->availableGeometry().size() - QSize(16, 48);
        if (want.width() > room.width() || want.height() > room.height()) {
            const QSize board = Board->sizeHint();
            const QSize rest = want - board;
            const double z = std::min({1.0, double(room.width() - rest.width()) / board.width(),
                                       double(room.height() - rest.height()) / board.height()});
            want = rest + board * std::max(z, 1.0 / 3);
        }
    }
    resize(want);
}

TKeyboard::~TKeyboard() {
    if (editor_ && editor_->isOpen()) editor_->close();
}

void TKeyboard::refresh() {
    Board->setSelected(selected_);
    Board->update();
}

void TKeyboard::showPreview() {
    const int kind = std::max(0, ComboBox1->currentIndex());
    const auto s = editor_->attributes().line(kind, 0);
    StaticText1->setFont(keyLineFont(s, std::clamp(s.fontSize, 6, 16)));
    QPalette pal = StaticText1->palette();
    pal.setColor(QPalette::Window, fromWindowsColour(s.keyColour));
    pal.setColor(QPalette::WindowText, fromWindowsColour(s.fontColour));
    StaticText1->setPalette(pal);
    StaticText1->setText(qs(s.fontName + " " + std::to_string(s.fontSize)));
}

void TKeyboard::Button1Click() {
    const int kind = std::max(0, ComboBox1->currentIndex());
    const auto before = editor_->attributes().line(kind, 0);
    auto s = before;
    auto& choosers = desktopChoosers();
    const QString title = Button1->text().remove('&');
    if (const auto colour = choosers.chooseColour(this, title, fromWindowsColour(s.keyColour)))
        s.keyColour = toWindowsColour(*colour);
    // Offers only names that the keys can carry whole.
    if (const auto font = choosers.chooseFont(this, title,
                                              {keyLineFont(s, s.fontSize), fromWindowsColour(s.fontColour),
                                               static_cast<int>(KeyAttributes::kFontNameLimit)})) {
        storeFont(s, font->font);
        s.fontColour = toWindowsColour(font->colour);
    }
    // The file every later keyboard starts from changes only when the kind's look did.
    if (s != before) editor_->setAttributes(kind, s);
    showPreview();
}

void TKeyboard::ComboBox2Change(int index) {
    if (!editor_->chooseKeyboard(index)) ComboBox2->setCurrentIndex(editor_->chooserIndex());
    Board->painter().reset();
    refresh();
}

void TKeyboard::keyLeftClick(int p) {
    selected_ = p;
    refresh();
    if (editor_->mode() == KeyboardMode::System) {
        QStringList names;
        for (int k = 0; k < static_cast<int>(appblock::kSpecialKeyCount); ++k) names << qs(editor_->specialKeyName(k));
        TChooseFromList dialog(QStringLiteral("New Key"), QString(), names, false, this);
        if (dialog.exec() == QDialog::Accepted && dialog.chosen() >= 0) editor_->setSpecialKey(p, dialog.chosen());
    } else {
        static KeyFunctionMemory memory;  // the group and entry chosen last time, for the whole run
        EditorPluLines pluLines(context_.session);
        KeyFunctionChooser chooser(context_.session.app, context_.texts, *names_, &pluLines,
                                   context_.session.programPath);
        TAddKeyFunction dialog(chooser, memory, context_.texts, prompter_, this);
        dialog.exec();
        if (const auto change = dialog.modifierChange()) {
            names_->reload();
            try {
                context_.session.updateList().mark(*change);
            } catch (const std::exception& e) {
                prompter_.message(MessageKind::Error, "Error", e.what());
            }
        }
        if (const auto code = dialog.code()) editor_->setKeyFunction(p, *code);
    }
    selected_ = -1;
    refresh();
}

void TKeyboard::keyRightClick(int p, QPoint globalPos) {
    selected_ = p;
    if (editor_->mode() == KeyboardMode::System) {
        if (!editor_->acceptsCharacter(p)) return;
        refresh();
        QStringList items{text(context_.texts, 777, "Delete alfa key")};
        for (int c = 32; c <= 255; ++c) {
            const std::uint8_t b[1] = {static_cast<std::uint8_t>(c)};
            items << qs(oemToUtf8(b));
        }
        TChooseFromList dialog(QStringLiteral("Enter a letter:"), QStringLiteral("Enter a letter:"), items, true, this);
        if (dialog.exec() == QDialog::Accepted && dialog.chosen() >= 0) {
            const int i = dialog.chosen();
            editor_->setSystemCharacter(p, i == 0 ? std::nullopt : std::optional<std::uint8_t>(i + 31));
        }
    } else {
        refresh();
        PopupMenu1->exec(globalPos + QPoint(4, 4));
    }
    selected_ = -1;
    refresh();
}

void TKeyboard::InfoClick() {
    if (selected_ < 0) return;
    const auto rc = recordOfCode(editor_->code(selected_));
    if (!rc) return;
    if (openRecordEditor(context_, rc->group->kind, rc->record - 1)) {
        names_->reload();
        editor_->refreshCaption(selected_);
    }
}

void TKeyboard::KeyEditor1Click() {
    if (selected_ >= 0) editKey(selected_);
}

void TKeyboard::editKey(int position) {
    TEditKey dialog(editor_->record(position), context_.texts, prompter_, this);
    // OK writes the working copy, whatever a chooser inside was answered.
    if (dialog.exec() == QDialog::Accepted && dialog.record() != editor_->record(position))
        editor_->storeRecord(position, dialog.record());
    Board->painter().reset();
    Board->update();
}

void TKeyboard::Manager1Click() {
    if (selected_ >= 0) editor_->toggleManager(selected_);
}

void TKeyboard::RemoveKey1Click() {
    if (selected_ >= 0) editor_->removeKey(selected_);
}

TAddKeyFunction::TAddKeyFunction(KeyFunctionChooser& chooser, KeyFunctionMemory& memory, const LanguageTexts& texts,
                                 Prompter& prompter, QWidget* parent)
    : QDialog(parent), chooser_(chooser), memory_(memory), texts_(texts), prompter_(prompter) {
    setWindowTitle(QStringLiteral("New Key"));
    ListBox1 = new QListWidget(this);
    ListBox2 = new QListWidget(this);
    ListBox1->setFont(QFont(QStringLiteral("Times New Roman"), 11));
    for (const auto& g : chooser_.groups()) ListBox1->addItem(qs(g));
    ListBox1->setFixedWidth(150);
    ListBox2->setMinimumSize(300, 380);
    BitBtn2 = new QPushButton(QStringLiteral("Cancel"), this);
    BitBtn2->setAutoDefault(false);
    auto* lists = new QHBoxLayout;
    lists->addWidget(ListBox1);
    lists->addWidget(ListBox2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists);
    layout->addLayout(buttons);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(ListBox1, &QListWidget::currentRowChanged, this, &TAddKeyFunction::chooseGroup);
    connect(ListBox2, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { ListBox2Click(ListBox2->row(item)); });
    connect(ListBox2, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { ListBox2Click(ListBox2->row(item)); });
    ListBox1->setCurrentRow(std::clamp(memory_.group, 0, ListBox1->count() - 1));
}

void TAddKeyFunction::chooseGroup(int group) {
    ListBox2->clear();
    const auto e = chooser_.entries(group);
    if (e.message) prompter_.message(MessageKind::Error, e.message->title, e.message->text);
    for (const auto& l : e.lines) ListBox2->addItem(qs(l));
    const int first = KeyFunctionChooser::initialEntry(memory_, group, ListBox2->count());
    if (first >= 0) {
        QSignalBlocker block(ListBox2);
        ListBox2->setCurrentRow(first);
    }
}

void TAddKeyFunction::ListBox2Click(int entry) {
    const int group = ListBox1->currentRow();
    if (group == KeyFunctionChooser::kModifierAsPluGroup) {
        const auto link = chooser_.linkModifier(entry);
        if (link.message) prompter_.message(MessageKind::Error, link.message->title, link.message->text);
        if (!link.code) return;
        memory_ = {group, entry};
        code_ = link.code;
        modifierChange_ = link.changeCode;
        accept();
        return;
    }
    auto choice = chooser_.choose(group, entry);
    if (choice.levelMaximum > 0) {
        EnterANumber ask(withoutAccelerators(texts_.text(169)), withoutAccelerators(texts_.text(435)), "",
                         choice.levelMaximum);
        const auto level = ui::TEnterANumber::ask(ask, ui::inputMessages(texts_), this);
        // No level, or 0: the key keeps what it had.
        if (!level) return;
        choice.code = chooser_.codeWithLevel(entry, static_cast<int>(*level));
        if (!choice.code) {
            prompter_.message(MessageKind::Error, "Error", "Wrong Input!");
            return;
        }
    }
    if (!choice.code) return;
    memory_ = {group, entry};
    code_ = choice.code;
    accept();
}

TChooseFromList::TChooseFromList(const QString& title, const QString& label, const QStringList& items,
                                 bool typeToPick, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    if (!label.isEmpty()) layout->addWidget(new QLabel(label, this));
    if (typeToPick) {
        Edit2 = new QLineEdit(this);
        Edit2->setMaxLength(1);
        layout->addWidget(Edit2);
        connect(Edit2, &QLineEdit::textEdited, this, [this, items](const QString& t) {
            if (t.isEmpty()) return;
            const int i = items.indexOf(t, 1);
            if (i > 0) {
                chosen_ = i;
                accept();
            }
        });
    }
    ListBox1 = new QListWidget(this);
    ListBox1->setFont(QFont(QStringLiteral("Times New Roman"), 11));
    ListBox1->addItems(items);
    ListBox1->setMinimumSize(220, 300);
    layout->addWidget(ListBox1);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setAutoDefault(false);
    layout->addWidget(cancel, 0, Qt::AlignRight);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ListBox1, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        chosen_ = ListBox1->row(item);
        accept();
    });
    connect(ListBox1, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        chosen_ = ListBox1->row(item);
        accept();
    });
}

void registerKeyboardDialogs(MenuRegistry& registry) {
    auto open = [](KeyboardMode mode) {
        return [mode](AppContext& context) {
            TKeyboard dialog(context, mode, keyAttributeFile(), context.mainWindow);
            if (!dialog.opened()) return;
            dialog.exec();
            if (context.refresh) context.refresh();
        };
    };
    registry.add("mRegisterKeyboardClick", open(KeyboardMode::Register));
    registry.add("mSystemKeyboardClick", open(KeyboardMode::System));
    registry.add("mEditCondFileClick", [](AppContext& context) {
        TEditCondiment dialog(context, context.mainWindow);
        dialog.exec();
        if (context.refresh) context.refresh();
    });
}

}  // namespace tramond
