// File dialogs with the editor's filters, started in the current directory.
#include "app/FileDialogs.h"

#include <QDir>
#include <QFileDialog>
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
} // namespace

QString askOpenFileName(QWidget* parent, const QString& filter) {
    QFileDialog dialog(parent, QString(), QDir::currentPath(), qtFileFilter(filter));
    dialog.setOptions(dialogOptions() | QFileDialog::ReadOnly);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    QDir::setCurrent(dialog.directory().absolutePath());
    return dialog.selectedFiles().first();
}

QString askSaveFileName(QWidget* parent, const QString& filter, const QString& defaultSuffix,
                        const QString& proposedName) {
    QFileDialog dialog(parent, QString(), QDir::currentPath(), qtFileFilter(filter));
    dialog.setOptions(dialogOptions());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    if (!proposedName.isEmpty())
        dialog.selectFile(proposedName + QLatin1Char('.') + defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    QDir::setCurrent(dialog.directory().absolutePath());
    return dialog.selectedFiles().first();
}
