#include "options/ui/printers_view.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "options/machine_settings.h"
#include "options/printers.h"

namespace tramond::ui {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

constexpr int kPrinterLines = 9;
constexpr int kCommonOptionsText = 515;

// A pack's "&" before a blank ("KP & Ticket") is the character itself, not
// an Alt letter.
QString literalBeforeBlank(QString caption) {
    for (int i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') ++i;
        else if (caption[i + 1].isSpace()) caption.insert(i++, '&');
    }
    return caption;
}

}  // namespace

PrintersView::PrintersView(OptionDialog& controller, QWidget* mainWindow, std::function<void()> machineChanged)
    : OptionDialogView(controller, mainWindow), machineChanged_(std::move(machineChanged)) {
    showNested = [this](OptionDialog& nested) {
        OptionDialogView view(nested, this);
        view.showPosted();
        view.exec();
    };

    machinePanel_ = new QWidget(this);
    auto* machineRow = new QHBoxLayout(machinePanel_);
    auto* machineLabel = new QLabel(qs(controller.text(821, "Settings for machine : ")), machinePanel_);
    machines_ = new QComboBox(machinePanel_);
    machines_->setObjectName("ComboBox4");
    machineRow->addWidget(machineLabel);
    machineRow->addWidget(machines_);
    machineRow->addStretch();
    const bool offered = machineChoiceOffered(controller.block());
    machinePanel_->setVisible(offered);
    if (offered) {
        for (int n = 1; n <= controller.block().flag(appblock::kFlagNetworkSize); ++n)
            machines_->addItem(QString::number(n));
        machines_->setCurrentIndex(shownMachine(controller.session()) - 1);
    }
    connect(machines_, qOverload<int>(&QComboBox::activated), this, &PrintersView::chooseMachine);

    auto* printers = new QGroupBox(qs(controller.texts().plain(287)), this);
    printers->setObjectName("RadioGroup1");
    auto* printerColumn = new QVBoxLayout(printers);
    group_ = new QButtonGroup(this);
    auto* group = group_;
    for (int i = 0; i < kPrinterLines; ++i) {
        auto* radio = new QRadioButton(printers);
        radio->setObjectName(QString("Printer%1").arg(i));
        printerColumn->addWidget(radio);
        group->addButton(radio, i);
        lines_.push_back(radio);
        connect(radio, &QRadioButton::clicked, this, [this, i] { openNested(kpPrinterDialog(i)); });
    }

    auto* buttons = new QVBoxLayout;
    receipt_ = new QPushButton(this);
    receipt_->setObjectName("BtnReceipt");
    journal_ = new QPushButton(this);
    journal_->setObjectName("BtnJournal");
    auto* layout = new QPushButton(qs(controller.text(728, "Receipt/Journal &Ticket Lay-Out")), this);
    layout->setObjectName("BtnLayout");
    auto* prep = new QPushButton(qs(controller.text(1011, "KP Preparation Time")), this);
    prep->setObjectName("BtnPrepTime");
    for (auto* b : {receipt_, journal_, layout, prep}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->addStretch();
    connect(receipt_, &QPushButton::clicked, this, [this] { openNested(receiptPrinterDialog()); });
    connect(journal_, &QPushButton::clicked, this, [this] { openNested(journalPrinterDialog()); });
    connect(layout, &QPushButton::clicked, this, [this] { openNested(ticketLayoutDialog()); });
    connect(prep, &QPushButton::clicked, this, [this] { openNested(prepTimeDialog()); });

    auto* top = new QHBoxLayout;
    top->addWidget(printers);
    top->addLayout(buttons);
    column()->insertWidget(0, machinePanel_);
    column()->insertLayout(1, top);

    // The options common to every printer stand in a group of their own name.
    if (auto* panel = findChild<QFrame*>("Panel1")) {
        auto* common = new QGroupBox(literalBeforeBlank(qs(controller.text(kCommonOptionsText, "&KP & Ticket Lay-Out"))),
                                     this);
        common->setObjectName("GroupBox1");
        const int at = column()->indexOf(panel);
        column()->removeWidget(panel);
        panel->setParent(common);
        panel->setFrameShape(QFrame::NoFrame);
        auto* inner = new QVBoxLayout(common);
        inner->setContentsMargins(0, 0, 0, 0);
        inner->addWidget(panel);
        column()->insertWidget(at, common);
    }
    refreshPrinters();
}

void PrintersView::refreshPrinters() {
    auto& c = controller();
    for (int i = 0; i < kPrinterLines; ++i) lines_[static_cast<std::size_t>(i)]->setText(qs(printerLine(c, i)));
    receipt_->setText(qs(receiptButtonCaption(c)));
    journal_->setText(qs(journalButtonCaption(c)));
}

void PrintersView::openNested(const OptionDialogTable& table) {
    OptionDialog nested(table, controller().session(), controller().texts(), OptionDialog::Mode::Nested);
    showNested(nested);
    refreshPrinters();
    // A choice left checked would not open the dialog again on a click.
    group_->setExclusive(false);
    for (auto* radio : lines_) radio->setChecked(false);
    group_->setExclusive(true);
}

void PrintersView::chooseMachine(int index) {
    present(switchPrinterMachine(controller(), index + 1));
    refresh();
    refreshPrinters();
    if (machineChanged_) machineChanged_();
}

void runPrintersDialog(AppContext& context) {
    if (!programLoaded(context)) return;
    OptionDialog controller(printersDialog(), context.session, context.texts);
    PrintersView view(controller, context.mainWindow, context.refresh);
    view.showPosted();
    view.exec();
    if (context.refresh) context.refresh();
}

}  // namespace tramond::ui
