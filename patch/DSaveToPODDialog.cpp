// Dialog 310, "Save to POD...", built in code.
#include "patch/DSaveToPODDialog.h"

#include "app/DialogTemplate.h"
#include "app/DialogUnits.h"
#include "app/PanelControls.h"
#include "app/SystemColours.h"
#include "app/UiTextsQt.h"
#include "patch/DevicePatches.h"

#include <QComboBox>

namespace {
using namespace amplix::text;
constexpr int ID_PATCHLOCATIONNAME = 781;
constexpr DialogText kTexts[] = {
    {10, 10, 160, 8, kSaveToPodLine1}, {10, 20, 160, 8, kSaveToPodLine2},   {10, 36, 160, 8, kSaveToPodLine3},
    {10, 46, 160, 8, kSaveToPodLine4}, {10, 66, 75, 8, kSaveToPodLocation},
};
} // namespace

DSaveToPODDialog::DSaveToPODDialog(QWidget* parent, int* location, const amplix::DevicePatches& known)
    : QDialog(parent), p_PODPatchLocation(location) {
    setObjectName(QStringLiteral("DSaveToPODDialog"));
    setWindowTitle(qtText(kSaveToPodTitle));
    const DialogUnits du(this);
    addStaticTexts(this, du, kTexts);
    // Wide enough for a location and its 16-character name, up to the buttons' column.
    PatchLocationName =
        makeDropDown(this, "PatchLocationName", ID_PATCHLOCATIONNAME, du.rect(88, 64, 88, 100));
    addOkCancel(this, du, 180, 8, 180, 26);
    setFixedSize(du.x(240), du.y(86));

    QStringList labels;
    for (std::size_t n = 0; n < amplix::kPatchLocations; ++n)
        labels << QString::fromLatin1(known.entry(n));
    fillDropDown(PatchLocationName, labels);
    connect(PatchLocationName, &QComboBox::currentIndexChanged, this, &DSaveToPODDialog::UpdatePODSelect);
    followSystemColours(this);
}

void DSaveToPODDialog::UpdatePODSelect() {
    *p_PODPatchLocation = PatchLocationName->currentIndex();
}
