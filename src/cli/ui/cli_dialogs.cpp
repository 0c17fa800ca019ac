#include "cli/ui/cli_dialogs.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <fstream>
#include <iterator>

#include "cli/record_columns.h"
#include "cli/record_csv.h"
#include "cli/register_verify.h"
#include "link/link_settings.h"
#include "link/ui/register_ops_menu.h"
#include "link/ui/register_port.h"
#include "program/file_io.h"

namespace tramond {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }
QString fileName(const std::filesystem::path& p) { return q(p.filename().string()); }

void placeBelowMainWindow(QWidget* dialog, QWidget* mainWindow) {
    if (mainWindow) dialog->move(mainWindow->geometry().left(), mainWindow->geometry().top() + 45);
}

void showError(AppContext& ctx, const QString& title, const QString& text) {
    QMessageBox::critical(ctx.mainWindow, title, text);
}

std::optional<std::filesystem::path> chooseProgram(AppContext& ctx, const QString& title) {
    const auto dir = ctx.session.loaded ? q(ctx.session.programPath.parent_path().string()) : QString();
    const auto chosen = QFileDialog::getOpenFileName(ctx.mainWindow, title, dir, "Application (*.app);;All Files (*)");
    if (chosen.isEmpty()) return std::nullopt;
    return std::filesystem::path(chosen.toStdString());
}

// The record file to exchange: the kinds with an editor layout, by name.
std::optional<RecordKind> chooseKind(AppContext& ctx, const QString& title) {
    QStringList names;
    const auto kinds = tableKinds();
    for (auto k : kinds) names << q(std::string(kindInfo(k).name));
    bool ok = false;
    const auto chosen = QInputDialog::getItem(ctx.mainWindow, title, "Record file:", names, 0, false, &ok);
    if (!ok) return std::nullopt;
    return kinds[static_cast<std::size_t>(names.indexOf(chosen))];
}

void showDifferences(AppContext& ctx, const std::vector<Difference>& d, const QString& a, const QString& b) {
    TComparePrograms dialog(d, a, b, ctx.mainWindow);
    placeBelowMainWindow(&dialog, ctx.mainWindow);
    dialog.exec();
}

void comparePrograms(AppContext& ctx) {
    std::filesystem::path first;
    if (ctx.session.loaded) {
        first = ctx.session.programPath;
    } else {
        auto chosen = chooseProgram(ctx, "Compare Programs: first program");
        if (!chosen) return;
        first = *chosen;
    }
    const auto second = chooseProgram(ctx, "Compare " + fileName(first) + " with");
    if (!second) return;
    try {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto d = diffPrograms(ProgramImage::read(first), ProgramImage::read(*second));
        QApplication::restoreOverrideCursor();
        showDifferences(ctx, d, fileName(first), fileName(*second));
    } catch (const std::exception& e) {
        QApplication::restoreOverrideCursor();
        showError(ctx, "Compare Programs", q(e.what()));
    }
}

void exportCsv(AppContext& ctx) {
    const auto kind = chooseKind(ctx, "Export to CSV");
    if (!kind) return;
    const auto& program = ctx.session.programPath;
    const auto suggested = program.parent_path() / (program.stem().string() + "-" + kindWord(*kind) + ".csv");
    const auto target = QFileDialog::getSaveFileName(ctx.mainWindow, "Export to CSV", q(suggested.string()),
                                                     "CSV (*.csv);;All Files (*)");
    if (target.isEmpty()) return;
    try {
        writeTextFileAtomic(target.toStdString(), exportRecords(ProgramImage::read(program), *kind));
    } catch (const std::exception& e) {
        showError(ctx, "Export to CSV", q(e.what()));
    }
}

