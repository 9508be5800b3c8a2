// Renaming the patch in the device's edit buffer.
#include "app/DFrame.h"

#include "app/UiTextsQt.h"
#include "patch/DPatchName.h"

#include <QLabel>

using namespace amplix;

int DFrame::WmChangePName() {
    Name_flag = 1;
    CmFileRead();
    return 0;
}

// The dump just read from the device goes back with the strip's name; every other byte, byte 7
// included, exactly as the device sent it.
bool DFrame::AddPatchName() {
    const QByteArray name = PatchWindow->StaticPatchNameData->text().toLatin1().left(int(kNameLength));
    writeDumpName(sysEx, std::string_view(name.constData(), std::size_t(name.size())));
    noteUserReload("Rename");
    if (!SendSysexMessage(int(kSingleDumpSize)))
        return false;
    showOutcome(qtText(text::kStatusPatchRenamed));
    return true;
}
