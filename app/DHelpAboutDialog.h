// The About box (dialog 303): program icon, name, version and an OK button.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// Built in code at its template geometry in dialog units; fixed size, modal when run with
// exec(). It has no behaviour beyond closing with OK and following the system colours.
class DHelpAboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit DHelpAboutDialog(QWidget* parent);

    QLabel* StaticIcon = nullptr;
    QPushButton* ButtonOk = nullptr;
};
