// The location chooser for storing the current patch on the device.
#pragma once

#include <QDialog>

class QComboBox;

namespace amplix {
class DevicePatches;
}

class DSaveToPODDialog : public QDialog {
public:
    // Writes the chosen location (0 to 35) through p_PODPatchLocation on every change; each
    // location is listed with the name the device is known to hold there.
    DSaveToPODDialog(QWidget* parent, int* p_PODPatchLocation, const amplix::DevicePatches& known);

    QComboBox* PatchLocationName = nullptr;
    int* p_PODPatchLocation;

private:
    void UpdatePODSelect();
};
