// Dialog 303, "About Amplix 32", built in code.
#include "app/DHelpAboutDialog.h"

#include "app/AppIcon.h"
#include "app/DialogUnits.h"
#include "app/PanelControls.h"
#include "app/SystemColours.h"
#include "app/UiTextsQt.h"

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
    std::string_view text;
};

constexpr AboutLine kLines[] = {
    {"StaticName", 10, amplix::text::kAppName},
    {"StaticKind", 21, amplix::text::kAboutKind},
    {"StaticVersion", 32, amplix::text::kAboutVersion},
    {"StaticDevices", 48, amplix::text::kAboutDevices},
    {"StaticCopyright", 59, amplix::text::kAboutCopyright},
};
} // namespace

DHelpAboutDialog::DHelpAboutDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DHelpAboutDialog"));
    setWindowTitle(qtText(amplix::text::kAboutTitle));
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
                                   qtText(line.text));
        label->setTextFormat(Qt::PlainText);
        if (&line == &kLines[0]) { // the program's name stands out
            QFont name = label->font();
            name.setBold(true);
            label->setFont(name);
        }
    }

    ButtonOk = makeButton(this, "OK", IDOK, du.rect(kWidth - 60, kHeight - 20, 50, 14),
                          qtText(amplix::text::kButtonOk));
    ButtonOk->setDefault(true);
    ButtonOk->setFocus();
    connect(ButtonOk, &QPushButton::clicked, this, &QDialog::accept);

    setFixedSize(du.x(kWidth), du.y(kHeight));
    followSystemColours(this);
}
