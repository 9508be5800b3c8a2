// File dialogs with the editor's filters, each started in the last folder of its kind of file.
#include "app/FileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>

QString qtFileFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        // The text's own list of patterns gives way to the patterns that really apply.
        QString text = parts[i];
        if (const qsizetype open = text.lastIndexOf(QStringLiteral(" ("));
            open > 0 && text.endsWith(QLatin1Char(')')))
            text.truncate(open);
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts))
            patterns << (pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern);
        entries << text + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

namespace {
QFileDialog::Options dialogOptions() {
    // Qt's own dialog matches the patterns without regard to case, as the files of Windows
    // programs need on every platform; a native one may not.
    return QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails;
}

QString folderKey(FileKind kind) {
    switch (kind) {
    case FileKind::Patch:
        return QStringLiteral("FileDialogs/patchFolder");
    case FileKind::Bank:
        return QStringLiteral("FileDialogs/bankFolder");
    case FileKind::Import:
        return QStringLiteral("FileDialogs/importFolder");
    }
    return {};
}

// The dialog ended with a file: its folder is where the next one of the kind starts, and, as it
// has always been, the current directory.
QString chosen(const QFileDialog& dialog, FileKind kind) {
    const QString path = dialog.selectedFiles().first();
    const QString folder = QFileInfo(path).absolutePath();
    QSettings().setValue(folderKey(kind), folder);
    QDir::setCurrent(folder);
    return path;
}
} // namespace

QString startFolder(FileKind kind) {
    // A folder since removed or unmounted would open the dialog somewhere arbitrary.
    const QString folder = QSettings().value(folderKey(kind)).toString();
    return !folder.isEmpty() && QDir(folder).exists() ? folder : QDir::currentPath();
}

QString askOpenFileName(QWidget* parent, FileKind kind, const QString& filter) {
    QFileDialog dialog(parent, QString(), startFolder(kind), qtFileFilter(filter));
    dialog.setOptions(dialogOptions() | QFileDialog::ReadOnly);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return chosen(dialog, kind);
}

QString askSaveFileName(QWidget* parent, FileKind kind, const QString& filter, const QString& defaultSuffix,
                        const QString& proposedName) {
    QFileDialog dialog(parent, QString(), startFolder(kind), qtFileFilter(filter));
    dialog.setOptions(dialogOptions());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    if (!proposedName.isEmpty())
        dialog.selectFile(proposedName + QLatin1Char('.') + defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return chosen(dialog, kind);
}
