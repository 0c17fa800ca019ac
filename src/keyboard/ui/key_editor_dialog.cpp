#include "keyboard/ui/key_editor_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "keyboard/ui/key_painter.h"
#include "platform/desktop_choosers.h"
#include "program/ui/setup_ui_common.h"

namespace tramond {
namespace {

constexpr const char* kBitmapFilter =
    "All (*.bmp;*.ico;*.emf;*.wmf)|*.bmp;*.ico;*.emf;*.wmf|Bitmaps (*.bmp)|*.bmp|Icons (*.ico)|*.ico|"
    "Enhanced Metafiles (*.emf)|*.emf|Metafiles (*.wmf)|*.wmf";


// The key as the board will draw it, at three times the screen size.
class KeyPreview : public QWidget {
public:
    explicit KeyPreview(const KeyRecord& record, QWidget* parent) : QWidget(parent), record_(record) {
        setFixedSize(150 + 2, 129 + 2);
    }
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        KeyPainter keys;
        keys.paint(p, QRectF(1, 1, 150, 129), record_, {}, {96, 27, 43});
    }

private:
    const KeyRecord& record_;
};

}  // namespace

TEditKey::TEditKey(KeyRecord record, const LanguageTexts& texts, Prompter& prompter, QWidget* parent)
    : QDialog(parent), record_(std::move(record)), prompter_(prompter) {
    setWindowTitle(ui::langText(texts, 61, "Key Editor"));
    CheckBox1 = new QCheckBox(ui::langText(texts, 620, "Individual editing only"), this);
    auto* kinds = new QGroupBox(QStringLiteral("Lines"), this);
    RadioButton1 = new QRadioButton(QStringLiteral("&One line"), kinds);
    RadioButton2 = new QRadioButton(QStringLiteral("T&wo lines"), kinds);
    RadioButton3 = new QRadioButton(QStringLiteral("T&hree lines"), kinds);
    auto* kl = new QVBoxLayout(kinds);
    for (auto* r : {RadioButton1, RadioButton2, RadioButton3}) kl->addWidget(r);
    auto* edit = new QGroupBox(QStringLiteral("Edit line"), this);
    RadioButton4 = new QRadioButton(QStringLiteral("Line &1"), edit);
    RadioButton5 = new QRadioButton(QStringLiteral("Line &2"), edit);
    RadioButton6 = new QRadioButton(QStringLiteral("Line &3"), edit);
    Edit1 = new QLineEdit(edit);
    Edit2 = new QLineEdit(edit);
    Edit3 = new QLineEdit(edit);
    auto* el = new QGridLayout(edit);
    QRadioButton* lineButtons[] = {RadioButton4, RadioButton5, RadioButton6};
    QLineEdit* edits[] = {Edit1, Edit2, Edit3};
    for (int i = 0; i < 3; ++i) {
        el->addWidget(lineButtons[i], i, 0);
        el->addWidget(edits[i], i, 1);
        edits[i]->setMaxLength(static_cast<int>(KeyRecord::kEditorTextLimit));
        edits[i]->setMinimumWidth(260);
        connect(edits[i], &QLineEdit::returnPressed, this, [this, i] { storeText(i); });
        connect(lineButtons[i], &QRadioButton::clicked, this, [this, i] { chooseLine(i); });
    }
    LoadBitmap = new QPushButton(ui::langText(texts, 792, "Load Bitmap"), this);
    EditFont = new QPushButton(ui::langText(texts, 790, "Edit Font"), this);
    EditColor = new QPushButton(ui::langText(texts, 791, "EditColor"), this);
    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn2 = new QPushButton(QStringLiteral("Cancel"), this);
    for (auto* b : {LoadBitmap, EditFont, EditColor, BitBtn1, BitBtn2}) b->setAutoDefault(false);
    preview_ = new KeyPreview(record_, this);

    auto* buttons = new QVBoxLayout;
    for (auto* b : {LoadBitmap, EditFont, EditColor}) buttons->addWidget(b);
    buttons->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(kinds);
    top->addWidget(preview_);
    top->addLayout(buttons);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(CheckBox1);
    bottom->addStretch();
    bottom->addWidget(BitBtn1);
    bottom->addWidget(BitBtn2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(edit);
    layout->addLayout(bottom);

    CheckBox1->setChecked(record_.individual());
    connect(CheckBox1, &QCheckBox::toggled, this, [this](bool on) { record_.setIndividual(on); });
    connect(RadioButton1, &QRadioButton::clicked, this, [this] { setLineCount(1); });
    connect(RadioButton2, &QRadioButton::clicked, this, [this] { setLineCount(2); });
    connect(RadioButton3, &QRadioButton::clicked, this, [this] { setLineCount(3); });
    connect(EditFont, &QPushButton::clicked, this, [this] {
        auto s = record_.style(line_);
        const auto chosen = desktopChoosers().chooseFont(
            this, EditFont->text().remove('&'),
            {keyLineFont(s, s.fontSize), fromWindowsColour(s.fontColour),
             static_cast<int>(KeyLineStyle::kFontNameField - 1)});
        if (!chosen) return;
        storeFont(s, chosen->font);
        s.fontColour = toWindowsColour(chosen->colour);
        record_.setStyle(line_, s);
        updatePreview();
    });
    connect(EditColor, &QPushButton::clicked, this, [this] {
        auto s = record_.style(line_);
        const auto c = desktopChoosers().chooseColour(this, EditColor->text().remove('&'), fromWindowsColour(s.keyColour));
        if (!c) return;
        s.keyColour = toWindowsColour(*c);
        record_.setStyle(line_, s);
        updatePreview();
    });
    connect(LoadBitmap, &QPushButton::clicked, this, [this] {
        FileDialogRequest request;
        request.title = LoadBitmap->text().remove('&').toStdString();
        request.filter = kBitmapFilter;
        const auto file = desktopChoosers().openPicture(this, request);
        useBitmap(file ? std::optional<std::string>(file->string()) : std::nullopt);
    });
    connect(BitBtn1, &QPushButton::clicked, this, [this] {
        const int lines = record_.displayKind() == DisplayKind::ThreeLines ? 3
                          : record_.displayKind() == DisplayKind::TwoLines ? 2
                                                                           : 1;
        for (int i = 0; i < lines; ++i) storeText(i);
        accept();
    });
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);

    const auto kind = record_.displayKind();
    const int lines = kind == DisplayKind::ThreeLines ? 3 : kind == DisplayKind::TwoLines ? 2 : 1;
    (lines == 3 ? RadioButton3 : lines == 2 ? RadioButton2 : RadioButton1)->setChecked(true);
    for (int i = 0; i < 3; ++i)
        edits[i]->setText(i < lines || (kind == DisplayKind::Bitmap && i == 2) ? QString::fromStdString(record_.text(i))
                                                                              : QString());
    setLineCount(lines);
    if (kind == DisplayKind::Bitmap) record_.setDisplayKind(DisplayKind::Bitmap);
}

