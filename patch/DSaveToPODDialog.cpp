// Dialog 310, "Save to POD...", built in code.
#include "patch/DSaveToPODDialog.h"

#include "app/DialogTemplate.h"
#include "app/DialogUnits.h"
#include "app/PanelControls.h"
#include "app/SystemColours.h"
#include "patch/SysexFormat.h"

#include <QComboBox>

namespace {
constexpr int ID_PATCHLOCATIONNAME = 781;
constexpr DialogText kTexts[] = {
    {10, 10, 160, 8, "Select the location on the POD where you"},
    {10, 20, 160, 8, "would like to save this patch."},
    {10, 36, 160, 8, "WARNING! This operation will overwrite the"},
    {10, 46, 160, 8, "patch that is currently saved on the POD."},
    {10, 66, 75, 8, "POD Patch Location:"},
};
} // namespace

DSaveToPODDialog::DSaveToPODDialog(QWidget* parent, int* location)
    : QDialog(parent), p_PODPatchLocation(location) {
    setObjectName(QStringLiteral("DSaveToPODDialog"));
    setWindowTitle(QStringLiteral("Save to POD..."));
    const DialogUnits du(this);
    addStaticTexts(this, du, kTexts);
    PatchLocationName =
        makeDropDown(this, "PatchLocationName", ID_PATCHLOCATIONNAME, du.rect(88, 64, 40, 100));
    addOkCancel(this, du, 180, 8, 180, 26);
    setFixedSize(du.x(240), du.y(86));

    QStringList labels;
    for (std::size_t n = 0; n < amplix::kPatchLocations; ++n)
        labels << QString::fromStdString(amplix::locationLabel(n));
    fillDropDown(PatchLocationName, labels);
    connect(PatchLocationName, &QComboBox::currentIndexChanged, this, &DSaveToPODDialog::UpdatePODSelect);
    followSystemColours(this);
}

void DSaveToPODDialog::UpdatePODSelect() {
    *p_PODPatchLocation = PatchLocationName->currentIndex();
}
