// The SoundDiver patch chooser (dialog 305, "Patch Import").
#pragma once

#include "import/ImportCommon.h"

#include <QDialog>

#include <vector>

class QListWidget;

// Shows the names of a library's patch entries and keeps the index of the selected one.
class DPatchImportDialog : public QDialog {
public:
    DPatchImportDialog(QWidget* parent, const std::vector<amplix::ImportEntry>& entries);

    // Runs the dialog modally: the index of the chosen entry after "OK", or -1 after "Cancel"
    // or when there was nothing to choose.
    int Execute();

    QListWidget* PatchSelect = nullptr;

private:
    void SetupWindow(const std::vector<amplix::ImportEntry>& entries);
    void UpdatePatchSelect();

    int patchIndex_ = -1;
};
