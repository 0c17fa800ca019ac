#include <gtest/gtest.h>

#include <cstdlib>

#include "app/orvalt_registry.h"
#include "mail/mail_fixture.h"
#include "mail/program_archive.h"
#include "mail/send_mail.h"
#include "program/scratch_dir.h"

namespace tramond {
namespace {

using testing::ScratchDir;
using testing::writeBytes;
namespace fs = std::filesystem;

std::vector<std::string> dirListing(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ProgramArchive, PacksEveryFileOfTheBaseNameButTheArchiveWithoutDirectories) {
    ScratchDir d("mail");
    const std::map<std::string, std::string> program = {
        {"bar.app", std::string(2845, '\x11')},
        {"bar.txt", std::string(9689, 'T')},
        {"bar.plu", std::string("\0\x01\x02\xff", 4)},
        {"bar.kb3", ""},
        {"bar.old.upd", "000005003\r\n"},
    };
    for (const auto& [name, bytes] : program) writeBytes(d / name, bytes);
    writeBytes(d / "bar.zip", "stale, half-written");  // replaced, never packed
    writeBytes(d / "barn.app", "another program");
    writeBytes(d / "other.txt", "x");
    fs::create_directory(d / "bar.d");

    const auto result = packProgram(d / "bar.app");
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(result.archive, d / "bar.zip");

    const auto entries = testing::readZip(d / "bar.zip");
    ASSERT_EQ(entries.size(), program.size());
    for (const auto& [name, bytes] : program) {
        ASSERT_TRUE(entries.count(name)) << name;
        EXPECT_EQ(entries.at(name).size, bytes.size()) << name;
        EXPECT_EQ(entries.at(name).crc, testing::crc32Of(bytes)) << name;
        EXPECT_EQ(entries.at(name).content, bytes) << name;
    }
    // No temporary file is left beside the program.
    EXPECT_EQ(dirListing(d.path), (std::vector<std::string>{"bar.app", "bar.d", "bar.kb3", "bar.old.upd", "bar.plu",
                                                               "bar.txt", "bar.zip", "barn.app", "other.txt"}));
    if (std::system("command -v unzip >/dev/null 2>&1") == 0) {
        const std::string cmd = "unzip -tq '" + (d / "bar.zip").string() + "' >/dev/null 2>&1";
        EXPECT_EQ(std::system(cmd.c_str()), 0);
    }
}

TEST(ProgramArchive, FailureReportsAndLeavesNoTemporaryFile) {
    ScratchDir d("mail");
    // Missing program.
    auto missing = packProgram(d / "gone.app");
    EXPECT_FALSE(missing.ok());
    EXPECT_NE(missing.error.find("gone.app"), std::string::npos) << missing.error;
    EXPECT_FALSE(fs::exists(d / "gone.zip"));

    // The archive's place is taken by a folder: nothing may be renamed over it.
    writeBytes(d / "bar.app", "app");
    fs::create_directory(d / "bar.zip");
    writeBytes(d / "bar.zip" / "keep", "k");
    const auto blocked = packProgram(d / "bar.app");
    EXPECT_FALSE(blocked.ok());
    EXPECT_EQ(blocked.error.rfind("Cannot pack the program into " + (d / "bar.zip").string(), 0), 0u) << blocked.error;
    EXPECT_TRUE(fs::exists(d / "bar.zip" / "keep"));
    EXPECT_EQ(dirListing(d.path), (std::vector<std::string>{"bar.app", "bar.zip"}));
}

TEST(ProgramArchive, NamesWithQuotesBlanksAndSemicolonsPackAsThemselves) {
    ScratchDir d("mail");
    const std::string base = "it's \"my\" shop; rm -rf x $(id)";
    writeBytes(d / (base + ".app"), "A");
    writeBytes(d / (base + ".txt"), "TT");
    const auto result = packProgram(d / (base + ".app"));
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(result.archive, d / (base + ".zip"));
    const auto entries = testing::readZip(result.archive);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries.at(base + ".app").content, "A");
    EXPECT_EQ(entries.at(base + ".txt").content, "TT");
}

TEST(MailAddresses, PlausibleAddressesOnly) {
    for (const char* good : {"support@orvalt.example", "a.b+c@x.org", "jos\xc3\xa9@caf\xc3\xa9.fr", "x@localhost"})
        EXPECT_TRUE(plausibleAddress(good)) << good;
    for (const char* bad : {"", "support", "@x.org", "a@", "a@@x.org", "a@b@c", "-o@x.org", "--attach@x.org",
                            "a b@x.org", "a@x..org", "a@.x.org", "a@x.org.", "<a@x.org>", "a@x.org;b@y.org",
                            "mailto:a@x.org", "a\"@x.org"})
        EXPECT_FALSE(plausibleAddress(bad)) << bad;

    const auto list = parseRecipients("  a@x.org \r\n\r\n\t\nb@y.org\n   ");
    EXPECT_EQ(list.addresses, (std::vector<std::string>{"a@x.org", "b@y.org"}));
    EXPECT_TRUE(list.badLine.empty());
    const auto bad = parseRecipients("a@x.org\n -o evil \nb@y.org");
    EXPECT_EQ(bad.badLine, "-o evil");
    EXPECT_TRUE(bad.addresses.empty());
}

class RecordingClient : public MailClient {
public:
    MailHandOver send(const MailMessage& message) override {
        sent.push_back(message);
        return answer;
    }
    std::vector<MailMessage> sent;
    MailHandOver answer = MailHandOver::Handed;
};

struct MailForm : ::testing::Test {
    ScratchDir d{"mail"};
    MemorySettingsStore settings;
    RecordingClient client;
    SendMailController controller{settings, client};

