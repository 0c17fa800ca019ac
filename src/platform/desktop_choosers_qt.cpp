#include "platform/desktop_choosers_qt.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStringList>
#include <QVBoxLayout>

namespace tramond {
namespace {

QtDesktopChoosers& qtChoosers() {
    static QtDesktopChoosers choosers;
    return choosers;
}

DesktopChoosers* current = nullptr;

constexpr int kFamilyRole = Qt::UserRole;

// The order of the style list.
enum StyleRow { Regular, Italic, Bold, BoldItalic };

QIcon swatch(const QColor& c, int size) {
    QPixmap p(size, size);
    p.fill(c);
    QPainter painter(&p);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, size - 1, size - 1);
    return QIcon(p);
}

std::optional<std::filesystem::path> runFileDialog(QFileDialog& dialog, const FileDialogRequest& request, bool save) {
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);  // the tool asks in its own words
    if (!request.directory.empty()) dialog.setDirectory(QString::fromStdString(request.directory.string()));
    if (!request.filter.empty()) dialog.setNameFilter(QtDesktopChoosers::qtFilter(request.filter));
    if (!request.defaultSuffix.empty()) dialog.setDefaultSuffix(QString::fromStdString(request.defaultSuffix));
    if (!request.fileName.empty()) dialog.selectFile(QString::fromStdString(request.fileName));
    if (save) {
        // A name typed without a suffix takes the one of the chosen type.
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
            const auto star = filter.indexOf(QStringLiteral("*."));
            const auto end = filter.indexOf(QRegularExpression(QStringLiteral("[ ;)]")), star);
            const QString suffix = star < 0 ? QString() : filter.mid(star + 2, end < 0 ? -1 : end - star - 2);
            if (!suffix.isEmpty() && suffix != QStringLiteral("*")) dialog.setDefaultSuffix(suffix);
        });
    }
    if (!request.acceptLabel.empty()) {
        // A relabelled button needs the widget-based dialog on every desktop.
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setLabelText(QFileDialog::Accept, QString::fromStdString(request.acceptLabel));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return std::filesystem::path(dialog.selectedFiles().first().toStdString());
}

}  // namespace

DesktopChoosers& desktopChoosers() { return current ? *current : qtChoosers(); }

ScopedDesktopChoosers::ScopedDesktopChoosers(DesktopChoosers& choosers) : previous_(current) { current = &choosers; }

ScopedDesktopChoosers::~ScopedDesktopChoosers() { current = previous_; }

QString QtDesktopChoosers::qtFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString pattern = parts[i + 1];
        pattern.replace(';', ' ');
        // The description normally names its patterns already.
        out << (parts[i].contains('(') ? QString(parts[i]).replace(';', ' ') : parts[i] + " (" + pattern + ")");
    }
    return out.join(";;");
}

