// The import file dialog: the foreign formats by extension, in any letter case.
#include "import/ImportFileDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

namespace {
const QStringList kImportFilters = {
    QStringLiteral("All Patch Files (*.LIB *.L6T *.GPT *.L6B *.L6C)"),
    QStringLiteral("SoundDiver (*.LIB)"),
    QStringLiteral("Line 6 Edit (*.L6T *.L6B *.L6C)"),
    QStringLiteral("GuitarPort version 1 (*.GPT)"),
};
} // namespace

QString chooseImportFile(QWidget* parent) {
    QFileDialog dialog(parent, QStringLiteral("Open"));
    dialog.setObjectName(QStringLiteral("ImportFileDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // These files come from Windows programs, so their extensions turn up in either case.
    // Qt's own dialog matches the filters without regard to case on every platform; a
    // native one on Linux may not.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters(kImportFilters);
    dialog.setDirectory(QDir::current());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString path = dialog.selectedFiles().constFirst();
    QDir::setCurrent(QFileInfo(path).absolutePath());
    return path;
}
