#pragma once
// The steps of "Upload Tovik OS" before the upload itself: the port, the
// file, the question. The view runs the upload (off its own thread) when
// prepare() says so, and calls finish() at the end in every case.

#include <functional>
#include <string>

#include "app/prompter.h"
#include "handheld/hex_image.h"
#include "handheld/upload_port.h"

namespace tramond {

class UploadOsController {
public:
    UploadOsController(Prompter& prompter, UploadPort& port) : prompter_(prompter), port_(port) {}

    // Opens the port, lets the user choose the file and reads it, asks
    // "Upload Tovik OS?". True when the upload is to run, with the port open;
    // false when it stopped (the port is closed again).
    bool prepare(const std::string& portName, const std::function<void(const std::string&)>& status);
    // The loaded image, or null when no file was chosen.
    const HexImage* image() const { return fileLoaded_ ? &image_ : nullptr; }
    UploadPort& port() { return port_; }
    void finish() { port_.close(); }

private:
    Prompter& prompter_;
    UploadPort& port_;
    HexImage image_;
    bool fileLoaded_ = false;
};

}  // namespace tramond
