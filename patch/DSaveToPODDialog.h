// The location chooser for storing the current patch on the device.
#pragma once

#include <QDialog>

class QComboBox;

class DSaveToPODDialog : public QDialog {
public:
    // Writes the chosen location (0 to 35) through p_PODPatchLocation on every change.
    DSaveToPODDialog(QWidget* parent, int* p_PODPatchLocation);

    QComboBox* PatchLocationName = nullptr;
    int* p_PODPatchLocation;

private:
    void UpdatePODSelect();
};
