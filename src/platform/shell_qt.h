#pragma once
// Opens documents and web addresses with the desktop's handler.

#include "app/prompter.h"

namespace tramond {

class QtShell : public Shell {
public:
    // An address with a scheme ("https://", "file://") as it is; anything
    // else as a local file, with an optional "#anchor".
    bool openDocument(const std::string& address) override;
    // A browser the desktop's opener can start: $BROWSER, the default for
    // web pages of the desktop's MIME settings, or Debian's x-www-browser.
    bool hasBrowser() const override;
};

}  // namespace tramond
