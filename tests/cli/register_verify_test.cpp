// Verify Register against the simulated register: the same after Clear &
// Install, different after a PLU changed on the PC, a link failure told
// apart from a difference, and nothing left behind beside the program.

#include <gtest/gtest.h>

#include "cli/record_csv.h"
#include "cli/register_verify.h"
#include "cli_fixture.h"

namespace tramond::testing {
namespace {

class RegisterVerifyTest : public CliFixture {
protected:
    std::vector<std::string> folder() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(RegisterVerifyTest, SameAfterInstallDifferentAfterAChangedPlu) {
    startSim();
    ASSERT_TRUE(ops().clearAndInstallRegister()) << (host.messages.empty() ? "" : host.messages.back().text);
    const auto files = folder();

    auto same = verify();
    EXPECT_EQ(same.status, VerifyOutcome::Status::Same) << diffText(same.differences) << same.problem;
    EXPECT_EQ(folder(), files) << "the staging folder is gone and the program untouched";

    auto sheet = exportRecords(program, RecordKind::Plu);
    const auto at = sheet.find("\r\n4,") + 2;
    sheet = sheet.substr(0, at) + "4,Changed" + sheet.substr(sheet.find(',', sheet.find(',', at) + 1));
    ASSERT_EQ(importRecords(program, RecordKind::Plu, sheet).changedRecords, std::vector<std::uint32_t>{4});
    const auto different = verify();
    ASSERT_EQ(different.status, VerifyOutcome::Status::Different);
    ASSERT_EQ(different.differences.size(), 1u) << diffText(different.differences);
    EXPECT_EQ(different.differences[0].area, "plu");
    EXPECT_EQ(different.differences[0].record, 4u);
    EXPECT_EQ(different.differences[0].item, "name");
    EXPECT_EQ(different.differences[0].a, "Changed");
}

TEST_F(RegisterVerifyTest, NoRegisterIsALinkFailureNotADifference) {
    const auto files = folder();
    const auto outcome = verify();  // nothing answers on the line
    EXPECT_EQ(outcome.status, VerifyOutcome::Status::NotRead);
    EXPECT_TRUE(host.shown("Check RS232 Connection !!"));
    EXPECT_EQ(folder(), files);
}

}  // namespace
}  // namespace tramond::testing
