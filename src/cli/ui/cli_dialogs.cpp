#include "cli/ui/cli_dialogs.h"

#include <QApplication>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <mutex>

#include "cli/record_columns.h"
#include "cli/record_csv.h"
#include "cli/register_verify.h"
#include "link/link_settings.h"
#include "link/ui/register_ops_menu.h"
#include "link/ui/register_port.h"
#include "link/ui/window_thread_bridge.h"
#include "platform/desktop_choosers.h"
#include "program/file_io.h"

namespace tramond {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }
QString fileName(const std::filesystem::path& p) { return q(p.filename().string()); }

void placeBelowMainWindow(QWidget* dialog, QWidget* mainWindow) {
    if (mainWindow) dialog->move(mainWindow->frameGeometry().left(), mainWindow->frameGeometry().top() + 45);
}

void showError(AppContext& ctx, const QString& title, const QString& text) {
    QMessageBox::critical(ctx.mainWindow, title, text);
}

std::optional<std::filesystem::path> chooseProgram(AppContext& ctx, const QString& title) {
    FileDialogRequest request;
    request.title = title.toStdString();
    if (ctx.session.loaded) request.directory = ctx.session.programPath.parent_path();
    request.filter = "Application (*.app)|*.app|All Files (*)|*";
    return desktopChoosers().openFile(ctx.mainWindow, request);
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
    FileDialogRequest request;
    request.title = "Export to CSV";
    request.directory = suggested.parent_path();
    request.fileName = suggested.filename().string();
    request.filter = "CSV (*.csv)|*.csv|All Files (*)|*";
    request.defaultSuffix = "csv";
    const auto target = desktopChoosers().saveFile(ctx.mainWindow, request);
    if (!target) return;
    try {
        writeTextFileAtomic(*target, exportRecords(ProgramImage::read(program), *kind));
    } catch (const std::exception& e) {
        showError(ctx, "Export to CSV", q(e.what()));
    }
}

