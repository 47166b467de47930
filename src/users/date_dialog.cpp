#include "users/date_dialog.h"

#include "resources/string_table.h"
#include "resources/user_dialogs.h"
#include "ui/prompter.h"
#include "users/user_record.h"

namespace orvix {

using namespace date_dlg;
using ui::Event;

namespace {

// The date boxes in the order OK checks them, each with its field of the record.
struct DateBox {
    int id;
    UserDate UserRecord::*field;
};

constexpr DateBox kDateBoxes[] = {
    {IDC_BIRTHDAY, &UserRecord::birthday},
    {IDC_ANNIVERSARY, &UserRecord::anniversary},
    {IDC_SPECIAL_DAY, &UserRecord::specialDay},
};

// The check boxes of each weekday set: the first is Sunday's.
struct DayBoxes {
    int firstId;
    std::uint8_t UserRecord::*field;
};

constexpr DayBoxes kDayBoxes[] = {
    {IDC_FIRST_LESSON_DAY, &UserRecord::lessonDays},
    {IDC_FIRST_GARBAGE_DAY, &UserRecord::garbageDays},
};

} // namespace

CDateDialog::CDateDialog(ui::UiServices& services, EditorDocument& document,
                         ui::DialogModel& userList, FilesAsRead& asRead)
    : ui::DialogController(DateDialogTemplate()), services_(services), document_(document),
      userList_(userList), asRead_(asRead) {}

bool CDateDialog::Dispatch(int id, Event event) {
    static constexpr ui::MessageEntry<CDateDialog> map[] = {
        ui::On(IDC_OK, Event::Clicked, &CDateDialog::OnOk),
        ui::On(IDC_NAME, Event::SelectionChanged, &CDateDialog::OnNameChosen),
    };
    return ui::DispatchMessageMap<CDateDialog>(*this, map, id, event);
}

void CDateDialog::OnInitDialog() {
    ui::DialogModel& dialog = Model();
    document_.chosenNameIndex = 0;
    const UserRecord record = BufferedUserRecord(document_);
    const NameTable table(document_.nameTable);
    const int index = record.nameIndex;
    if (NameTable::Holds(index) && table.Entry(index).nameNumber > 0) {
        dialog.SetInt(IDC_NAME_NUMBER, table.Entry(index).nameNumber);
    }
    std::vector<std::string> names;
    for (int item = 0; item < kOfferedNameCount; ++item) {
        names.push_back(NameText(table, kFirstOfferedName + item));
    }
    dialog.AddItems(IDC_NAME, std::move(names));
    // A new user's entry 0 and the last entry are no items: nothing is selected.
    dialog.SelectItem(IDC_NAME, index - kFirstOfferedName);
    for (const DateBox& box : kDateBoxes) {
        const UserDate date = record.*box.field;
        if (date.IsSet()) {
            dialog.SetText(box.id, FormatDateText(date.month, date.day));
        }
    }
    for (const DayBoxes& boxes : kDayBoxes) {
        for (int day = 0; day < kDayCount; ++day) {
            dialog.SetCheck(boxes.firstId + day, (record.*boxes.field & DayMask(day)) != 0);
        }
    }
}

void CDateDialog::OnNameChosen(int) {
    const int item = Model().Selection(IDC_NAME);
    if (item < 0) {
        return;
    }
    document_.chosenNameIndex = kFirstOfferedName + item;
    // Shown whatever its value, 0 and negative numbers too.
    Model().SetInt(IDC_NAME_NUMBER,
                   NameTable(document_.nameTable).Entry(document_.chosenNameIndex).nameNumber);
}

// A refused date or a failed write keeps the dialog open with everything typed.
void CDateDialog::OnOk(int) {
    ui::DialogModel& dialog = Model();
    UserRecord record = BufferedUserRecord(document_);
    if (document_.chosenNameIndex > 0) {
        record.nameIndex = static_cast<std::int16_t>(document_.chosenNameIndex);
    }
    for (const DateBox& box : kDateBoxes) {
        const std::optional<UserDate> date = ParseDateText(dialog.GetText(box.id));
        if (!date) {
            dialog.SetFocus(box.id);
            services_.prompter.Message(IDP_DATE_WRONG, ui::Buttons::Ok, ui::Icon::Error);
            return;
        }
        record.*box.field = *date;
    }
    for (const DayBoxes& boxes : kDayBoxes) {
        record.*boxes.field = 0;
        for (int day = 0; day < kDayCount; ++day) {
            if (dialog.IsChecked(boxes.firstId + day)) {
                record.*boxes.field |= DayMask(day);
            }
        }
    }
    BufferUserRecord(document_, record);
    const int slot = document_.currentUserSlot;
    if (!WriteUserRecord(document_, services_.prompter, slot, asRead_)) {
        return;
    }
    if (document_.chosenNameIndex > 0 && slot >= 0 && slot < kUserSlotCount) {
        userList_.SetText(user_dlg::IDC_FIRST_NAME_NUMBER + slot, dialog.GetText(IDC_NAME_NUMBER));
        userList_.SetText(user_dlg::IDC_FIRST_NAME + slot,
                          dialog.ItemText(IDC_NAME, dialog.Selection(IDC_NAME)));
    }
    dialog.EndDialog(ui::kIdOk);
}

} // namespace orvix
