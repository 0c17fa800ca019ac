#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTest>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/app_test_support.h"
#include "app/orvalt_registry.h"
#include "mail/mail_fixture.h"
#include "mail/ui/send_mail_form.h"
#include "platform/mail_client_xdg.h"
#include "program/scratch_dir.h"

namespace tramond {
namespace {

namespace fs = std::filesystem;
using testing::ScratchDir;
using testing::writeBytes;

// A recording stand-in for xdg-email, first on PATH: it writes each argument
// followed by a NUL to the log and exits with the chosen code.
struct XdgStandIn {
    ScratchDir bin{"xdg"};
    fs::path log = bin / "args.log";
    std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";

    explicit XdgStandIn(int exitCode, bool installed = true, int sleepSeconds = 0) {
        if (installed) {
            std::ofstream(bin / "xdg-email") << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\" >> '"
                                             << log.string() << "'; done\nsleep " << sleepSeconds << "\nexit "
                                             << exitCode << "\n";
            fs::permissions(bin / "xdg-email", fs::perms::owner_all);
        }
        // Without the stand-in, no xdg-email at all: only an empty folder.
        setenv("PATH", installed ? (bin.path.string() + ":" + oldPath).c_str() : bin.path.c_str(), 1);
    }
    ~XdgStandIn() { setenv("PATH", oldPath.c_str(), 1); }

    // nullopt when the stand-in never ran.
    std::optional<std::vector<std::string>> arguments() const {
        std::ifstream in(log, std::ios::binary);
        if (!in) return std::nullopt;
        std::vector<std::string> args;
        std::string a;
        while (std::getline(in, a, '\0')) args.push_back(a);
        return args;
    }
};

TEST(XdgEmail, HandsTheMessageOverAsAnArgumentList) {
    ScratchDir d("mail");
    const fs::path zip = d / "it's \"my\" shop; $(id).zip";
    writeBytes(zip, "PK");
    const MailMessage message{"Till 3; `reboot`", "Line 1\nLine \"2\"", {"a@x.org", "b@y.org"}, {zip}};
    {
        XdgStandIn xdg(0);
        EXPECT_EQ(XdgEmailClient().send(message), MailHandOver::Handed);
        EXPECT_EQ(xdg.arguments(), (std::vector<std::string>{"--utf8", "--subject", message.subject, "--body",
                                                             message.body, "--attach", zip.string(), "a@x.org",
                                                             "b@y.org"}));
    }
    {
        // xdg-email refuses an empty option value.
        XdgStandIn xdg(0);
        XdgEmailClient().send(MailMessage{"", "", {"a@x.org"}, {}});
        EXPECT_EQ(xdg.arguments(), (std::vector<std::string>{"--utf8", "a@x.org"}));
    }
}

TEST(XdgEmail, ExitCodesAndAMissingCommand) {
    const struct {
        int exitCode;
        bool installed;
        int sleepSeconds;
        MailHandOver expected;
    } cases[] = {
        {1, true, 0, MailHandOver::Failed},
        {4, true, 0, MailHandOver::Failed},
        {3, true, 0, MailHandOver::NoClient},
        {0, false, 0, MailHandOver::NoClient},
        // A mail program that keeps xdg-email waiting has the message: the
        // form is not held until it closes.
        {4, true, 3, MailHandOver::Handed},
    };
    for (const auto& c : cases) {
        XdgStandIn xdg(c.exitCode, c.installed, c.sleepSeconds);
        EXPECT_EQ(XdgEmailClient(1000).send(MailMessage{"s", "b", {"a@x.org"}, {}}), c.expected) << c.exitCode;
    }
}

class FakeShell : public Shell {
public:
    bool openDocument(const std::string& address) override {
        opened.push_back(address);
        return true;
    }
    std::vector<std::string> opened;
};

struct MailFormView : ::testing::Test {
    ScratchDir d{"mail"};
    MemorySettingsStore settings;
    XdgEmailClient client;
    SendMailController controller{settings, client};
    FakePrompter prompter;
    FakeShell shell;

    fs::path program(const std::string& base) { return testing::writeProgram(d.path, base); }
};

TEST_F(MailFormView, InsertAttachesSendHandsOverAndTheFormSaysSo) {
    settings.write(kMailKey, kDefaultRecipient, "support@orvalt.example");
    TSendMail form(controller, prompter, shell, "Send app in email");
    EXPECT_EQ(form.EdtSubject->text(), "Test message");
    EXPECT_EQ(form.MemMsgBody->toPlainText(), "Describe here problem...");
    EXPECT_EQ(form.MemToEAddress->toPlainText(), "support@orvalt.example");
    EXPECT_FALSE(form.EdtDate->text().isEmpty());

    prompter.answers.push_back(program("bar"));
    QTest::keyClick(form.LstBxAttchmnts, Qt::Key_Insert);
    ASSERT_EQ(form.LstBxAttchmnts->count(), 1);
    EXPECT_EQ(form.LstBxAttchmnts->item(0)->text().toStdString(), (d / "bar.zip").string());
    EXPECT_EQ(testing::readZip(d / "bar.zip").size(), 2u);

    form.MemToEAddress->setPlainText("support@orvalt.example\nshop@x.org");
    XdgStandIn xdg(0);
    EXPECT_TRUE(form.BtnEmailClientClick());
    const auto args = xdg.arguments();
    ASSERT_TRUE(args);
    EXPECT_EQ(std::vector<std::string>(args->end() - 4, args->end()),
              (std::vector<std::string>{"--attach", (d / "bar.zip").string(), "support@orvalt.example", "shop@x.org"}));
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].kind, MessageKind::Information);

    QTest::keyClick(form.LstBxAttchmnts, Qt::Key_Delete);
    EXPECT_EQ(form.LstBxAttchmnts->count(), 0);
}

TEST_F(MailFormView, WithoutAMailClientTheArchiveIsShownInTheFileManager) {
    TSendMail form(controller, prompter, shell, "Send app in email");
    prompter.answers.push_back(program("bar"));
    form.BtnAttachClick();
    form.MemToEAddress->setPlainText("a@x.org");
    XdgStandIn xdg(0, false);
    EXPECT_FALSE(form.BtnEmailClientClick());
    ASSERT_EQ(prompter.confirmations.size(), 1u);
    EXPECT_EQ(shell.opened, (std::vector<std::string>{d.path.string()}));
}

}  // namespace
}  // namespace tramond
