#include "options/ui/country_dialogs.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>

#include "program/ui/message_box.h"
#include "program/ui/table_fit.h"

namespace tramond::ui {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

QPushButton* okButton(QDialog* dialog) {
    auto* b = new QPushButton(QObject::tr("OK"), dialog);
    b->setObjectName("BitBtn1");
    b->setDefault(true);
    return b;
}

template <std::size_t N>
void fillItems(QComboBox* box, const LanguageTexts& texts, const std::array<CountryInfo::Item, N>& items) {
    for (const auto& item : items) box->addItem(langText(texts, item.text, std::string(item.fallback).c_str()));
}

}  // namespace

// ---------------------------------------------------------------- country info

TCountryInfo::TCountryInfo(ProgramSession& session, const LanguageTexts& texts, QWidget* parent)
    : QDialog(parent), controller_(session) {
    setWindowTitle(withoutAccelerator(langText(texts, CountryInfo::kCaptionText, "Country &Info    ")).trimmed());
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    fillItems(ComboBox1, texts, CountryInfo::amountItems());
    ComboBox1->setCurrentIndex(controller_.amountIndex());
    Edit1 = new QLineEdit(qs(controller_.prefix()), this);
    Edit1->setObjectName("Edit1");
    Edit1->setMaxLength(static_cast<int>(CountryInfo::kMaxPrefix));
    ComboBox2 = new QComboBox(this);
    ComboBox2->setObjectName("ComboBox2");
    fillItems(ComboBox2, texts, CountryInfo::timeItems());
    ComboBox2->setCurrentIndex(controller_.timeIndex());
    ComboBox3 = new QComboBox(this);
    ComboBox3->setObjectName("ComboBox3");
    fillItems(ComboBox3, texts, CountryInfo::dateItems());
    ComboBox3->setCurrentIndex(controller_.dateIndex());

    const char* labels[] = {"&Amount:         ", "Amt &Prefix  :   ", "&Time     :      ", "&Date  :         "};
    QWidget* fields[] = {ComboBox1, Edit1, ComboBox2, ComboBox3};
    auto* form = new QFormLayout;
    for (int i = 0; i < 4; ++i)
        form->addRow(withoutAccelerator(langText(texts, CountryInfo::kLabelTexts[i], labels[i])), fields[i]);

    // The lists write the block as soon as a choice is made.
    connect(ComboBox1, &QComboBox::activated, this, [this](int i) { controller_.chooseAmount(i); });
    connect(ComboBox2, &QComboBox::activated, this, [this](int i) { controller_.chooseTime(i); });
    connect(ComboBox3, &QComboBox::activated, this, [this](int i) { controller_.chooseDate(i); });

    BitBtn1 = okButton(this);
    connect(BitBtn1, &QPushButton::clicked, this, [this, &texts] {
        try {
            controller_.confirm(Edit1->text().toStdString());
        } catch (const std::exception&) {
            writeFailed_ = true;
            showMessage(this, MessageKind::Error, langText(texts, 677, "Error"),
                        langText(texts, 398, "Error opening File !!"));
        }
        accept();
    });
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(BitBtn1, 0, Qt::AlignRight);
}

// ---------------------------------------------------------------- time zones

