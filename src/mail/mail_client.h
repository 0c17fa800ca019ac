#pragma once
// What the mail form hands to the desktop's mail client. The client composes
// the message for the user, who sends it from there; the tool never speaks
// SMTP itself.

#include <filesystem>
#include <string>
#include <vector>

namespace tramond {

struct MailMessage {
    std::string subject;
    std::string body;
    std::vector<std::string> recipients;               // plain addresses, checked
    std::vector<std::filesystem::path> attachments;    // absolute paths
};

enum class MailHandOver {
    Handed,    // the mail client has the message
    Failed,    // the client ran and reported a failure
    NoClient,  // no mail client could be started at all
};

class MailClient {
public:
    virtual ~MailClient() = default;
    virtual MailHandOver send(const MailMessage& message) = 0;
};

}  // namespace tramond
