#include "users/user_dialog.h"

#include <string>

#include "resources/string_table.h"
#include "resources/user_dialogs.h"
#include "ui/prompter.h"
#include "users/date_dialog.h"

namespace orvix {

using namespace user_dlg;
using ui::Event;

CUserDialog::CUserDialog(ui::UiServices& services, EditorDocument& document)
    : ui::DialogController(UserDialogTemplate()), services_(services), document_(document) {}

bool CUserDialog::Dispatch(int id, Event event) {
    static constexpr ui::MessageEntry<CUserDialog> map[] = {
        ui::OnRange(IDC_FIRST_EDIT, IDC_FIRST_EDIT + kUserSlotCount - 1, Event::Clicked,
                    &CUserDialog::OnEdit),
        ui::On(IDC_NEW_USER, Event::Clicked, &CUserDialog::OnNewUser),
    };
    return ui::DispatchMessageMap<CUserDialog>(*this, map, id, event);
}

void CUserDialog::OnInitDialog() {
    // The person never works with a half-filled list: a failed load closes it after its message.
    if (!LoadUserList(document_, services_.prompter, *this, &asRead_)) {
        Model().PostClose();
    }
}

void CUserDialog::AddUser(const UserListRow& row) {
    ShowRow(row.slot, &row);
}

void CUserDialog::AddFreeSlot(int slot) {
    ShowRow(slot, nullptr);
}

void CUserDialog::ShowRow(int slot, const UserListRow* row) {
    ui::DialogModel& dialog = Model();
    dialog.SetText(IDC_FIRST_NAME_NUMBER + slot,
                   row != nullptr && row->nameNumber ? std::to_string(*row->nameNumber) : "");
    dialog.SetText(IDC_FIRST_NAME + slot, row != nullptr ? row->name : "");
    dialog.Enable(IDC_FIRST_EDIT + slot, row != nullptr);
    // The creation is offered exactly while a slot is free to put it in.
    dialog.Enable(IDC_NEW_USER, FreeSlot() >= 0);
}

void CUserDialog::ShowSlots(const UserSlots& slots, int keep) {
    const NameTable table(document_.nameTable);
    for (int slot = 0; slot < kUserSlotCount; ++slot) {
        const std::optional<UserRecord>& record = slots[static_cast<std::size_t>(slot)];
        if (slot == keep || !record) {
            continue; // a file that cannot be read now keeps the row it had
        }
        if (record->InUse()) {
            const UserListRow row = MakeListRow(table, slot, *record);
            ShowRow(slot, &row);
        } else {
            ShowRow(slot, nullptr);
        }
    }
}

int CUserDialog::FreeSlot() const {
    for (int slot = 0; slot < kUserSlotCount; ++slot) {
        if (!Model().IsEnabled(IDC_FIRST_EDIT + slot)) {
            return slot;
        }
    }
    return -1;
}

// The record is read afresh from the card, not taken from the list; afterwards the list shows
// the card as it is then (the row the data dialog's OK filled in stays as it put it).
void CUserDialog::OnEdit(int id) {
    const int slot = id - IDC_FIRST_EDIT;
    document_.currentUserSlot = slot;
    if (!ReadUserRecord(document_, services_.prompter, slot, &asRead_)) {
        return;
    }
    CDateDialog data(services_, document_, Model(), asRead_);
    const int result = services_.runner.RunModal(data);
    ShowSlots(ReadUserSlots(document_, asRead_), result == ui::kIdOk ? slot : -1);
}

// The new user goes into the first slot free on the card as it is now, whatever the list showed;
// the list then shows that card.
void CUserDialog::OnNewUser(int) {
    if (services_.prompter.Message(IDP_CREATE_USER, ui::Buttons::YesNo, ui::Icon::Question) !=
        ui::Answer::Yes) {
        return;
    }
    UserSlots slots;
    const int slot = RegisterNewUser(document_, services_.prompter, asRead_, slots);
    ShowSlots(slots);
    if (slot >= 0) {
        services_.prompter.Message(IDP_USER_ADDED, ui::Buttons::Ok, ui::Icon::None,
                                   std::to_string(slot + 1));
    }
}

} // namespace orvix
