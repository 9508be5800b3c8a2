// The warning before a whole bank overwrites every patch stored on the device.
#pragma once

#include <QDialog>

class DOWWarningDialog : public QDialog {
public:
    explicit DOWWarningDialog(QWidget* parent);
};
