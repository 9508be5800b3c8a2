// The table of the editor's texts by name, for the page.
#include "app/UiTexts.h"

#include <algorithm>
#include <array>

namespace amplix::text {

namespace {

// The key is the constant's own name, so an entry cannot name one text and hold another.
#define AMPLIX_TEXT(name)                                                                                    \
    UiText {                                                                                                 \
        std::string_view(#name).substr(1), name                                                              \
    }

constexpr std::array kTexts = {
    AMPLIX_TEXT(kAppName),
    AMPLIX_TEXT(kHelpTitle),
    AMPLIX_TEXT(kButtonOk),
    AMPLIX_TEXT(kButtonCancel),
    AMPLIX_TEXT(kMenuFile),
    AMPLIX_TEXT(kMenuFileOpen),
    AMPLIX_TEXT(kMenuFileSave),
    AMPLIX_TEXT(kMenuFileSaveAll),
    AMPLIX_TEXT(kMenuFileImport),
    AMPLIX_TEXT(kMenuFileRead),
    AMPLIX_TEXT(kMenuFileExit),
    AMPLIX_TEXT(kMenuEdit),
    AMPLIX_TEXT(kMenuEditUndo),
    AMPLIX_TEXT(kMenuEditRedo),
    AMPLIX_TEXT(kMenuEditCompare),
    AMPLIX_TEXT(kMenuPatch),
    AMPLIX_TEXT(kMenuPatchManual),
    AMPLIX_TEXT(kMenuPatchBank),
    AMPLIX_TEXT(kMenuPatchLocation),
    AMPLIX_TEXT(kMenuPatchLibrary),
    AMPLIX_TEXT(kMenuOptions),
    AMPLIX_TEXT(kMenuOptionsMidiSetup),
    AMPLIX_TEXT(kMenuOptionsLinkAmp),
    AMPLIX_TEXT(kMenuHelp),
    AMPLIX_TEXT(kMenuHelpTopics),
    AMPLIX_TEXT(kMenuHelpAbout),
    AMPLIX_TEXT(kAboutTitle),
    AMPLIX_TEXT(kAboutKind),
    AMPLIX_TEXT(kAboutVersion),
    AMPLIX_TEXT(kAboutDevices),
    AMPLIX_TEXT(kAboutCopyright),
    AMPLIX_TEXT(kOpenFilter),
    AMPLIX_TEXT(kSaveFilter),
    AMPLIX_TEXT(kSaveAllFilter),
    AMPLIX_TEXT(kSaveAllName),
    AMPLIX_TEXT(kImportFilter),
    AMPLIX_TEXT(kPatchNameLabel),
    AMPLIX_TEXT(kPatchNameChange),
    AMPLIX_TEXT(kPatchNameSaveToPod),
    AMPLIX_TEXT(kRenameTitle),
    AMPLIX_TEXT(kRenameLabel),
    AMPLIX_TEXT(kSaveToPodTitle),
    AMPLIX_TEXT(kSaveToPodLine1),
    AMPLIX_TEXT(kSaveToPodLine2),
    AMPLIX_TEXT(kSaveToPodLine3),
    AMPLIX_TEXT(kSaveToPodLine4),
    AMPLIX_TEXT(kSaveToPodLocation),
    AMPLIX_TEXT(kOverwriteTitle),
    AMPLIX_TEXT(kOverwriteLine1),
    AMPLIX_TEXT(kOverwriteLine2),
    AMPLIX_TEXT(kOverwriteLine3),
    AMPLIX_TEXT(kOpenBankTitle),
    AMPLIX_TEXT(kOpenBankLine1),
    AMPLIX_TEXT(kOpenBankLine2),
    AMPLIX_TEXT(kOpenBankLine3),
    AMPLIX_TEXT(kOpenBankLine4),
    AMPLIX_TEXT(kOpenBankLine5),
    AMPLIX_TEXT(kOpenBankLoadAll),
    AMPLIX_TEXT(kImportTitle),
    AMPLIX_TEXT(kImportSoundDiverLine1),
    AMPLIX_TEXT(kImportSoundDiverLine2),
    AMPLIX_TEXT(kImportLine6EditLine1),
    AMPLIX_TEXT(kImportLine6EditLine2),
    AMPLIX_TEXT(kImportAmp),
    AMPLIX_TEXT(kImportPickup),
    AMPLIX_TEXT(kImportStyle),
    AMPLIX_TEXT(kImportSubStyle),
    AMPLIX_TEXT(kImportBand),
    AMPLIX_TEXT(kImportSong),
    AMPLIX_TEXT(kImportGuitarist),
    AMPLIX_TEXT(kImportAuthor),
    AMPLIX_TEXT(kImportComment),
    AMPLIX_TEXT(kImportGuitarPortLine1),
    AMPLIX_TEXT(kImportGuitarPortLine2),
    AMPLIX_TEXT(kImportGuitarPortLine3),
    AMPLIX_TEXT(kImportChoiceLine1),
    AMPLIX_TEXT(kImportChoiceLine2),
    AMPLIX_TEXT(kImportChoiceLine3),
    AMPLIX_TEXT(kImportCompressor),
    AMPLIX_TEXT(kImportModulation),
    AMPLIX_TEXT(kMidiSetupTitle),
    AMPLIX_TEXT(kMidiSetupLine1),
    AMPLIX_TEXT(kMidiSetupLine2),
    AMPLIX_TEXT(kMidiSetupLine3),
    AMPLIX_TEXT(kMidiSetupInput),
    AMPLIX_TEXT(kMidiSetupOutput),
    AMPLIX_TEXT(kMidiSetupChannel),
    AMPLIX_TEXT(kMidiSetupFindPod),
    AMPLIX_TEXT(kMidiSetupStop),
    AMPLIX_TEXT(kMidiSetupNotConnected),
    AMPLIX_TEXT(kSimulatorName),
    AMPLIX_TEXT(kAmpModelLinked),
    AMPLIX_TEXT(kAmpModelUnlinked),
    AMPLIX_TEXT(kLibraryPlayingTip),
    AMPLIX_TEXT(kLibraryCopied),
    AMPLIX_TEXT(kLibraryCut),
    AMPLIX_TEXT(kLibraryFileCopied),
    AMPLIX_TEXT(kLibraryPasteWhere),
    AMPLIX_TEXT(kLibraryNothingHeld),
    AMPLIX_TEXT(kLibraryHeldChanged),
    AMPLIX_TEXT(kLibrarySinglePatchOpened),
    AMPLIX_TEXT(kWebMidiMissing),
    AMPLIX_TEXT(kWebMidiRefused),
    AMPLIX_TEXT(kStatusDeviceGone),
    AMPLIX_TEXT(kStatusDeviceBack),
    AMPLIX_TEXT(kStatusPageError),
    AMPLIX_TEXT(kStatusNotConnected),
    AMPLIX_TEXT(kStatusProgress),
    AMPLIX_TEXT(kStatusWaiting),
    AMPLIX_TEXT(kStatusSendingBank),
    AMPLIX_TEXT(kStatusReadingBank),
    AMPLIX_TEXT(kStatusSendFailed),
    AMPLIX_TEXT(kStatusNoAnswer),
    AMPLIX_TEXT(kStatusIncomplete),
    AMPLIX_TEXT(kStatusUnrecognised),
    AMPLIX_TEXT(kStatusPatchRead),
    AMPLIX_TEXT(kStatusBankRead),
    AMPLIX_TEXT(kStatusPatchSent),
    AMPLIX_TEXT(kStatusBankSent),
    AMPLIX_TEXT(kStatusPatchRenamed),
    AMPLIX_TEXT(kStatusNotStored),
    AMPLIX_TEXT(kStatusStored),
    AMPLIX_TEXT(kStatusPatchSaved),
    AMPLIX_TEXT(kStatusBankSaved),
    AMPLIX_TEXT(kMessageCaption),
    AMPLIX_TEXT(kFileErrorCaption),
    AMPLIX_TEXT(kFileOpenFailed),
    AMPLIX_TEXT(kFileWriteFailed),
    AMPLIX_TEXT(kConfigErrorCaption),
    AMPLIX_TEXT(kConfigWriteFailed),
    AMPLIX_TEXT(kMidiErrorCaption),
    AMPLIX_TEXT(kMidiInvalidPort),
    AMPLIX_TEXT(kMidiPortInUse),
    AMPLIX_TEXT(kMidiNoMemory),
    AMPLIX_TEXT(kMidiPortIn),
    AMPLIX_TEXT(kMidiPortOut),
    AMPLIX_TEXT(kSysexSendFailed),
    AMPLIX_TEXT(kInputBufferFailed),
};

#undef AMPLIX_TEXT

} // namespace

std::span<const UiText> uiTexts() {
    return kTexts;
}

std::string_view uiText(std::string_view key) {
    const auto found =
        std::find_if(kTexts.begin(), kTexts.end(), [key](const UiText& t) { return t.key == key; });
    return found == kTexts.end() ? std::string_view() : found->text;
}

} // namespace amplix::text
