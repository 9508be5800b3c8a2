// The Line 6 Edit patch chooser (dialog 306, "Patch Import") with the selected patch's information.
#pragma once

#include "import/ImportCommon.h"

#include <QDialog>

#include <vector>

class QLabel;
class QListWidget;

// Lists the patches of a Line 6 Edit file and shows the information texts of the selected one.
class DPatchImportL6EditDialog : public QDialog {
public:
    DPatchImportL6EditDialog(QWidget* parent, const std::vector<amplix::ImportEntry>& entries);

    // Runs the dialog modally: the index of the chosen entry after "OK", or -1 after "Cancel"
    // or when there was nothing to choose.
    int Execute();

    QListWidget* PatchSelect = nullptr;
    QLabel* L6TAuthor = nullptr;
    QLabel* L6TAmp = nullptr;
    QLabel* L6TPickup = nullptr;
    QLabel* L6TStyle = nullptr;
    QLabel* L6TSong = nullptr;
    QLabel* L6TGuitarist = nullptr;
    QLabel* L6TBand = nullptr;
    QLabel* L6TComment = nullptr;

private:
    void SetupWindow();
    void UpdatePatchSelect();

    const std::vector<amplix::ImportEntry>& entries_;
    int patchIndex_ = -1;
};
