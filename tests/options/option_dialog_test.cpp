#include "options/option_dialog.h"

#include <gtest/gtest.h>

#include "options_fixture.h"

namespace tramond {
namespace {

using testing::OptionsFixture;

// --- bindings: the encodings the option dialogs share -----------------------

TEST(Binding, OptionKIsBitKMinusOneOfFlagN) {
    ApplicationBlock app;
    flagOption(88, 6).write(app, 1);
    EXPECT_EQ(app.u8(45 + 88), 0x20);
    flagOption(88, 1).write(app, 1);
    flagOption(88, 6).write(app, 0);
    EXPECT_EQ(app.u8(133), 0x01);
    EXPECT_EQ(flagOption(88, 1).read(app), 1);
    EXPECT_THROW(flagOption(151, 1), std::out_of_range);
    EXPECT_THROW(flagOption(5, 9), std::out_of_range);
}

TEST(Binding, FieldsChangeOnlyTheirOwnBits) {
    ApplicationBlock app;
    app.setFlag(116, 0x52);  // two logo numbers sharing a byte
    EXPECT_EQ(flagField(116, 0x0F).read(app), 2);
    EXPECT_EQ(flagField(116, 0xF0).read(app), 5);
    flagField(116, 0xF0).write(app, 9);
    EXPECT_EQ(app.flag(116), 0x92);
    app.setFlag(19, 0x9F);
    EXPECT_EQ(flagField(19, 0x60).read(app), 0);
    flagField(19, 0x60).write(app, 3);
    EXPECT_EQ(app.flag(19), 0xFF);
    flagField(19, 0x60).write(app, 1);
    EXPECT_EQ(app.flag(19), 0xBF);
}

TEST(Binding, MachineAndPortDigits) {
    ApplicationBlock app;
    app.setFlag(91, 23);  // machine 2, port 3
    EXPECT_EQ(flagPortDigit(91).read(app), 3);
    EXPECT_EQ(flagTensDigit(91).read(app), 2);
    flagPortDigit(91).write(app, 5);
    EXPECT_EQ(app.flag(91), 25);
    flagTensDigit(91).write(app, 7);
    EXPECT_EQ(app.flag(91), 75);
}

TEST(Placement, DialogsOpenLeftAlignedFortyFivePixelsBelowTheMainWindowTop) {
    const auto p = placeDialog(120, 30);
    EXPECT_EQ(p.left, 120);
    EXPECT_EQ(p.top, 75);
}

TEST(NumberText, EmptyOrNonNumericCountsAsZero) {
    EXPECT_EQ(numberValue(""), 0);
    EXPECT_EQ(numberValue("12"), 12);
    EXPECT_EQ(numberValue("1a"), 0);
    EXPECT_FALSE(isNumber(""));
    EXPECT_FALSE(isNumber("-1"));
    EXPECT_TRUE(isNumber("007"));
}

// --- the edit cycle, on a table shaped like the later option dialogs ---------

OptionDialogTable sampleTable() {
    OptionDialogTable d;
    d.name = "TSample";
    d.captionText = 657;  // "B&arcode Options"
    d.controls.push_back(checkBox("CheckBox1", "1. ", 506, flagOption(24, 4)));
    d.controls.push_back(checkBox("CheckBox2", "2. ", 541, flagOption(31, 4)).invert());
    d.controls.push_back(checkBox("CheckBox3", "3. ", 788, flagOption(4, 8)).gated(Gate::Never));
    d.controls.push_back(checkBox("CBFlag106opt3", "4. ", 889, flagOption(106, 3)).gated(Gate::Always));
    d.controls.push_back(list("ComboBox1", "5. ", 378, flagField(31, 0x07)).label("Label1").plain()
                             .withItems(portItems()));
    // PLU print: stored 0, 1, 3, 4, 5.
    d.controls.push_back(list("ComboBox2", "6. ", 357, flagField(25, 0x0F)).label("Label2")
                             .withItems({{419, "PLU NAME"}, {420, "PLU NUMBER"}, {422, "PLU# + NAME"},
                                         {423, "DEPART NAME"}, {424, "PLU#+DEPART"}})
                             .withValues({0, 1, 3, 4, 5}));
    d.controls.push_back(list("ComboBox3", "7. ", 922, flagPortDigit(111)).label("Label3").atOnce()
                             .notOnOk().withItems(portItems()));
    d.controls.push_back(numberBox("Edit1", "8. ", 595, flagValue(61)).label("Label4").maxChars(3));
    d.controls.push_back(numberBox("Edit2", "9. ", 368, flagValue(22)).label("Label5").maxChars(2)
                             .numberRequired());
    return d;
}

class OptionDialogTest : public OptionsFixture {
protected:
    OptionDialogTable table_ = sampleTable();
};

TEST_F(OptionDialogTest, CaptionsAreNumberPrefixAndLanguageText) {
    OptionDialog d(table_, session_, texts_);
    EXPECT_EQ(d.caption(), "Barcode Options");
    EXPECT_EQ(d.control("CheckBox1").caption, "1. " + texts_.text(506));
    EXPECT_EQ(d.control("ComboBox1").caption, "5. Barcode Port#       :    ");  // "&" removed
    EXPECT_EQ(d.control("ComboBox1").items.front(), "Not Used");
    EXPECT_EQ(d.control("ComboBox1").items.back(), "7");
}

TEST_F(OptionDialogTest, ControlsShowTheBlock) {
    session_.app.setOption(24, 4, true);
    session_.app.setOption(31, 4, true);   // inverted: shows unchecked
    session_.app.setFlag(25, 0xA2);        // stored 2 is not a PLU print value
    session_.app.setFlag(31, 0x0F);        // port bits 0-2 = 7
    session_.app.setFlag(61, 250);
    OptionDialog d(table_, session_, texts_);
    EXPECT_EQ(d.control("CheckBox1").value, 1);
    EXPECT_EQ(d.control("CheckBox2").value, 0);
    EXPECT_EQ(d.control("ComboBox1").value, 7);
    EXPECT_EQ(d.control("ComboBox2").value, -1);
    EXPECT_EQ(d.control("Edit1").text, "250");
    session_.app.setFlag(25, 0xA4);
    OptionDialog again(table_, session_, texts_);
    EXPECT_EQ(again.control("ComboBox2").value, 3);  // DEPART NAME
}

TEST_F(OptionDialogTest, UntouchedOkWritesNothingAndMarksNothing) {
    const auto onDisk = appOnDisk();
    OptionDialog d(table_, session_, texts_);
    const auto r = d.ok();
    EXPECT_TRUE(r.close);
    EXPECT_FALSE(r.changed);
    EXPECT_FALSE(r.saved);
    EXPECT_EQ(appOnDisk(), onDisk);
    EXPECT_TRUE(updateLines().empty());
}

// Issue 26: a change written at once and left by closing without OK stayed
// in memory; the next dialog's OK saved it but marked only its own blocks.
TEST_F(OptionDialogTest, CancelRestoresAtOnceWritesAndOkMarksAllThatDiffersFromDisk) {
    OptionDialog closed(table_, session_, texts_);
    ASSERT_TRUE(closed.select("ComboBox3", 4));  // written into the block at once
    EXPECT_EQ(session_.app.flag(111) % 10, 4);
    closed.cancel();
    EXPECT_EQ(session_.app.flag(111) % 10, 0);

    session_.app.setFlag(84, 23);  // left in memory by some other path
    OptionDialog other(table_, session_, texts_);
    ASSERT_TRUE(other.setChecked("CBFlag106opt3", true));
    const auto r = other.ok();
    EXPECT_TRUE(r.saved);
    EXPECT_TRUE(appOnDiskEquals(session_.app));
    EXPECT_EQ(updateLines(), std::vector<std::string>{"000000002"});
    EXPECT_EQ(appOnDisk()[45 + 84], 23);
}

TEST_F(OptionDialogTest, OkWritesEveryControlAndSavesAChangedBlock) {
    OptionDialog d(table_, session_, texts_);
    ASSERT_TRUE(d.setChecked("CheckBox1", true));
    ASSERT_TRUE(d.setChecked("CheckBox2", false));  // inverted: sets the bit
    ASSERT_TRUE(d.select("ComboBox1", 3));
    ASSERT_TRUE(d.select("ComboBox2", 4));
    ASSERT_TRUE(d.setText("Edit1", "42"));
    const auto r = d.ok();
    EXPECT_TRUE(r.close && r.changed && r.saved);
    EXPECT_TRUE(session_.app.option(24, 4));
    EXPECT_TRUE(session_.app.option(31, 4));
    EXPECT_EQ(session_.app.flag(31) & 0x07, 3);
    EXPECT_EQ(session_.app.flag(25) & 0x0F, 5);
    EXPECT_EQ(session_.app.flag(61), 42);
    EXPECT_TRUE(appOnDiskEquals(session_.app));
    EXPECT_EQ(updateLines(), std::vector<std::string>{"000000002"});
}

TEST_F(OptionDialogTest, AListWithoutSelectionKeepsItsStoredValue) {
    session_.app.setFlag(25, 0x32);  // low bits 2: no item
    OptionDialog d(table_, session_, texts_);
    d.ok();
    EXPECT_EQ(session_.app.flag(25), 0x32);
}

TEST_F(OptionDialogTest, ChangeHandlersWriteAtOnceAndStayWithoutOk) {
    session_.app.setFlag(111, 23);
    OptionDialog d(table_, session_, texts_);
    ASSERT_TRUE(d.select("ComboBox3", 5));
    EXPECT_EQ(session_.app.flag(111), 25);  // machine digit kept
    // Closing without OK: the block keeps it, the file does not.
    EXPECT_EQ(appOnDisk()[45 + 111], 0);
}

TEST_F(OptionDialogTest, GatingDisablesOrHidesButTheBitIsStillWrittenBack) {
    texts_.setText(506, " In Store Marking");
    texts_.setText(541, "");
    session_.app.setOption(24, 4, true);
    session_.app.setOption(31, 4, true);
    session_.app.setOption(4, 8, true);
    OptionDialog d(table_, session_, texts_);
    EXPECT_FALSE(d.control("CheckBox1").enabled);
    EXPECT_TRUE(d.control("CheckBox1").visible);
    EXPECT_FALSE(d.control("CheckBox2").visible);
    EXPECT_FALSE(d.control("CheckBox3").enabled);  // display only
    EXPECT_TRUE(d.control("CBFlag106opt3").enabled);
    EXPECT_FALSE(d.setChecked("CheckBox1", false));
    EXPECT_FALSE(d.setChecked("CheckBox2", true));
    EXPECT_FALSE(d.setChecked("CheckBox3", false));
    // OK writes every box, the unusable ones with what they show.
    session_.app.setOption(24, 4, false);
    session_.app.setOption(31, 4, false);
    session_.app.setOption(4, 8, false);
    d.ok();
    EXPECT_TRUE(session_.app.option(24, 4));
    EXPECT_TRUE(session_.app.option(31, 4));
    EXPECT_TRUE(session_.app.option(4, 8));
}

TEST_F(OptionDialogTest, NumberBoxesTakeDigitsOnlyWithinTheirLength) {
    OptionDialog d(table_, session_, texts_);
    EXPECT_FALSE(d.setText("Edit2", "1x"));
    EXPECT_FALSE(d.setText("Edit2", "123"));
    EXPECT_TRUE(d.setText("Edit2", "12"));
    EXPECT_EQ(d.control("Edit2").text, "12");
    EXPECT_FALSE(d.leave("Edit2"));
}

TEST_F(OptionDialogTest, LeavingARequiredNumberEmptyIsWrongInputAndOkStoresZero) {
    session_.app.setFlag(22, 5);
    OptionDialog d(table_, session_, texts_);
    ASSERT_TRUE(d.setText("Edit2", ""));
    const auto m = d.leave("Edit2");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->text, "Wrong Input!");
    EXPECT_EQ(m->title, "Error");
    EXPECT_EQ(d.control("Edit2").text, "");
    // A box without the check stores an empty text as 0 without a word.
    ASSERT_TRUE(d.setText("Edit1", ""));
    EXPECT_FALSE(d.leave("Edit1"));
    d.ok();
    EXPECT_EQ(session_.app.flag(22), 0);
    EXPECT_EQ(session_.app.flag(61), 0);
}

TEST_F(OptionDialogTest, AFailedSaveKeepsTheDialogOpenAndOkRetries) {
    OptionDialog d(table_, session_, texts_);
    d.setChecked("CheckBox1", true);
    testing::g_failWrites = true;
    setWriteFaultHookForTesting(&testing::failWrites);
    auto r = d.ok();
    EXPECT_FALSE(r.close);
    ASSERT_TRUE(r.message);
    EXPECT_EQ(r.message->text, "Error opening File !!");
    EXPECT_TRUE(updateLines().empty());
    testing::g_failWrites = false;
    r = d.ok();
    EXPECT_TRUE(r.close && r.saved);
    EXPECT_TRUE(appOnDiskEquals(session_.app));
    EXPECT_EQ(updateLines(), std::vector<std::string>{"000000002"});
}

TEST_F(OptionDialogTest, DialogRulesForMarkingAndSaving) {
    // A missing ".app" holds nothing: OK writes it and marks every block.
    std::filesystem::remove(session_.programPath);
    OptionDialog d(table_, session_, texts_);
    auto r = d.ok();
    EXPECT_TRUE(r.saved);
    EXPECT_TRUE(appOnDiskEquals(session_.app));
    EXPECT_FALSE(updateLines().empty());

    // A check before OK keeps the dialog open and the block as it was.
    table_.validateOk = [](OptionDialog& dlg) -> std::optional<Message> {
        return Message{Message::Kind::Error, "Error", "ID number has to be 12 digits long!", {}};
    };
    OptionDialog refused(table_, session_, texts_);
    refused.setChecked("CheckBox1", true);
    r = refused.ok();
    EXPECT_FALSE(r.close);
    EXPECT_FALSE(session_.app.option(24, 4));
}


// --- what the later dialogs need of the engine -----------------------------

TEST_F(OptionDialogTest, EveryBlockWhoseBytesChangedIsMarked) {
    // Byte 2569 travels in block 93 and byte 2648 in block 84, not in the
    // flag block.
    table_.controls.push_back(checkBox("CheckBox9", "10. ", 625, blockBit(2569, 2)));
    table_.controls.push_back(numberBox("Edit4", "11. ", 938, blockByte(2648)));
    OptionDialog d(table_, session_, texts_);
    ASSERT_TRUE(d.setChecked("CheckBox9", true));
    ASSERT_TRUE(d.setText("Edit4", "7"));
    auto r = d.ok();
    EXPECT_EQ(r.marked, (std::vector<std::uint16_t>{84, 93}));
    EXPECT_EQ(updateLines(), (std::vector<std::string>{"000000084", "000000093"}));

    OptionDialog flagsToo(table_, session_, texts_);
    ASSERT_TRUE(flagsToo.setChecked("CheckBox1", true));
    ASSERT_TRUE(flagsToo.setChecked("CheckBox9", false));
    EXPECT_EQ(flagsToo.ok().marked, (std::vector<std::uint16_t>{2, 93}));
}

TEST_F(OptionDialogTest, ANumberTooLargeForItsByteIsRefusedNotCut) {
    session_.app.setFlag(61, 12);
    OptionDialog d(table_, session_, texts_);
    ASSERT_TRUE(d.setText("Edit1", "256"));
    // On OK: the dialog stays open on the box, nothing is written.
    auto r = d.ok();
    EXPECT_FALSE(r.close);
    ASSERT_TRUE(r.message);
    EXPECT_EQ(r.message->focus, "Edit1");
    EXPECT_NE(r.message->text.find("Wrong Input!"), std::string::npos);
    EXPECT_EQ(session_.app.flag(61), 12);
    EXPECT_TRUE(updateLines().empty());
    // On leaving the box: refused, the box shows the stored value again.
    const auto m = d.leave("Edit1");
    ASSERT_TRUE(m);
    EXPECT_EQ(d.control("Edit1").text, "12");
    ASSERT_TRUE(d.setText("Edit1", "255"));
    EXPECT_FALSE(d.leave("Edit1"));
    EXPECT_TRUE(d.ok().close);
    EXPECT_EQ(session_.app.flag(61), 255);
}

TEST_F(OptionDialogTest, HooksCanRefuseAClickAndPostMessages) {
    table_.opened = [](OptionDialog& dlg) { dlg.post({Message::Kind::Warning, "", "opened", {}}); };
    table_.controls[0].click = [](OptionDialog& dlg) {
        dlg.post({Message::Kind::Information, "", "refused", {}});
        return false;
    };
    table_.afterOk = [](OptionDialog& dlg, bool changed) {
        dlg.post({Message::Kind::Information, "", changed ? "changed" : "same", {}});
    };
    OptionDialog d(table_, session_, texts_);
    auto m = d.takeMessages();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].text, "opened");
    EXPECT_FALSE(d.setChecked("CheckBox1", true));
    EXPECT_EQ(d.control("CheckBox1").value, 0);
    m = d.takeMessages();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].text, "refused");
    EXPECT_TRUE(d.takeMessages().empty());
    d.ok();
    m = d.takeMessages();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].text, "same");
}

TEST_F(OptionDialogTest, RefillShowsWhatAnotherMachineLoadedIntoTheBlock) {
    OptionDialog d(table_, session_, texts_);
    ASSERT_TRUE(d.select("ComboBox1", 2));
    session_.app.setFlag(31, 0x05);
    session_.app.setFlag(61, 99);
    d.refill();
    EXPECT_EQ(d.control("ComboBox1").value, 5);
    EXPECT_EQ(d.control("Edit1").text, "99");
}

TEST_F(OptionDialogTest, ANestedDialogWritesTheBlockButLeavesSavingToItsOwner) {
    OptionDialog d(table_, session_, texts_, OptionDialog::Mode::Nested);
    ASSERT_TRUE(d.setChecked("CheckBox1", true));
    const auto r = d.ok();
    EXPECT_TRUE(r.close && r.changed);
    EXPECT_FALSE(r.saved);
    EXPECT_TRUE(session_.app.option(24, 4));
    EXPECT_EQ(appOnDisk()[45 + 24], 0);
    EXPECT_TRUE(updateLines().empty());
}

}  // namespace
}  // namespace tramond
