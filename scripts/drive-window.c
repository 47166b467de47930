/* drive-window.exe: works a Windows program's windows from outside by their messages, for
 * scripts/try-windows-editor under Wine. Windows are found by their exact title; controls by ID.
 *   wait TITLE [SECONDS]     until a visible window so titled is there (exit 1 if not)
 *   gone TITLE [SECONDS]     until none is
 *   set TITLE ID TEXT        a control's text (an edit sends its change as when typed)
 *   click TITLE ID           a button pressed (posted: the program may answer with a modal box)
 *   get TITLE ID             a control's text
 *   texts TITLE              every control's text, one a line
 *   items TITLE ID           a list box's rows, its columns parted by tabs
 *   choose TITLE ID ROW      a list box's row chosen, as by a click on it
 *   activate TITLE           the window brought to the front, so that keys reach it
 * Texts are UTF-8 in and out. Build: x86_64-w64-mingw32-gcc -municode -o drive-window.exe
 * drive-window.c */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

static HWND Find(const wchar_t* title, int seconds, BOOL wanted) {
    for (int i = 0; i <= seconds * 10; ++i) {
        HWND found = FindWindowW(NULL, title);
        if (found != NULL && !IsWindowVisible(found)) {
            found = NULL;
        }
        if ((found != NULL) == wanted) {
            return found != NULL ? found : (HWND)1;
        }
        Sleep(100);
    }
    return NULL;
}

static void Print(const wchar_t* text) {
    char utf8[8192];
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, NULL, NULL);
    DWORD written;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8, (DWORD)strlen(utf8), &written, NULL);
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "\n", 1, &written, NULL);
}

static BOOL CALLBACK PrintText(HWND control, LPARAM unused) {
    (void)unused;
    wchar_t text[4096];
    SendMessageW(control, WM_GETTEXT, 4096, (LPARAM)text);
    if (text[0] != 0) {
        Print(text);
    }
    return TRUE;
}

/* A list box's rows (the system carries its texts between the processes). */
static void PrintItems(HWND list) {
    const int rows = (int)SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (int row = 0; row < rows; ++row) {
        wchar_t line[8192] = L"";
        if (SendMessageW(list, LB_GETTEXTLEN, row, 0) < 8192) {
            SendMessageW(list, LB_GETTEXT, row, (LPARAM)line);
        }
        Print(line);
    }
}

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        fputs("usage: drive-window wait|gone|set|get|click|texts|items|choose|activate TITLE ...\n",
              stderr);
        return 2;
    }
    const wchar_t* command = argv[1];
    const wchar_t* title = argv[2];
    if (wcscmp(command, L"gone") == 0) {
        return Find(title, argc > 3 ? _wtoi(argv[3]) : 30, FALSE) != NULL ? 0 : 1;
    }
    HWND window =
        Find(title, wcscmp(command, L"wait") == 0 && argc > 3 ? _wtoi(argv[3]) : 30, TRUE);
    if (window == NULL) {
        fwprintf(stderr, L"drive-window: no window is titled so\n");
        return 1;
    }
    if (wcscmp(command, L"wait") == 0) {
        return 0;
    }
    if (wcscmp(command, L"texts") == 0) {
        EnumChildWindows(window, PrintText, 0);
        return 0;
    }
    if (wcscmp(command, L"activate") == 0) {
        SetForegroundWindow(window);
        return 0;
    }
    if (argc < 4) {
        return 2;
    }
    HWND control = GetDlgItem(window, _wtoi(argv[3]));
    if (control == NULL) {
        fwprintf(stderr, L"drive-window: no control %ls\n", argv[3]);
        return 1;
    }
    if (wcscmp(command, L"click") == 0) {
        PostMessageW(control, BM_CLICK, 0, 0);
        return 0;
    }
    if (wcscmp(command, L"get") == 0) {
        wchar_t text[4096] = L"";
        SendMessageW(control, WM_GETTEXT, 4096, (LPARAM)text);
        Print(text);
        return 0;
    }
    if (wcscmp(command, L"items") == 0) {
        PrintItems(control);
        return 0;
    }
    if (wcscmp(command, L"choose") == 0 && argc > 4) {
        SendMessageW(control, LB_SETCURSEL, _wtoi(argv[4]), 0);
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), LBN_SELCHANGE),
                     (LPARAM)control);
        return 0;
    }
    if (wcscmp(command, L"set") == 0 && argc > 4) {
        SendMessageW(control, WM_SETTEXT, 0, (LPARAM)argv[4]);
        return 0;
    }
    return 2;
}
