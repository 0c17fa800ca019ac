#include "printing/ui/report_dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <set>

#include "app/ui/dialog_conventions.h"
#include "printing/register_print_options.h"
#include "options/ui/option_dialog_view.h"
#include "program/file_io.h"
#include "program/sizing.h"
#include "program/ui/message_box.h"
#include "program/ui/setup_ui_common.h"

namespace tramond::ui {

namespace {

constexpr int kNoProgramLoaded = 392;
constexpr int kErrorOpeningFile = 398;

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

constexpr std::array<const char*, kPeriodCount> kPeriodCaptions{"&Daily   :    ", "&Weekly  :    ",
                                                                 "&Monthly :    ", "&Yearly  :    "};
constexpr std::array<const char*, kTotalSizeCount> kSizeCaptions{"Amount    :   ", "CCount    :   ",
                                                                  "Quantity  :   ", "Return Qty:   ",
                                                                  "Discounts :   ", "Costprice :   "};

// Captions keep their accelerators unless an earlier control of the dialog
// already took the letter: one Alt letter reaches one control.
class Accelerators {
public:
    QString take(const QString& caption) {
        QString out = caption;
        for (int i = 0; i + 1 < out.size(); ++i) {
            if (out[i] != QLatin1Char('&')) continue;
            if (out[i + 1] == QLatin1Char('&')) {
                ++i;
                continue;
            }
            const QChar letter = out[i + 1].toLower();
            if (!used_.insert(letter).second) out.remove(i, 1);
            break;
        }
        return out;
    }

private:
    std::set<QChar> used_;
};

}  // namespace

// --- System Reports ---------------------------------------------------------

TSetupReports::TSetupReports(ApplicationBlock& app, const LanguageTexts& texts, std::function<void()> changed,
                             QWidget* parent)
    : QDialog(parent), editor_(app, texts), texts_(texts), changed_(std::move(changed)) {
    setObjectName("TSetupReports");
    setWindowTitle(withoutAccelerator(langText(texts, 36, "System &Reports     :   ")).trimmed().remove(':').trimmed());
    GroupBox1 = new QGroupBox(this);
    auto* grid = new QGridLayout(GroupBox1);
    auto* typeLabel = new QLabel(QStringLiteral("Type :"), GroupBox1);
    typeLabel->setObjectName("Label9");
    ComboBox1 = new QComboBox(GroupBox1);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox2 = new QComboBox(GroupBox1);
    ComboBox2->setObjectName("ComboBox2");
    for (auto* combo : {ComboBox1, ComboBox2}) {
        QFont mono(QStringLiteral("Liberation Mono"));
        mono.setStyleHint(QFont::TypeWriter);
        combo->setFont(mono);
    }
    grid->addWidget(typeLabel, 0, 0);
    grid->addWidget(ComboBox1, 0, 1);
    grid->addWidget(ComboBox2, 1, 1);

    PeriodBox = new QGroupBox(GroupBox1);
    auto* periodLayout = new QVBoxLayout(PeriodBox);
    for (int p = 0; p < kPeriodCount; ++p) {
        periods[p] = new QCheckBox(QString::fromLatin1(kPeriodCaptions[p]), PeriodBox);
        periods[p]->setObjectName(QStringLiteral("CheckBox%1").arg(p + 1));
        periodLayout->addWidget(periods[p]);
        connect(periods[p], &QCheckBox::toggled, this, [this, p](bool on) {
            if (syncing_) return;
            editor_.setPeriod(p, on);
            refresh();
        });
    }
    grid->addWidget(PeriodBox, 2, 0, 1, 2);

    auto* sizeBox = new QWidget(GroupBox1);
    auto* sizeGrid = new QGridLayout(sizeBox);
    sizeGrid->setContentsMargins(0, 0, 0, 0);
    for (int s = 0; s < kTotalSizeCount; ++s) {
        sizeLabels_[s] = new QLabel(QString::fromLatin1(kSizeCaptions[s]), sizeBox);
        sizes[s] = new QLineEdit(sizeBox);
        sizes[s]->setObjectName(QStringLiteral("Edit%1").arg(s + 1));
        makeDigitsOnly(sizes[s]);  // the check refuses a third digit with its message
        sizes[s]->setMaximumWidth(60);
        sizes[s]->installEventFilter(this);
        sizeGrid->addWidget(sizeLabels_[s], s, 0);
        sizeGrid->addWidget(sizes[s], s, 1);
        connect(sizes[s], &QLineEdit::textEdited, this, [this, s](const QString& text) {
            if (sizeTextAccepted(text.toStdString())) return;
            sizes[s]->clear();
            const auto m = inputMessages(texts_);
            showMessage(this, MessageKind::Error, m.errorTitle, m.wrongInput);
        });
    }
    auto* digits = new QLabel(QStringLiteral("Digits max. 16"), sizeBox);
    digits->setObjectName("Label7");
    sizeGrid->addWidget(digits, kTotalSizeCount, 0, 1, 2);
    grid->addWidget(sizeBox, 3, 0, 1, 2);

    BitBtn1 = new QPushButton(tr("OK"), this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, [this] {
        for (int s = 0; s < kTotalSizeCount; ++s)
            if (sizes[s]->hasFocus()) leave(s);
        accept();
    });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1);
    layout->addWidget(BitBtn1, 0, Qt::AlignHCenter);

