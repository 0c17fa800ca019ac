// The target dialog's rules.

#include <gtest/gtest.h>

#include "link/register_ops_target.h"

namespace tramond {
namespace {

TEST(TargetSelectorTest, RegisterBoxAndButtons) {
    ApplicationBlock app;
    app.setFlag(78, 4);
    TargetSelector s(app, 2, true);
    EXPECT_EQ(s.registerText(), "2");
    EXPECT_EQ(s.sizeText(), "4");
    EXPECT_EQ(s.registerButtonCaption(), "Communication with register: 2");

    EXPECT_EQ(s.registerTyped("25"), std::optional<std::string>(kWrongInput));
    EXPECT_EQ(s.registerText(), "") << "the box is emptied";
    EXPECT_EQ(s.registerTyped("x"), std::optional<std::string>(kWrongInput));
    EXPECT_EQ(s.registerTyped(""), std::nullopt) << "an empty box is ignored";
    EXPECT_EQ(s.registerTyped("24"), std::nullopt);
    EXPECT_EQ(s.registerButtonCaption(), "Communication with register: 24");

    auto one = s.oneRegister();
    EXPECT_TRUE(one.proceed);
    EXPECT_EQ(one.terminalNumber, 24);
    EXPECT_EQ(one.lastTerminal, 24);

    auto all = s.allRegisters(nullptr);
    EXPECT_TRUE(all.proceed);
    EXPECT_EQ(all.terminalNumber, 1);
    EXPECT_EQ(all.lastTerminal, 4);

    auto direct = s.direct();
    EXPECT_TRUE(direct.proceed);
    EXPECT_EQ(direct.terminalNumber, 0);
    EXPECT_EQ(direct.lastTerminal, 0);
}

TEST(TargetSelectorTest, EmptyRegisterBoxMeansDirect) {
    ApplicationBlock app;
    TargetSelector s(app, 3, true);
    s.registerTyped("");
    const auto t = s.oneRegister();
    EXPECT_EQ(s.registerText(), "0");
    EXPECT_EQ(t.terminalNumber, 0);
    EXPECT_EQ(t.lastTerminal, 0);
}

TEST(TargetSelectorTest, NetworkSizeIsStoredAtOnceAndAnUnknownSizeStops) {
    ApplicationBlock app;
    TargetSelector s(app, 0, true);
    EXPECT_EQ(s.sizeTyped("30"), std::optional<std::string>(kWrongInput));
    EXPECT_EQ(app.flag(78), 0);
    EXPECT_EQ(s.sizeTyped("3"), std::nullopt);
    EXPECT_EQ(app.flag(78), 3);

    // Typing "25" stores 2 at the first key; the refusal of 25 takes it back.
    ApplicationBlock five;
    five.setFlag(78, 5);
    TargetSelector typing(five, 0, true);
    EXPECT_EQ(typing.sizeTyped("2"), std::nullopt);
    EXPECT_EQ(five.flag(78), 2);
    EXPECT_EQ(typing.sizeTyped("25"), std::optional<std::string>(kWrongInput));
    EXPECT_EQ(five.flag(78), 5);

    s.sizeTyped("0");
    std::string message;
    const auto t = s.allRegisters(&message);
    EXPECT_EQ(message, kNetworkSizeUnknown);
    EXPECT_FALSE(t.proceed) << "not the direct register instead of the network";
}

}  // namespace
}  // namespace tramond
