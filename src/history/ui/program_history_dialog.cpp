#include "history/ui/program_history_dialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "cli/program_restore.h"
#include "cli/ui/cli_dialogs.h"
#include "cli/version_image.h"
#include "program/program_ops.h"

namespace tramond {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

const QString kTitle = "Program History";

QString changedText(const history::Version& v) {
    if (v.number == 1) return "(first version)";
    // A version recorded by hand or by a transfer that changed no file.
    if (v.changed.empty()) return "(no file changed)";
    QStringList words;
    for (const auto& c : v.changed) words << q(c.starts_with('.') ? c.substr(1) : c);
    return words.join(' ');
}

}  // namespace

TProgramHistory::TProgramHistory(AppContext& context, QWidget* parent)
    : QDialog(parent), context_(context), program_(context.session.programPath) {
    setWindowTitle(kTitle + " - " + q(program_.filename().string()));
    auto* layout = new QVBoxLayout(this);
    summary_ = new QLabel(this);
    layout->addWidget(summary_);
    table_ = new QTableWidget(0, 8, this);
    table_->setHorizontalHeaderLabels({"No.", "Time", "Event", "Register", "Result", "Note", "By", "Changed"});
    table_->verticalHeader()->setVisible(false);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setWordWrap(false);
    layout->addWidget(table_);

    auto* buttons = new QHBoxLayout;
    compareProgram_ = new QPushButton("Compare with &Program", this);
    compareVersions_ = new QPushButton("Compare &Versions", this);
    restore_ = new QPushButton("&Restore...", this);
    close_ = new QPushButton("Cl&ose", this);
    close_->setDefault(true);
    for (auto* b : {compareProgram_, compareVersions_, restore_}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->addStretch();
    buttons->addWidget(close_);
    layout->addLayout(buttons);

    compareProgram_->setToolTip("The selected version against the program's files on disk");
    compareVersions_->setToolTip("Two selected versions against one another");
    restore_->setToolTip("Puts the selected version back and marks what differs for Update Register");
    connect(table_, &QTableWidget::itemSelectionChanged, this, &TProgramHistory::updateButtons);
    connect(compareProgram_, &QPushButton::clicked, this, &TProgramHistory::compareWithProgram);
    connect(compareVersions_, &QPushButton::clicked, this, &TProgramHistory::compareVersions);
    connect(restore_, &QPushButton::clicked, this, &TProgramHistory::restoreSelected);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);

    confirm = [this](const QString& question) {
        return QMessageBox::question(this, kTitle, question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
               QMessageBox::Yes;
    };
    inform = [this](const QString& text, bool problem) {
        if (problem) QMessageBox::warning(this, kTitle, text);
        else QMessageBox::information(this, kTitle, text);
    };
    showDifferences = [this](const std::vector<Difference>& d, const QString& a, const QString& b) {
        TComparePrograms dialog(d, a, b, this);
        dialog.exec();
    };
    reload();
    resize(900, 420);
}

void TProgramHistory::reload() {
    const auto name = q(program_.filename().string());
    try {
        versions_ = history::ProgramHistory(program_).versions();
        summary_->setText(versions_.empty() ? QString("No version of %1 is recorded yet.").arg(name)
                                            : QString("%1 versions of %2, the newest first.")
                                                  .arg(versions_.size())
                                                  .arg(name));
    } catch (const std::exception& e) {
        versions_.clear();
        summary_->setText(QString("The history of %1 cannot be read: %2").arg(name, q(e.what())));
    }
    table_->setRowCount(static_cast<int>(versions_.size()));
    for (int row = 0; row < table_->rowCount(); ++row) {
        const auto& v = versions_[versions_.size() - 1 - static_cast<std::size_t>(row)];
        const QStringList cells{QString::number(v.number),
                                q(history::localTimeText(v.time)),
                                q(std::string(history::eventTitle(v.event))),
                                v.transfer ? q(v.transfer->registers) : QString(),
                                v.transfer ? q(v.transfer->result) : QString(),
                                q(v.note),
                                q(v.person),
                                changedText(v)};
        for (int c = 0; c < cells.size(); ++c) table_->setItem(row, c, new QTableWidgetItem(cells[c]));
    }
    table_->resizeColumnsToContents();
    table_->horizontalHeader()->setStretchLastSection(true);
    if (table_->rowCount() > 0) table_->selectRow(0);
    updateButtons();
}

std::vector<int> TProgramHistory::selectedVersions() const {
    std::vector<int> numbers;
    for (const auto& range : table_->selectionModel()->selectedRows())
        numbers.push_back(table_->item(range.row(), 0)->text().toInt());
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

void TProgramHistory::updateButtons() {
    const auto n = selectedVersions().size();
    compareProgram_->setEnabled(n == 1);
    compareVersions_->setEnabled(n == 2);
    restore_->setEnabled(n == 1);
}

void TProgramHistory::compareWithProgram() {
    const auto selected = selectedVersions();
    if (selected.size() == 1) compare(selected[0], 0);
}

void TProgramHistory::compareVersions() {
    const auto selected = selectedVersions();
    if (selected.size() == 2) compare(selected[0], selected[1]);
}

void TProgramHistory::compare(int a, int b) {
    const auto name = [this](int n) {
        return n == 0 ? q(program_.filename().string()) : QString("Version %1").arg(n);
    };
    try {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto d = diffVersions(program_, a, b);
        QApplication::restoreOverrideCursor();
        showDifferences(d, name(a), name(b));
    } catch (const std::exception& e) {
        QApplication::restoreOverrideCursor();
        inform(q(e.what()), true);
    }
}

void TProgramHistory::restoreSelected() {
    const auto selected = selectedVersions();
    if (selected.size() != 1) return;
    const int number = selected[0];
    if (!confirm(QString("Put version %1 of %2 back?\nThe files on disk are kept as a version first.")
                     .arg(number)
                     .arg(q(program_.filename().string()))))
        return;
    // Another register's settings in the block go back to their files
    // before the files change under them.
    std::vector<std::string> warnings;
    if (context_.session.loaded && context_.session.programPath == program_)
        restoreMachineOne(context_.session, warnings);
    RestoreOutcome outcome;
    try {
        outcome = restoreVersion(program_, number);
    } catch (const std::exception& e) {
        inform(q(e.what()), true);
        return;
    }
    // The window shows the restored program, as after a load.
    const auto loaded = loadProgram(context_.session, program_);
    for (const auto& w : loaded.warnings) warnings.push_back(w);
    if (loaded.ok() && context_.programLoaded) context_.programLoaded(program_);
    else if (context_.refresh) context_.refresh();
    QString text = q(restoreSummary(outcome));
    for (const auto& w : warnings) text += "\n" + q(w);
    inform(text.trimmed(), !outcome.recorded.warning.empty() || !loaded.ok());
    reload();
}

void registerHistoryDialogs(MenuRegistry& registry) {
    registry.add("mProgramHistoryClick", [](AppContext& context) {
        if (!context.session.loaded) return;
        TProgramHistory dialog(context, context.mainWindow);
        dialog.exec();
    });
}

}  // namespace tramond
