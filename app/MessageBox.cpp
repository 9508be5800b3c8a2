// Modal message boxes: OK only, no icon, the given caption or "Error".
#include "app/MessageBox.h"

#include "app/UiTextsQt.h"

#include <QMessageBox>

void ShowMessage(QWidget* parent, const QString& text, const QString& caption) {
    QMessageBox box(parent);
    box.setIcon(QMessageBox::NoIcon);
    box.setWindowTitle(caption.isEmpty() ? qtText(amplix::text::kMessageCaption) : caption);
    box.setTextFormat(Qt::PlainText); // never rich text, whatever a message may come to quote
    box.setText(text);
    box.setStandardButtons(QMessageBox::Ok);
    box.setObjectName(QStringLiteral("AmplixMessageBox"));
    box.exec();
}
