#pragma once

#include "calibration/editor_document.h"
#include "ui/dialog_controller.h"
#include "users/user_record.h"

namespace orvix {

// The user list dialog: the ten slots of the user register, one row each; a row's edit button
// opens the user data dialog, the new-user button makes a user in the first free slot.
class CUserDialog : public ui::DialogController, private UserListReceiver {
public:
    CUserDialog(ui::UiServices& services, EditorDocument& document);

    void OnInitDialog() override;
    bool Dispatch(int id, ui::Event event) override;

private:
    void OnEdit(int id);
    void OnNewUser(int id);

    void AddUser(const UserListRow& row) override;
    void AddFreeSlot(int slot) override;
    // Puts a slot's row into the list: a user (name number, name, edit button) or, for none, a
    // free slot.
    void ShowRow(int slot, const UserListRow* row);
    // The rows of the slots as read again, but for the row keep and any file not read.
    void ShowSlots(const UserSlots& slots, int keep = -1);
    // The first row whose edit button is disabled, or -1.
    int FreeSlot() const;

    ui::UiServices& services_;
    EditorDocument& document_;
    FilesAsRead asRead_; // the user files as the list and the edit buttons read them
};

} // namespace orvix
