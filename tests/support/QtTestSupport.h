// Helpers for GUI tests: answer modal dialogs and message boxes, drive controls as a user would.
#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTest>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QSlider;
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
    // A question is answered by its button of this text, when it has one, instead of OK.
    void answerWith(const QString& buttonText);
    // The next questions, one each in turn; after them the answer above.
    void answerInTurn(const QStringList& buttonTexts);

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

// Answers each file dialog with the next path as a user types it (Cancel once there is none),
// each other modal dialog by `other` (by default Cancel).
struct FileDialogAnswers {
    FileDialogAnswers();
    QStringList paths;
    std::function<void(QWidget*)> other;
    DialogWatcher watcher;
};

// Runs action once the next modal dialog is open (polling every 10 ms, up to timeoutMs);
// the action receives the dialog. Returns immediately; the action runs from the event loop.
void whenModalOpens(std::function<void(QWidget* dialog)> action, int timeoutMs = 5000);

// A whole file's bytes (none when it cannot be read), and a file written with bytes (its path
// back, for calls that take it at once).
std::vector<std::uint8_t> readFileBytes(const QString& path);
QString writeFileBytes(const QString& path, const std::vector<std::uint8_t>& bytes);

// Clicks the dialog's button of that object name.
void pressButton(QWidget* dialog, const char* objectName);

// Standard error goes to a file while this lives, so a test can read what the program wrote
// there (the MIDI trace).
class StderrCapture {
public:
    StderrCapture();
    ~StderrCapture();
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;
    std::string text();
    bool has(const std::string& line) { return text().find(line) != std::string::npos; }

private:
    struct Impl;
    Impl* impl_;
};

// Bytes as the wire carries them, "B5 0D 7F"; ccHex is one control change.
QString hexBytes(const std::vector<std::uint8_t>& bytes);
QString ccHex(int channel, int controller, int value);

// Picks a list entry by clicking it in the opened list, or from its neighbour by one arrow key.
void chooseInPopup(QComboBox* list, int index);
void chooseByKeyboard(QComboBox* list, int index);

// The slider's thumb, and where a drag that pressed it at press must move the mouse for the
// thumb to land on position (null when no pixel does).
QRect sliderThumb(const QSlider* slider);
QPoint sliderDragPoint(const QSlider* slider, QPoint press, int position);

// Empty when the label draws exactly what a plain-text label draws for its text, size and font;
// otherwise why not. Rich text would draw "<b>x</b>" as a bold "x" and "<img src=...>" as the
// picture.
QString drawnOtherwise(const QLabel* label);

// Why text would be clipped in control (a label, check box or button) with its font; empty if it fits.
QString textClipping(const QWidget* control, const QString& text);

// One data row per table entry, named by name(entry); the test reads the entry by QFETCH(int, row).
template <typename Table, typename Name> void addRows(const Table& table, Name name) {
    QTest::addColumn<int>("row");
    int row = 0;
    for (const auto& entry : table)
        QTest::newRow(qPrintable(name(entry))) << row++;
}

} // namespace testsupport