    connect(ComboBox1, qOverload<int>(&QComboBox::activated), this, [this](int t) {
        editor_.selectType(t);
        refresh();
    });
    connect(ComboBox2, qOverload<int>(&QComboBox::activated), this, [this](int f) {
        editor_.selectFile(f);
        refresh();
    });
    refresh();
}

void TSetupReports::refresh() {
    syncing_ = true;
    const auto fill = [](QComboBox* combo, const std::vector<std::string>& items, int current) {
        QStringList list;
        for (const auto& i : items) list << QString::fromStdString(i);
        QStringList now;
        for (int k = 0; k < combo->count(); ++k) now << combo->itemText(k);
        if (now != list) {
            combo->clear();
            combo->addItems(list);
        }
        combo->setCurrentIndex(current);
    };
    fill(ComboBox1, editor_.typeItems(), editor_.type());
    fill(ComboBox2, editor_.fileItems(), editor_.file());
    GroupBox1->setTitle(QString::fromStdString(editor_.groupCaption()));
    PeriodBox->setTitle(QString::fromStdString(editor_.periodCaption()));
    for (int p = 0; p < kPeriodCount; ++p) periods[p]->setChecked(editor_.period(p));
    for (int s = 0; s < kTotalSizeCount; ++s) {
        const auto size = static_cast<TotalSize>(s);
        const bool on = editor_.sizeEnabled(size);
        sizes[s]->setEnabled(on);
        sizeLabels_[s]->setEnabled(on);
        sizes[s]->setText(QString::fromStdString(editor_.sizeText(size)));
    }
    syncing_ = false;
    if (changed_) changed_();
}

void TSetupReports::leave(int box) {
    const auto shown = editor_.leaveSize(static_cast<TotalSize>(box), sizes[box]->text().toStdString());
    sizes[box]->setText(QString::fromStdString(shown));
    refresh();
}

bool TSetupReports::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::ActiveWindowFocusReason &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
        for (int s = 0; s < kTotalSizeCount; ++s)
            if (watched == sizes[s]) leave(s);
    }
    return QDialog::eventFilter(watched, event);
}

void runSetupReports(AppContext& context) {
    if (!programLoaded(context)) return;
    auto& session = context.session;
    const ApplicationBlock snapshot = session.app;
    {
        TSetupReports dialog(session.app, context.texts, context.refresh, context.mainWindow);
        placeBelowMainWindow(&dialog, context.mainWindow);
        dialog.exec();
    }
    // Closing is saving: the sizes follow the new totals, and every block
    // whose bytes changed (kind headers, memory map) is marked for Update.
    recomputeSizes(session.app);
    try {
        saveApplicationChange(session, snapshot);
    } catch (const FileError&) {
        showMessage(context.mainWindow, MessageKind::Error, QStringLiteral("Error"),
                    langText(context.texts, kErrorOpeningFile, "Error opening File !!"));
    }
    if (context.refresh) context.refresh();
}

