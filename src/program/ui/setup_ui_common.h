#pragma once
// Small helpers shared by the Setup views and the country views.

#include <QDialog>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QString>
#include <string_view>

#include <string>

#include "app/language_texts.h"

namespace tramond::ui {

// Language text n, or the built-in English text when the pack lacks it.
inline QString langText(const LanguageTexts& texts, int n, const char* fallback) {
    const auto& t = texts.text(n);
    return QString::fromStdString(t.empty() ? std::string(fallback) : t);
}

// The text without its accelerator marks ("&&" keeps one "&").
inline QString withoutAccelerator(const QString& s) {
    QString out;
    for (int i = 0; i < s.size(); ++i) {
        if (s[i] == QLatin1Char('&')) {
            if (i + 1 < s.size() && s[i + 1] == QLatin1Char('&')) {
                out += QLatin1Char('&');
                ++i;
            }
            continue;
        }
        out += s[i];
    }
    return out;
}

// The texts of the input errors every Setup dialog shows.
struct InputMessages {
    QString errorTitle = QStringLiteral("Error");
    QString wrongInput = QStringLiteral("Wrong Input!");
    const LanguageTexts* texts = nullptr;  // for labelText
};
inline InputMessages inputMessages(const LanguageTexts& texts) {
    return {langText(texts, 677, "Error"), langText(texts, 681, "Wrong Input!"), &texts};
}

// A label the dialogs know by its English text: the pack's entry when the
// built-in table numbers that text, so a pack can translate it; the English
// text itself while it has no number.
inline QString labelText(const InputMessages& m, std::string_view english) {
    if (m.texts) {
        const auto& builtIn = LanguageTexts::builtIn();
        for (int n = 0; n < LanguageTexts::kCount; ++n)
            if (builtIn.text(n) == english) return QString::fromStdString(m.texts->text(n));
    }
    return QString::fromUtf8(english.data(), static_cast<qsizetype>(english.size()));
}

// Only the first "&" removed, as window titles show a language text
// ("&Store Item 1&2" reads "Store Item 1&2").
inline QString withoutFirstAmpersand(QString s) {
    const auto i = s.indexOf(QLatin1Char('&'));
    if (i >= 0) s.remove(i, 1);
    return s;
}

// Number boxes take digits only.
inline void makeDigitsOnly(QLineEdit* edit, int maxLength = 0) {
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    if (maxLength > 0) edit->setMaxLength(maxLength);
}

// Option-style dialogs open on the main window's left edge, 45 pixels below
// its top.
inline void placeBelowMainWindow(QDialog* dialog, QWidget* mainWindow) {
    if (mainWindow) dialog->move(mainWindow->frameGeometry().left(), mainWindow->frameGeometry().top() + 45);
}

}  // namespace tramond::ui
