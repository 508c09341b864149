#pragma once
// Resource identifiers of KAVELO.exe, shared by the resource scripts, the program and the
// GUI tests. The numbers are fixed: other tools and the tests address the resources by them.
//
// Prefixes:
//   IDS_  string table entries
//   IDI_  icon groups
//   IDD_  dialog templates
//   IDM_  menus, the accelerator table, and the commands that menu items and accelerators send
//   IDC_  controls inside a window or dialog (unique within their dialog only)
//   IDB_  bitmaps
// Rules between them:
//   - A number may be reused across kinds (string 103 and dialog 103, menu and accelerator
//     table 109) but never within one kind.
//   - Commands of the main window's menus and accelerators sit in one space: 104, 105 and
//     32775 and up. Commands of the Voice editor's menu (143) start at 32836.
//   - Later additions take blocks of their own: Voice editor commands 32950-32979, main
//     window commands 32980-32989, menus and accelerator tables 160-169.
//   - Voice editor operator controls: the OP1 column holds 1004 to 1013; OP2, OP3 and OP4
//     add 10, 20 and 30 to each id.
//   - Algorithm bitmaps: IDB_ALGORITHM_0 + n shows algorithm n (n = 0 to 7).

// String table
#define IDS_APP_TITLE 103  // "KAVELO (Vantorel)", the main window title
#define IDS_CLASS_NAME 109 // "KAVELOVANTOREL", the main window class

// Icons
#define IDI_KAVELO 107 // large: class icon and About box icon
#define IDI_SMALL 108  // small: caption and task bar

// Dialog templates
#define IDD_ABOUTBOX 103
#define IDD_VOICE_EDITOR 106
#define IDD_HEADER_EDITOR 144
// Keyboard window (150-159)
#define IDD_KEYBOARD 150

// Menus and the accelerator table
#define IDM_MAIN_MENU 109  // class menu before any file is open
#define IDM_MAIN_ACCEL 109 // accelerators of the message loop
#define IDM_FILE_MENU 131  // after every successful Open: adds Tools
#define IDM_VOICE_MENU 143 // menu bar of the Voice editor
// Voice editor editing: the operator context menu, one popup per operator in
// the order OP1, OP2, OP3, OP4; the editor's own accelerators (Undo, Redo, Keyboard, Play
// Track, Stop), translated while it is active.
#define IDM_OPERATOR_MENU 160
#define IDM_VOICE_ACCEL 161

// Main window commands
#define IDM_ABOUT 104
#define IDM_EXIT 105
#define IDM_OPEN 32775
#define IDM_VOICE_EDITOR 32835
#define IDM_TRACK_HEADER_EDITOR 32840
// Cartridge checksum (ROM image mode only)
#define IDM_FIX_CHECKSUM 32980

// Voice editor menu commands
#define IDM_COPY_VOICE 32836
#define IDM_PASTE_VOICE 32837
#define IDM_IMPORT_TX81Z 32841
#define IDM_IMPORT_YMX 32847
// Voice editor undo, redo, revert and the operator context menu. Copy and paste of
// operator n are IDM_COPY_OPERATOR_1 and IDM_PASTE_OPERATOR_1 plus n - 1; a swap has one
// command per pair of operators, whichever column asks.
#define IDM_UNDO 32950
#define IDM_REDO 32951
#define IDM_REVERT_VOICE 32952
#define IDM_COPY_OPERATOR_1 32953
#define IDM_PASTE_OPERATOR_1 32957
#define IDM_SWAP_OP1_OP2 32961
#define IDM_SWAP_OP1_OP3 32962
#define IDM_SWAP_OP1_OP4 32963
#define IDM_SWAP_OP2_OP3 32964
#define IDM_SWAP_OP2_OP4 32965
#define IDM_SWAP_OP3_OP4 32966
// Voice editor: Track > Play Track and Stop, the shown track with the voices as shown
#define IDM_PLAY_TRACK 32967
#define IDM_STOP_TRACK 32968
// Keyboard window (32930-32949)
#define IDM_KEYBOARD_WINDOW 32930
// Voice editor: Import > Music Log (VGM) (32920-32929)
#define IDM_IMPORT_VGM 32920
// Instrument and bank files of every format (32900-32919)
#define IDM_IMPORT_INSTRUMENT_FILES 32900
#define IDM_IMPORT_VOICE_BANK 32901
#define IDM_EXPORT_VOICE 32902
#define IDM_EXPORT_BANK_AS 32903

// Controls of the main window and the About box
#define IDC_STATUS_LOG 0 // the EDIT child filling the main window
#define IDC_ABOUT_ICON 2 // the About box's icon static carries id 2
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Algorithm bitmaps
#define IDB_ALGORITHM_0 134
#define IDB_ALGORITHM_7 141
