// The file-open dialog of File > Import.
#pragma once

#include <QString>

class QWidget;

// Asks for the file to import, starting in the current directory; the path, or an empty
// string when the user cancels. Like the other file dialogs it leaves the current directory
// at the folder of the chosen file, so the next one opens there.
QString chooseImportFile(QWidget* parent);