    fs::path program(const std::string& base) { return testing::writeProgram(d.path, base); }
};

TEST_F(MailForm, DefaultsComeFromTheSettingsAndNothingIsCreatedInForeignKeys) {
    EXPECT_EQ(controller.defaults().recipients, "");
    settings.write(kMailKey, kDefaultRecipient, "support@orvalt.example");
    settings.write(kMailAccountKey, "SMTP Display Name", "Shop Dealer");
    const auto d = controller.defaults();
    EXPECT_EQ(d.recipients, "support@orvalt.example");
    EXPECT_EQ(d.fromName, "Shop Dealer");
    EXPECT_EQ(d.fromAddress, "");
    EXPECT_EQ(d.subject, "Test message");
    EXPECT_EQ(d.body, "Describe here problem...");
    EXPECT_FALSE(settings.contains(kMailAccountKey, "SMTP Email Address"));

    // Programs, from where this tool last loaded one.
    TOrvaltRegistry(settings, kSettingsRoot).WriteString(kLastOpenFilePath, "/shops/north/");
    const auto request = controller.attachRequest();
    EXPECT_EQ(request.filter, "Applications (*.app)|*.app");
    EXPECT_EQ(request.directory, fs::path("/shops/north/"));
}

TEST_F(MailForm, AttachingPacksOnceAndSendsTheArchiveToEveryRecipient) {
    ASSERT_EQ(controller.attach(program("bar")), "");
    ASSERT_EQ(controller.attach(program("bar")), "");  // packed again, listed once
    ASSERT_EQ(controller.attachments(), (std::vector<fs::path>{d / "bar.zip"}));

    const auto result = controller.send("Till 3", "Keys swapped", "a@x.org\n\n  b@y.org  \n");
    EXPECT_EQ(result.status, SendResult::Status::Handed) << result.message;
    ASSERT_EQ(client.sent.size(), 1u);
    EXPECT_EQ(client.sent[0].recipients, (std::vector<std::string>{"a@x.org", "b@y.org"}));
    EXPECT_EQ(client.sent[0].attachments, (std::vector<fs::path>{d / "bar.zip"}));
    EXPECT_EQ(client.sent[0].subject, "Till 3");
    EXPECT_EQ(client.sent[0].body, "Keys swapped");

    controller.removeAttachment(0);
    EXPECT_TRUE(controller.attachments().empty());
}

TEST_F(MailForm, NothingIsSentWhenACheckFails) {
    ASSERT_EQ(controller.attach(program("bar")), "");
    struct Case {
        const char* recipients;
        std::string message;
    } cases[] = {
        {"", kDispatchError},
        {" \n\t\n", kDispatchError},
        {"a@x.org\n--attach=/etc/passwd", "Cannot send E-Mail: \"--attach=/etc/passwd\" is not an e-mail address !"},
    };
    for (const auto& c : cases) {
        const auto r = controller.send("s", "b", c.recipients);
        EXPECT_EQ(r.status, SendResult::Status::Refused) << c.recipients;
        EXPECT_EQ(r.message, c.message) << c.recipients;
    }
    fs::remove(d / "bar.zip");
    const auto r = controller.send("s", "b", "a@x.org");
    EXPECT_EQ(r.message, "Cannot send E-Mail: attachment file " + (d / "bar.zip").string() + " cannot be found !");
    EXPECT_TRUE(client.sent.empty());
}

TEST_F(MailForm, ClientFailuresAreReportedAndNoClientOffersTheFolder) {
    client.answer = MailHandOver::Failed;
    auto r = controller.send("s", "b", "a@x.org");
    EXPECT_EQ(r.status, SendResult::Status::Failed);
    EXPECT_EQ(r.message, kDispatchError);

    client.answer = MailHandOver::NoClient;
    r = controller.send("s", "b", "a@x.org");
    EXPECT_EQ(r.status, SendResult::Status::NoClient);
    EXPECT_TRUE(r.folder.empty());
    ASSERT_EQ(controller.attach(program("bar")), "");
    r = controller.send("s", "b", "a@x.org");
    EXPECT_EQ(r.folder, d.path);
    EXPECT_EQ(r.message.rfind(kDispatchError, 0), 0u);
}

TEST_F(MailForm, AFailedPackingAttachesNothing) {
    const auto error = controller.attach(d / "missing.app");
    EXPECT_NE(error.find("Cannot pack the program"), std::string::npos);
    EXPECT_TRUE(controller.attachments().empty());
}

}  // namespace
}  // namespace tramond
