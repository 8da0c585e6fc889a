#include "frontend/dialogs.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <vector>

#include "frontend/config_glue.h"
#include "frontend/file_rules.h"
#include "host/sound_output.h"
#include "machine/report.h"
#include "machine/zip_entries.h"
#include "resource.h"

namespace vimo {

namespace {

constexpr int kDirectoryEditLimit = 255;
constexpr LPARAM kFrequencyMin = 5000;
constexpr LPARAM kFrequencyMax = 60000;

void copyItemText(HWND list, int item) {
    LVITEMA request{};
    request.iSubItem = 0;
    request.pszText = zipEntryName;
    request.cchTextMax = static_cast<int>(sizeof zipEntryName);
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&request));
}

void showFrequency(HWND dialog, DWORD frequency) {
    char text[32];
    std::snprintf(text, sizeof text, "%ld", static_cast<long>(frequency));
    SetDlgItemTextA(dialog, IDC_FREQUENCY_VALUE, text);
}

void postSliderPosition(HWND dialog, DWORD frequency) {
    PostMessageA(GetDlgItem(dialog, IDC_FREQUENCY_SLIDER), TBM_SETPOS, TRUE, static_cast<LPARAM>(frequency));
}

// The rate a buffer made for the current settings plays at.
DWORD configuredFrequency() {
    return soundFormatFor(soundRate, soundBits, soundStereo).playRate;
}

INT_PTR zipNotify(HWND dialog, const NMHDR* header, LPARAM lParam) {
    if (header->idFrom != IDC_ZIP_LIST) return FALSE;
    if (header->code == LVN_ITEMCHANGED) {
        copyItemText(header->hwndFrom, reinterpret_cast<const NMLISTVIEW*>(lParam)->iItem);
    } else if (header->code == static_cast<UINT>(NM_DBLCLK)) {
        EndDialog(dialog, 1);
    }
    return TRUE;
}

struct BrowseButton {
    int button;
    int edit;
    const char* title;
};

constexpr BrowseButton kBrowseButtons[] = {
    {IDC_ROM_BROWSE, IDC_ROM_DIRECTORY, "Select Megadrive/SegaCD ROM Directory"},
    {IDC_STATE_BROWSE, IDC_STATE_DIRECTORY, "Select Save States Directory"},
    {IDC_GYM_BROWSE, IDC_GYM_DIRECTORY, "Select Gym Directory"},
    {IDC_BRM_BROWSE, IDC_BRM_DIRECTORY, "Select SegaCD Backup Ram Directory"},
};

struct DirectoryEdit {
    int edit;
    std::string* folder;
};

const DirectoryEdit kDirectoryEdits[] = {
    {IDC_ROM_DIRECTORY, &romDirectory},
    {IDC_STATE_DIRECTORY, &stateDirectory},
    {IDC_GYM_DIRECTORY, &gymDirectory},
    {IDC_BRM_DIRECTORY, &brmDirectory},
};

// The edit's folder is the browser's starting name; only the edit changes.
void browseFor(HWND dialog, const BrowseButton& browse) {
    char messageBuffer[kMessageBufferSize] = {};
    GetDlgItemTextA(dialog, browse.edit, messageBuffer, static_cast<int>(sizeof messageBuffer));
    if (browseForFolder(dialog, messageBuffer, browse.title) != 0) SetDlgItemTextA(dialog, browse.edit, messageBuffer);
}

