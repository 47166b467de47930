#include "ui/dialog_model.h"

#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <stdexcept>
#include <tuple>
#include <vector>

namespace orvix::ui {
namespace {

// Radio buttons 103 to 105 form one group, 106 and 107 another.
constexpr int kEdit = 100, kSpin = 101, kCheck = 102, kRadioA = 103, kRadioC = 105, kRadioX = 106,
              kRadioY = 107, kList = 108, kButton = 109, kReadOnly = 110;

ControlTemplate Make(ControlKind kind, int id, unsigned style = kNone) {
    return Control(kind, id, "", 0, 0, 10, 10, style);
}

using K = ControlKind;
const DialogTemplate kTemplate{
    900,
    "test",
    200,
    200,
    {Make(K::Edit, kEdit), Make(K::Spin, kSpin), Make(K::CheckBox, kCheck),
     Make(K::RadioButton, kRadioA, kGroup), Make(K::RadioButton, 104),
     Make(K::RadioButton, kRadioC), Make(K::RadioButton, kRadioX, kGroup),
     Make(K::RadioButton, kRadioY), Make(K::DropDownList, kList),
     Make(K::PushButton, kButton, kDisabled), Make(K::ReadOnlyEdit, kReadOnly),
     Make(K::DefPushButton, kIdOk), Make(K::PushButton, kIdCancel)}};

using Ids = std::vector<int>;

// The fixture is the dialog's controller: it records the notifications by event, and the check
// state that a click handler sees.
class DialogModelTest : public testing::Test, public EventSink {
protected:
    DialogModelTest() { model.SetEventSink(this); }

    bool Dispatch(int id, Event event) override {
        events[event].push_back(id);
        if (event == Event::Clicked) {
            checkedSeen.push_back(model.IsChecked(id));
            if (onClick) {
                onClick(id);
            }
        }
        return handled;
    }

