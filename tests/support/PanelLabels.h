// The words the user reads beside a control on screen, taken from the widgets themselves.
#pragma once

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QRegularExpression>
#include <QString>
#include <QWidget>

namespace testsupport {

// A check box's own caption, else the words of its label ("Static" + member) before a colon or a
// sign, without the value some labels show there ("Delay Time:  350 mS", "Feedback(+)"): what a
// name in a tip, an undo step or a compare list must say. Empty when the window shows neither.
inline QString labelBeside(const QWidget* window, const QString& member) {
    if (const auto* box = window->findChild<QCheckBox*>(member))
        return box->text();
    const auto* label = window->findChild<QLabel*>(QStringLiteral("Static") + member);
    if (!label)
        return {};
    const QString text = label->text();
    const qsizetype end = text.indexOf(QRegularExpression(QStringLiteral("[:(]")));
    return end < 0 ? text : text.left(end);
}

} // namespace testsupport