// --- User Report ------------------------------------------------------------

TUserReport::TUserReport(ProgramSession& session, const LanguageTexts& texts, int n,
                         std::function<void()> reportOptions, QWidget* parent)
    : QDialog(parent), editor_(session, n), texts_(texts) {
    setObjectName("TUserReport");
    setWindowTitle(QStringLiteral("User Report # %1").arg(n));
    Accelerators keys;

    auto* titleLabel = new QLabel(keys.take(QStringLiteral("T&itle : 1234567890123456")), this);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setMaxLength(23);
    showWholeContent(Edit1, Edit1->maxLength(), false);
    titleLabel->setBuddy(Edit1);
    auto* typeLabel = new QLabel(keys.take(QStringLiteral("&Type :                  ")), this);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    typeLabel->setBuddy(ComboBox1);
    auto* periodLabel = new QLabel(QStringLiteral("Report Period :         "), this);
    ComboBox2 = new QComboBox(this);
    ComboBox2->setObjectName("ComboBox2");
    const bool salespersons = session.app.kindCount(appblock::kSalesperson) != 0;
    ComboBox1->addItems({"Standard", "Clerk", "Time Zone", "Day of Week", salespersons ? "Salesperson" : "Month of Year"});
    for (const char* p : kPeriodCaptions) ComboBox2->addItem(withoutAccelerator(QString::fromLatin1(p)));
    for (auto* combo : {ComboBox1, ComboBox2}) combo->installEventFilter(this);

    auto* form = new QGridLayout;
    form->addWidget(titleLabel, 0, 0);
    form->addWidget(Edit1, 0, 1);
    form->addWidget(typeLabel, 1, 0);
    form->addWidget(ComboBox1, 1, 1);
    form->addWidget(periodLabel, 2, 0);
    form->addWidget(ComboBox2, 2, 1);

    auto* optionBox = new QGroupBox(this);
    auto* optionLayout = new QVBoxLayout(optionBox);
    const auto opts = userReportOptions();
    for (std::size_t i = 0; i < opts.size(); ++i) {
        const auto& o = opts[i];
        const QString caption = o.gateText >= 0 ? langText(texts, o.gateText, std::string(o.caption).c_str()) : qs(o.caption);
        options[i] = new QCheckBox(keys.take(caption), optionBox);
        options[i]->setObjectName(qs(o.name));
        // Bound to a language text: shown when the text is there, usable
        // when it does not begin with a blank.
        options[i]->setVisible(o.gateText < 0 || texts.visible(o.gateText));
        options[i]->setEnabled(o.gateText < 0 || texts.enabled(o.gateText));
        optionLayout->addWidget(options[i]);
    }

    auto* printBox = new QGroupBox(keys.take(QStringLiteral("&Print Options ")), this);
    auto* printLayout = new QVBoxLayout(printBox);
    const auto prints = userReportPrintOptions();
    for (std::size_t i = 0; i < prints.size(); ++i) {
        printOptions[i] = new QCheckBox(keys.take(qs(prints[i])), printBox);
        printOptions[i]->setObjectName(QStringLiteral("PrintCheckBox%1").arg(i + 1));
        printLayout->addWidget(printOptions[i]);
    }

    StringGrid1 = new QTableWidget(kUserReportSections, 2, this);
    StringGrid1->setObjectName("StringGrid1");
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->hide();
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setSelectionMode(QAbstractItemView::NoSelection);
    // Four fifths for the section, one fifth for its place in the list.
    StringGrid1->setColumnWidth(0, 176);
    StringGrid1->setColumnWidth(1, 44);
    for (int r = 0; r < kUserReportSections; ++r) {
        StringGrid1->setRowHeight(r, 20);
        // The report files' captions hold a literal "&" ("P.O. & R.A."); the
        // three further sections carry accelerator marks a grid does not show.
        const QString caption = qs(sectionCaption(r));
        StringGrid1->setItem(r, 0, new QTableWidgetItem((r < kReportFileCount ? caption : withoutAccelerator(caption)).trimmed()));
        StringGrid1->setItem(r, 1, new QTableWidgetItem);
    }
    StringGrid1->setFixedSize(224, 20 * kUserReportSections + 4);
    connect(StringGrid1, &QTableWidget::cellClicked, this, [this](int row, int) { clickRow(row); });

    BitBtn1 = new QPushButton(tr("OK"), this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &TUserReport::BitBtn1Click);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName("BitBtn2");
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    ReportOptionsButton = new QPushButton(keys.take(langText(texts, 658, "R&eport Options")), this);
    ReportOptionsButton->setObjectName("Button1");
    connect(ReportOptionsButton, &QPushButton::clicked, this, [reportOptions] {
        if (reportOptions) reportOptions();
    });

    auto* left = new QVBoxLayout;
    left->addLayout(form);
    auto* boxes = new QHBoxLayout;
    boxes->addWidget(optionBox);
    boxes->addWidget(printBox);
    left->addLayout(boxes);
    auto* right = new QVBoxLayout;
    right->addWidget(new QLabel(QStringLiteral("Linked Report List "), this));
    right->addWidget(StringGrid1);
    right->addStretch();
    auto* top = new QHBoxLayout;
    top->addLayout(left);
    top->addLayout(right);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ReportOptionsButton);
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);

    // What the record holds.
    Edit1->setText(QString::fromStdString(editor_.title()));
    ComboBox1->setCurrentIndex(editor_.reportType());
    ComboBox2->setCurrentIndex(editor_.period());
    for (std::size_t i = 0; i < options.size(); ++i) options[i]->setChecked(editor_.option(static_cast<int>(i)));
    for (std::size_t i = 0; i < printOptions.size(); ++i)
        printOptions[i]->setChecked(editor_.printOption(static_cast<int>(i)));
    refreshGrid();
}