    DialogModel model{kTemplate};
    std::map<Event, Ids> events;
    Ids& clicks = events[Event::Clicked];
    Ids& changes = events[Event::Changed];
    std::vector<bool> checkedSeen;
    std::function<void(int id)> onClick;
    bool handled = true;
};

TEST_F(DialogModelTest, EveryTextSetNotifiesAndTheUserTypesOnlyIntoEnabledVisibleEdits) {
    model.SetText(kEdit, "12");
    model.SetText(kEdit, "12"); // the same text again
    model.SetInt(kEdit, -5);
    model.Type(kEdit, "7");
    model.SetText(kReadOnly, "x");
    model.Type(kReadOnly, "3");
    model.Enable(kEdit, false);
    model.Type(kEdit, "1");
    model.Enable(kEdit, true);
    model.Show(kEdit, false);
    model.Type(kEdit, "2");
    EXPECT_EQ(changes, (Ids{kEdit, kEdit, kEdit, kEdit, kReadOnly}));
    EXPECT_EQ(model.GetText(kEdit) + model.GetText(kReadOnly), "7x");

    model.SetText(kEdit, "あいうえお"); // a length limit counts characters
    EXPECT_EQ(model.GetText(kEdit, 3), "あいう");
    EXPECT_THROW(model.SetText(4242, "x"), std::logic_error);
}

TEST_F(DialogModelTest, OnlyUserActsOnEnabledVisibleControlsNotifyAndCheckBoxesToggleFirst) {
    model.SetCheck(kCheck, true); // the program notifies nothing
    model.Click(kButton);         // disabled in the template
    model.Enable(kButton, true);
    model.Click(kButton);
    model.Show(kButton, false);
    model.Click(kButton);
    model.Click(kCheck);
    model.Click(kCheck);
    EXPECT_EQ(clicks, (Ids{kButton, kCheck, kCheck}));
    EXPECT_EQ(checkedSeen, (std::vector<bool>{false, false, true}));

    model.AddItem(kList, "one");
    model.AddItem(kList, "two");
    model.SelectItem(kList, 1);
    model.SelectItem(kList, 5); // no such item: no selection
    EXPECT_EQ(model.Selection(kList), -1);
    model.ChooseItem(kList, 0);
    EXPECT_EQ(model.Selection(kList), 0);
    EXPECT_EQ(events[Event::SelectionChanged], Ids{kList});
}

TEST_F(DialogModelTest, ARadioClickChecksItAndUnchecksTheRestOfItsGroupOnly) {
    const auto checked = [this] {
        return std::vector<bool>{model.IsChecked(kRadioA), model.IsChecked(104),
                                 model.IsChecked(kRadioC), model.IsChecked(kRadioX),
                                 model.IsChecked(kRadioY)};
    };
    model.SetCheck(kRadioA, true);
    model.SetCheck(kRadioX, true);
    model.Click(kRadioC);
    model.Click(kRadioC); // already checked: still a click
    EXPECT_EQ(checked(), (std::vector<bool>{false, false, true, true, false}));
    model.Click(kRadioY);
    EXPECT_EQ(checked(), (std::vector<bool>{false, false, true, false, true}));
    EXPECT_EQ(clicks, (Ids{kRadioC, kRadioC, kRadioY}));
}

TEST_F(DialogModelTest, ASpinStepsFromTheEditsNumberToTheNextWithinItsRange) {
    const std::tuple<int, int, const char*, int, const char*> cases[] = {
        {-125, 175, "174", +1, "175"},    {-125, 175, "175", +1, "175"},
        {-125, 175, "-3000", +1, "-125"}, {-125, 175, "1234567", -1, "175"},
        {-1500, 1500, "abc", -1, "-1"},   {410, 710, "", +1, "410"},
        {-1500, 1500, "  -20", +1, "-19"}};
    for (const auto& [low, high, text, delta, next] : cases) {
        SCOPED_TRACE(testing::Message() << '"' << text << "\" " << delta);
        model.SetSpinRange(kSpin, low, high);
        model.SetText(kEdit, text);
        changes.clear();
        model.StepSpin(kSpin, delta);
        EXPECT_EQ(model.GetText(kEdit), next);
        EXPECT_EQ(changes, next == std::string(text) ? Ids{} : Ids{kEdit}); // none at the top
    }
    model.Enable(kSpin, false);
    model.StepSpin(kSpin, +1);
    EXPECT_EQ(model.GetText(kEdit), "-19");
}

TEST_F(DialogModelTest, EscAndTheCloseBoxClickCancelEnterTheDefaultAndAPostedCloseRunsLast) {
    model.PressEnter();
    model.PressEscape();
    model.CloseBox();
    EXPECT_EQ(clicks, (Ids{kIdOk, kIdCancel, kIdCancel}));
    EXPECT_FALSE(model.Ended()); // the handlers took them

    onClick = [this](int id) {
        if (id == kButton) {
            model.PostClose();
            clicks.push_back(-1); // still inside the handler
        }
        handled = id != kIdCancel; // so the dialog ends
    };
    model.Enable(kButton, true);
    model.Click(kButton);
    EXPECT_EQ(clicks, (Ids{kIdOk, kIdCancel, kIdCancel, kButton, -1, kIdCancel}));
    EXPECT_TRUE(model.Ended());
    EXPECT_EQ(model.Result(), kIdCancel);
    model.Click(kCheck); // nothing reaches an ended dialog
    EXPECT_FALSE(model.IsChecked(kCheck));
}

TEST(ParseDialogIntTest, TakesLeadingBlanksAndOneMinusWithinTheSigned32BitRange) {
    const std::pair<const char*, int> numbers[] = {{"42", 42},
                                                   {"  -17", -17},
                                                   {"\t8", 8},
                                                   {"2147483647", INT32_MAX},
                                                   {"-2147483648", INT32_MIN}};
    for (const auto& [text, value] : numbers) {
        EXPECT_EQ(ParseDialogInt(text), value) << '"' << text << '"';
    }
    for (const char* text :
         {"2147483648", "99999999999999999999", "", "-", "+5", "--5", "1.5", "12abc"}) {
        EXPECT_EQ(ParseDialogInt(text), std::nullopt) << '"' << text << '"';
    }
}

} // namespace
} // namespace orvix::ui
