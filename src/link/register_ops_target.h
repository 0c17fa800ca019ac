#pragma once
// The target dialog's rules (TCommForm) without its widgets: which register
// an operation addresses and how far a network loop runs.

#include <cstdint>
#include <optional>
#include <string>

#include "link/register_ops_host.h"
#include "program/application_block.h"

namespace tramond {

class TargetSelector {
public:
    static constexpr int kMaxRegister = 24;
    static constexpr int kNetworkSizeFlag = 78;

    // Activation: the register box shows the current machine number, the
    // size box the network size; the target starts at the current machine.
    TargetSelector(ApplicationBlock& app, int currentMachine, bool allowNetwork);

    bool networkAllowed() const { return allowNetwork_; }
    const std::string& registerText() const { return registerText_; }
    const std::string& sizeText() const { return sizeText_; }
    // "Communication with register:" and the register.
    std::string registerButtonCaption() const;

    // A key released in a box. An empty box is ignored; 0..24 is taken;
    // anything else empties the box and returns "Wrong Input!".
    std::optional<std::string> registerTyped(const std::string& text);
    std::optional<std::string> sizeTyped(const std::string& text);

    TargetChoice direct();
    TargetChoice oneRegister();
    // With an unknown (zero) network size the message "Network Size
    // Unknown !!" is returned and the operation does not proceed.
    TargetChoice allRegisters(std::string* message);
    const TargetChoice& choice() const { return choice_; }

private:
    static std::optional<int> inRange(const std::string& text);

    ApplicationBlock& app_;
    bool allowNetwork_;
    std::string registerText_;
    std::string sizeText_;
    std::uint8_t sizeBefore_ = 0;  // the network size when the dialog opened
    TargetChoice choice_;
};

inline constexpr const char* kWrongInput = "Wrong Input!";
inline constexpr const char* kNetworkSizeUnknown = "Network Size Unknown !!";

}  // namespace tramond
