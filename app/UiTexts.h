// The words the editor shows: menus, dialogs, the status line and its message boxes, written
// once here and used by the desktop windows and, by name, by the browser page.
//
// Conventions:
// - A text is exactly what the user reads, byte for byte, odd spacing and punctuation included
//   (OverwriteLine1 ends in a space, as the dialog has always shown it). All are plain ASCII.
// - "%1", "%2", ... are placeholders, filled in order as QString::arg fills them: every
//   occurrence of the lowest number takes the first value ("MIDI %1 port ... the MIDI %1 port"
//   names the same port twice). The page replaces them the same way.
// - In menu texts (keys starting with "Menu") "&" marks the item's access letter, as Qt's
//   menus take it; a page that has no access letters drops the "&". No other text holds one.
// - A dialog's static text that runs over several lines is one constant per line, top to
//   bottom: ...Line1, ...Line2, ...
// - Where two places show the same words on purpose, one constant is declared as the other.
//
// uiTexts() lists every constant under its name without the leading "k".
#pragma once

#include <span>
#include <string_view>

namespace amplix::text {

// The program.
inline constexpr std::string_view kAppName = "Amplix 32";
inline constexpr std::string_view kHelpTitle = "Amplix 32 Help";

// Buttons every small dialog has.
inline constexpr std::string_view kButtonOk = "OK";
inline constexpr std::string_view kButtonCancel = "Cancel";

// The main window's menus (app/frame_menu.cpp). MenuPatchBank takes the bank's number,
// MenuPatchLocation the bank's number and the location's letter: "1&A".
inline constexpr std::string_view kMenuFile = "&File";
inline constexpr std::string_view kMenuFileOpen = "&Open...";
inline constexpr std::string_view kMenuFileSave = "&Save...";
inline constexpr std::string_view kMenuFileSaveAll = "Save &All...";
inline constexpr std::string_view kMenuFileImport = "&Import...";
inline constexpr std::string_view kMenuFileRead = "&Read POD settings";
// File > Recent Files: an item takes its number (its access key) and the file's name; an empty
// list shows the one item below, greyed.
inline constexpr std::string_view kMenuFileRecent = "Recent &Files";
inline constexpr std::string_view kMenuFileRecentEntry = "&%1 %2";
inline constexpr std::string_view kRecentFilesNone = "No recent files";
inline constexpr std::string_view kMenuFileExit = "E&xit";
inline constexpr std::string_view kMenuEdit = "&Edit";
inline constexpr std::string_view kMenuEditUndo = "&Undo";
inline constexpr std::string_view kMenuEditRedo = "&Redo";
inline constexpr std::string_view kMenuEditCompare = "&Compare with stored";
inline constexpr std::string_view kMenuPatch = "&Patch";
inline constexpr std::string_view kMenuPatchManual = "&Manual Mode";
inline constexpr std::string_view kMenuPatchBank = "Bank &%1";
inline constexpr std::string_view kMenuPatchLocation = "%1&%2";
inline constexpr std::string_view kMenuPatchLibrary = "&Library...";
// The location the device is at ("3A"), or kPatchNoLocation while there is none.
inline constexpr std::string_view kMenuPatchSaveTo = "&Save Patch To %1";
inline constexpr std::string_view kPatchNoLocation = "Current Location";
inline constexpr std::string_view kMenuOptions = "&Options";
inline constexpr std::string_view kMenuOptionsMidiSetup = "&Midi Setup";
inline constexpr std::string_view kMenuOptionsLinkAmp = "&Link Amp Model";
inline constexpr std::string_view kMenuOptionsMidiMonitor = "MIDI M&onitor";
inline constexpr std::string_view kMenuHelp = "&Help";
inline constexpr std::string_view kMenuHelpTopics = "Help &Topics";
inline constexpr std::string_view kMenuHelpAbout = "&About...";

// Help > About (app/DHelpAboutDialog.cpp); the first line is the program's name.
inline constexpr std::string_view kAboutTitle = "About Amplix 32";
inline constexpr std::string_view kAboutKind = "Windows POD editor";
inline constexpr std::string_view kAboutVersion = "Version 4.5c";
inline constexpr std::string_view kAboutDevices =
    "Editor and librarian for the POD 2, Flextone II and POD Pro";
inline constexpr std::string_view kAboutCopyright = "Copyright (c) 2026 the Amplix 32 developers";

// The file dialogs' filters, as "description|patterns|" pairs (app/FileDialogs.h turns them
// into Qt's form), and the name a saved bank is offered under.
inline constexpr std::string_view kOpenFilter = "AMPLIX Files (*.POD;*.SYX)|*.POD;*.SYX|All Files (*.*)|*.*|";
inline constexpr std::string_view kSaveFilter = "AMPLIX Files (*.POD)|*.pod|POD sysex files (*.SYX)|*.syx|";
inline constexpr std::string_view kSaveAllFilter = "POD sysex files (*.SYX)|*.syx|";
inline constexpr std::string_view kSaveAllName = "POD bank";
// Import files are told by their content, so the last entry takes any name.
inline constexpr std::string_view kImportFilter =
    "All Patch Files (*.LIB;*.L6T;*.GPT)|*.LIB;*.L6T;*.GPT;*.L6B;*.L6C|SoundDiver (*.LIB)|*.LIB|"
    "Line 6 Edit (*.L6T;*.L6B;*.L6C)|*.L6T;*.L6B;*.L6C|GuitarPort version 1 (*.GPT)|*.GPT|"
    "All files (*)|*|";

// The patch name strip under the panel (patch/DPatchName.cpp).
inline constexpr std::string_view kPatchNameLabel = "Patch Name:";
inline constexpr std::string_view kPatchNameChange = "Change Patch Name";
inline constexpr std::string_view kPatchNameSaveToPod = "Save Patch To POD...";

// The rename dialog (patch/DChangePatchNameDialog.cpp), opened by the strip's button.
inline constexpr std::string_view kRenameTitle = kPatchNameChange;
inline constexpr std::string_view kRenameLabel = kPatchNameLabel;

// Save Patch To POD (patch/DSaveToPODDialog.cpp): the location to overwrite.
inline constexpr std::string_view kSaveToPodTitle = "Save to POD...";
inline constexpr std::string_view kSaveToPodLine1 = "Select the location on the POD where you";
inline constexpr std::string_view kSaveToPodLine2 = "would like to save this patch.";
inline constexpr std::string_view kSaveToPodLine3 = "WARNING! This operation will overwrite the";
inline constexpr std::string_view kSaveToPodLine4 = "patch that is currently saved on the POD.";
inline constexpr std::string_view kSaveToPodLocation = "POD Patch Location:";
// Patch > Save Patch To 3A asks first: the location with its name, "3A  Brit Crunch".
inline constexpr std::string_view kSaveToLocationQuestion =
    "Save the current sound to %1? The patch saved there on the POD is overwritten.";
inline constexpr std::string_view kSaveToLocationYes = "Save";

// The warning before a bank overwrites the device's patches (patch/DOWWarningDialog.cpp).
inline constexpr std::string_view kOverwriteTitle = "Overwrite POD patches!";
inline constexpr std::string_view kOverwriteLine1 = "WARNING! This operation will ";
inline constexpr std::string_view kOverwriteLine2 = "overwrite all the saved patches";
inline constexpr std::string_view kOverwriteLine3 = "on your POD.";

// File > Open's bank chooser (files/DOpenAllDialog.cpp).
inline constexpr std::string_view kOpenBankTitle = "Patch Import";
inline constexpr std::string_view kOpenBankLine1 = "Select one of the available patches";
inline constexpr std::string_view kOpenBankLine2 = "from the POD Sysex file and click OK.";
inline constexpr std::string_view kOpenBankLine3 = "OR..";
inline constexpr std::string_view kOpenBankLine4 = "To load all 36 patches to your POD";
inline constexpr std::string_view kOpenBankLine5 = "click the \"Load ALL\" button.";
inline constexpr std::string_view kOpenBankLoadAll = "Load ALL";

// File > Import's choosers (import/DPatchImport*Dialog.cpp): all three are captioned as the
// bank chooser is.
inline constexpr std::string_view kImportTitle = kOpenBankTitle;
inline constexpr std::string_view kImportSoundDiverLine1 = kOpenBankLine1;
inline constexpr std::string_view kImportSoundDiverLine2 = "from the SoundDiver library.";
inline constexpr std::string_view kImportLine6EditLine1 = kOpenBankLine1;
inline constexpr std::string_view kImportLine6EditLine2 = "from the Line 6 Edit file.";
// The labels of a file's information, in the Line 6 Edit and the GuitarPort choosers.
inline constexpr std::string_view kImportAmp = "Amp:";
inline constexpr std::string_view kImportPickup = "Pickup:";
inline constexpr std::string_view kImportStyle = "Style:";
inline constexpr std::string_view kImportSubStyle = "Sub Style:";
inline constexpr std::string_view kImportBand = "Band:";
inline constexpr std::string_view kImportSong = "Song:";
inline constexpr std::string_view kImportGuitarist = "Guitarist:";
inline constexpr std::string_view kImportAuthor = "Author:";
inline constexpr std::string_view kImportComment = "Comment:";
// The GuitarPort chooser's notice, and its choice for a patch with both effects.
inline constexpr std::string_view kImportGuitarPortLine1 = "This patch was originally created";
inline constexpr std::string_view kImportGuitarPortLine2 = "for GuitarPort. The patch may not";
inline constexpr std::string_view kImportGuitarPortLine3 = "match exactly on the POD.";
inline constexpr std::string_view kImportChoiceLine1 = "This patch uses the compressor";
inline constexpr std::string_view kImportChoiceLine2 = "plus a modulation effect. Choose";
inline constexpr std::string_view kImportChoiceLine3 = "which effect to load on the POD:";
inline constexpr std::string_view kImportCompressor = "COMP";
inline constexpr std::string_view kImportModulation = "MOD";

// Options > Midi Setup (midi/DMidiSetupDialog.cpp, midi/frame_setup.cpp).
inline constexpr std::string_view kMidiSetupTitle = "MIDI Setup";
inline constexpr std::string_view kMidiSetupLine1 = "Select the MIDI input, output and channel";
inline constexpr std::string_view kMidiSetupLine2 = "settings used to connect to your POD. Then";
inline constexpr std::string_view kMidiSetupLine3 = "click the OK button to save the new settings.";
inline constexpr std::string_view kMidiSetupInput = "MIDI in:";
inline constexpr std::string_view kMidiSetupOutput = "MIDI out:";
inline constexpr std::string_view kMidiSetupChannel = "MIDI channel:";
inline constexpr std::string_view kMidiSetupFindPod = "Find POD";
inline constexpr std::string_view kMidiSetupStop = "Stop"; // the Find POD button while it searches
// Why the dialog opened by itself at start-up: one of these for each device the saved settings
// name that is not listed, joined by a space. Takes the device's name.
inline constexpr std::string_view kMidiSetupNotConnected = "%1 is not connected.";
// The built-in device, last in both device lists.
inline constexpr std::string_view kSimulatorName = "Amplix POD Simulator";

// Working without the device (midi/SimulatorStore.cpp, midi/frame_simulator.cpp,
// files/frame_files.cpp). The simulator keeps its patches between runs: what became of its
// files at start-up, each line after the reason (kFile...) that names the file.
inline constexpr std::string_view kMenuOptionsResetSimulator = "&Reset Simulator...";
inline constexpr std::string_view kResetSimulatorQuestion =
    "Reset the simulator to its factory patches? Its 36 patches and its edit buffer are replaced.";
inline constexpr std::string_view kStatusSimulatorReset = "Simulator reset to its factory patches";
inline constexpr std::string_view kStatusSimulatorFactory =
    "%1; the simulator starts with its factory patches";
inline constexpr std::string_view kStatusSimulatorEditBuffer =
    "%1; the simulator's edit buffer starts as patch 1A";
inline constexpr std::string_view kStatusSimulatorNotKept = "%1; the simulator's latest changes are not kept";
inline constexpr std::string_view kFileNotFound = "%1: not found";
inline constexpr std::string_view kFileNotBank = "%1: a single patch, not a bank";
inline constexpr std::string_view kFileNotSinglePatch = "%1: a bank, not a single patch";
// File > Save's read got no answer: the sound the editor last knew can be saved instead.
inline constexpr std::string_view kSaveLastKnownQuestion =
    "The POD did not answer. Save the sound as the editor last knew it?";

// The browser edition keeps the simulator's memory (and later more) in the browser's storage;
// the page's Forget button clears it after asking.
inline constexpr std::string_view kForget = "Forget";
inline constexpr std::string_view kForgetQuestion =
    "Forget what this browser keeps for Amplix 32? The Library's bank and files are emptied and the "
    "simulator goes back to its factory patches.";
inline constexpr std::string_view kStatusForgotten =
    "What the browser kept is forgotten; the Library is empty and the simulator has its factory patches";
inline constexpr std::string_view kForgetBusy = "The Library is talking to the POD; Forget when it is done";
// The Library's last bank and its file pane's files, kept by the browser too: the origin line of
// a bank taken back, and what the status line says when one is not.
inline constexpr std::string_view kLibraryKept = "%1, kept from an earlier visit";
inline constexpr std::string_view kStatusLibraryNotKept = "%1; the Library's latest changes are not kept";
inline constexpr std::string_view kStatusKeptBankRefused =
    "The Library's bank kept by this browser cannot be read; the Library starts empty";
inline constexpr std::string_view kStatusKeptFilesRefused =
    "The Library's files kept by this browser cannot be read; its file pane starts empty";
inline constexpr std::string_view kStatusKeptFileRefused =
    "%1, kept by this browser, is not opened again: %2";
// What the browser's notices call the simulator's two kept parts, where the desktop names files.
inline constexpr std::string_view kKeptSimulatorBank = "The simulator's bank kept by this browser";
inline constexpr std::string_view kKeptSimulatorEditBuffer =
    "The simulator's edit buffer kept by this browser";

// The amp model's label, as Options > Link Amp Model sets it (the first at start-up).
inline constexpr std::string_view kAmpModelLinked = "Amp Model: (Linked)";
inline constexpr std::string_view kAmpModelUnlinked = "Amp Model: (UnLinked)";

// Options > MIDI Monitor (midi/DMidiMonitor.cpp) and what its lines say of each message
// (midi/MidiMonitor.cpp); a line starts with MidiPortIn or MidiPortOut. MonitorController takes
// the controller's number, the control's name and the value, MonitorControllerEntry also what
// the value selects; MonitorSysexMeaning the size and one of the texts after it.
inline constexpr std::string_view kMonitorTitle = "MIDI Monitor";
inline constexpr std::string_view kMonitorPause = "Pause";
inline constexpr std::string_view kMonitorClear = "Clear";
inline constexpr std::string_view kMonitorCopy = "Copy";
inline constexpr std::string_view kMonitorDropped = "(%1 messages not shown: they came faster than shown)";
inline constexpr std::string_view kMonitorController = "CC %1 %2 %3";
inline constexpr std::string_view kMonitorControllerEntry = "CC %1 %2 %3 (%4)";
inline constexpr std::string_view kMonitorControllerUnknown = "CC %1 %2";
inline constexpr std::string_view kMonitorHighBits = "%1 (high bits)";
inline constexpr std::string_view kMonitorLowBits = "%1 (low bits)";
inline constexpr std::string_view kMonitorTapTempo = "Tap Tempo";
inline constexpr std::string_view kMonitorProgram = "Program %1";
inline constexpr std::string_view kMonitorProgramAt = "Program %1 (%2)";
inline constexpr std::string_view kMonitorManualMode = "Manual Mode";
inline constexpr std::string_view kMonitorShort = "Message %1";
inline constexpr std::string_view kMonitorStray = "Data byte %1 without a status byte";
inline constexpr std::string_view kMonitorSysex = "SysEx %1 bytes";
inline constexpr std::string_view kMonitorSysexMeaning = "SysEx %1 bytes: %2";
inline constexpr std::string_view kMonitorEditBufferRequest = "edit buffer request";
inline constexpr std::string_view kMonitorBankRequest = "bank request";
inline constexpr std::string_view kMonitorPatch = "patch '%1'";
inline constexpr std::string_view kMonitorBank = "bank of 36 patches, 1A '%1'";
inline constexpr std::string_view kMonitorStore = "store to %1, patch '%2'";
inline constexpr std::string_view kMonitorPatchCut = "patch cut short";
inline constexpr std::string_view kMonitorBankCut = "bank cut short";
inline constexpr std::string_view kMonitorInquiry = "device inquiry on channel %1";
inline constexpr std::string_view kMonitorInquiryAll = "device inquiry on every channel";
inline constexpr std::string_view kMonitorInquiryReply = "inquiry reply from %1 on channel %2";
inline constexpr std::string_view kMonitorInquiryReplyAll = "inquiry reply from %1 for every channel";
inline constexpr std::string_view kMonitorNotEnded = "not ended";

// The effect windows as help names them. Where controls are listed apart from their window (the
// compare list, amplix-patch diff, the undo steps) an effect window's control is named "%1 > %2",
// the window, then the label beside the control; where one window labels two controls alike,
// the kind of control follows the label.
inline constexpr std::string_view kWindowChorus = "Chorus";
inline constexpr std::string_view kWindowRotary = "Rotary";
inline constexpr std::string_view kWindowTremolo = "Tremolo";
inline constexpr std::string_view kWindowSwell = "Volume Swell";
inline constexpr std::string_view kWindowCompressor = "Compressor";
inline constexpr std::string_view kWindowDelay = "Delay";
inline constexpr std::string_view kWindowReverb = "Reverb";
inline constexpr std::string_view kWindowGate = "Noise Gate";
inline constexpr std::string_view kWindowPedals = "Pedals";
inline constexpr std::string_view kControlInWindow = "%1 > %2";
inline constexpr std::string_view kControlSlider = "%1 (slider)";
inline constexpr std::string_view kControlCheckBox = "%1 (check box)";
inline constexpr std::string_view kControlList = "%1 (list)";
// The Library window (patch/DLibraryWindow*.cpp): the mark of the patch the device is at, and
// the messages of arranging from the keyboard. Those with %1 take a location, "1A", or for
// kLibrarySinglePatchOpened the file's name.
inline constexpr std::string_view kLibraryPlayingTip = "The POD is at this patch";
inline constexpr std::string_view kLibraryCopied =
    "%1 copied: select another row and press Ctrl+V to copy it there";
inline constexpr std::string_view kLibraryCut = "%1 cut: select another row and press Ctrl+V to swap the two";
inline constexpr std::string_view kLibraryFileCopied =
    "%1 copied from the file: select a row and press Ctrl+V to put it there";
inline constexpr std::string_view kLibraryPasteWhere = "Select one row to paste onto";
inline constexpr std::string_view kLibraryNothingHeld = "Nothing to paste: Ctrl+C or Ctrl+X a row first";
inline constexpr std::string_view kLibraryHeldChanged = "%1 changed since it was copied: copy it again";
inline constexpr std::string_view kLibrarySinglePatchOpened =
    "%1 holds a single patch, not a bank: it is in the file pane, to drag onto a location";
// The Library window's title, buttons and columns (the file pane's are the device pane's);
// a changed row's mark.
inline constexpr std::string_view kLibraryTitle = "Amplix 32 Library";
inline constexpr std::string_view kLibraryReadFromPod = "Read from POD";
inline constexpr std::string_view kLibraryOpenBank = "Open bank...";
inline constexpr std::string_view kLibrarySendChanges = "Send changes";
inline constexpr std::string_view kLibrarySendAll = "Send all";
inline constexpr std::string_view kLibrarySaveBank = "Save bank as...";
inline constexpr std::string_view kLibraryUndo = "Undo";
inline constexpr std::string_view kLibraryRedo = "Redo";
inline constexpr std::string_view kLibraryListen = "Listen";
inline constexpr std::string_view kLibraryRename = "Rename";
inline constexpr std::string_view kLibraryCopyCurrent = "Copy current sound here";
inline constexpr std::string_view kLibraryExportPatch = "Export patch...";
inline constexpr std::string_view kLibraryOpenFile = "Open file...";
inline constexpr std::string_view kLibraryCompareCurrent = "Compare with current sound";
inline constexpr std::string_view kLibraryColumnLocation = "Location";
inline constexpr std::string_view kLibraryColumnName = "Name";
inline constexpr std::string_view kLibraryColumnAmpModel = "Amp Model";
inline constexpr std::string_view kLibraryColumnEffect = "Effect";
inline constexpr std::string_view kLibraryColumnChanged = "Not on the POD";
inline constexpr std::string_view kLibraryChangedMark = "changed";
// A file's patch the importers cannot turn into a record, in its amp model column.
inline constexpr std::string_view kLibraryNotConvertible = "(cannot be converted)";
// The file pane's Open file... filter, as the file dialogs take them: every format it reads.
inline constexpr std::string_view kLibraryAnyFilter =
    "All Patch Files (*.POD;*.SYX;*.LIB;*.L6T;*.L6B;*.L6C;*.GPT)|*.POD;*.SYX;*.LIB;*.L6T;*.L6B;*.L6C;*.GPT|"
    "All files (*)|*|";
// Where the patches shown came from. LibraryOpenedAt takes the file's name and the time,
// LibraryReadAt the time ("14:05"); LibrarySentAt adds the time of the last send to that line,
// LibraryNotOnPod the number of changed locations to the line so far.
inline constexpr std::string_view kLibraryNothingRead =
    "Nothing read yet: Read from POD, or open a bank file";
inline constexpr std::string_view kLibraryReadAt = "Read from the POD at %1";
inline constexpr std::string_view kLibraryOpenedAt = "From %1, opened at %2";
inline constexpr std::string_view kLibrarySentAt = "%1, sent at %2";
inline constexpr std::string_view kLibraryNotOnPod = "%1 (%2 not on the POD)";
// The file pane: its line before a file is open, and after (the file's name and its count).
inline constexpr std::string_view kLibraryNoFile = "No file open";
inline constexpr std::string_view kLibraryFileOnePatch = "%1: 1 patch";
inline constexpr std::string_view kLibraryFilePatches = "%1: %2 patches";
// The message line. A list of locations is as locationList gives it, "1A, 2C", a row's title
// as rowTitle gives it, "1A Clean" (patch/LibraryRow.h). Reading the bank and saving it say what
// the status line says: StatusReadingBank, StatusBankRead, StatusBankSaved.
inline constexpr std::string_view kLibraryBankFileOpened = "Bank file opened";
inline constexpr std::string_view kLibraryDragFromFile =
    "Drag a patch from the file onto a location to copy it there";
inline constexpr std::string_view kLibraryPatchSaved = "%1 saved to %2"; // a row's title, the file's name
inline constexpr std::string_view kLibraryReadingCurrent = "Reading the current sound from the POD";
inline constexpr std::string_view kLibraryCurrentCopied = "Current sound copied to %1";
inline constexpr std::string_view kLibraryChosen = "%1 chosen on the POD";
inline constexpr std::string_view kLibrarySentToHear =
    "%1 sent to the POD to be heard"; // a location or a name
// Sending and the read-back that confirms it: each with %1 takes a list of locations, except
// LibraryStoring (a location, then which store of how many) and LibrarySentUnconfirmed (why the
// read-back failed). LibraryWholeBank stands for the list when every location was sent.
inline constexpr std::string_view kLibraryNothingToSend =
    "Nothing to send: the POD holds every patch as shown";
inline constexpr std::string_view kLibraryNothingSent = "Nothing sent: %1 skipped";
inline constexpr std::string_view kLibraryStoring = "Storing %1 (%2 of %3)";
inline constexpr std::string_view kLibrarySendingStopped = "Sending stopped at %1";
inline constexpr std::string_view kLibraryReadingBack = "Reading the bank back to confirm";
inline constexpr std::string_view kLibraryConfirmed = "Sent and confirmed: %1";
inline constexpr std::string_view kLibraryWholeBank = "the whole bank";
inline constexpr std::string_view kLibraryNotConfirmed = "Not confirmed: %1";
inline constexpr std::string_view kLibraryNotConfirmedBox =
    "The POD does not hold what was sent to %1. These stay marked; send them again.";
inline constexpr std::string_view kLibrarySentUnconfirmed = "Sent, but not confirmed: %1";
inline constexpr std::string_view kLibrarySentUnconfirmedBox =
    "The patches were sent, but the POD's bank could not be read back to confirm them. They stay marked; "
    "read from the POD to check.";
inline constexpr std::string_view kLibraryBoxCaption = "Library";
// The questions (the conflict's own is PatchLibrary::conflictQuestion) and their buttons; the
// window's title is their caption. LibraryCloseQuestion takes LibraryOneChanged or
// LibraryManyChanged (with the number), LibraryReplaceQuestion a list of locations.
inline constexpr std::string_view kLibrarySend = "Send";
inline constexpr std::string_view kLibrarySkip = "Skip";
inline constexpr std::string_view kLibraryDiscard = "Discard";
inline constexpr std::string_view kLibraryCloseQuestion =
    "%1 not on the POD yet. Send the changes before closing?";
inline constexpr std::string_view kLibraryOneChanged = "1 changed patch is";
inline constexpr std::string_view kLibraryManyChanged = "%1 changed patches are";
inline constexpr std::string_view kLibraryReplaceQuestion =
    "The changes to %1 are not on the POD. Discard them?";
// The compare pane: its first column, its line with nothing to compare, and what it found
// (the two patches' titles, then the number of settings).
inline constexpr std::string_view kLibrarySetting = "Setting";
inline constexpr std::string_view kLibraryCompareHint =
    "Select two patches to compare them, or one to compare with the current sound";
inline constexpr std::string_view kLibraryCurrentSound = "Current sound";
inline constexpr std::string_view kLibrarySame = "%1 and %2 are the same";
inline constexpr std::string_view kLibraryDifferOne = "%1 and %2 differ in 1 setting";
inline constexpr std::string_view kLibraryDifferMany = "%1 and %2 differ in %3 settings";

// The browser edition's own words: what a page has to say that the desktop never does. The
// first two take the simulator's name.
inline constexpr std::string_view kWebMidiMissing =
    "This browser has no Web MIDI. The built-in %1 is there to work without a device.";
inline constexpr std::string_view kWebMidiRefused =
    "This browser did not allow MIDI with SysEx for this page. The built-in %1 is there to work without a "
    "device.";
// A patch opened from a link: the heading above it and its buttons (the store's is
// kPatchNameSaveToPod, as on the panel).
inline constexpr std::string_view kLinkOpened = "A patch from a link";
inline constexpr std::string_view kLinkSendToPod = "Send to POD";
inline constexpr std::string_view kLinkClose = "Close";
// A port of the link went away, and came back: they take the port's name.
inline constexpr std::string_view kStatusDeviceGone = kMidiSetupNotConnected;
inline constexpr std::string_view kStatusDeviceBack = "%1 is back.";
// An error in the page's own code, with what the browser says of it.
inline constexpr std::string_view kStatusPageError = "Something went wrong in the page: %1";
// A patch shared as a link (patch/PatchLink.h): the link's text, its title (with the patch's
// name; the other for a patch without one), and why a link opened no patch.
inline constexpr std::string_view kLinkText = "Link to this patch";
inline constexpr std::string_view kLinkTitle = "%1: a POD patch";
inline constexpr std::string_view kLinkTitleUnnamed = "A POD patch";
inline constexpr std::string_view kLinkCut = "This link is cut short: copy the whole link and open it again.";
inline constexpr std::string_view kLinkAltered =
    "This link was changed on its way: its patch does not match its check. Ask for the link again.";
inline constexpr std::string_view kLinkForeign =
    "This link is not an Amplix 32 patch link, or is from another version.";

// The status line (app/DStatusLine.cpp and the frame's transfers).
inline constexpr std::string_view kStatusNotConnected = "Not connected (Options, Midi Setup)";
// A bank's progress: the bytes the cable has carried and all of them.
inline constexpr std::string_view kStatusProgress = "%1 of %2 bytes";
// ... and once the cable could have carried all of it.
inline constexpr std::string_view kStatusWaiting = "waiting";
inline constexpr std::string_view kStatusSendingBank = "Sending the bank to the POD";
inline constexpr std::string_view kStatusReadingBank = "Reading the bank from the POD";
inline constexpr std::string_view kStatusSendFailed = "Sending to the POD failed";
inline constexpr std::string_view kStatusNoAnswer = "No answer from the POD: check both MIDI cables";
inline constexpr std::string_view kStatusIncomplete =
    "Incomplete answer from the POD: check both MIDI cables";
inline constexpr std::string_view kStatusUnrecognised = "Unrecognised answer on the MIDI input";
inline constexpr std::string_view kStatusPatchRead = "Patch read";
inline constexpr std::string_view kStatusBankRead = "Bank read";
inline constexpr std::string_view kStatusPatchSent = "Patch sent to the POD";
inline constexpr std::string_view kStatusBankSent = "Bank sent to the POD";
inline constexpr std::string_view kStatusPatchRenamed = "Patch renamed";
inline constexpr std::string_view kStatusNotStored = "Not stored: no location was chosen";
inline constexpr std::string_view kStatusStored = "Stored to %1";          // the location: "1A"
inline constexpr std::string_view kStatusPatchSaved = "Patch saved to %1"; // the file's name
inline constexpr std::string_view kStatusBankSaved = "Bank saved to %1";   // the file's name
// A Recent Files item whose file is gone (its name), and files dropped together (how many, and
// the name of the one opened).
inline constexpr std::string_view kStatusRecentGone = "%1 is not there any more: removed from Recent Files";
inline constexpr std::string_view kStatusDropFirstOnly = "%1 files dropped: only the first, %2, is opened";
// The device of a port in use went away (kStatusDeviceGone) or came back (kStatusDeviceBack);
// or it answers on another channel than the one set: its channel and the editor's, 1 to 16.
inline constexpr std::string_view kStatusWrongChannel =
    "The POD answers on channel %1; the editor uses channel %2: Options, Midi Setup";

// Why a file was not taken, for the status line and the trace beside the message box: each
// starts with the file's name.
inline constexpr std::string_view kFileEmpty = "%1: the file is empty";
inline constexpr std::string_view kFileShortPatch = "%1: %2 bytes; a patch has %3";
inline constexpr std::string_view kFileShortBank = "%1: %2 bytes; a bank has %3";
inline constexpr std::string_view kFileNotPatchOrBank = "%1: not a patch or bank file";
// A byte of a dump the device could not have sent: where it is and what it holds (0x55).
inline constexpr std::string_view kFileStatusByte =
    "%1: the byte at offset %2 is %3, a status byte inside the SysEx";
inline constexpr std::string_view kFileBigNibble =
    "%1: the byte at offset %2 is %3, more than a nibble (%4) holds";
inline constexpr std::string_view kFileNoEnd = "%1: the byte at offset %2 is %3, not the closing %4";
inline constexpr std::string_view kFileShortImport =
    "%1: %2 bytes; too short for a SoundDiver, Line 6 Edit or GuitarPort file";
inline constexpr std::string_view kFileTooLarge = "%1: more than %2 bytes";
// A reader ran past the end: the file was cut short.
inline constexpr std::string_view kFileEndsTooSoon = "%1: %2 bytes; the file ends too soon";
inline constexpr std::string_view kFileNotImportable = "%1: not a SoundDiver, Line 6 Edit or GuitarPort file";
// What the importer itself says of the file.
inline constexpr std::string_view kFileImporterSays = "%1: %2";
// The system's own words for a file it could not open or write.
inline constexpr std::string_view kFileUnreadable = "%1: cannot be read: %2";
inline constexpr std::string_view kFileUnwritable = "%1: cannot be written: %2";

// Message boxes: the caption a box without its own has, then the frame's boxes with theirs.
inline constexpr std::string_view kMessageCaption = "Error";
// Around files (files/frame_files.cpp).
inline constexpr std::string_view kFileErrorCaption = "Error!!";
inline constexpr std::string_view kFileOpenFailed = "Error: Couldn't open file.";
inline constexpr std::string_view kFileWriteFailed = "Error writing to file!";
// Around the MIDI settings file (midi/frame_setup.cpp).
inline constexpr std::string_view kConfigErrorCaption = "error!!";
inline constexpr std::string_view kConfigWriteFailed = "Error writing to AMPLIX.CNF file!";
// Around the MIDI ports (midi/frame_midi.cpp): these take MidiPortIn or MidiPortOut.
inline constexpr std::string_view kMidiErrorCaption = "Error!";
inline constexpr std::string_view kMidiInvalidPort = "Invalid MIDI %1 port selected - Select another";
inline constexpr std::string_view kMidiPortInUse =
    "MIDI %1 port is already in use - Select another or close the application using the MIDI %1 port";
inline constexpr std::string_view kMidiNoMemory = "Can't open MIDI %1 port - insufficient memory";
inline constexpr std::string_view kMidiPortIn = "in";
inline constexpr std::string_view kMidiPortOut = "out";
// Around transfers (midi/frame_midi.cpp, midi/frame_request.cpp). A failed send of a patch or
// bank has the MIDI caption; a failed request the default one.
inline constexpr std::string_view kSysexSendFailed = "Failed to send sysex message!";
inline constexpr std::string_view kInputBufferFailed = "Failed to prepare midi input buffer";

// Every constant above under its name without the "k", in the order declared.
struct UiText {
    std::string_view key;
    std::string_view text;
};
std::span<const UiText> uiTexts();

// The text of that key; empty for a key that is not there.
std::string_view uiText(std::string_view key);

} // namespace amplix::text
