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
    if (row.nameNumber) {
        Model().SetInt(IDC_FIRST_NAME_NUMBER + row.slot, *row.nameNumber);
    }
    Model().SetText(IDC_FIRST_NAME + row.slot, row.name);
    Model().Enable(IDC_FIRST_EDIT + row.slot, true);
}

void CUserDialog::AddFreeSlot(int) {
    Model().Enable(IDC_NEW_USER, true);
}

int CUserDialog::FreeSlot() const {
    for (int slot = 0; slot < kUserSlotCount; ++slot) {
        if (!Model().IsEnabled(IDC_FIRST_EDIT + slot)) {
            return slot;
        }
    }
    return -1;
}

// The record is read afresh from the card, not taken from the list.
void CUserDialog::OnEdit(int id) {
    const int slot = id - IDC_FIRST_EDIT;
    document_.currentUserSlot = slot;
    if (!ReadUserRecord(document_, services_.prompter, slot, &asRead_)) {
        return;
    }
    CDateDialog data(services_, document_, Model(), asRead_);
    services_.runner.RunModal(data);
}

void CUserDialog::OnNewUser(int) {
    if (services_.prompter.Message(IDP_CREATE_USER, ui::Buttons::YesNo, ui::Icon::Question) !=
        ui::Answer::Yes) {
        return;
    }
    const int slot = FreeSlot();
    if (slot < 0 || !NewUserRecord(document_, services_.prompter, slot, asRead_)) {
        return;
    }
    Model().Enable(IDC_FIRST_EDIT + slot, true);
    // The creation is never offered without a slot to put it in.
    if (FreeSlot() < 0) {
        Model().Enable(IDC_NEW_USER, false);
    }
    services_.prompter.Message(IDP_USER_ADDED, ui::Buttons::Ok, ui::Icon::None,
                               std::to_string(slot + 1));
}

} // namespace orvix