TTimeZones::TTimeZones(ProgramSession& session, const LanguageTexts& texts, QWidget* parent)
    : QDialog(parent),
      controller_(session, langText(texts, TimeZones::kStartZoneText, "Start Zone").toStdString(),
                  langText(texts, TimeZones::kNotUsedText, "Not Used").toStdString()),
      messages_(inputMessages(texts)) {
    setWindowTitle(withoutAccelerator(langText(texts, TimeZones::kCaptionText, "Time &Zones")));
    StringGrid1 = new QTableWidget(controller_.zoneCount(), TimeZones::kColumns, this);
    StringGrid1->setObjectName("StringGrid1");
    // The start time's column says what it holds and how it is written.
    StringGrid1->setHorizontalHeaderLabels({withoutAccelerator(langText(texts, 288, "Time &Zones")),
                                            QStringLiteral("Start (HHMM)"),
                                            langText(texts, TimeZones::kPriceLevelText, "PriLev.#"),
                                            langText(texts, TimeZones::kArticleLevelText, "ArtLev.#")});
    StringGrid1->verticalHeader()->hide();
    const double scale = logicalDpiX() / 96.0;
    const int column = static_cast<int>(250 * scale);
    StringGrid1->setColumnWidth(0, static_cast<int>(column * 0.4));
    for (int c = 1; c < TimeZones::kColumns; ++c) StringGrid1->setColumnWidth(c, static_cast<int>(column * 0.2));
    StringGrid1->verticalHeader()->setDefaultSectionSize(static_cast<int>(15 * scale) + 4);
    StringGrid1->setMinimumWidth(column + static_cast<int>(25 * scale));
    fill();
    for (int c = 0; c < TimeZones::kColumns; ++c)
        if (auto* h = StringGrid1->horizontalHeaderItem(c))
            StringGrid1->setColumnWidth(c, std::max(StringGrid1->columnWidth(c),
                                                    StringGrid1->horizontalHeader()->fontMetrics().horizontalAdvance(
                                                        h->text()) + 16));
    ui::fitTable(StringGrid1, false);  // headers readable
    // Every zone at once where the screen has room; a long table scrolls.
    {
        const int rowHeight = StringGrid1->verticalHeader()->defaultSectionSize();
        int rows = StringGrid1->rowCount();
        if (const auto* s = screen()) rows = std::min(rows, std::max(6, s->availableGeometry().height() * 2 / 3 / rowHeight));
        StringGrid1->setMinimumHeight(rows * rowHeight + StringGrid1->horizontalHeader()->sizeHint().height() +
                                      2 * StringGrid1->frameWidth());
    }
    connect(StringGrid1, &QTableWidget::itemChanged, this, &TTimeZones::StringGrid1SetEditText);

    BitBtn1 = okButton(this);
    connect(BitBtn1, &QPushButton::clicked, this, [this, &texts] {
        try {
            controller_.confirm();
        } catch (const std::exception&) {
            writeFailed_ = true;
            showMessage(this, MessageKind::Error, messages_.errorTitle,
                        langText(texts, 398, "Error opening File !!"));
        }
        accept();
    });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(StringGrid1);
    layout->addWidget(BitBtn1, 0, Qt::AlignRight);
}

void TTimeZones::fill() {
    filling_ = true;
    for (int r = 0; r < controller_.zoneCount(); ++r)
        for (int c = 0; c < TimeZones::kColumns; ++c) {
            auto* item = new QTableWidgetItem(qs(controller_.cell(r, c)));
            if (c == 0) item->setFlags(Qt::ItemIsEnabled);
            StringGrid1->setItem(r, c, item);
        }
    filling_ = false;
}

void TTimeZones::StringGrid1SetEditText(QTableWidgetItem* item) {
    if (filling_) return;
    const int row = item->row();
    const int column = item->column();
    switch (controller_.setCell(row, column, item->text().toStdString())) {
        case TimeZones::Edit::WrongInput:
            showMessage(this, MessageKind::Error, messages_.errorTitle, messages_.wrongInput);
            break;
        case TimeZones::Edit::NotUsed:
            filling_ = true;
            item->setText(qs(controller_.cell(row, column)));
            filling_ = false;
            break;
        case TimeZones::Edit::Stored:
        case TimeZones::Edit::Ignored: break;
    }
}

// ---------------------------------------------------------------- network size

TNetworkSize::TNetworkSize(ProgramSession& session, const LanguageTexts& texts, QWidget* parent)
    : QDialog(parent), controller_(session), messages_(inputMessages(texts)),
      machineLabel_(langText(texts, 821, "Settings for machine : ")) {
    const QString caption = withoutAccelerator(langText(texts, NetworkSize::kCaptionText, "Net&work Size"));
    setWindowTitle(caption);
    Edit1 = new QLineEdit(qs(controller_.text()), this);
    Edit1->setObjectName("Edit1");
    makeDigitsOnly(Edit1, 2);
    connect(Edit1, &QLineEdit::textEdited, this, [this](const QString& t) {
        if (controller_.acceptsText(t.toStdString())) return;
        showMessage(this, MessageKind::Error, messages_.errorTitle, messages_.wrongInput);
        Edit1->setText(QStringLiteral("0"));
    });
    auto* form = new QFormLayout;
    form->addRow(caption, Edit1);
    BitBtn1 = okButton(this);
    connect(BitBtn1, &QPushButton::clicked, this, [this, &texts] {
        if (!controller_.acceptsText(Edit1->text().toStdString())) {
            showMessage(this, MessageKind::Error, messages_.errorTitle, messages_.wrongInput);
            Edit1->setText(QStringLiteral("0"));
            return;
        }
        try {
            result_ = controller_.confirm(Edit1->text().toStdString(), machineLabel_.toStdString());
        } catch (const std::exception&) {
            writeFailed_ = true;
            result_.confirmed = true;
            showMessage(this, MessageKind::Error, messages_.errorTitle,
                        langText(texts, 398, "Error opening File !!"));
        }
        accept();
    });
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(BitBtn1, 0, Qt::AlignRight);
}

}  // namespace tramond::ui
