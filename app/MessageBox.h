// The one way the editor reports a failure: a modal box with an OK button and no icon.
#pragma once

#include <QString>

class QWidget;

// An empty caption shows "Error", as a box without a caption of its own always has.
void ShowMessage(QWidget* parent, const QString& text, const QString& caption = QString());
