#include "program/ui/text_editors.h"

#include "program/file_io.h"
#include "program/ui/message_box.h"
#include "program/ui/text_edit_dialog.h"

namespace tramond {

namespace {

constexpr int kNoProgramLoaded = 392;
constexpr int kErrorOpeningFile = 398;
constexpr int kNotAvailable = 400;
constexpr int kErrorTitle = 677;
constexpr int kOutOfLine = 817;

QString text(const LanguageTexts& texts, int n, const char* fallback) {
    const auto& t = texts.text(n);
    return QString::fromStdString(t.empty() ? std::string(fallback) : t);
}

}  // namespace

void runTextEditor(AppContext& context, const TextEditorInfo& info) {
    const auto& texts = context.texts;
    QWidget* parent = context.mainWindow;
    const QString errorTitle = text(texts, kErrorTitle, "Error");

    switch (TextEditorController::check(context.session, info)) {
        case TextEditorController::Check::NoProgram:
            ui::showMessage(parent, ui::MessageKind::Warning, "Warning",
                            text(texts, kNoProgramLoaded, "No Program Loaded !"));
            return;
        case TextEditorController::Check::NotAvailable:
            ui::showMessage(parent, ui::MessageKind::Error, errorTitle,
                            text(texts, kNotAvailable, "Not Available with this Application !!"));
            return;
        case TextEditorController::Check::Ok: break;
    }

    std::optional<TextEditorController> controller;
    try {
        controller.emplace(context.session, info);
    } catch (const FileError&) {
        // An unreadable trailer file is not overwritten with an empty one.
        ui::showMessage(parent, ui::MessageKind::Error, errorTitle,
                        text(texts, kErrorOpeningFile, "Error opening File !!"));
        return;
    }

    std::string title = texts.plain(info.titleText);
    if (title.empty()) title = std::string(info.title);
    {
        ui::TextEditDialog dialog(controller->grid(), QString::fromStdString(title),
                                  text(texts, kOutOfLine, "Out of Line"), parent);
        dialog.exec();
    }
    if (controller->finish() == TextEditorController::Outcome::WriteFailed) {
        // The edit stays in memory; the user must know the file did not take it.
        ui::showMessage(parent, ui::MessageKind::Error, errorTitle,
                        text(texts, kErrorOpeningFile, "Error opening File !!"));
    }
}

void registerTextEditors(MenuRegistry& registry) {
    for (const auto& info : textEditors()) {
        const TextEditorInfo* s = &info;
        registry.add(std::string(info.handler), [s](AppContext& context) { runTextEditor(context, *s); });
    }
}

}  // namespace tramond
