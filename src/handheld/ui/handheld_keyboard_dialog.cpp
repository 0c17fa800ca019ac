#include "handheld/ui/handheld_keyboard_dialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStyleOptionToolButton>
#include <QStylePainter>
#include <QVBoxLayout>

#include "keyboard/ui/keyboard_dialog.h"
#include "options/ui/enter_a_number_dialog.h"
#include "program/ui/setup_ui_common.h"

namespace tramond {
namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

constexpr QSize kKeySize{92, 42};

// Where the keys sit on the picture (row, column): fourteen programmable
// keys around the number block; the others are decoration.
struct PictureKey {
    int row, column;
    int key;             // 1..14, or 0 for decoration
    const char* label;   // decoration
};
constexpr PictureKey kPictureKeys[] = {
    {0, 0, 1, nullptr},  {0, 1, 2, nullptr},  {0, 2, 3, nullptr},  {0, 3, 4, nullptr},
    {1, 0, 5, nullptr},  {1, 1, 6, nullptr},  {1, 2, 7, nullptr},  {1, 3, 8, nullptr},
    {2, 0, 9, nullptr},  {2, 1, 10, nullptr}, {2, 2, 0, "ABC/?"},  {2, 3, 0, ""},
    {3, 0, 0, "7"},      {4, 0, 0, "4"},      {5, 0, 0, "1"},      {6, 0, 0, "0"},
    {3, 1, 0, "8"},      {4, 1, 0, "5"},      {5, 1, 0, "2"},      {6, 1, 0, "\u00d7"},
    {3, 2, 0, "9"},      {4, 2, 0, "6"},      {5, 2, 0, "3"},      {6, 2, 0, "CORR"},
    {3, 3, 11, nullptr}, {4, 3, 12, nullptr}, {5, 3, 13, nullptr}, {6, 3, 14, nullptr},
};

}  // namespace

void HandheldKeyButton::paintEvent(QPaintEvent*) {
    QStylePainter p(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    p.drawComplexControl(QStyle::CC_ToolButton, option);
    p.setPen(isEnabled() ? palette().color(QPalette::ButtonText)
                         : palette().color(QPalette::Disabled, QPalette::ButtonText));
    p.drawText(rect().adjusted(3, 2, -3, -2), Qt::AlignCenter | Qt::TextWordWrap, caption);
}

void HandheldPicture::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body = QRectF(rect()).adjusted(2, 2, -2, -2);
    QPainterPath outline;
    outline.addRoundedRect(body, 28, 28);
    p.fillPath(outline, property("dimmed").toBool() ? QColor(110, 112, 118) : QColor(58, 62, 70));
    const QRectF display(body.left() + 24, body.top() + 18, body.width() - 48, kDisplayHeight - 24);
    p.setPen(QPen(QColor(20, 20, 20), 2));
    p.setBrush(QColor(168, 190, 160));
    p.drawRoundedRect(display, 6, 6);
}