void TUserReport::refreshGrid() {
    const QString no = langText(texts_, 403, "No");
    for (int r = 0; r < kUserReportSections; ++r) {
        const auto place = editor_.sectionPosition(r);
        StringGrid1->item(r, 1)->setText(place ? QString::number(*place) : no);
    }
}

void TUserReport::clickRow(int row) {
    editor_.toggleSection(row);
    refreshGrid();
}

bool TUserReport::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == ComboBox1 || watched == ComboBox2) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TUserReport::BitBtn1Click() {
    editor_.setTitle(Edit1->text().toStdString());
    editor_.setReportType(ComboBox1->currentIndex());
    editor_.setPeriod(ComboBox2->currentIndex());
    for (std::size_t i = 0; i < options.size(); ++i)
        if (options[i]->isEnabled() && !options[i]->isHidden()) editor_.setOption(static_cast<int>(i), options[i]->isChecked());
    for (std::size_t i = 0; i < printOptions.size(); ++i)
        editor_.setPrintOption(static_cast<int>(i), printOptions[i]->isChecked());
    try {
        marked = editor_.ok().marked;
    } catch (const FileError&) {
        showMessage(this, MessageKind::Error, QStringLiteral("Error"),
                    langText(texts_, kErrorOpeningFile, "Error opening File !!"));
        return;
    }
    accept();
}

void runUserReport(AppContext& context, int n) {
    if (!programLoaded(context)) return;
    TUserReport dialog(context.session, context.texts, n,
                       [&context] { runOptionDialog(context, reportOptionsDialog()); }, context.mainWindow);
    placeBelowMainWindow(&dialog, context.mainWindow);
    dialog.exec();
    if (context.refresh) context.refresh();
}

}  // namespace tramond::ui