std::optional<FontChoice> QtDesktopChoosers::chooseFont(QWidget* parent, const QString& title,
                                                        const FontChoice& start) {
    TFontDialog dialog(start, title, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.choice();
}

std::optional<QColor> QtDesktopChoosers::chooseColour(QWidget* parent, const QString& title, const QColor& start) {
    const QColor c = QColorDialog::getColor(start, parent, title);
    if (!c.isValid()) return std::nullopt;
    return c;
}

std::optional<std::filesystem::path> QtDesktopChoosers::openFile(QWidget* parent, const FileDialogRequest& request) {
    QFileDialog dialog(parent, QString::fromStdString(request.title));
    return runFileDialog(dialog, request, false);
}

std::optional<std::filesystem::path> QtDesktopChoosers::saveFile(QWidget* parent, const FileDialogRequest& request) {
    QFileDialog dialog(parent, QString::fromStdString(request.title));
    return runFileDialog(dialog, request, true);
}

std::optional<std::filesystem::path> QtDesktopChoosers::openPicture(QWidget* parent,
                                                                    const FileDialogRequest& request) {
    QFileDialog dialog(parent, QString::fromStdString(request.title));
    // The preview needs the widget-based dialog; its grid takes one more column.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    auto* preview = new QLabel(&dialog);
    preview->setObjectName("PicturePreview");
    preview->setFixedSize(160, 160);
    preview->setAlignment(Qt::AlignCenter);
    preview->setFrameShape(QFrame::StyledPanel);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
        grid->addWidget(preview, 1, grid->columnCount(), grid->rowCount() - 1, 1, Qt::AlignTop);
    QObject::connect(&dialog, &QFileDialog::currentChanged, preview, [preview](const QString& file) {
        QImageReader reader(file);
        const QImage image = reader.canRead() ? reader.read() : QImage();
        if (image.isNull()) {
            preview->clear();
            return;
        }
        preview->setPixmap(QPixmap::fromImage(image).scaled(preview->size() - QSize(4, 4), Qt::KeepAspectRatio,
                                                            Qt::SmoothTransformation));
    });
    return runFileDialog(dialog, request, false);
}

// ---- TFontDialog -------------------------------------------------------------------

QString TFontDialog::missingFamilyLine(const QString& family) {
    return QStringLiteral("%1 (not installed, shown as %2)").arg(family, QFontInfo(QFont(family)).family());
}

TFontDialog::TFontDialog(const FontChoice& start, const QString& title, QWidget* parent)
    : QDialog(parent), start_(start), colour_(start.colour) {
    setObjectName("TFontDialog");
    setWindowTitle(title.isEmpty() ? QStringLiteral("Font") : title);

    familyEdit = new QLineEdit(this);
    families = new QListWidget(this);
    families->setObjectName("Families");
    const QString stored = start.font.family();
    const QStringList installed = QFontDatabase::families();
    bool storedInstalled = false;
    for (const auto& f : installed) {
        if (start.familyLimit > 0 && f.toUtf8().size() > start.familyLimit) continue;
        // "C059 [urw]": the same family once more by its foundry.
        if (f.contains('[') && f.compare(stored, Qt::CaseInsensitive) != 0) continue;
        auto* item = new QListWidgetItem(f, families);
        item->setData(kFamilyRole, f);
        if (f.compare(stored, Qt::CaseInsensitive) == 0) {
            // The name as stored, so that OK without a change gives it back.
            item->setData(kFamilyRole, stored);
            storedInstalled = true;
            families->setCurrentItem(item);
        }
    }
    if (!storedInstalled && !stored.isEmpty()) {
        // First in the list, by the name the key keeps.
        auto* item = new QListWidgetItem(missingFamilyLine(stored));
        item->setData(kFamilyRole, stored);
        families->insertItem(0, item);
        families->setCurrentItem(item);
    }
    familyEdit->setText(stored);

    styles = new QListWidget(this);
    styles->setObjectName("Styles");
    styles->addItems({QStringLiteral("Regular"), QStringLiteral("Italic"), QStringLiteral("Bold"),
                      QStringLiteral("Bold Italic")});
    styles->setCurrentRow(start.font.bold() ? (start.font.italic() ? BoldItalic : Bold)
                                            : (start.font.italic() ? Italic : Regular));
    size = new QSpinBox(this);
    size->setRange(1, 200);
    size->setValue(start.font.pointSize() > 0 ? start.font.pointSize() : qRound(start.font.pointSizeF()));

    auto* effects = new QGroupBox(QStringLiteral("Effects"), this);
    strikeOut = new QCheckBox(QStringLiteral("Stri&keout"), effects);
    underline = new QCheckBox(QStringLiteral("&Underline"), effects);
    strikeOut->setChecked(start.font.strikeOut());
    underline->setChecked(start.font.underline());
    colour = new QPushButton(QStringLiteral("Co&lour..."), effects);
    auto* el = new QVBoxLayout(effects);
    el->addWidget(strikeOut);
    el->addWidget(underline);
    el->addWidget(colour);

    auto* sampleBox = new QGroupBox(QStringLiteral("Sample"), this);
    sample = new QLabel(QStringLiteral("AaBbYyZz"), sampleBox);
    sample->setAlignment(Qt::AlignCenter);
    sample->setMinimumSize(220, 70);
    auto* sl = new QVBoxLayout(sampleBox);
    sl->addWidget(sample);

    auto* familyLabel = new QLabel(QStringLiteral("&Font:"), this);
    familyLabel->setBuddy(familyEdit);
    auto* styleLabel = new QLabel(QStringLiteral("Font st&yle:"), this);
    styleLabel->setBuddy(styles);
    auto* sizeLabel = new QLabel(QStringLiteral("&Size:"), this);
    sizeLabel->setBuddy(size);
    auto* grid = new QGridLayout;
    grid->addWidget(familyLabel, 0, 0);
    grid->addWidget(styleLabel, 0, 1);
    grid->addWidget(sizeLabel, 0, 2);
    grid->addWidget(familyEdit, 1, 0);
    grid->addWidget(families, 2, 0, 2, 1);
    grid->addWidget(styles, 1, 1, 2, 1);
    grid->addWidget(size, 1, 2, Qt::AlignTop);
    grid->addWidget(effects, 3, 1, 1, 2);
    grid->setColumnStretch(0, 1);
    families->setMinimumWidth(families->sizeHintForColumn(0) + 30);
    styles->setMaximumHeight(styles->sizeHintForRow(0) * 4 + 2 * styles->frameWidth() + 4);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(sampleBox);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    connect(families, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (!item) return;
        const QString f = item->data(kFamilyRole).toString();
        if (familyEdit->text() != f) familyEdit->setText(f);
        showSample();
    });
    connect(familyEdit, &QLineEdit::textEdited, this, [this](const QString& t) {
        // Typing jumps to the first family that begins so.
        for (int i = 0; i < families->count(); ++i)
            if (families->item(i)->data(kFamilyRole).toString().startsWith(t, Qt::CaseInsensitive)) {
                QSignalBlocker block(familyEdit);
                families->setCurrentRow(i);
                familyEdit->setText(t);
                break;
            }
    });
    connect(styles, &QListWidget::currentRowChanged, this, [this] { showSample(); });
    connect(size, &QSpinBox::valueChanged, this, [this] { showSample(); });
    connect(underline, &QCheckBox::toggled, this, [this] { showSample(); });
    connect(strikeOut, &QCheckBox::toggled, this, [this] { showSample(); });
    connect(colour, &QPushButton::clicked, this, [this] {
        if (const auto c = desktopChoosers().chooseColour(this, QStringLiteral("Font Colour"), colour_)) {
            colour_ = *c;
            showColour();
            showSample();
        }
    });
    showColour();
    showSample();
}

QString TFontDialog::chosenFamily() const {
    const auto* item = families->currentItem();
    return item ? item->data(kFamilyRole).toString() : start_.font.family();
}

FontChoice TFontDialog::choice() const {
    FontChoice out = start_;
    out.font.setFamily(chosenFamily());
    out.font.setPointSize(size->value());
    const int s = styles->currentRow();
    out.font.setBold(s == Bold || s == BoldItalic);
    out.font.setItalic(s == Italic || s == BoldItalic);
    out.font.setUnderline(underline->isChecked());
    out.font.setStrikeOut(strikeOut->isChecked());
    out.colour = colour_;
    return out;
}

void TFontDialog::showColour() { colour->setIcon(swatch(colour_, colour->fontMetrics().height())); }

void TFontDialog::showSample() {
    QFont f = choice().font;
    // Large key fonts are shown at a size the box can hold.
    f.setPointSize(std::min(size->value(), 28));
    sample->setFont(f);
    QPalette p = sample->palette();
    p.setColor(QPalette::WindowText, colour_);
    sample->setPalette(p);
}

}  // namespace tramond
