// The device's patches by name where a location is chosen: the Patch menu, the location chooser
// and Patch > Save Patch To 3A.
#include "app/DFrame.h"

#include "app/CommandIds.h"
#include "app/UiTextsQt.h"
#include "patch/DLibraryWindow.h"

#include <QAction>
#include <QMessageBox>
#include <QPushButton>

using namespace amplix;

void DFrame::devicePatchChanged(std::size_t location, const PatchRecord& record,
                                std::optional<PatchLibrary::DeviceChange> how) {
    devicePatches_.hold(location, record);
    if (how && LibraryWindow)
        LibraryWindow->deviceStored(location, record, *how);
    showPatchNames();
}

void DFrame::deviceBankKnown(const DevicePatches::Records& records,
                             std::optional<PatchLibrary::DeviceChange> how) {
    devicePatches_.holdAll(records);
    if (how && LibraryWindow) {
        if (*how == PatchLibrary::DeviceChange::Read)
            LibraryWindow->deviceRead(records);
        else
            for (std::size_t n = 0; n < kPatchLocations; ++n)
                LibraryWindow->deviceStored(n, records[n], *how);
    }
    showPatchNames();
}

void DFrame::showPatchNames() {
    for (std::size_t n = 0; n < kPatchLocations; ++n)
        if (QAction* action = menuAction(CM_PATCHMANUAL + 1 + int(n)))
            action->setText(QString::fromLatin1(devicePatches_.menuEntry(n)));
    // Manual Mode, or a location not known yet, is no place to store into.
    if (QAction* save = menuAction(CM_SAVETOLOCATION)) {
        const bool atLocation = program_ >= 1 && program_ <= kLastProgram;
        save->setEnabled(atLocation);
        save->setText(qtText(text::kMenuPatchSaveTo)
                          .arg(atLocation ? QString::fromStdString(locationLabel(std::size_t(program_ - 1)))
                                          : qtText(text::kPatchNoLocation)));
    }
}

void DFrame::CmSaveToLocation() {
    if (program_ < 1 || program_ > kLastProgram)
        return;
    const int location = program_ - 1;
    QMessageBox box(QMessageBox::Question, qtText(text::kSaveToPodTitle),
                    qtText(text::kSaveToLocationQuestion)
                        .arg(QString::fromLatin1(devicePatches_.entry(std::size_t(location)))),
                    QMessageBox::NoButton, this);
    QPushButton* save = box.addButton(qtText(text::kSaveToLocationYes), QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(qtText(text::kButtonCancel), QMessageBox::RejectRole);
    // A key pressed twice by mistake overwrites nothing.
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() != save)
        return;
    // The location asked about, whatever the device is at by the time its sound is read.
    saveToLocation_ = location;
    WmSaveToPod();
}
