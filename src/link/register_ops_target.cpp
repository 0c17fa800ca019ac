#include "link/register_ops_target.h"

#include <algorithm>
#include <cctype>

namespace tramond {

TargetSelector::TargetSelector(ApplicationBlock& app, int currentMachine, bool allowNetwork)
    : app_(app), allowNetwork_(allowNetwork) {
    registerText_ = std::to_string(currentMachine);
    sizeBefore_ = app_.flag(kNetworkSizeFlag);
    sizeText_ = std::to_string(sizeBefore_);
    choice_.terminalNumber = static_cast<std::uint8_t>(std::clamp(currentMachine, 0, kMaxRegister));
}

std::string TargetSelector::registerButtonCaption() const {
    return "Communication with register: " + std::to_string(choice_.terminalNumber);
}

std::optional<int> TargetSelector::inRange(const std::string& text) {
    if (text.empty() || text.size() > 2 ||
        !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c) != 0; }))
        return std::nullopt;
    const int n = std::stoi(text);
    if (n > kMaxRegister) return std::nullopt;
    return n;
}

std::optional<std::string> TargetSelector::registerTyped(const std::string& text) {
    registerText_ = text;
    if (text.empty()) return std::nullopt;
    const auto n = inRange(text);
    if (!n) {
        registerText_.clear();
        return std::string(kWrongInput);
    }
    choice_.terminalNumber = static_cast<std::uint8_t>(*n);
    return std::nullopt;
}

std::optional<std::string> TargetSelector::sizeTyped(const std::string& text) {
    sizeText_ = text;
    if (text.empty()) return std::nullopt;
    const auto n = inRange(text);
    if (!n) {
        // The digits typed before the refused one were stored as they came
        // ("2" of "25"); the refusal takes them back with the box.
        sizeText_.clear();
        app_.setFlag(kNetworkSizeFlag, sizeBefore_);
        return std::string(kWrongInput);
    }
    app_.setFlag(kNetworkSizeFlag, static_cast<std::uint8_t>(*n));
    return std::nullopt;
}

TargetChoice TargetSelector::direct() {
    if (registerText_.empty()) registerText_ = "0";
    choice_.terminalNumber = 0;
    choice_.lastTerminal = 0;
    choice_.proceed = true;
    return choice_;
}

TargetChoice TargetSelector::oneRegister() {
    if (registerText_.empty()) {
        registerText_ = "0";
        choice_.terminalNumber = 0;
    }
    choice_.lastTerminal = choice_.terminalNumber;
    choice_.proceed = true;
    return choice_;
}

TargetChoice TargetSelector::allRegisters(std::string* message) {
    if (sizeText_.empty()) {
        sizeText_ = "0";
        app_.setFlag(kNetworkSizeFlag, 0);
    }
    const int size = app_.flag(kNetworkSizeFlag);
    if (size != 0) {
        choice_.terminalNumber = 1;
        choice_.lastTerminal = static_cast<std::uint8_t>(size);
        choice_.proceed = true;
    } else {
        // Going on would reach the directly attached register instead of
        // the network the user asked for.
        if (message) *message = kNetworkSizeUnknown;
        choice_.lastTerminal = 0;
        choice_.proceed = false;
    }
    return choice_;
}

}  // namespace tramond
