#include "handheld/upload_os_controller.h"

namespace tramond {

bool UploadOsController::prepare(const std::string& portName,
                                 const std::function<void(const std::string&)>& status) {
    fileLoaded_ = false;
    if (!port_.open(portName)) {
        const std::string problem = port_.problem();
        prompter_.message(MessageKind::Error, "Error", problem.empty() ? "Check COMM Port!!" : "Check COMM Port!!\n" + problem);
        return false;
    }
    image_.clear();
    FileDialogRequest request;
    request.filter = "Tovik OS files (*.a30)|*.a30";
    request.defaultSuffix = "a30";
    if (const auto file = prompter_.openFile(request)) {
        if (const auto problem = loadHexFile(*file, image_)) {
            // Nothing of a file that is not understood whole goes out.
            prompter_.message(MessageKind::Error, "Error", file->filename().string() + ": " + problem->describe());
            finish();
            return false;
        }
        fileLoaded_ = true;
        status("File Loaded");
    }
    if (!prompter_.confirm("Confirm", "Upload Tovik OS?")) {
        finish();
        return false;
    }
    return true;
}

}  // namespace tramond
