// The commands that need a file, a folder or a setting from the user: the
// file choosers, Load rom with its routing and the zip-entry chooser, Boot
// SegaCD, state loading and saving (chooser or quick slot), and the
// frequency, directories and about dialogs.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace vimo {

constexpr size_t kZipEntryNameSize = 261;   // 260 characters and the zero

// ==== file_choosers.cpp: choosers, Load rom, Boot SegaCD, states ==========
extern std::string romPath;          // last ROM or CD image chosen; after a zip load the entry's name
extern std::string gymPath;
extern std::string statePath;
extern std::string loadedRomName;    // last ROM or image that loaded; names the quick slots
extern uint32_t romFilterIndex;      // 1 cartridges, 2 CD images
extern char zipEntryName[kZipEntryNameSize];
extern uint32_t stateSlot;           // 0-9
extern uint32_t autoRomInfo;

// Each returns 0 when a file was chosen, 1 otherwise (nothing changed).
int32_t chooseRomFile();
int32_t chooseGymFile();
int32_t chooseBiosFile(uint32_t region);
int32_t chooseStateFile(uint32_t save);

int32_t cmdLoadRom();
int32_t cmdBootSegaCd();
int32_t cmdLoadState(uint32_t quick);
int32_t cmdSaveState(uint32_t quick);

// ==== dialogs.cpp: zip chooser, frequency, directories, about =============
INT_PTR CALLBACK zipChooserProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK frequencyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK directoriesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
int32_t fillZipList(HWND list, const char* zipPath);
void frequencyDialogInit(HWND dialog);
void frequencyDialogTrack(HWND dialog);
void frequencyDialogDefault(HWND dialog);
void centreWindow(HWND window);
// 1 with the folder (ending in "\") in the buffer of kMessageBufferSize, 0
// when cancelled.
int32_t browseForFolder(HWND owner, char* buffer, const char* title);

}  // namespace vimo
