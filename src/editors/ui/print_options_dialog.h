#pragma once
// TSetPrintOptions: six boxes for bits 0..5 of a record's print option byte.
// OK rebuilds the byte (bits 6 and 7 become 0); any other way out keeps it.

#include <QDialog>
#include <array>
#include <cstdint>

#include "app/language_texts.h"

class QCheckBox;

namespace tramond::ui {

class TSetPrintOptions : public QDialog {
    Q_OBJECT
public:
    TSetPrintOptions(std::uint8_t byte, const LanguageTexts& texts, QWidget* parent = nullptr);
    // The byte after OK; the byte given otherwise.
    std::uint8_t byte() const { return byte_; }

private:
    void onOk();
    std::uint8_t byte_;
    std::array<QCheckBox*, 6> boxes_{};
};

// Shows the dialog modally and returns the byte it leaves.
std::uint8_t editPrintOptions(std::uint8_t byte, const LanguageTexts& texts, QWidget* parent);

}  // namespace tramond::ui
