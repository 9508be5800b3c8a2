// Live editing through a real JACK server: the panel and the POD peer change each other's sound.
#include "JackFixture.h"

#include "app/DFrame.h"
#include "midi/MidiConfig.h"
#include "midi/MidiServiceFactory.h"
#include "patch/SysexFormat.h"
#include "support/QtTestSupport.h"
#include "tone/ToneControls.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>

using namespace amplix;
using std::chrono::milliseconds;

namespace {

constexpr milliseconds kStartUpReadLimit{8000};
constexpr milliseconds kArrivalLimit{3000};
// Long enough for a stray echo or a repeated send to show up: many JACK periods.
constexpr milliseconds kQuietTime{300};
constexpr int kAttempts = 3;
constexpr int kRoundTrips = 10;
constexpr int kReadCommand = 104;

constexpr int kDriveBefore = 63; // one step down reaches 64, which sends 63
constexpr int kDriveAfter = 64;
constexpr int kBassBefore = 64;
constexpr int kBassReceived = 27; // controller value 100

double msSince(e2e::Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(e2e::Clock::now() - start).count();
}

// Keeps the frame's events flowing until done() holds or the limit passes. Polls often so the
// figures printed mean something; nothing asserts them.
template <typename Done> bool waitUntil(Done done, milliseconds limit) {
    const auto end = e2e::Clock::now() + limit;
    while (true) {
        QCoreApplication::processEvents();
        if (done())
            return true;
        if (e2e::Clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
}

void letTimePass(milliseconds time) {
    waitUntil([] { return false; }, time);
}

QStringList toQt(const std::vector<std::string>& lines, std::size_t from) {
    QStringList list;
    for (std::size_t n = from; n < lines.size(); ++n)
        list << QString::fromStdString(lines[n]);
    return list;
}

// The editor as the user starts it: real MIDI service on JACK, settings naming the peer's
// ports, its own start-up folder.
class EditorOnJack {
public:
    EditorOnJack(const e2e::PodPeer& peer, int channel) : previousDir_(QDir::currentPath()) {
        QDir::setCurrent(dir_.path());
        const auto config = encodeMidiConfig({channel, 0, 0, peer.outputPort(), peer.inputPort()});
        std::ofstream(QDir(dir_.path()).filePath(kConfigFileName).toStdString(), std::ios::binary)
            .write(reinterpret_cast<const char*>(config.data()), std::streamsize(config.size()));
        midi_ = createSystemMidiService();
        frame = std::make_unique<DFrame>(*midi_);
        frame->SetupWindow();
        frame->show();
    }
    ~EditorOnJack() {
        frame.reset();
        midi_.reset();
        QDir::setCurrent(previousDir_);
    }

    std::unique_ptr<DFrame> frame;

private:
    QTemporaryDir dir_;
    QString previousDir_;
    std::unique_ptr<MidiService> midi_;
};

} // namespace

class LiveEditingOnJack : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        std::string whyNot;
        if (!jack_.start(whyNot))
            QSKIP(qPrintable(QString::fromStdString("JACK cannot start here: " + whyNot)));
        commands_ = scratch_.path() / "peer-commands.txt";
        std::ofstream(commands_).close();
        qputenv("POD_PEER_COMMANDS", QByteArray::fromStdString(commands_.string()));
        peer_ = std::make_unique<e2e::PodPeer>();
        const bool started = peer_->start(whyNot);
        qunsetenv("POD_PEER_COMMANDS");
        QVERIFY2(started, whyNot.c_str());
        qputenv("AMPLIX_MIDI_API", "jack");
        std::printf("jackd ready after %.3f s, peer after %.3f s\n", jack_.readySeconds(),
                    peer_->readySeconds());
    }

    void cleanupTestCase() {
        peer_.reset();
        jack_.stop();
    }