void importCsv(AppContext& ctx) {
    const auto kind = chooseKind(ctx, "Import from CSV");
    if (!kind) return;
    const auto source = QFileDialog::getOpenFileName(ctx.mainWindow, "Import from CSV",
                                                     q(ctx.session.programPath.parent_path().string()),
                                                     "CSV (*.csv);;All Files (*)");
    if (source.isEmpty()) return;
    std::ifstream in(source.toStdString(), std::ios::binary);
    if (!in) return showError(ctx, "Import from CSV", source + " cannot be read.");
    const std::string text(std::istreambuf_iterator<char>(in), {});
    try {
        std::optional<history::RecordOutcome> version;
        const auto outcome = importRecordsRecorded(ProgramImage::read(ctx.session.programPath), *kind, text,
                                                   QFileInfo(source).fileName().toStdString(), version);
        if (version && !version->warning.empty())
            QMessageBox::warning(ctx.mainWindow, "Import from CSV", q(history::warningText(*version)));
        if (!outcome.ok()) {
            // Enough to find the rows; the rest would not fit a message box.
            constexpr std::size_t kShown = 15;
            QString list;
            for (std::size_t i = 0; i < outcome.problems.size() && i < kShown; ++i)
                list += q(outcome.problems[i].describe()) + "\n";
            if (outcome.problems.size() > kShown)
                list += QString("... and %1 more\n").arg(outcome.problems.size() - kShown);
            QMessageBox::warning(ctx.mainWindow, "Import from CSV", list + "\nNothing was written.");
            return;
        }
        QMessageBox::information(ctx.mainWindow, "Import from CSV",
                                 QString("%1 rows read; %2 records changed and marked for Update Register.")
                                     .arg(outcome.rows)
                                     .arg(outcome.changedRecords.size()));
        if (ctx.refresh) ctx.refresh();
    } catch (const std::exception& e) {
        showError(ctx, "Import from CSV", q(e.what()));
    }
}

void verifyRegisterFromMenu(AppContext& ctx) {
    ProgramImage program;
    try {
        program = ProgramImage::read(ctx.session.programPath);
    } catch (const std::exception& e) {
        return showError(ctx, "Verify Register", q(e.what()));
    }
    VerifyRequest request;
    const auto exeDir = QCoreApplication::instance()
                            ? std::filesystem::path(QCoreApplication::applicationDirPath().toStdString())
                            : std::filesystem::path(".");
    request.config.link = loadCommsSettings(ctx.settings, exeDir);
    const auto port = makeRegisterPort(request.config.link.port);
    QtRegisterOpsHost host(ctx);
    request.port = port.get();
    request.host = &host;
    request.started = [&host](RegisterOperations& ops) { host.onCancel = [&ops] { ops.cancel(); }; };
    QApplication::setOverrideCursor(Qt::WaitCursor);
    VerifyOutcome outcome;
    try {
        outcome = verifyRegister(program, request);
    } catch (const std::exception& e) {
        outcome.problem = e.what();
    }
    QApplication::restoreOverrideCursor();
    switch (outcome.status) {
        case VerifyOutcome::Status::Same:
            QMessageBox::information(ctx.mainWindow, "Verify Register", "The register holds the program.");
            break;
        case VerifyOutcome::Status::Different:
            showDifferences(ctx, outcome.differences, fileName(program.appPath), "Register");
            break;
        case VerifyOutcome::Status::NotRead:
            if (!outcome.problem.empty()) showError(ctx, "Verify Register", q(outcome.problem));
            break;
    }
}

}  // namespace

TComparePrograms::TComparePrograms(const std::vector<Difference>& differences, const QString& nameA,
                                   const QString& nameB, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle("Compare Programs");
    auto* layout = new QVBoxLayout(this);
    summary_ = new QLabel(differences.empty() ? QString("%1 and %2 are the same.").arg(nameA, nameB)
                                              : QString("%1 differences between %2 and %3.")
                                                    .arg(differences.size())
                                                    .arg(nameA, nameB),
                          this);
    layout->addWidget(summary_);
    table_ = new QTableWidget(static_cast<int>(differences.size()), 5, this);
    table_->setHorizontalHeaderLabels({"Where", "Record", "Item", nameA, nameB});
    table_->verticalHeader()->setVisible(false);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setWordWrap(false);
    for (int r = 0; r < table_->rowCount(); ++r) {
        const auto& d = differences[static_cast<std::size_t>(r)];
        const auto item = d.caption.empty() ? q(d.item) : q(d.item) + " (" + q(d.caption) + ")";
        const QStringList cells{q(d.area), d.record ? QString::number(d.record) : QString(), item, q(d.a), q(d.b)};
        for (int c = 0; c < cells.size(); ++c) table_->setItem(r, c, new QTableWidgetItem(cells[c]));
    }
    table_->resizeColumnsToContents();
    table_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    close_ = new QPushButton("&Close", this);
    close_->setDefault(true);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(close_);
    layout->addLayout(buttons);
    resize(760, 440);
}

void registerCliDialogs(MenuRegistry& registry) {
    registry.add("mCompareProgramsClick", comparePrograms);
    registry.add("mExportCsvClick", exportCsv);
    registry.add("mImportCsvClick", importCsv);
    registry.add("mVerifyRegisterClick", verifyRegisterFromMenu);
}

}  // namespace tramond
