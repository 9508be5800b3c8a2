// File dialogs with the editor's filters, started in the current directory.
#include "app/FileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QStringList>

QString qtFileFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            if (pattern == QLatin1String("*.*")) {
                patterns << QStringLiteral("*");
                continue;
            }
            patterns << pattern.toUpper() << pattern.toLower();
        }
        patterns.removeDuplicates();
        entries << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

namespace {
QFileDialog::Options dialogOptions() {
    // Shows each entry's own text; the patterns are in upper and lower case for Linux.
    return QFileDialog::HideNameFilterDetails | QFileDialog::DontUseNativeDialog;
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

QString askSaveFileName(QWidget* parent, const QString& filter, const QString& defaultSuffix) {
    QFileDialog dialog(parent, QString(), QDir::currentPath(), qtFileFilter(filter));
    dialog.setOptions(dialogOptions());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    QDir::setCurrent(dialog.directory().absolutePath());
    return dialog.selectedFiles().first();
}
