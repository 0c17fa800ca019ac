#pragma once
// The number-entry dialog (TEnterANumber) and the two settings entered with
// it: the location number (flag 15) and the register number (flag 16).

#include <optional>
#include <string>
#include <string_view>

#include "program/session.h"

namespace tramond {

class EnterANumber {
public:
    // limit 0 means no limit.
    EnterANumber(std::string caption, std::string label, std::string initial, long limit, int maxLength = 0)
        : caption_(std::move(caption)), label_(std::move(label)), initial_(std::move(initial)),
          limit_(limit), maxLength_(maxLength) {}

    const std::string& caption() const { return caption_; }
    const std::string& label() const { return label_; }
    const std::string& initialText() const { return initial_; }
    long limit() const { return limit_; }
    int maxLength() const { return maxLength_; }

    // After each key release: false means "Wrong Input!" and the box is set
    // to "0". Empty text, and any number without a limit, may stay.
    bool acceptsText(std::string_view text) const;
    // OK: an empty box becomes "0". False (nothing confirmed) for a text the
    // key check refuses.
    bool confirm(std::string_view text);
    bool confirmed() const { return confirmed_; }
    long number() const { return number_; }

private:
    std::string caption_, label_, initial_;
    long limit_;
    int maxLength_;
    bool confirmed_ = false;
    long number_ = 0;
};

enum class RegisterNumbering { Location, Register };

struct RegisterNumberingInfo {
    RegisterNumbering which;
    std::string_view handlerName;
    int flag;
    int text;  // caption and label, without "&"
    int helpContext;
    int maxLength;  // 0: none
};
const RegisterNumberingInfo& registerNumberingInfo(RegisterNumbering which);

// The dialog for the location or register number, showing the flag.
EnterANumber makeNumberingEntry(const ApplicationBlock& app, RegisterNumbering which, std::string caption);

// Stores a confirmed location or register number and writes the block. A
// register number of 0 (stand-alone) reduces every printer machine-and-port
// byte to its port digit. Throws FileError when the file cannot be written.
void storeRegisterNumbering(ProgramSession& session, RegisterNumbering which, long number);

// The printers' machine-and-port flags: slip, eight kitchen printers,
// receipt, journal.
inline constexpr int kPrinterPortFlags[] = {33, 36, 39, 42, 45, 48, 51, 54, 57, 66, 69};

}  // namespace tramond
