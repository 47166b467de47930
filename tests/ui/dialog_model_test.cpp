#include "ui/dialog_model.h"

#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <tuple>
#include <vector>

namespace orvix::ui {
namespace {

// Radio buttons 103 to 105 form one group, 106 and 107 another.
constexpr int kEdit = 100, kSpin = 101, kCheck = 102, kRadioA = 103, kRadioC = 105, kRadioX = 106,
              kRadioY = 107, kList = 108, kButton = 109, kReadOnly = 110, kListBox = 111;

ControlTemplate Make(ControlKind kind, int id, unsigned style = kNone) {
    return Control(kind, id, "", 0, 0, 10, 10, style);
}

using K = ControlKind;
const DialogTemplate kTemplate{
    900, "test", 200, 200,
    std::vector<ControlTemplate>({Make(K::Edit, kEdit), Make(K::Spin, kSpin),
                                  Make(K::CheckBox, kCheck), Make(K::RadioButton, kRadioA, kGroup),
                                  Make(K::RadioButton, 104), Make(K::RadioButton, kRadioC),
                                  Make(K::RadioButton, kRadioX, kGroup),
                                  Make(K::RadioButton, kRadioY), Make(K::DropDownList, kList),
                                  Make(K::PushButton, kButton, kDisabled),
                                  Make(K::ReadOnlyEdit, kReadOnly), Make(K::ListBox, kListBox),
                                  Make(K::DefPushButton, kIdOk), Make(K::PushButton, kIdCancel)})};

using Ids = std::vector<int>;
using Bools = std::vector<bool>;

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
    Bools checkedSeen;
    std::function<void(int id)> onClick;
    bool handled = true;
};

TEST_F(DialogModelTest, EveryTextSetNotifiesButUserActsReachOnlyEnabledVisibleControls) {
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

    model.SetCheck(kCheck, true); // the program notifies nothing
    model.Click(kButton);         // disabled in the template
    model.Enable(kButton, true);
    model.Click(kButton);
    model.Show(kButton, false);
    model.Click(kButton);
    model.Click(kCheck);
    model.Click(kCheck);
    EXPECT_EQ(checkedSeen, (Bools{false, false, true}));

    model.AddItem(kList, "one");
    model.AddItem(kList, "two");
    model.SelectItem(kList, 1);
    model.SelectItem(kList, 5); // no such item: no selection
    const int none = model.Selection(kList);
    model.ChooseItem(kList, 0);
    EXPECT_EQ(std::tuple(none, model.Selection(kList), events[Event::SelectionChanged]),
              std::tuple(-1, 0, Ids{kList}));

    // A radio click, even on the checked one, unchecks the rest of its group and no other.
    model.SetCheck(kRadioA, true);
    model.SetCheck(kRadioX, true);
    model.Click(kRadioC);
    model.Click(kRadioC);
    EXPECT_EQ((Bools{model.IsChecked(kRadioA), model.IsChecked(104), model.IsChecked(kRadioC),
                     model.IsChecked(kRadioX), model.IsChecked(kRadioY)}),
              (Bools{false, false, true, true, false}));
    EXPECT_EQ(clicks, (Ids{kButton, kCheck, kCheck, kRadioC, kRadioC}));
}

// A list box keeps one selection or none; only a user's choice of an item notifies.
TEST_F(DialogModelTest, AListBoxNotifiesAUserChoiceAloneAndKeepsOneSelectionOrNone) {
    model.AddItems(kListBox, {"12\t10:30", "11\t10:00", "10\t09:00"});
    model.SelectItem(kListBox, 2);
    model.ChooseItem(kListBox, 3); // no such item
    model.ChooseItem(kListBox, 1);
    const int chosen = model.Selection(kListBox);
    model.Enable(kListBox, false);
    model.ChooseItem(kListBox, 0);
    model.SetTabStops(kListBox, {20, 90});
    model.ClearItems(kListBox);
    EXPECT_EQ(std::tuple(chosen, model.Selection(kListBox), model.GetText(kListBox),
                         model.TabStops(kListBox), events[Event::SelectionChanged]),
              std::tuple(1, -1, std::string(), std::vector<int>{20, 90}, Ids{kListBox}));
}

TEST_F(DialogModelTest, ASpinStepsFromTheEditsNumberToTheNextWithinItsRange) {
    const std::tuple<int, int, const char*, int, const char*> cases[] = {
        {-125, 175, "174", +1, "175"},    {-125, 175, "175", +1, "175"},
        {-125, 175, "-3000", +1, "-125"}, {-125, 175, "1234567", -1, "175"},
        {-1500, 1500, "abc", -1, "-1"},   {410, 710, "", +1, "410"},
        {-1500, 1500, "  -20", +1, "-19"}};
    for (const auto& [low, high, text, delta, next] : cases) {
        model.SetSpinRange(kSpin, low, high);
        model.SetText(kEdit, text);
        changes.clear();
        model.StepSpin(kSpin, delta);
        // No change at the top.
        EXPECT_EQ(std::pair(model.GetText(kEdit), changes),
                  std::pair(std::string(next), next == std::string(text) ? Ids{} : Ids{kEdit}))
            << '"' << text << "\" " << delta;
    }
}

TEST_F(DialogModelTest, EscAndTheCloseBoxClickCancelEnterTheDefaultAndAPostedCloseRunsLast) {
    model.PressEnter();
    model.PressEscape();
    model.CloseBox();
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
    EXPECT_EQ(std::pair(model.Ended(), model.Result()), std::pair(true, kIdCancel));
    model.Click(kCheck); // nothing reaches an ended dialog
    EXPECT_FALSE(model.IsChecked(kCheck));
}

TEST(ParseDialogIntTest, TakesLeadingBlanksAndOneMinusWithinTheSigned32BitRange) {
    std::vector<std::optional<int>> parsed;
    for (const char* text : {"42", "  -17", "\t8", "2147483647", "-2147483648", "2147483648",
                             "99999999999999999999", "", "-", "+5", "--5", "1.5", "12abc"}) {
        parsed.push_back(ParseDialogInt(text));
    }
    const std::optional<int> no;
    EXPECT_EQ(parsed, (std::vector<std::optional<int>>{42, -17, 8, INT32_MAX, INT32_MIN, no, no, no,
                                                       no, no, no, no, no}));
}

// Whole, so that 2^32 is refused by a range check rather than read as 0; beyond 64 bits, the limit.
TEST(ParseDialogIntTest, AWholeNumberKeepsWhatThirtyTwoBitsWouldLose) {
    std::vector<std::optional<long long>> parsed;
    for (const char* text :
         {" 4294967296", "-2147483649", "9223372036854775807", "-9223372036854775808",
          "9223372036854775808", "-99999999999999999999", "", "- 1", "7x"}) {
        parsed.push_back(ParseDialogWholeNumber(text));
    }
    const std::optional<long long> no;
    EXPECT_EQ(parsed,
              (std::vector<std::optional<long long>>{4294967296, -2147483649, INT64_MAX, INT64_MIN,
                                                     INT64_MAX, INT64_MIN, no, no, no}));
}

} // namespace
} // namespace orvix::ui