TTovikKeyboard::TTovikKeyboard(AppContext& context, QWidget* parent, Prompter* prompter)
    : QDialog(parent), context_(context), qtPrompter_(this), prompter_(prompter ? *prompter : qtPrompter_) {
    auto& session = context.session;
    const auto& texts = context.texts;
    setWindowTitle(qs(texts.plain(1070)).trimmed().isEmpty() ? QStringLiteral("Tovik Keyboard")
                                                              : qs(texts.plain(1070)));
    names_ = std::make_unique<ProgramKeyNames>(session.programPath, session.app);
    pluLines_ = codeOrderPluLines(session);
    keyboard_ = std::make_unique<HandheldKeyboard>(session, texts, *names_, prompter_, pluLines_.get());
    askLevel = [this](int maximum) {
        const auto& t = context_.texts;
        EnterANumber ask(withoutAccelerators(t.text(169)), withoutAccelerators(t.text(435)), "", maximum);
        return ui::TEnterANumber::ask(ask, ui::inputMessages(t), this);
    };

    // The picture.
    Panel1 = new HandheldPicture(this);
    auto* keys = new QGridLayout(Panel1);
    keys->setContentsMargins(26, HandheldPicture::kDisplayHeight + 6, 26, 30);
    keys->setSpacing(7);
    for (const auto& k : kPictureKeys) {
        auto* b = new HandheldKeyButton(Panel1);
        b->setFixedSize(kKeySize);
        b->setFocusPolicy(k.key ? Qt::StrongFocus : Qt::NoFocus);
        if (k.key) {
            b->setCheckable(true);
            // Tinted, so that the dealer sees which keys take a function.
            QPalette tint = b->palette();
            tint.setColor(QPalette::Button, QColor(214, 228, 247));
            b->setPalette(tint);
            b->setToolTip(QStringLiteral("Programmable Key"));
            b->setProperty("tag", k.key);
            SpdBtn[static_cast<std::size_t>(k.key - 1)] = b;
            connect(b, &QToolButton::clicked, this, [this, key = k.key] { SpdBtnClick(key); });
        } else {
            b->setText(QString::fromUtf8(k.label));
        }
        keys->addWidget(b, k.row, k.column);
    }

    // The function area.
    GroupBox1 = new QGroupBox(QStringLiteral("Chose function: "), this);
    ListBox1 = new QListWidget(GroupBox1);
    ListBox2 = new QListWidget(GroupBox1);
    for (const auto& g : keyboard_->groups()) ListBox1->addItem(qs(g));
    ListBox1->setFixedWidth(130);
    ListBox2->setMinimumWidth(260);
    BitBtn3 = new QPushButton(QStringLiteral("Clear Key"), GroupBox1);
    BitBtn2 = new QPushButton(QStringLiteral("Cancel"), GroupBox1);
    for (auto* b : {BitBtn2, BitBtn3}) b->setAutoDefault(false);
    auto* lists = new QHBoxLayout;
    lists->addWidget(ListBox1);
    lists->addWidget(ListBox2, 1);
    auto* areaButtons = new QHBoxLayout;
    areaButtons->addWidget(BitBtn3);
    areaButtons->addStretch();
    areaButtons->addWidget(BitBtn2);
    auto* area = new QVBoxLayout(GroupBox1);
    area->addLayout(lists, 1);
    area->addLayout(areaButtons);

    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setDefault(true);
    auto* right = new QVBoxLayout;
    right->addWidget(GroupBox1, 1);
    auto* ok = new QHBoxLayout;
    ok->addStretch();
    ok->addWidget(BitBtn1);
    right->addLayout(ok);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(Panel1);
    layout->addLayout(right, 1);

    connect(ListBox1, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) ListBox1Click(row);
    });
    connect(ListBox2, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { ListBox2Click(ListBox2->row(item)); });
    connect(ListBox2, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { ListBox2Click(ListBox2->row(item)); });
    connect(BitBtn3, &QPushButton::clicked, this, &TTovikKeyboard::ClearKeyClick);
    connect(BitBtn2, &QPushButton::clicked, this, &TTovikKeyboard::CancelClick);
    connect(BitBtn1, &QPushButton::clicked, this, &TTovikKeyboard::BitBtn1Click);

    GroupBox1->setEnabled(false);
    ui::placeBelowMainWindow(this, context.mainWindow);
    opened_ = keyboard_->open();
    for (int k = 1; k <= kHandheldKeys; ++k) showCaption(k);
}

TTovikKeyboard::~TTovikKeyboard() = default;

void TTovikKeyboard::showCaption(int key) {
    SpdBtn[static_cast<std::size_t>(key - 1)]->setText(qs(keyboard_->caption(key)));
}

void TTovikKeyboard::SpdBtnClick(int key) {
    keyboard_->select(key);
    setPictureEnabled(false, key);
    GroupBox1->setEnabled(true);
    BitBtn1->setEnabled(false);
    {
        const QSignalBlocker block(ListBox1);
        ListBox1->setCurrentRow(-1);
    }
    ListBox2->clear();
    ListBox1->setFocus();
}

void TTovikKeyboard::ListBox1Click(int group) {
    ListBox2->clear();
    for (const auto& line : keyboard_->entries(group)) ListBox2->addItem(qs(line));
}

void TTovikKeyboard::ListBox2Click(int entry) {
    const auto key = keyboard_->selected();
    if (!key) return;
    const int group = ListBox1->currentRow();
    if (const int maximum = keyboard_->choose(group, entry)) {
        const auto level = askLevel(maximum);
        // Cancelled: the key keeps its function and stays selected.
        if (!level || !keyboard_->chooseLevel(entry, *level)) return;
    }
    if (keyboard_->selected()) return;
    showCaption(*key);
    endSelection();
}

void TTovikKeyboard::ClearKeyClick() {
    const auto key = keyboard_->selected();
    if (!key) return;
    keyboard_->clearKey();
    showCaption(*key);
    endSelection();
}

void TTovikKeyboard::CancelClick() {
    keyboard_->cancel();
    endSelection();
}

void TTovikKeyboard::endSelection() {
    setPictureEnabled(true, 0);
    ListBox2->clear();
    {
        const QSignalBlocker block(ListBox1);
        ListBox1->setCurrentRow(-1);
    }
    GroupBox1->setEnabled(false);
    BitBtn1->setEnabled(true);
}

// The selected key stays down and usable; the rest of the picture waits.
void TTovikKeyboard::setPictureEnabled(bool enabled, int selectedKey) {
    Panel1->setProperty("dimmed", !enabled);
    Panel1->update();
    for (auto* b : Panel1->findChildren<HandheldKeyButton*>()) {
        const bool selected = selectedKey > 0 && b == SpdBtn[static_cast<std::size_t>(selectedKey - 1)];
        b->setChecked(selected);
        b->setEnabled(enabled || selected);
    }
}

void TTovikKeyboard::BitBtn1Click() {
    if (keyboard_->save()) accept();
}

void registerHandheldKeyboardDialog(MenuRegistry& registry) {
    registry.add("mTovikKeyboardClick", [](AppContext& context) {
        TTovikKeyboard dialog(context, context.mainWindow);
        if (!dialog.opened()) return;
        dialog.exec();
    });
}

}  // namespace tramond
