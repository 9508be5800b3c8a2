// A frame on the test double, started in a scratch directory as the editor starts in its own.
#pragma once

#include "app/DFrame.h"
#include "app/DStatusLine.h"
#include "midi/SimulatorMidiService.h"
#include "midi/TestMidiService.h"
#include "patch/SysexFormat.h"
#include "support/QtTestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

namespace testsupport {

class FrameHarness {
public:
    FrameHarness() : previousDir_(QDir::currentPath()) {
        QDir::setCurrent(dir.path());
        // Each frame starts as on a machine where no settings were ever saved, whatever the
        // test before it saved into the user's folder (the test program's own, made before main).
        QStandardPaths::setTestModeEnabled(true);
        QFile::remove(userConfigCopy());
    }
    // Where the editor keeps a copy of the last settings saved from any folder.
    static QString userConfigCopy() {
        return QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
            .filePath(QStringLiteral("AMPLIX.CNF"));
    }
    ~FrameHarness() {
        frame.reset();
        QDir::setCurrent(previousDir_);
    }

    void writeConfig(const std::vector<std::uint8_t>& bytes) {
        writeFileBytes(dir.filePath(QStringLiteral("AMPLIX.CNF")), bytes);
    }
    QByteArray readConfig() const {
        QFile file(dir.filePath(QStringLiteral("AMPLIX.CNF")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Constructs and starts the frame; with a config naming device 0 it opens without a dialog.
    DFrame& start() {
        frame = std::make_unique<DFrame>(midi);
        frame->SetupWindow();
        return *frame;
    }
    DFrame& startConnected(int channel = 0) {
        writeConfig({std::uint8_t(channel), 0, 0, 0});
        return start();
    }
    // Connected, on screen and active, the start-up request released by a reply that is no dump:
    // the panel keeps its start-up state and the log holds only what the test does.
    DFrame& startPanel(int channel) {
        DFrame& f = startConnected(channel);
        f.show();
        f.activateWindow();
        releaseRequest();
        midi.clearLog();
        return f;
    }
    void releaseRequest() {
        midi.deliver({0xF0, 0x43, 0x10, 0x01, 0xF7});
        settle();
    }
    // Everything sent so far, in order, as hex; with shortOnly the control changes alone.
    QStringList sentHex(bool shortOnly = false) const {
        QStringList out;
        for (const auto& s : midi.sent)
            if (!shortOnly || !s.sysex)
                out << hexBytes(s.bytes);
        return out;
    }

    // Lets posted MIDI events reach the frame.
    static void settle(int ms = 0) {
        QCoreApplication::processEvents();
        if (ms > 0)
            QTest::qWait(ms);
        QCoreApplication::processEvents();
    }

    void answerWithSingleDump(std::uint8_t ampModel = 5) {
        amplix::PatchRecord record{};
        record[8] = ampModel;
        auto dump = amplix::buildSingleDump(record, 0x42);
        midi.deliver(std::vector<std::uint8_t>(dump.begin(), dump.end()));
        settle();
    }

    QTemporaryDir dir;
    amplix::TestMidiService midi;
    std::unique_ptr<DFrame> frame;

private:
    QString previousDir_;
};

// What the status line's outcome says, whole: a text too long for the line is its tooltip.
inline QString wholeOutcome(const DFrame& f) {
    const QLabel* label = f.StatusLine->StaticOutcome;
    return label->toolTip().isEmpty() ? label->text() : label->toolTip();
}

// The name of the patch the built-in simulator plays, as the panel shows it.
inline QString editBufferName(amplix::SimulatorMidiService& midi) {
    QString name;
    midi.withDevice([&](amplix::PodDevice& pod) {
        const amplix::PatchRecord r = pod.editBuffer();
        name =
            QString::fromLatin1(reinterpret_cast<const char*>(&r[amplix::kNameOffset]), amplix::kNameLength)
                .remove(QChar(0))
                .trimmed();
    });
    return name;
}

} // namespace testsupport
