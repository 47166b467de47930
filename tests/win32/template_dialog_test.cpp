// Every template made into a Windows dialog: each control a window of its class and style at the
// template's rectangle (MapDialogRect of its units), with the model's text and state, in the
// template's font.

#include "win32_test_support.h"

#include <algorithm>
#include <commctrl.h>

#include "resources/history_dialog.h"
#include "resources/main_dialog.h"
#include "resources/program_dialog.h"
#include "resources/settings_dialog.h"
#include "resources/translation.h"
#include "resources/user_dialogs.h"
#include "win32/template_dialog.h"

namespace orvix::test {
namespace {

using ui::ControlKind;

// The class and the type bits (those under the mask) each kind of control is made with.
struct Expected {
    const wchar_t* windowClass;
    DWORD mask;
    DWORD type;
};

Expected ExpectedOf(ControlKind kind) {
    switch (kind) {
    case ControlKind::PushButton:
        return {L"Button", 0x0F, BS_PUSHBUTTON};
    case ControlKind::DefPushButton:
        return {L"Button", 0x0F, BS_DEFPUSHBUTTON};
    case ControlKind::CheckBox:
        return {L"Button", 0x0F, BS_CHECKBOX}; // not automatic: the model checks it
    case ControlKind::RadioButton:
        return {L"Button", 0x0F, BS_RADIOBUTTON};
    case ControlKind::GroupBox:
        return {L"Button", 0x0F, BS_GROUPBOX};
    case ControlKind::Edit:
        return {L"Edit", ES_READONLY | ES_MULTILINE, 0};
    case ControlKind::ReadOnlyEdit:
        return {L"Edit", ES_READONLY | ES_MULTILINE, ES_READONLY};
    case ControlKind::Spin:
        return {L"msctls_updown32", UDS_SETBUDDYINT | UDS_ARROWKEYS, UDS_ARROWKEYS};
    case ControlKind::DropDownList:
        return {L"ComboBox", 0x03, CBS_DROPDOWNLIST};
    case ControlKind::ListBox:
        return {L"ListBox", LBS_NOTIFY | LBS_USETABSTOPS | LBS_SORT, LBS_NOTIFY | LBS_USETABSTOPS};
    case ControlKind::Label:
        return {L"Static", SS_TYPEMASK | SS_NOPREFIX, SS_LEFT | SS_NOPREFIX};
    case ControlKind::Icon:
        return {L"Static", SS_TYPEMASK, SS_ICON};
    }
    return {};
}

// Rows as a card's saves give them, so that the lists hold something.
void FillLists(ui::DialogModel& model) {
    using namespace history_dlg;
    if (!model.HasControl(IDC_ENTRIES)) {
        return;
    }
    model.SetTabStops(IDC_ENTRIES, {kEntryStops.begin(), kEntryStops.end()});
    model.AddItems(IDC_ENTRIES, {"14\t2026-12-07 10:42:13\tSTARTUP.BIN\tID2 25→30", "9\t\t\t?"});
    model.SelectItem(IDC_ENTRIES, 1);
}

void CheckDialog(HWND dialog, const ui::DialogModel& model) {
    const ui::DialogTemplate& dialogTemplate = model.Template();
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_STREQ(font.lfFaceName, L"MS UI Gothic");
    RECT client{};
    GetClientRect(dialog, &client);
    RECT size{0, 0, dialogTemplate.width, dialogTemplate.height};
    MapDialogRect(dialog, &size);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);

