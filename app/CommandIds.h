// The command ids of the main menu, as the editor has always numbered them.
#pragma once

inline constexpr int CM_FILEEXIT = 101;
inline constexpr int CM_HELPABOUT = 102;
inline constexpr int CM_SETUPMIDI = 103;
inline constexpr int CM_FILEREAD = 104;
inline constexpr int CM_FILESAVE = 105;
inline constexpr int CM_FILEOPEN = 106;
inline constexpr int CM_FILEIMPORT = 107;
// "&Manual Mode" is program 0; "1A" to "9D" follow it as programs 1 to 36.
inline constexpr int CM_PATCHMANUAL = 108;
inline constexpr int CM_PATCHLAST = 144;
inline constexpr int CM_FILESAVEALL = 145;
inline constexpr int CM_LINKAMP = 146;
inline constexpr int CM_HELPCONTENTS = 147;
inline constexpr int CM_LIBRARY = 148;
inline constexpr int CM_EDITUNDO = 149;
inline constexpr int CM_EDITREDO = 150;
inline constexpr int CM_EDITCOMPARE = 151;
inline constexpr int CM_RESETSIMULATOR = 160;

// The program a Patch menu command chooses.
constexpr int programOfPatchCommand(int id) {
    return id - CM_PATCHMANUAL;
}
