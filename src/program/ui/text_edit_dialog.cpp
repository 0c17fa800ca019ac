#include "program/ui/text_edit_dialog.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace tramond::ui {

namespace {

constexpr int kNumberColumn = 0;
constexpr int kTextColumn = 1;

// Edits a text cell in a plain line edit so that every key stroke reaches the
// controller: the width is enforced on key release, not by the line edit.
class LineDelegate : public QStyledItemDelegate {
public:
    explicit LineDelegate(TextEditDialog* dialog) : QStyledItemDelegate(dialog), dialog_(dialog) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        auto* editor = new QLineEdit(parent);
        editor->setFrame(false);
        const int row = index.row();
        auto* dialog = dialog_;
        QObject::connect(editor, &QLineEdit::textEdited, dialog,
                         [dialog, row](const QString& text) { dialog->cellTextEdited(row, text); });
        dialog_->editorOpened(row, editor);
        return editor;
    }

    void destroyEditor(QWidget* editor, const QModelIndex& index) const override {
        dialog_->editorClosed(qobject_cast<QLineEdit*>(editor));
        QStyledItemDelegate::destroyEditor(editor, index);
    }

private:
    TextEditDialog* dialog_;
};

bool isInside(const QWidget* w, const QWidget* container) {
    for (; w; w = w->parentWidget())
        if (w == container) return true;
    return false;
}

}  // namespace

TextEditDialog::TextEditDialog(LineGrid& grid, const QString& title, const QString& outOfLineText,
                               QWidget* parent)
    : QDialog(parent), grid_(grid) {
    setObjectName("TTextEdit");
    setWindowTitle(title);

    table_ = new QTableWidget(grid.lineCount(), 2, this);
    table_->setObjectName("StringGrid1");
    table_->horizontalHeader()->hide();
    table_->verticalHeader()->hide();
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    table_->setItemDelegateForColumn(kTextColumn, new LineDelegate(this));
    QFont mono("Courier New");
    mono.setStyleHint(QFont::Monospace);
    table_->setFont(mono);

    outOfLine_ = new QLabel(outOfLineText, this);
    outOfLine_->setObjectName("Label1");
    outOfLine_->setStyleSheet("color: red");
    outOfLine_->hide();

    ok_ = new QPushButton(tr("OK"), this);
    ok_->setObjectName("BitBtn1");
    ok_->setDefault(false);
    ok_->setAutoDefault(false);
    connect(ok_, &QPushButton::clicked, this, &TextEditDialog::okClicked);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(outOfLine_);
    bottom->addStretch();
    bottom->addWidget(ok_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addLayout(bottom);

    connect(table_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (item->column() == kTextColumn && !table_->signalsBlocked())
            grid_.edit(item->row(), item->text().toStdString());
    });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        if (isInside(old, table_) && !isInside(now, table_)) {
            if (editor_) grid_.edit(editorRow_, editor_->text().toStdString());
            grid_.focusLost();
            syncFromGrid();
        }
    });

    syncFromGrid();
    fitToLines();
}

void TextEditDialog::fitToLines() {
    // As wide as a full line of the register's width, as high as every line
    // where the screen has room (a long list scrolls).
    const QFontMetrics fm(table_->font());
    const int pad = 2 * table_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 12;
    table_->setColumnWidth(kNumberColumn, fm.horizontalAdvance(QString::number(grid_.lineCount())) + pad);
    table_->setColumnWidth(kTextColumn, fm.horizontalAdvance(QString(std::max(1, grid_.width()), QChar('M'))) + pad);
    table_->resizeRowsToContents();
    const int rowHeight = table_->rowCount() > 0 ? table_->rowHeight(0) : fm.height() + 6;
    int rows = grid_.lineCount();
    if (const auto* s = screen()) rows = std::min(rows, std::max(4, s->availableGeometry().height() * 2 / 3 / rowHeight));
    const int bar = table_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const bool scrolls = rows < grid_.lineCount();
    table_->setMinimumSize(table_->columnWidth(kNumberColumn) + table_->columnWidth(kTextColumn) +
                               2 * table_->frameWidth() + (scrolls ? bar : 0),
                           rows * rowHeight + 2 * table_->frameWidth());
    if (!scrolls) table_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    adjustSize();
}

TextEditDialog::~TextEditDialog() {
    // Focus moves while the children go; the grid must not hear of it then.
    disconnect(qApp, nullptr, this, nullptr);
}

void TextEditDialog::syncRow(int row) {
    const QString text = QString::fromStdString(grid_.cell(row));
    auto* item = table_->item(row, kTextColumn);
    if (!item) {
        table_->setItem(row, kTextColumn, new QTableWidgetItem(text));
    } else if (item->text() != text) {
        item->setText(text);
    }
}

void TextEditDialog::syncFromGrid() {
    const bool blocked = table_->blockSignals(true);
    for (int row = 0; row < grid_.lineCount(); ++row) {
        if (!table_->item(row, kNumberColumn)) {
            auto* number = new QTableWidgetItem(QString::number(row + 1));
            number->setFlags(number->flags() & ~Qt::ItemIsEditable);
            table_->setItem(row, kNumberColumn, number);
        }
        syncRow(row);
    }
    table_->blockSignals(blocked);
    table_->viewport()->update();
    outOfLine_->setVisible(grid_.outOfLine());
}

void TextEditDialog::editorOpened(int row, QLineEdit* editor) {
    editor_ = editor;
    editorRow_ = row;
    editor->installEventFilter(this);
}

void TextEditDialog::editorClosed(QLineEdit* editor) {
    if (editor == editor_) {
        editor_ = nullptr;
        editorRow_ = -1;
    }
}

void TextEditDialog::cellTextEdited(int row, const QString& text) {
    grid_.edit(row, text.toStdString());
    outOfLine_->setVisible(grid_.outOfLine());
}

void TextEditDialog::cellKeyReleased(int row, QLineEdit* editor) {
    grid_.edit(row, editor->text().toStdString());
    grid_.keyReleased(row);
    const QString cell = QString::fromStdString(grid_.cell(row));
    if (editor->text() != cell) editor->setText(cell);
    outOfLine_->setVisible(grid_.outOfLine());
}

bool TextEditDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == editor_ && event->type() == QEvent::KeyRelease) cellKeyReleased(editorRow_, editor_);
    return QDialog::eventFilter(watched, event);
}

void TextEditDialog::okClicked() {
    if (editor_) grid_.edit(editorRow_, editor_->text().toStdString());
    grid_.focusLost();
    grid_.accept();
    accept();
}

void TextEditDialog::sizeColumns() {
    // The line numbers keep their width; the text takes the rest.
    const int number = table_->columnWidth(kNumberColumn);
    table_->setColumnWidth(kTextColumn, std::max(table_->viewport()->width() - number, number));
}

void TextEditDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    sizeColumns();
}

void TextEditDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    sizeColumns();
}

}  // namespace tramond::ui
