// The title and the Patch menu's check mark: where the device is, whose sound it plays, and
// whether that differs from what the device holds there.
#include "app/DFrame.h"

#include "app/UiTextsQt.h"
#include "patch/DLibraryWindow.h"

using namespace amplix;

void DFrame::atLocation(int program) {
    program_ = program;
    history_.setPlayingPatch(program);
    updatePatchMenu();
    showEditedMark();
    if (LibraryWindow)
        LibraryWindow->devicePlays(program);
}

void DFrame::showEditedMark() {
    // While comparing the device plays what its location holds.
    const int named = comparing() ? program_ : history_.playingPatch();
    QString title =
        named == EditHistory::kNoPatch ? qtText(text::kAppName) : QString::fromStdString(programTitle(named));
    if (stored_ && shadow_ && *stored_ != *shadow_ && !comparing())
        title += QStringLiteral(" *");
    setWindowTitle(title);
    updateEditMenu();
}
