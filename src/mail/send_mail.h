#pragma once
// The mail form's behaviour (TSendMail): its defaults, the attachment list,
// the checks before sending and the hand-over to the mail client.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/prompter.h"
#include "app/settings_store.h"
#include "mail/mail_client.h"

namespace tramond {

// The form's own settings: the recipient the form starts with (the support
// desk) is configured here; nothing is built in.
inline constexpr const char* kMailKey = "Software\\Orvalt\\Tramond\\Mail";
inline constexpr const char* kDefaultRecipient = "DefaultRecipient";
// Sender name and address shown on the form, when an account is configured.
inline constexpr const char* kMailAccountKey = "Software\\Microsoft\\Internet Account Manager\\Accounts\\00000001";

inline constexpr const char* kDefaultSubject = "Test message";
inline constexpr const char* kDefaultBody = "Describe here problem...";
inline constexpr const char* kDispatchError = "An error during dispatching E-Mail!";
inline constexpr const char* kAttachmentsHint = "Key_Ins - insert attachment; Key_Del - removes attachment";

struct MailFormDefaults {
    std::string subject = kDefaultSubject;
    std::string body = kDefaultBody;
    std::string recipients;  // one address per line
    std::string fromName;
    std::string fromAddress;
};

// Whether a recipient line is a plain address the mail client will take as
// an address (and never as one of its options).
bool plausibleAddress(std::string_view address);

struct RecipientList {
    std::vector<std::string> addresses;  // trimmed, blanks skipped
    std::string badLine;                 // the first line that is no address
};
RecipientList parseRecipients(const std::string& text);

struct SendResult {
    enum class Status { Handed, Refused, Failed, NoClient };
    Status status = Status::Refused;
    std::string message;  // what the form tells the user
    // With NoClient and attachments: the folder to show in the file manager,
    // so the dealer can attach the archive by hand.
    std::filesystem::path folder;
};

class SendMailController {
public:
    SendMailController(SettingsStore& settings, MailClient& client);

    MailFormDefaults defaults();

    // The file dialog of "Attach File": programs, starting where the last
    // program was loaded from.
    FileDialogRequest attachRequest();
    // Packs the chosen program and lists its archive; returns the message
    // to show when packing fails (empty on success).
    std::string attach(const std::filesystem::path& chosen);
    void removeAttachment(std::size_t index);
    const std::vector<std::filesystem::path>& attachments() const { return attachments_; }

    SendResult send(const std::string& subject, const std::string& body, const std::string& recipients);

private:
    SettingsStore& settings_;
    MailClient& client_;
    std::vector<std::filesystem::path> attachments_;
};

}  // namespace tramond
