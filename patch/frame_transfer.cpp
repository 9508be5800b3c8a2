// Patches on the device: choosing one, storing the current patch, sending a whole bank.
#include "app/DFrame.h"

#include "app/CommandIds.h"
#include "app/DialogTemplate.h"
#include "app/UiTextsQt.h"
#include "patch/DLibraryWindow.h"
#include "patch/DOWWarningDialog.h"
#include "patch/DSaveToPODDialog.h"

#include <QTimer>

#include <utility>

using namespace amplix;

void DFrame::CmPatchChange(int id) {
    const int program = programOfPatchCommand(id);
    notePatchChange(program == 0 ? "Manual Mode" : "Patch " + locationLabel(std::size_t(program - 1)));
    SendShortMessage(std::uint8_t(kProgramChange | PODMidiChannel), std::uint8_t(programOfPatchCommand(id)));
    // The device answers a program change on its channel with its own; silence may mean another channel.
    QTimer::singleShot(kEditBufferTimeoutMs, this, [this, heard = programsHeard_] {
        if (programsHeard_ == heard)
            askWhichChannel();
    });
}

int DFrame::WmSaveToPod() {
    SaveToPod_flag = 1;
    CmFileRead();
    return 0;
}

void DFrame::WriteToPOD() {
    // Save Patch To 3A has chosen and asked already.
    int POD_location = std::exchange(saveToLocation_, -1);
    if (POD_location < 0) {
        DSaveToPODDialog dialog(this, &POD_location, devicePatches_);
        if (runDialog(dialog) != IDOK)
            return;
    }
    if (POD_location < 0 || POD_location >= int(kPatchLocations)) {
        showOutcome(qtText(text::kStatusNotStored));
        return;
    }
    const PatchRecord stored = readRecord(sysEx, kDumpDataOffset);
    makeStoreMessage(sysEx, POD_location);
    if (!SendSysexMessage(int(kStoreMessageSize)))
        return;
    devicePatchChanged(std::size_t(POD_location), stored, PatchLibrary::DeviceChange::Stored);
    showOutcome(
        qtText(text::kStatusStored).arg(QString::fromStdString(locationLabel(std::size_t(POD_location)))));
    atLocation(POD_location + 1);
}

bool DFrame::SendBankToPod() {
    {
        DOWWarningDialog warning(this);
        if (runDialog(warning) != IDOK)
            return false;
    }
    // The whole bank goes as one message: no splitting, no pause.
    if (!SendSysexMessage(int(kBankDumpSize)))
        return false;
    deviceBankKnown(bankRecords(sysEx), PatchLibrary::DeviceChange::BankSent);
    atLocation(1);
    readBackAfter(qtText(text::kStatusBankSent));
    return true;
}