    HWND window = GetWindow(dialog, GW_CHILD);
    for (const ui::ControlTemplate& control : dialogTemplate.controls) {
        SCOPED_TRACE("\"" + std::string(control.text) + "\" (" + std::to_string(control.id) + ")");
        ASSERT_NE(window, nullptr) << "no window for the control";
        if (control.id != 0) {
            EXPECT_EQ(GetDlgCtrlID(window), control.id);
        }
        // Where the dialog manager puts it: each of x, y, cx and cy mapped.
        RECT expected{control.rect.x, control.rect.y, control.rect.width, control.rect.height};
        MapDialogRect(dialog, &expected);
        RECT actual{};
        GetWindowRect(window, &actual);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.top, expected.top);
        EXPECT_EQ(actual.right - actual.left, expected.right);
        if (control.kind != ControlKind::DropDownList) { // closed, it is one line high
            EXPECT_EQ(actual.bottom - actual.top, expected.bottom);
        }
        const Expected kind = ExpectedOf(control.kind);
        wchar_t windowClass[32] = {};
        GetClassNameW(window, windowClass, 32);
        EXPECT_STREQ(windowClass, kind.windowClass);
        const auto style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
        EXPECT_EQ(style & kind.mask, kind.type);
        const bool group = control.kind == ControlKind::RadioButton && (control.style & ui::kGroup);
        if (group) {
            EXPECT_TRUE(style & WS_GROUP);
        }
        if (control.kind == ControlKind::Icon) { // its text names the picture
            EXPECT_NE(SendMessageW(window, STM_GETICON, 0, 0), 0);
        } else if (control.id == 0) {
            EXPECT_EQ(TextOf(window), control.text);
        } else {
            EXPECT_EQ((style & WS_DISABLED) == 0, model.IsEnabled(control.id));
            EXPECT_EQ((style & WS_VISIBLE) != 0, model.IsVisible(control.id));
            if (control.kind == ControlKind::ListBox) {
                EXPECT_EQ(SendMessageW(window, LB_GETCOUNT, 0, 0), model.ItemCount(control.id));
                EXPECT_EQ(SendMessageW(window, LB_GETCURSEL, 0, 0), model.Selection(control.id));
            } else if (control.kind == ControlKind::DropDownList) {
                EXPECT_EQ(SendMessageW(window, CB_GETCOUNT, 0, 0), model.ItemCount(control.id));
                EXPECT_EQ(SendMessageW(window, CB_GETCURSEL, 0, 0), model.Selection(control.id));
            } else if (control.kind != ControlKind::Spin) {
                EXPECT_EQ(TextOf(window), model.GetText(control.id));
            }
            if (control.kind == ControlKind::CheckBox || control.kind == ControlKind::RadioButton) {
                EXPECT_EQ(SendMessageW(window, BM_GETCHECK, 0, 0) == BST_CHECKED,
                          model.IsChecked(control.id));
            }
        }
        window = GetWindow(window, GW_HWNDNEXT);
    }
    EXPECT_EQ(window, nullptr) << "a window more than the template's controls";
}

// The font asks for the Japanese character set (Wine makes the dialog's font without it, so it
// is read from the template): dlgVer to cy are 13 words, then no menu, the dialog class, the
// title, the point size and the weight.
TEST(Win32TemplateDialogTest, TheDialogFontIsAJapaneseFaceAtNinePoints) {
    const std::vector<WORD> words = win32::BuildDialogTemplate(MainDialogTemplate());
    const auto title = std::find(words.begin() + 15, words.end(), 0);
    ASSERT_LT(title + 4, words.end());
    EXPECT_EQ(title[1], 9);
    EXPECT_EQ(title[3], MAKEWORD(FALSE, SHIFTJIS_CHARSET));
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(&title[4])), L"MS UI Gothic");
}

TEST(Win32TemplateDialogTest, EveryTemplateOpensWithEachControlAsTheTemplateAndTheModelSay) {
    for (const bool english : {false, true}) {
        ASSERT_TRUE(SetInterfaceLanguage(english ? Language::English : Language::Japanese,
                                         {ORVIX2_TEST_CATALOGUE}));
        using Accessor = const ui::DialogTemplate& (*)();
        for (const Accessor dialogTemplate :
             {&MainDialogTemplate, &AboutDialogTemplate, &ProgramDialogTemplate,
              &SettingsDialogTemplate, &UserDialogTemplate, &DateDialogTemplate,
              &HistoryDialogTemplate}) {
            SCOPED_TRACE(dialogTemplate().title);
            Script script;
            RecordingDialog controller(dialogTemplate());
            controller.onInit = FillLists;
            script.InDialog(dialogTemplate().title, [&](HWND dialog) {
                CheckDialog(dialog, controller.Model());
                PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); // Esc
            });
            EXPECT_EQ(script.runner.RunModal(controller), ui::kIdCancel);
            EXPECT_TRUE(script.Done());
        }
    }
    SetInterfaceLanguage(Language::Japanese, {});
}

} // namespace
} // namespace orvix::test
