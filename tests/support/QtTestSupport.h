// Helpers for GUI tests: answer modal dialogs and message boxes as a user would.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace testsupport {

struct SeenBox {
    QString caption;
    QString text;
};

// Watches for message boxes while a test runs, records each one and presses its OK button.
class MessageBoxWatcher {
public:
    MessageBoxWatcher();
    ~MessageBoxWatcher();
    const QList<SeenBox>& seen() const;
    void clear();

private:
    struct Impl;
    Impl* impl_;
};

// Hands every modal dialog other than a message box to handler while the watcher lives
// (the handler must close it), counting them.
class DialogWatcher {
public:
    explicit DialogWatcher(std::function<void(QWidget* dialog)> handler);
    ~DialogWatcher();
    int count() const;

private:
    struct Impl;
    Impl* impl_;
};

// Runs action once the next modal dialog is open (polling every 10 ms, up to timeoutMs);
// the action receives the dialog. Returns immediately; the action runs from the event loop.
void whenModalOpens(std::function<void(QWidget* dialog)> action, int timeoutMs = 5000);

} // namespace testsupport