INT_PTR directoriesCommand(HWND dialog, int id) {
    for (const BrowseButton& browse : kBrowseButtons) {
        if (browse.button != id) continue;
        browseFor(dialog, browse);
        return TRUE;
    }
    if (id == IDOK) {
        for (const DirectoryEdit& entry : kDirectoryEdits) {
            char folder[kDirectoryEditLimit + 1] = {};
            GetDlgItemTextA(dialog, entry.edit, folder, static_cast<int>(sizeof folder));
            *entry.folder = folder;
        }
        EndDialog(dialog, IDOK);
        return TRUE;
    }
    if (id == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

INT_PTR CALLBACK zipChooserProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            centreWindow(dialog);
            const int32_t count = fillZipList(GetDlgItem(dialog, IDC_ZIP_LIST), reinterpret_cast<const char*>(lParam));
            if (count == 0) {
                // Shown whatever the error-box setting says: the load cannot go on.
                MessageBoxA(dialog, "Zip file doesn't contain Megadrive/Genesis roms", "Vimo error...",
                            MB_OK | MB_ICONHAND);
                PostMessageA(dialog, WM_CLOSE, 0, 0);
            } else if (count == 1) {
                EndDialog(dialog, 1);
            } else {
                ShowWindow(dialog, SW_SHOW);
            }
            return TRUE;
        }
        case WM_CLOSE:
            EndDialog(dialog, 0);
            return TRUE;
        case WM_NOTIFY:
            return zipNotify(dialog, reinterpret_cast<const NMHDR*>(lParam), lParam);
        case WM_COMMAND:
            if (HIWORD(wParam) != 0) return FALSE;
            if (LOWORD(wParam) == IDC_ZIP_OK) {
                EndDialog(dialog, 1);
                return TRUE;
            }
            if (LOWORD(wParam) == IDC_ZIP_CANCEL) {
                SendMessageA(dialog, WM_CLOSE, 0, 0);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

// The list view sorts its items, so item 0 is the first name in ascending
// order, as the listing gives them.
int32_t fillZipList(HWND list, const char* zipPath) {
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    const std::vector<std::string> names = zipRomEntries(zipPath);
    for (size_t index = 0; index < names.size(); ++index) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(index);
        item.pszText = const_cast<char*>(names[index].c_str());
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    if (names.empty()) return 0;
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
    copyItemText(list, 0);
    return static_cast<int32_t>(names.size());
}

INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
    if (message == WM_INITDIALOG) {
        centreWindow(dialog);
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

// Keyboard moves of the trackbar arrive as WM_HSCROLL, mouse drags and
// repaints as WM_NOTIFY; both follow the trackbar.
INT_PTR CALLBACK frequencyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
    switch (message) {
        case WM_INITDIALOG:
            centreWindow(dialog);
            ShowWindow(dialog, SW_SHOWNORMAL);
            frequencyDialogInit(dialog);
            return TRUE;
        case WM_NOTIFY:
        case WM_HSCROLL:
            frequencyDialogTrack(dialog);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_FREQUENCY_DEFAULT) {
                frequencyDialogDefault(dialog);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                DestroyWindow(dialog);
                return TRUE;
            }
            return FALSE;
        case WM_DESTROY:
            return TRUE;
        default:
            return FALSE;
    }
}

// Without a sound buffer there is no frequency to change: the trackbar shows
// the configured rate, disabled.
void frequencyDialogInit(HWND dialog) {
    HWND slider = GetDlgItem(dialog, IDC_FREQUENCY_SLIDER);
    DWORD frequency = configuredFrequency();
    if (soundBuffer == nullptr) {
        EnableWindow(slider, FALSE);
    } else {
        soundBuffer->GetFrequency(&frequency);
    }
    PostMessageA(slider, TBM_SETRANGEMAX, TRUE, kFrequencyMax);
    PostMessageA(slider, TBM_SETRANGEMIN, TRUE, kFrequencyMin);
    postSliderPosition(dialog, frequency);
    showFrequency(dialog, frequency);
}

void frequencyDialogTrack(HWND dialog) {
    if (soundBuffer == nullptr) return;
    const LRESULT position = SendMessageA(GetDlgItem(dialog, IDC_FREQUENCY_SLIDER), TBM_GETPOS, 0, 0);
    soundBuffer->SetFrequency(static_cast<DWORD>(position));
    showFrequency(dialog, static_cast<DWORD>(position));
}

// Frequency 0 restores the buffer's own rate.
void frequencyDialogDefault(HWND dialog) {
    DWORD frequency = configuredFrequency();
    if (soundBuffer != nullptr) {
        soundBuffer->SetFrequency(0);
        soundBuffer->GetFrequency(&frequency);
    }
    postSliderPosition(dialog, frequency);
    showFrequency(dialog, frequency);
}

INT_PTR CALLBACK directoriesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
    if (message == WM_INITDIALOG) {
        centreWindow(dialog);
        for (const DirectoryEdit& entry : kDirectoryEdits) {
            SendDlgItemMessageA(dialog, entry.edit, EM_LIMITTEXT, kDirectoryEditLimit, 0);
            SetDlgItemTextA(dialog, entry.edit, entry.folder->c_str());
        }
        return TRUE;
    }
    if (message == WM_COMMAND) return directoriesCommand(dialog, LOWORD(wParam));
    return FALSE;
}

void centreWindow(HWND window) {
    HWND reference = GetParent(window);
    if (reference == nullptr) reference = GetDesktopWindow();
    RECT area{};
    RECT own{};
    GetWindowRect(reference, &area);
    GetWindowRect(window, &own);
    const Placement place = centredPosition(area.left, area.top, area.right - area.left, area.bottom - area.top,
                                            own.right - own.left, own.bottom - own.top);
    SetWindowPos(window, HWND_TOP, place.x, place.y, 0, 0, SWP_NOSIZE);
}

int32_t browseForFolder(HWND owner, char* buffer, const char* title) {
    static const bool comReady = SUCCEEDED(CoInitialize(nullptr));
    (void)comReady;
    BROWSEINFOA request{};
    request.hwndOwner = owner;
    request.pszDisplayName = buffer;
    request.lpszTitle = title;
    request.ulFlags = BIF_RETURNONLYFSDIRS;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&request);
    if (chosen == nullptr) return 0;
    // SHGetPathFromIDListA writes at most MAX_PATH characters.
    char path[MAX_PATH + 1] = {};
    const BOOL found = SHGetPathFromIDListA(chosen, path);
    CoTaskMemFree(chosen);
    if (!found) return 0;
    std::string folder = path;
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    std::snprintf(buffer, kMessageBufferSize, "%s", folder.c_str());
    return 1;
}

}  // namespace vimo
