// The GuitarPort import dialog: the patch's information texts and the compressor/modulation choice.
#pragma once

#include "import/GuitarPort.h"

#include <QDialog>

class QLabel;
class QRadioButton;

// Shows what listGuitarPort found. When the patch uses both the compressor and a modulation
// effect, it offers the choice with "MOD" selected and writes kLoadModulation or
// kLoadCompressor through p_modOrComp; otherwise it leaves the caller's variable alone.
class DPatchImportGPTDialog : public QDialog {
public:
    DPatchImportGPTDialog(QWidget* parent, const amplix::GuitarPortListing& listing, int* modOrComp);

    // Runs the dialog modally: IDOK, or IDCANCEL however else it was closed.
    int Execute();

    QLabel* L6TAmp = nullptr;
    QLabel* L6TPickup = nullptr;
    QLabel* L6TPickupPos = nullptr;
    QLabel* L6TStyle = nullptr;
    QLabel* L6TSubStyle = nullptr;
    QLabel* L6TSong = nullptr;
    QLabel* L6TGuitarist = nullptr;
    QLabel* L6TBand = nullptr;
    QLabel* L6TComment = nullptr;
    QLabel* L6TStatic1 = nullptr;
    QLabel* L6TStatic2 = nullptr;
    QLabel* L6TStatic3 = nullptr;
    QRadioButton* SelectComp = nullptr;
    QRadioButton* SelectMod = nullptr;
    int* p_modOrComp;

private:
    void SetupWindow(const amplix::GuitarPortListing& listing);
    void UpdateCompRadio();
    void UpdateModRadio();
};
