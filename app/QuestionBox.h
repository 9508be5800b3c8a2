// The editor's yes-or-no questions: a modal box captioned with the program's name.
#pragma once

#include <QString>

class QWidget;

// True when the user answers Yes. The default button is Yes when yesByDefault, else No; Escape
// and closing the box answer No.
bool askQuestion(QWidget* parent, const QString& text, bool yesByDefault);
