// Static texts and the OK and Cancel buttons of the editor's small dialogs.
#include "app/DialogTemplate.h"

#include "app/DialogUnits.h"
#include "app/PanelControls.h"
#include "app/UiTextsQt.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>

void addStaticTexts(QDialog* dialog, const DialogUnits& du, std::span<const DialogText> texts) {
    int line = 0;
    for (const DialogText& t : texts) {
        const QByteArray member = "StaticText" + QByteArray::number(++line);
        QLabel* label =
            makeStatic(dialog, member.constData(), -1, du.rect(t.x, t.y, t.w, t.h), qtText(t.text));
        label->setTextFormat(Qt::PlainText);
    }
}

QPushButton* addOkCancel(QDialog* dialog, const DialogUnits& du, int okX, int okY, int cancelX, int cancelY) {
    auto* ok = makeButton(dialog, "OK", IDOK, du.rect(okX, okY, 50, 14), qtText(amplix::text::kButtonOk));
    ok->setDefault(true);
    auto* cancel = makeButton(dialog, "Cancel", IDCANCEL, du.rect(cancelX, cancelY, 50, 14),
                              qtText(amplix::text::kButtonCancel));
    QObject::connect(ok, &QPushButton::clicked, dialog, [dialog] { dialog->done(IDOK); });
    QObject::connect(cancel, &QPushButton::clicked, dialog, [dialog] { dialog->done(IDCANCEL); });
    return ok;
}

int runDialog(QDialog& dialog) {
    return dialog.exec() == IDOK ? IDOK : IDCANCEL;
}
