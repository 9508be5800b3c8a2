// The file dialogs of the editor, taking filter strings in the form "Text|patterns|Text|patterns|".
#pragma once

#include <QString>

class QWidget;

// "AMPLIX Files (*.POD;*.SYX)|*.POD;*.SYX|All Files (*.*)|*.*|" in Qt's form:
// "AMPLIX Files (*.POD *.SYX);;All Files (*)".
QString qtFileFilter(const QString& filter);

// Each kind of file has a folder of its own to start in: the one its last dialog ended in, kept
// in the user's settings; the first time, the current directory.
enum class FileKind {
    Patch,  // File > Open and Save, the Library's Export patch
    Bank,   // File > Save All, the Library's Open bank and Save bank as
    Import, // File > Import, the Library's Open file
};
QString startFolder(FileKind kind);

// The chosen path, or an empty string when the user cancelled. The open dialog accepts only
// existing files; the save dialog proposes a file name, when given, adds the default suffix and
// asks before replacing a file.
QString askOpenFileName(QWidget* parent, FileKind kind, const QString& filter);
QString askSaveFileName(QWidget* parent, FileKind kind, const QString& filter, const QString& defaultSuffix,
                        const QString& proposedName = QString());
