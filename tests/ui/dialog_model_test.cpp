#include "ui/dialog_model.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <utility>
#include <vector>

namespace orvix::ui {
namespace {

constexpr int kEdit = 100;
constexpr int kSpin = 101;
constexpr int kCheck = 102;
constexpr int kRadioA = 103;
constexpr int kRadioB = 104;
constexpr int kRadioC = 105;
constexpr int kRadioX = 106; // a second group
constexpr int kRadioY = 107;
constexpr int kList = 108;
constexpr int kButton = 109;
constexpr int kReadOnly = 110;

const DialogTemplate& TestTemplate() {
    static const DialogTemplate dialog{
        900,
        "test",
        200,
        200,
        {
            Control(ControlKind::Edit, kEdit, "", 0, 0, 30, 12),
            Control(ControlKind::Spin, kSpin, "", 30, 0, 10, 12),
            Control(ControlKind::CheckBox, kCheck, "check", 0, 20, 50, 10),
            Control(ControlKind::RadioButton, kRadioA, "a", 0, 30, 50, 10, kGroup),
            Control(ControlKind::RadioButton, kRadioB, "b", 0, 40, 50, 10),
            Control(ControlKind::RadioButton, kRadioC, "c", 0, 50, 50, 10),
            Control(ControlKind::RadioButton, kRadioX, "x", 0, 60, 50, 10, kGroup),
            Control(ControlKind::RadioButton, kRadioY, "y", 0, 70, 50, 10),
            Control(ControlKind::DropDownList, kList, "", 0, 80, 50, 50),
            Control(ControlKind::PushButton, kButton, "button", 0, 140, 50, 14, kDisabled),
            Control(ControlKind::ReadOnlyEdit, kReadOnly, "", 60, 0, 30, 12),
            Control(ControlKind::DefPushButton, kIdOk, "OK", 100, 180, 40, 14),
            Control(ControlKind::PushButton, kIdCancel, "Cancel", 150, 180, 40, 14),
        },
    };
    return dialog;
}

// Records every notification and can take a handler for one of them.
class Recorder : public EventSink {
public:
    bool Dispatch(int id, Event event) override {
        events.emplace_back(id, event);
        return handled;
    }
    std::vector<std::pair<int, Event>> events;
    bool handled = true;
};

class DialogModelTest : public ::testing::Test {
protected:
    DialogModelTest() : model(TestTemplate()) { model.SetEventSink(&sink); }
    DialogModel model;
    Recorder sink;
};

using Events = std::vector<std::pair<int, Event>>;

TEST_F(DialogModelTest, EditChangeFiresForProgramAndUserAndSameText) {
    model.SetText(kEdit, "12");
    model.SetText(kEdit, "12");
    model.SetInt(kEdit, -5);
    model.Type(kEdit, "7");
    model.SetText(kReadOnly, "x");
    EXPECT_EQ(sink.events, (Events{{kEdit, Event::Changed},
                                   {kEdit, Event::Changed},
                                   {kEdit, Event::Changed},
                                   {kEdit, Event::Changed},
                                   {kReadOnly, Event::Changed}}));
    EXPECT_EQ(model.GetText(kEdit), "7");
}

TEST_F(DialogModelTest, UserCannotTypeIntoDisabledHiddenOrReadOnlyEdits) {
    model.Enable(kEdit, false);
    model.Type(kEdit, "1");
    model.Enable(kEdit, true);
    model.Show(kEdit, false);
    model.Type(kEdit, "2");
    model.Type(kReadOnly, "3");
    EXPECT_TRUE(sink.events.empty());
    EXPECT_EQ(model.GetText(kEdit), "");
}

TEST_F(DialogModelTest, ClicksNotifyOnlyUserClicksOnEnabledControls) {
    model.SetCheck(kCheck, true); // the program: no notification
    EXPECT_TRUE(sink.events.empty());

    model.Click(kButton); // disabled in the template
    EXPECT_TRUE(sink.events.empty());
    model.Enable(kButton, true);
    model.Click(kButton);
    model.Show(kButton, false);
    model.Click(kButton);
    EXPECT_EQ(sink.events, (Events{{kButton, Event::Clicked}}));
}

TEST_F(DialogModelTest, CheckBoxClickTogglesBeforeTheHandlerRuns) {
    bool seenChecked = false;
    struct Probe : EventSink {
        DialogModel* model;
        bool* seen;
        bool Dispatch(int id, Event) override {
            *seen = model->IsChecked(id);
            return true;
        }
    } probe;
    probe.model = &model;
    probe.seen = &seenChecked;
    model.SetEventSink(&probe);
    model.Click(kCheck);
    EXPECT_TRUE(seenChecked);
    model.Click(kCheck);
    EXPECT_FALSE(seenChecked);
    EXPECT_FALSE(model.IsChecked(kCheck));
}

TEST_F(DialogModelTest, RadioClickChecksItAndUnchecksOnlyItsGroup) {
    model.SetCheck(kRadioA, true);
    model.SetCheck(kRadioX, true);
    model.Click(kRadioC);
    EXPECT_FALSE(model.IsChecked(kRadioA));
    EXPECT_FALSE(model.IsChecked(kRadioB));
    EXPECT_TRUE(model.IsChecked(kRadioC));
    EXPECT_TRUE(model.IsChecked(kRadioX)); // another group
    model.Click(kRadioC);                  // already checked: still a click
    EXPECT_EQ(sink.events, (Events{{kRadioC, Event::Clicked}, {kRadioC, Event::Clicked}}));
    model.Click(kRadioY);
    EXPECT_FALSE(model.IsChecked(kRadioX));
    EXPECT_TRUE(model.IsChecked(kRadioC));
}

TEST_F(DialogModelTest, SpinStepsFromTheEditsNumberWithinItsRange) {
    model.SetSpinRange(kSpin, -125, 175);
    model.SetText(kEdit, "174");
    sink.events.clear();
    model.StepSpin(kSpin, +1);
    EXPECT_EQ(model.GetText(kEdit), "175");
    model.StepSpin(kSpin, +1); // at the top: nothing changes, nothing fires
    EXPECT_EQ(model.GetText(kEdit), "175");
    EXPECT_EQ(sink.events, (Events{{kEdit, Event::Changed}}));

    model.SetText(kEdit, "-3000"); // beyond the range: the step lands inside it
    model.StepSpin(kSpin, +1);
    EXPECT_EQ(model.GetText(kEdit), "-125");
    model.SetText(kEdit, "1234567");
    model.StepSpin(kSpin, -1);
    EXPECT_EQ(model.GetText(kEdit), "175");
}

TEST_F(DialogModelTest, SpinStepsFromZeroWhenTheTextIsNoNumber) {
    model.SetSpinRange(kSpin, -1500, 1500);
    model.SetText(kEdit, "abc");
    model.StepSpin(kSpin, -1);
    EXPECT_EQ(model.GetText(kEdit), "-1");
    model.SetSpinRange(kSpin, 410, 710);
    model.SetText(kEdit, "");
    model.StepSpin(kSpin, +1);
    EXPECT_EQ(model.GetText(kEdit), "410");
    model.Enable(kSpin, false);
    model.StepSpin(kSpin, +1);
    EXPECT_EQ(model.GetText(kEdit), "410");
    EXPECT_EQ(model.SpinForBuddy(kEdit), kSpin);
}

TEST_F(DialogModelTest, DropDownSelectionNotifiesOnlyUserChoices) {
    model.AddItem(kList, "one");
    model.AddItem(kList, "two");
    model.SelectItem(kList, 1);
    EXPECT_TRUE(sink.events.empty());
    model.SelectItem(kList, 5); // no such item: no selection
    EXPECT_EQ(model.Selection(kList), -1);
    model.ChooseItem(kList, 0);
    EXPECT_EQ(model.Selection(kList), 0);
    EXPECT_EQ(sink.events, (Events{{kList, Event::SelectionChanged}}));
}

TEST_F(DialogModelTest, EscapeAndCloseBoxClickCancelEnterClicksTheDefaultButton) {
    model.PressEnter();
    model.PressEscape();
    model.CloseBox();
    EXPECT_EQ(sink.events, (Events{{kIdOk, Event::Clicked},
                                   {kIdCancel, Event::Clicked},
                                   {kIdCancel, Event::Clicked}}));
    EXPECT_FALSE(model.Ended()); // the handlers took them
}

TEST_F(DialogModelTest, UnhandledOkAndCancelEndTheDialog) {
    sink.handled = false;
    model.PressEscape();
    EXPECT_TRUE(model.Ended());
    EXPECT_EQ(model.Result(), kIdCancel);
    model.Click(kCheck); // nothing reaches a closed dialog
    EXPECT_FALSE(model.IsChecked(kCheck));
}

TEST_F(DialogModelTest, PostedCloseRunsAfterTheCurrentHandler) {
    struct Poster : EventSink {
        DialogModel* model;
        std::vector<int> order;
        bool Dispatch(int id, Event) override {
            order.push_back(id);
            if (id == kButton) {
                model->PostClose();
                order.push_back(-1); // still inside the handler
            }
            return id != kIdCancel;
        }
    } poster;
    poster.model = &model;
    model.SetEventSink(&poster);
    model.Enable(kButton, true);
    model.Click(kButton);
    EXPECT_EQ(poster.order, (std::vector<int>{kButton, -1, kIdCancel}));
    EXPECT_TRUE(model.Ended());
}

TEST_F(DialogModelTest, TextIsCutToCharactersNotBytes) {
    model.SetText(kEdit, "あいうえお");
    EXPECT_EQ(model.GetText(kEdit, 3), "あいう");
    EXPECT_EQ(model.GetText(kEdit, 31), "あいうえお");
}

TEST_F(DialogModelTest, UnknownControlIsAProgrammingError) {
    EXPECT_THROW(model.SetText(4242, "x"), std::logic_error);
}

TEST(ParseDialogIntTest, FollowsThePlatformConversion) {
    EXPECT_EQ(ParseDialogInt("42"), 42);
    EXPECT_EQ(ParseDialogInt("  -17"), -17);
    EXPECT_EQ(ParseDialogInt("2147483647"), 2147483647);
    EXPECT_EQ(ParseDialogInt("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(ParseDialogInt("2147483648"), std::nullopt);
    EXPECT_EQ(ParseDialogInt("99999999999999999999"), std::nullopt);
    EXPECT_EQ(ParseDialogInt(""), std::nullopt);
    EXPECT_EQ(ParseDialogInt("-"), std::nullopt);
    EXPECT_EQ(ParseDialogInt("+5"), std::nullopt);
    EXPECT_EQ(ParseDialogInt("--5"), std::nullopt);
    EXPECT_EQ(ParseDialogInt("1.5"), std::nullopt);
    EXPECT_EQ(ParseDialogInt("12abc"), std::nullopt);
}

} // namespace
} // namespace orvix::ui
