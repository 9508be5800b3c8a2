// The file dialogs of the editor, taking filter strings in the form "Text|patterns|Text|patterns|".
#pragma once

#include <QString>

class QWidget;

// "AMPLIX Files (*.POD;*.SYX)|*.POD;*.SYX|All Files (*.*)|*.*|" in Qt's form:
// "AMPLIX Files (*.POD *.SYX);;All Files (*)".
QString qtFileFilter(const QString& filter);

// The chosen path, or an empty string when the user cancelled. The open dialog accepts only
// existing files; the save dialog proposes a file name, when given, adds the default suffix and
// asks before replacing a file.
QString askOpenFileName(QWidget* parent, const QString& filter);
QString askSaveFileName(QWidget* parent, const QString& filter, const QString& defaultSuffix,
                        const QString& proposedName = QString());
