// Dialog 303, "About Amplix 32", built in code.
#include "app/DHelpAboutDialog.h"

#include "app/AppIcon.h"
#include "app/DialogUnits.h"
#include "app/PanelControls.h"
#include "app/SystemColours.h"

#include <QLabel>
#include <QPushButton>

namespace {
constexpr int IDOK = 1;

// Template 303 in dialog units: the icon on the left, five lines of text beside it, OK below.
constexpr int kWidth = 262;
constexpr int kHeight = 98;
constexpr int kTextX = 50;
constexpr int kTextWidth = 204;
constexpr int kLineHeight = 9;

struct AboutLine {
    const char* member;
    int y;
    const char* text;
};

constexpr AboutLine kLines[] = {
    {"StaticName", 10, "Amplix 32"},
    {"StaticKind", 21, "Windows POD editor"},
    {"StaticVersion", 32, "Version 4.5c"},
    {"StaticDevices", 48, "Editor and librarian for the POD 2, Flextone II and POD Pro"},
    {"StaticCopyright", 59, "Copyright (c) 2026 the Amplix 32 developers"},
};
} // namespace

DHelpAboutDialog::DHelpAboutDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DHelpAboutDialog"));
    setWindowTitle(QStringLiteral("About Amplix 32"));
    setModal(true);
    const DialogUnits du(this);

    // The icon is about three text lines high at any font size; QIcon picks the nearest drawing.
    const QRect iconPlace = du.rect(12, 10, 28, 28);
    const int iconSide = qMin(iconPlace.width(), iconPlace.height());
    StaticIcon = makeStatic(this, "StaticIcon", -1, QRect(iconPlace.topLeft(), QSize(iconSide, iconSide)));
    StaticIcon->setPixmap(amplixIcon().pixmap(iconSide, iconSide));
    StaticIcon->setAlignment(Qt::AlignCenter);

    for (const AboutLine& line : kLines) {
        QLabel* label = makeStatic(this, line.member, -1, du.rect(kTextX, line.y, kTextWidth, kLineHeight),
                                   QString::fromLatin1(line.text));
        label->setTextFormat(Qt::PlainText);
        if (&line == &kLines[0]) { // the program's name stands out
            QFont name = label->font();
            name.setBold(true);
            label->setFont(name);
        }
    }

    ButtonOk = makeButton(this, "OK", IDOK, du.rect(kWidth - 60, kHeight - 20, 50, 14), QStringLiteral("OK"));
    ButtonOk->setDefault(true);
    ButtonOk->setFocus();
    connect(ButtonOk, &QPushButton::clicked, this, &QDialog::accept);

    setFixedSize(du.x(kWidth), du.y(kHeight));
    followSystemColours(this);
}