    void panelAndDeviceFollowEachOther_data() {
        QTest::addColumn<int>("channel");
        QTest::addColumn<QString>("driveSent");
        QTest::addColumn<QString>("bassFromDevice");
        QTest::newRow("channel 1") << 0 << "b00d3f"
                                   << "b00e64";
        QTest::newRow("channel 10") << 9 << "b90d3f"
                                    << "b90e64";
    }
    void panelAndDeviceFollowEachOther() {
        QFETCH(int, channel);
        QFETCH(QString, driveSent);
        QFETCH(QString, bassFromDevice);
        testsupport::MessageBoxWatcher boxes;
        EditorOnJack editor(*peer_, channel);
        DFrame& f = *editor.frame;
        QCOMPARE(f.PODMidiInName, QString::fromStdString(peer_->outputPort()));
        QCOMPARE(f.PODMidiOutName, QString::fromStdString(peer_->inputPort()));
        QVERIFY2(waitUntil([&] { return f.Waiting_for_sysex == 0; }, kStartUpReadLimit), context());
        letTimePass(kQuietTime);

        // The user steps Drive down by one with the keyboard: exactly one control change.
        std::size_t before = peer_->record().size();
        std::vector<std::string> lines;
        for (int attempt = 0; attempt < kAttempts; ++attempt) {
            const int xruns = jack_.xruns();
            setControlState(f.Drive, kDriveBefore);
            f.Drive->setFocus();
            const auto pressed = e2e::Clock::now();
            QTest::keyClick(f.Drive, Qt::Key_Down);
            QCOMPARE(f.Drive->value(), kDriveAfter);
            if (waitUntil([&] { return peer_->record().size() > before; }, kArrivalLimit)) {
                std::printf("key press to the peer's record: %.2f ms\n", msSince(pressed));
                break;
            }
            if (jack_.xruns() == xruns)
                break; // lost without a dropped period: a fault, reported below
        }
        letTimePass(kQuietTime);
        QCOMPARE(toQt(peer_->record(), before), QStringList{driveSent});

        // The device turns Bass: the slider follows and nothing goes back.
        setControlState(f.Bass, kBassBefore);
        before = peer_->record().size();
        bool moved = false;
        for (int attempt = 0; attempt < kAttempts && !moved; ++attempt) {
            const int xruns = jack_.xruns();
            const auto sent = e2e::Clock::now();
            std::ofstream(commands_, std::ios::app) << bassFromDevice.toStdString() << '\n';
            moved = waitUntil([&] { return f.Bass->value() == kBassReceived; }, kArrivalLimit);
            if (moved)
                std::printf("peer's command to the moved slider: %.2f ms (the peer looks every 5 ms)\n",
                            msSince(sent));
            else if (jack_.xruns() == xruns)
                break;
        }
        QVERIFY2(moved, context());
        letTimePass(kQuietTime);
        QCOMPARE(toQt(peer_->record(), before), QStringList{});
        QCOMPARE(f.Drive->value(), kDriveAfter); // the controller moved Bass only
        QVERIFY2(boxes.seen().isEmpty(), qPrintable(boxes.seen().value(0).text));
    }

    void readingThePatchTravelsBothWays() {
        testsupport::MessageBoxWatcher boxes;
        EditorOnJack editor(*peer_, 0);
        DFrame& f = *editor.frame;
        QVERIFY2(waitUntil([&] { return f.Waiting_for_sysex == 0; }, kStartUpReadLimit), context());

        std::vector<double> times;
        for (int n = 0, lost = 0; n < kRoundTrips; ++n) {
            const int xruns = jack_.xruns();
            f.sysEx.fill(0);
            const auto asked = e2e::Clock::now();
            f.menuAction(kReadCommand)->trigger();
            QCOMPARE(f.Waiting_for_sysex, 1);
            QVERIFY2(waitUntil([&] { return f.Waiting_for_sysex == 0; }, kArrivalLimit), context());
            const double ms = msSince(asked);
            if (classifyDump(f.sysEx) != DumpKind::SinglePatch && jack_.xruns() != xruns &&
                ++lost < kAttempts) {
                --n; // the request or its answer fell into a dropped period
                continue;
            }
            QCOMPARE(classifyDump(f.sysEx), DumpKind::SinglePatch);
            QCOMPARE(f.sysEx[kSingleDumpSize - 1], kSysexEnd);
            times.push_back(ms);
        }
        std::sort(times.begin(), times.end());
        std::printf(
            "File > Read POD settings to the whole dump, over %d: min %.2f ms, median %.2f ms, max %.2f ms\n",
            kRoundTrips, times.front(), times[times.size() / 2], times.back());
        QVERIFY2(boxes.seen().isEmpty(), qPrintable(boxes.seen().value(0).text));
    }

private:
    const char* context() {
        context_ = "jackd xruns: " + std::to_string(jack_.xruns()) + "; peer log:\n" + peer_->log();
        return context_.c_str();
    }

    e2e::JackServer jack_;
    e2e::ScratchDir scratch_;
    std::filesystem::path commands_;
    std::unique_ptr<e2e::PodPeer> peer_;
    std::string context_;
};

QTEST_MAIN(LiveEditingOnJack)
#include "live_editing_e2e.moc"
