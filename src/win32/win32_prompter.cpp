#include "win32/win32_prompter.h"

#include <windows.h>

#include <commdlg.h>

#include <array>

#include "resources/string_table.h"
#include "storage/file_io.h"
#include "win32/wide_text.h"

namespace orvix::win32 {

namespace {

UINT IconFlag(ui::Icon icon) {
    switch (icon) {
    case ui::Icon::Warning:
        return MB_ICONWARNING;
    case ui::Icon::Question:
        return MB_ICONQUESTION;
    case ui::Icon::Error:
        return MB_ICONERROR;
    case ui::Icon::Information:
        return MB_ICONINFORMATION;
    case ui::Icon::Auto:
    case ui::Icon::None:
        break;
    }
    return 0;
}

// The buttons in the order the box shows them, and their flag.
struct ButtonSet {
    UINT flag;
    std::array<ui::Answer, 3> order;
};

ButtonSet ButtonsOf(ui::Buttons buttons) {
    using A = ui::Answer;
    switch (buttons) {
    case ui::Buttons::Ok:
        break;
    case ui::Buttons::OkCancel:
        return {MB_OKCANCEL, {A::Ok, A::Cancel, A::None}};
    case ui::Buttons::YesNo:
        return {MB_YESNO, {A::Yes, A::No, A::None}};
    case ui::Buttons::YesNoCancel:
        return {MB_YESNOCANCEL, {A::Yes, A::No, A::Cancel}};
    }
    return {MB_OK, {A::Ok, A::None, A::None}};
}

ui::Answer FromResult(int result) {
    switch (result) {
    case IDOK:
        return ui::Answer::Ok;
    case IDYES:
        return ui::Answer::Yes;
    case IDNO:
        return ui::Answer::No;
    default:
        return ui::Answer::Cancel;
    }
}

} // namespace

unsigned MessageBoxFlags(const ui::MessageRequest& request) {
    const ButtonSet set = ButtonsOf(request.buttons);
    UINT flags = set.flag | IconFlag(ui::EffectiveIcon(request));
    const ui::Answer enter = ui::EffectiveDefault(request);
    if (enter == set.order[1]) {
        flags |= MB_DEFBUTTON2;
    } else if (enter == set.order[2]) {
        flags |= MB_DEFBUTTON3;
    }
    return flags;
}

ui::Answer Win32Prompter::ShowMessage(const ui::MessageRequest& request) {
    // A message box has no place for details: the system's reason follows the text.
    std::string text = MessageText(request);
    if (!request.detail.empty()) {
        text += "\n\n" + request.detail;
    }
    HWND owner = stack_.Top();
    const UINT flags = MessageBoxFlags(request) | (owner == nullptr ? MB_TASKMODAL : 0);
    return FromResult(
        MessageBoxW(owner, Wide(text).c_str(), Wide(ui::kMessageCaption).c_str(), flags));
}

std::optional<std::string> Win32Prompter::ChooseOpenFile(const ui::OpenFileRequest& request) {
    // "label (pattern)", the pattern, and an empty pair to end the list.
    std::wstring filter = Wide(request.filterLabel + " (" + request.pattern + ")");
    filter += L'\0';
    filter += Wide(request.pattern);
    filter += L'\0';
    filter += L'\0';
    std::wstring file = Wide(request.initialName);
    file.resize(std::max<std::size_t>(file.size() + 1, 32768), L'\0');
    const std::wstring folder = PathFromUtf8(request.initialFolder).wstring();
    const std::wstring extension = Wide(request.defaultExtension);

    OPENFILENAMEW chooser{};
    chooser.lStructSize = sizeof chooser;
    chooser.hwndOwner = stack_.Top();
    chooser.lpstrFilter = filter.c_str();
    chooser.nFilterIndex = 1;
    chooser.lpstrFile = file.data();
    chooser.nMaxFile = static_cast<DWORD>(file.size());
    chooser.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    chooser.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    chooser.Flags =
        OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&chooser)) {
        return std::nullopt;
    }
    return Utf8FromPath(std::filesystem::path(file.c_str()));
}

std::optional<ui::Rgb> Win32Prompter::ChooseColour(ui::Rgb initial) {
    static COLORREF custom[16] = {}; // the chooser's own colours, for the whole run
    CHOOSECOLORW chooser{};
    chooser.lStructSize = sizeof chooser;
    chooser.hwndOwner = stack_.Top();
    chooser.rgbResult = RGB(initial.red, initial.green, initial.blue);
    chooser.lpCustColors = custom;
    chooser.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!ChooseColorW(&chooser)) {
        return std::nullopt;
    }
    return ui::Rgb{GetRValue(chooser.rgbResult), GetGValue(chooser.rgbResult),
                   GetBValue(chooser.rgbResult)};
}

} // namespace orvix::win32
