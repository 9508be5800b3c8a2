// Yes/No message boxes.
#include "app/QuestionBox.h"

#include "app/UiTextsQt.h"

#include <QMessageBox>

bool askQuestion(QWidget* parent, const QString& text, bool yesByDefault) {
    QMessageBox box(parent);
    box.setIcon(QMessageBox::Question);
    box.setWindowTitle(qtText(amplix::text::kAppName));
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(yesByDefault ? QMessageBox::Yes : QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    box.setObjectName(QStringLiteral("AmplixQuestionBox"));
    return box.exec() == QMessageBox::Yes;
}
