#include "mail/send_mail.h"

#include <algorithm>
#include <system_error>

#include "app/orvalt_registry.h"
#include "mail/program_archive.h"

namespace tramond {

namespace {

std::string trimmed(std::string_view s) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; };
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return std::string(s);
}

bool plainAddressChar(unsigned char c) {
    if (c >= 0x80) return true;  // international addresses, UTF-8
    if (c <= 0x20 || c == 0x7f) return false;
    constexpr std::string_view specials = "()<>[]\\,;:\"'`|";
    return specials.find(static_cast<char>(c)) == std::string_view::npos;
}

}  // namespace

bool plausibleAddress(std::string_view address) {
    const auto at = address.find('@');
    if (at == std::string_view::npos || at == 0 || address.find('@', at + 1) != std::string_view::npos)
        return false;
    if (!std::all_of(address.begin(), address.end(), [](char c) { return plainAddressChar(static_cast<unsigned char>(c)); }))
        return false;
    // A leading "-" would be read as an option by the mail client.
    if (address.front() == '-' || address.front() == '.') return false;
    const auto domain = address.substr(at + 1);
    if (domain.empty() || domain.front() == '.' || domain.front() == '-' || domain.back() == '.' ||
        domain.find("..") != std::string_view::npos)
        return false;
    return true;
}

RecipientList parseRecipients(const std::string& text) {
    RecipientList list;
    std::size_t start = 0;
    while (start <= text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = trimmed(std::string_view(text).substr(start, end - start));
        start = end + 1;
        if (line.empty()) continue;
        if (!plausibleAddress(line)) {
            list.badLine = line;
            list.addresses.clear();
            return list;
        }
        list.addresses.push_back(line);
    }
    return list;
}

SendMailController::SendMailController(SettingsStore& settings, MailClient& client)
    : settings_(settings), client_(client) {}

MailFormDefaults SendMailController::defaults() {
    MailFormDefaults d;
    if (settings_.contains(kMailKey, kDefaultRecipient)) d.recipients = settings_.read(kMailKey, kDefaultRecipient);
    // Only read what exists: reading creates values, and this key is not ours.
    const auto account = [this](const char* name) {
        return settings_.contains(kMailAccountKey, name) ? settings_.read(kMailAccountKey, name) : std::string();
    };
    if (auto v = account("SMTP Display Name"); !v.empty()) d.fromName = v;
    if (auto v = account("SMTP Email Address"); !v.empty()) d.fromAddress = v;
    return d;
}

FileDialogRequest SendMailController::attachRequest() {
    FileDialogRequest request;
    request.title = "Attach File";
    request.directory = TOrvaltRegistry(settings_, kSettingsRoot).ReadString(kLastOpenFilePath);
    request.filter = "Applications (*.app)|*.app";
    request.defaultSuffix = "app";
    return request;
}

std::string SendMailController::attach(const std::filesystem::path& chosen) {
    const auto packed = packProgram(std::filesystem::absolute(chosen));
    if (!packed.ok()) return packed.error;
    if (std::find(attachments_.begin(), attachments_.end(), packed.archive) == attachments_.end())
        attachments_.push_back(packed.archive);
    return {};
}

void SendMailController::removeAttachment(std::size_t index) {
    if (index < attachments_.size()) attachments_.erase(attachments_.begin() + static_cast<std::ptrdiff_t>(index));
}

SendResult SendMailController::send(const std::string& subject, const std::string& body,
                                    const std::string& recipients) {
    SendResult result;
    std::error_code ec;
    for (const auto& file : attachments_) {
        if (!std::filesystem::is_regular_file(file, ec)) {
            result.message = "Cannot send E-Mail: attachment file " + file.string() + " cannot be found !";
            return result;
        }
    }
    const auto list = parseRecipients(recipients);
    if (!list.badLine.empty()) {
        result.message = "Cannot send E-Mail: \"" + list.badLine + "\" is not an e-mail address !";
        return result;
    }
    if (list.addresses.empty()) {
        result.message = kDispatchError;
        return result;
    }
    MailMessage message{subject, body, list.addresses, attachments_};
    switch (client_.send(message)) {
        case MailHandOver::Handed:
            result.status = SendResult::Status::Handed;
            result.message = "The message has been handed to your mail client: check it and send it from there.";
            break;
        case MailHandOver::Failed:
            result.status = SendResult::Status::Failed;
            result.message = kDispatchError;
            break;
        case MailHandOver::NoClient:
            result.status = SendResult::Status::NoClient;
            result.message = kDispatchError;
            if (!attachments_.empty()) {
                result.folder = attachments_.front().parent_path();
                result.message += "\nNo mail client could be started. Show the archive in the file manager, "
                                  "to attach it by hand?";
            } else {
                result.message += "\nNo mail client could be started.";
            }
            break;
    }
    return result;
}

}  // namespace tramond