void TEditKey::setLineCount(int lines) {
    record_.setDisplayKind(static_cast<DisplayKind>(lines));
    RadioButton4->setEnabled(true);
    RadioButton5->setEnabled(lines >= 2);
    RadioButton6->setEnabled(lines >= 3);
    chooseLine(std::min(line_, lines - 1));
}

void TEditKey::chooseLine(int line) {
    line_ = line;
    QRadioButton* buttons[] = {RadioButton4, RadioButton5, RadioButton6};
    QLineEdit* edits[] = {Edit1, Edit2, Edit3};
    for (int i = 0; i < 3; ++i) {
        buttons[i]->setChecked(i == line);
        edits[i]->setEnabled(i == line);
    }
    updatePreview();
}

void TEditKey::storeText(int line) {
    QLineEdit* edits[] = {Edit1, Edit2, Edit3};
    if (record_.displayKind() == DisplayKind::Bitmap && line == 2) return;  // line 3 holds the path
    record_.setText(line, edits[line]->text().left(static_cast<int>(KeyRecord::kEditorTextLimit)).toStdString());
    updatePreview();
}

void TEditKey::useBitmap(const std::optional<std::string>& path) {
    // A cancelled or refused choice leaves the working copy as it was: the
    // other edits of the key still reach the file with OK.
    if (!path) return;
    if (!KeyRecord::textFits(*path)) {
        prompter_.message(MessageKind::Error, "Error",
                          "The bitmap path is longer than 50 characters; move the bitmap to a shorter path.");
        return;
    }
    QImage image;
    if (!image.load(QString::fromStdString(*path))) {
        prompter_.message(MessageKind::Error, "Error", "Could not load or alter Bitmap");
        return;
    }
    record_.setText(2, *path);
    record_.setDisplayKind(DisplayKind::Bitmap);
    updatePreview();
}

void TEditKey::updatePreview() {
    if (preview_) preview_->update();
}

}  // namespace tramond
