// Files dropped from the file manager onto a window or pane: the local files, in the order dragged.
#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

class QMimeData;
class QWidget;

// The local files a drag carries; none for text, links to the web, or the editor's own rows.
QStringList droppedFiles(const QMimeData* data);

// Takes drops of files on target (which it makes accept drops) and hands their paths to take;
// every other drag is left to the target as before.
class FileDrops : public QObject {
public:
    FileDrops(QWidget* target, std::function<void(const QStringList& paths)> take);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(const QStringList&)> take_;
};