void importCsv(AppContext& ctx) {
    const auto kind = chooseKind(ctx, "Import from CSV");
    if (!kind) return;
    FileDialogRequest request;
    request.title = "Import from CSV";
    request.directory = ctx.session.programPath.parent_path();
    request.filter = "CSV (*.csv)|*.csv|All Files (*)|*";
    const auto source = desktopChoosers().openFile(ctx.mainWindow, request);
    if (!source) return;
    try {
        const std::string text = readCsvFile(*source);
        std::optional<history::RecordOutcome> version;
        const auto outcome = importRecordsRecorded(ProgramImage::read(ctx.session.programPath), *kind, text,
                                                   source->filename().string(), version);
        if (version && !version->warning.empty())
            QMessageBox::warning(ctx.mainWindow, "Import from CSV", q(history::warningText(*version)));
        if (!outcome.ok()) {
            // Enough to find the rows; the rest would not fit a message box.
            constexpr std::size_t kShown = 15;
            QString list;
            for (std::size_t i = 0; i < outcome.problems.size() && i < kShown; ++i)
                list += q(outcome.problems[i].describe()) + "\n";
            const auto listed = std::min(outcome.problems.size(), kShown);
            if (outcome.problemCount > listed)
                list += QString("... and %1 more\n").arg(outcome.problemCount - listed);
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
    // On the worker like every register operation: the window repaints and
    // Cancel is heard while a register stays silent.
    WindowThreadBridge bridge(host, ctx.mainWindow);
    request.port = port.get();
    request.host = &bridge.workerHost();
    std::mutex runningLock;
    RegisterOperations* running = nullptr;
    request.started = [&](RegisterOperations& ops) {
        std::lock_guard lock(runningLock);
        running = &ops;
    };
    request.ended = [&] {
        std::lock_guard lock(runningLock);
        running = nullptr;
    };
    host.onCancel = [&] {
        {
            std::lock_guard lock(runningLock);
            if (running) running->cancel();
        }
        bridge.cancel();
    };
    QApplication::setOverrideCursor(Qt::BusyCursor);
    VerifyOutcome outcome;
    try {
        bridge.run([&] {
            outcome = verifyRegister(program, request);
            return true;
        });
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

namespace {

// A value as a tooltip can hold it: long runs (hex dumps) broken into lines.
QString wrapped(const QString& value) {
    constexpr int kLine = 64;
    QStringList lines;
    for (int i = 0; i < value.size(); i += kLine) lines << value.mid(i, kLine);
    return lines.join('\n');
}

}  // namespace

TComparePrograms::TComparePrograms(const std::vector<Difference>& differences, const QString& nameA,
                                   const QString& nameB, QWidget* parent)
    : QDialog(parent), differences_(differences), nameA_(nameA), nameB_(nameB) {
    setWindowTitle("Compare Programs");
    auto* layout = new QVBoxLayout(this);
    summary_ = new QLabel(differences.empty() ? QString("The programs are the same: %1 and %2.").arg(nameA, nameB)
                                              : QString("%1 differences between %2 and %3.")
                                                    .arg(differences.size())
                                                    .arg(nameA, nameB),
                          this);
    summary_->setWordWrap(true);
    layout->addWidget(summary_);
    table_ = new QTableWidget(static_cast<int>(differences.size()), 5, this);
    table_->setHorizontalHeaderLabels({"Where", "Record", "Item", nameA, nameB});
    table_->verticalHeader()->setVisible(false);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setWordWrap(false);
    table_->setTextElideMode(Qt::ElideRight);
    for (int r = 0; r < table_->rowCount(); ++r) {
        const auto& d = differences[static_cast<std::size_t>(r)];
        const auto item = d.caption.empty() ? q(d.item) : q(d.item) + " (" + q(d.caption) + ")";
        const QStringList cells{q(d.area), d.record ? QString::number(d.record) : QString(), item, q(d.a), q(d.b)};
        for (int c = 0; c < cells.size(); ++c) {
            auto* cell = new QTableWidgetItem(cells[c]);
            if (c >= 2) cell->setToolTip(wrapped(cells[c]));
            table_->setItem(r, c, cell);
        }
    }
    // The columns fit the window: where and record as wide as they need,
    // the item up to a third of the table, the two values share the rest
    // (cut short with "…"; the whole value is in the tooltip and below).
    auto* header = table_->horizontalHeader();
    header->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(2, QHeaderView::Interactive);
    header->setSectionResizeMode(3, QHeaderView::Stretch);
    header->setSectionResizeMode(4, QHeaderView::Stretch);
    table_->resizeColumnToContents(2);
    itemWidth_ = table_->columnWidth(2);
    table_->installEventFilter(this);
    layout->addWidget(table_, 1);
    detail_ = new QPlainTextEdit(this);
    detail_->setObjectName("Detail");
    detail_->setReadOnly(true);
    detail_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    detail_->setMaximumHeight(7 * detail_->fontMetrics().lineSpacing());
    layout->addWidget(detail_);
    table_->setVisible(!differences.empty());
    detail_->setVisible(!differences.empty());
    connect(table_, &QTableWidget::currentCellChanged, this, [this](int row) { showDetail(row); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    close_ = new QPushButton("&Close", this);
    close_->setDefault(true);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(close_);
    layout->addLayout(buttons);
    if (differences.empty()) {
        // Nothing to list: a sentence, not an empty table.
        layout->setSizeConstraint(QLayout::SetFixedSize);
    } else {
        resize(760, 480);
        table_->setCurrentCell(0, 0);
    }
}

void TComparePrograms::showDetail(int row) {
    if (row < 0 || row >= static_cast<int>(differences_.size())) {
        detail_->clear();
        return;
    }
    const auto& d = differences_[static_cast<std::size_t>(row)];
    QString where = q(d.area);
    if (d.record) where += QString(" record %1").arg(d.record);
    where += ", " + q(d.item);
    if (!d.caption.empty()) where += " (" + q(d.caption) + ")";
    detail_->setPlainText(QString("%1\n%2: %3\n%4: %5").arg(where, nameA_, q(d.a), nameB_, q(d.b)));
}

bool TComparePrograms::eventFilter(QObject* watched, QEvent* event) {
    // The item column as wide as its longest item, up to a third of the table.
    if (watched == table_ && event->type() == QEvent::Resize) {
        const int width = static_cast<QResizeEvent*>(event)->size().width();  // the viewport follows later
        table_->setColumnWidth(2, std::min(itemWidth_, std::max(40, width / 3)));
    }
    return QDialog::eventFilter(watched, event);
}

void registerCliDialogs(MenuRegistry& registry) {
    registry.add("mCompareProgramsClick", comparePrograms);
    registry.add("mExportCsvClick", exportCsv);
    registry.add("mImportCsvClick", importCsv);
    registry.add("mVerifyRegisterClick", verifyRegisterFromMenu);
}

}  // namespace tramond
