// The editor against amplix-podsim on a private JACK server: what the user does reaches the device, and back.
#include "JackFixture.h"

#include "app/DFrame.h"
#include "device/FactoryPatches.h"
#include "midi/MidiConfig.h"
#include "midi/MidiServiceFactory.h"
#include "patch/DPatchName.h"
#include "patch/SysexFormat.h"
#include "support/QtTestSupport.h"
#include "tone/ToneControls.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>

using namespace amplix;
using std::chrono::milliseconds;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr milliseconds kPodsimStartLimit{15000};
constexpr milliseconds kStartUpReadLimit{8000};
constexpr milliseconds kArrivalLimit{3000};
constexpr milliseconds kQuietTime{300}; // many JACK periods: room for a stray echo to show
constexpr int kAttempts = 3;
constexpr int kRoundTrips = 10;
constexpr int kReadCommand = 104;
constexpr int kLinkAmpCommand = 146;
constexpr int kStoreLocation = 5;        // "2B"
constexpr std::size_t kAmpModelByte = 8; // record byte 8: message bytes 24 and 25
constexpr const char* kNewName = "Podsim E2E";

double msSince(e2e::Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(e2e::Clock::now() - start).count();
}

// Keeps the frame's events flowing until done() holds or the limit passes.
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

QString hexOf(const Bytes& bytes) {
    return QString::fromStdString(e2e::hex(bytes));
}

QStringList hexList(const std::vector<Bytes>& messages) {
    QStringList list;
    for (const auto& m : messages)
        list << hexOf(m);
    return list;
}

Bytes singleDump(const PatchRecord& record, std::uint8_t byte7) {
    const auto dump = buildSingleDump(record, byte7);
    return {dump.begin(), dump.end()};
}

bool isSingleDump(const Bytes& m) {
    return m.size() == kSingleDumpSize && classifyDump(m) == DumpKind::SinglePatch;
}

QString shownName(const Bytes& dump) {
    return QString::fromLatin1(dumpName(dump).c_str());
}

// amplix-podsim's standard output: "recv XX XX ..." for what it received, "send ..." for what
// it sent (-v), one message a line; libjack's remarks may sit between them.
class PodsimLog {
public:
    explicit PodsimLog(std::filesystem::path path) : path_(std::move(path)) {}
    const std::filesystem::path& path() const { return path_; }

    // Complete lines only; one still being written waits for the next look.
    std::vector<std::string> lines() const {
        std::string text = e2e::readFile(path_);
        const auto end = text.rfind('\n');
        text.erase(end == std::string::npos ? 0 : end + 1);
        std::vector<std::string> out;
        std::istringstream stream(text);
        for (std::string line; std::getline(stream, line);)
            out.push_back(line);
        return out;
    }
    std::size_t mark() const { return lines().size(); }

    // The messages of one direction ("recv" or "send") logged after the mark.
    std::vector<Bytes> messages(const std::string& direction, std::size_t from) const {
        const auto all = lines();
        std::vector<Bytes> out;
        for (std::size_t n = from; n < all.size(); ++n) {
            std::istringstream words(all[n]);
            std::string word;
            if (!(words >> word) || word != direction)
                continue;
            Bytes bytes;
            while (words >> word)
                bytes.push_back(std::uint8_t(std::stoul(word, nullptr, 16)));
            out.push_back(std::move(bytes));
        }
        return out;
    }

    std::string text() const { return e2e::readFile(path_); }

private:
    std::filesystem::path path_;
};

} // namespace

class PodsimOnJack : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        std::string whyNot;
        if (!jack_.start(whyNot))
            QSKIP(qPrintable(QString::fromStdString("JACK cannot start here: " + whyNot)));

        const std::string name = "podsim-e2e-" + std::to_string(getpid());
        const auto started = e2e::Clock::now();
        QVERIFY2(podsim_.startWithInput({AMPLIX_E2E_PODSIM, "--api", "jack", "--name", name, "-v"},
                                        log_.path(), whyNot),
                 whyNot.c_str());
        const bool ready = waitUntil(
            [&] {
                const auto lines = log_.lines();
                return std::any_of(lines.begin(), lines.end(),
                                   [](const std::string& l) { return l.rfind("ready on ", 0) == 0; }) ||
                       !podsim_.running();
            },
            kPodsimStartLimit);
        QVERIFY2(ready && podsim_.running(), context());
        const double podsimReady = msSince(started);

        qputenv("AMPLIX_MIDI_API", "jack");
        previousDir_ = QDir::currentPath();
        QDir::setCurrent(dir_.path());
        const auto config = encodeMidiConfig({0, 0, 0, name + " out:out", name + " in:in"});
        std::ofstream(QDir(dir_.path()).filePath(kConfigFileName).toStdString(), std::ios::binary)
            .write(reinterpret_cast<const char*>(config.data()), std::streamsize(config.size()));
        const auto editorStarted = e2e::Clock::now();
        midi_ = createSystemMidiService();
        frame_ = std::make_unique<DFrame>(*midi_);
        frame_->SetupWindow();
        frame_->show();
        QCOMPARE(frame_->PODMidiInName, QString::fromStdString(name + " out:out"));
        QCOMPARE(frame_->PODMidiOutName, QString::fromStdString(name + " in:in"));
        QVERIFY2(waitUntil([&] { return frame_->Waiting_for_sysex == 0; }, kStartUpReadLimit), context());
        std::printf(
            "jackd ready after %.3f s, podsim ready after %.1f ms, editor set up and patch shown after "
            "%.1f ms\n",
            jack_.readySeconds(), podsimReady, msSince(editorStarted));
    }

    void cleanupTestCase() {
        frame_.reset();
        midi_.reset();
        podsim_.stop();
        jack_.stop();
        if (!previousDir_.isEmpty())
            QDir::setCurrent(previousDir_);
    }

    void init() { boxes_.clear(); }
    void cleanup() { QVERIFY2(boxes_.seen().isEmpty(), qPrintable(boxes_.seen().value(0).text)); }

    // The device's edit buffer at podsim's start is patch 1A.
    void startUpShowsTheDevicesPatch() {
        DFrame& f = *frame_;
        const PatchRecord& first = factoryPatches()[0];
        const Bytes request(kEditBufferRequest.begin(), kEditBufferRequest.end());
        QCOMPARE(hexList(log_.messages("recv", 0)), QStringList{hexOf(request)});
        QCOMPARE(f.PatchWindow->StaticPatchNameData->text(), shownName(singleDump(first, 0)));
        QCOMPARE(f.AmpModel->currentIndex(), int(first[kAmpModelByte]));

        std::vector<double> times;
        for (int n = 0; n < kRoundTrips; ++n) {
            QVERIFY2(readPatch(), context());
            QCOMPARE(f.PatchWindow->StaticPatchNameData->text(), shownName(singleDump(first, 0)));
            times.push_back(lastAttemptMs_);
        }
        std::sort(times.begin(), times.end());
        std::printf(
            "Read POD settings to the panel showing it, over %d: min %.2f ms, median %.2f ms, max %.2f ms\n",
            kRoundTrips, times.front(), times[times.size() / 2], times.back());
    }

    // The name goes back inside the dump the device just sent, every other byte untouched.
    void renameReachesTheDevice() {
        DFrame& f = *frame_;
        testsupport::DialogWatcher dialogs([](QWidget* d) {
            auto* edit = d->findChild<QLineEdit*>(QStringLiteral("EditNewPatchName"));
            edit->selectAll();
            QTest::keyClicks(edit, QString::fromLatin1(kNewName));
            d->findChild<QPushButton*>(QStringLiteral("OK"))->click();
        });
        std::size_t from = 0;
        const auto arrived = [&] {
            const auto recv = log_.messages("recv", from);
            return f.Waiting_for_sysex == 0 && !recv.empty() && isSingleDump(recv.back());
        };
        const auto clicked = attempt(
            [&] {
                from = log_.mark();
                f.PatchWindow->ButtonPatchName->click();
            },
            arrived);
        QVERIFY2(clicked, context());
        std::printf("rename clicked to the dump at podsim: %.2f ms\n", lastAttemptMs_);

        const auto sent = log_.messages("send", from);
        QCOMPARE(sent.size(), std::size_t(1));
        QVERIFY(isSingleDump(sent[0]));
        Bytes expected = sent[0];
        writeDumpName(expected, kNewName);
        const Bytes request(kEditBufferRequest.begin(), kEditBufferRequest.end());
        QCOMPARE(hexList(log_.messages("recv", from)), (QStringList{hexOf(request), hexOf(expected)}));

        // A fresh read brings the name back from the device, padded as it keeps it.
        QVERIFY2(readPatch(), context());
        QCOMPARE(f.PatchWindow->StaticPatchNameData->text(), QStringLiteral("Podsim E2E      "));
    }

    void storeGoesToTheChosenLocation() {
        DFrame& f = *frame_;
        testsupport::DialogWatcher dialogs([](QWidget* d) {
            d->findChild<QComboBox*>(QStringLiteral("PatchLocationName"))->setCurrentIndex(kStoreLocation);
            d->findChild<QPushButton*>(QStringLiteral("OK"))->click();
        });
        f.setWindowTitle(QStringLiteral("Amplix 32"));
        std::size_t from = 0;
        QVERIFY2(attempt(
                     [&] {
                         from = log_.mark();
                         f.PatchWindow->ButtonSaveToPOD->click();
                     },
                     [&] {
                         const auto recv = log_.messages("recv", from);
                         return f.Waiting_for_sysex == 0 && !recv.empty() &&
                                recv.back().size() == kStoreMessageSize;
                     }),
                 context());
        std::printf("save clicked to the store message at podsim: %.2f ms\n", lastAttemptMs_);

        const auto sent = log_.messages("send", from);
        QCOMPARE(sent.size(), std::size_t(1));
        QVERIFY(isSingleDump(sent[0]));
        Bytes expected(sent[0]);
        expected.insert(expected.begin() + kStoreLocationOffset, std::uint8_t(0));
        expected[6] = 0x00;
        expected[7] = kStoreLocation;
        const auto recv = log_.messages("recv", from);
        const Bytes request(kEditBufferRequest.begin(), kEditBufferRequest.end());
        QCOMPARE(hexList(recv), (QStringList{hexOf(request), hexOf(expected)}));
        QCOMPARE(hexOf(Bytes(recv.back().begin(), recv.back().begin() + 8)),
                 QStringLiteral("f000010c01010005"));
        QCOMPARE(f.windowTitle(), QStringLiteral("Amplix 32 - Patch 2B"));
    }

    // Programs chosen on the device: 3 is factory patch 1C, 6 is what was just stored at 2B.
    void programChangeFromTheDevice_data() {
        QTest::addColumn<int>("program");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("name");
        QTest::newRow("pc 3") << 3 << "Amplix 32 - Patch 1C" << shownName(singleDump(factoryPatches()[2], 0));
        QTest::newRow("pc 6, the stored patch") << 6 << "Amplix 32 - Patch 2B"
                                                << "Podsim E2E      ";
    }
    void programChangeFromTheDevice() {
        QFETCH(int, program);
        QFETCH(QString, title);
        QFETCH(QString, name);
        DFrame& f = *frame_;
        f.setWindowTitle(QStringLiteral("Amplix 32"));
        f.PatchWindow->StaticPatchNameData->clear();
        double titled = 0;
        std::size_t from = 0;
        QVERIFY2(attempt(
                     [&] {
                         from = log_.mark();
                         podsim_.writeInput("pc " + std::to_string(program) + "\n");
                     },
                     [&] {
                         if (titled == 0 && f.windowTitle() == title)
                             titled = msSince(attemptStarted_);
                         return f.Waiting_for_sysex == 0 &&
                                !f.PatchWindow->StaticPatchNameData->text().isEmpty();
                     }),
                 context());
        std::printf("pc %d on podsim's input to the new title: %.2f ms, to the patch's name: %.2f ms\n",
                    program, titled, lastAttemptMs_);
        QCOMPARE(f.windowTitle(), title);
        QCOMPARE(f.PatchWindow->StaticPatchNameData->text(), name);
        const Bytes request(kEditBufferRequest.begin(), kEditBufferRequest.end());
        QCOMPARE(hexList(log_.messages("recv", from)), QStringList{hexOf(request)}); // no program change back
    }

    void controllerFromTheDeviceMovesTheSlider() {
        DFrame& f = *frame_;
        setControlState(f.Drive, 0);
        setControlState(f.Drive2, 0);
        const std::size_t from = log_.mark();
        QVERIFY2(attempt([&] { podsim_.writeInput("cc 13 100\n"); }, [&] { return f.Drive->value() == 27; }),
                 context());
        std::printf("cc 13 100 on podsim's input to the moved slider: %.2f ms\n", lastAttemptMs_);
        QCOMPARE(f.Drive2->value(), 27);
        letTimePass(kQuietTime);
        QCOMPARE(hexList(log_.messages("recv", from)), QStringList{}); // nothing goes back
    }

    // Unlinked, only the amp model byte of the device's patch changes; no controller 12 is sent.
    void unlinkedAmpModelChangeKeepsTheRest() {
        DFrame& f = *frame_;
        f.menuAction(kLinkAmpCommand)->trigger();
        QCOMPARE(f.AmpModel_linked, 0);
        const Bytes before = deviceEditBuffer();
        QVERIFY2(isSingleDump(before), context());
        const int amp = readRecordByte(before, kDumpDataOffset, kAmpModelByte);
        QCOMPARE(f.AmpModel->currentIndex(), amp);
        const bool up = amp + 1 < f.AmpModel->count();

        std::size_t from = 0;
        QVERIFY2(attempt(
                     [&] {
                         from = log_.mark();
                         setControlState(f.AmpModel, amp);
                         f.AmpModel->setFocus();
                         QTest::keyClick(f.AmpModel, up ? Qt::Key_Down : Qt::Key_Up);
                     },
                     [&] {
                         const auto recv = log_.messages("recv", from);
                         return f.Waiting_for_sysex == 0 && !recv.empty() && isSingleDump(recv.back());
                     }),
                 context());
        std::printf("amp model chosen to the changed dump at podsim: %.2f ms\n", lastAttemptMs_);
        const int chosen = up ? amp + 1 : amp - 1;
        QCOMPARE(f.AmpModel->currentIndex(), chosen);
        const Bytes request(kEditBufferRequest.begin(), kEditBufferRequest.end());
        Bytes written = before;
        writeRecordByte(written, kDumpDataOffset, kAmpModelByte, std::uint8_t(chosen));
        QCOMPARE(hexList(log_.messages("recv", from)), (QStringList{hexOf(request), hexOf(written)}));

        const Bytes after = deviceEditBuffer();
        QVERIFY2(isSingleDump(after), context());
        QCOMPARE(readRecordByte(after, kDumpDataOffset, kAmpModelByte), std::uint8_t(chosen));
        Bytes unchanged = after;
        unchanged[24] = before[24];
        unchanged[25] = before[25];
        QCOMPARE(hexOf(unchanged), hexOf(before));
    }

private:
    // Does action and waits for done; a try whose MIDI fell into a dropped JACK period (an xrun)
    // is made again, after the editor has given up its request.
    template <typename Action, typename Done> bool attempt(Action action, Done done) {
        for (int n = 0; n < kAttempts; ++n) {
            const int xruns = jack_.xruns();
            attemptStarted_ = e2e::Clock::now();
            action();
            if (waitUntil(done, kArrivalLimit)) {
                lastAttemptMs_ = msSince(attemptStarted_);
                return true;
            }
            if (jack_.xruns() == xruns)
                return false;
            std::printf("a JACK period was dropped (xrun): trying again\n");
            waitUntil([&] { return frame_->Waiting_for_sysex == 0; }, kArrivalLimit);
        }
        return false;
    }

    // File > Read POD settings, until the strip shows a name again.
    bool readPatch() {
        frame_->PatchWindow->StaticPatchNameData->clear();
        return attempt([&] { frame_->menuAction(kReadCommand)->trigger(); },
                       [&] {
                           return frame_->Waiting_for_sysex == 0 &&
                                  !frame_->PatchWindow->StaticPatchNameData->text().isEmpty();
                       });
    }

    // podsim's edit buffer, as its "dump" command sends it.
    Bytes deviceEditBuffer() {
        std::size_t from = 0;
        const auto dumped = attempt(
            [&] {
                from = log_.mark();
                podsim_.writeInput("dump\n");
            },
            [&] { return !log_.messages("send", from).empty(); });
        return dumped ? log_.messages("send", from).front() : Bytes{};
    }

    const char* context() {
        context_ = "jackd xruns: " + std::to_string(jack_.xruns()) +
                   (podsim_.running() ? "" : "; podsim has ended") + "; podsim's log:\n" + log_.text();
        return context_.c_str();
    }

    e2e::JackServer jack_;
    e2e::ScratchDir scratch_;
    e2e::ChildProcess podsim_;
    PodsimLog log_{scratch_.path() / "podsim.log"};
    QTemporaryDir dir_;
    QString previousDir_;
    std::unique_ptr<MidiService> midi_;
    std::unique_ptr<DFrame> frame_;
    testsupport::MessageBoxWatcher boxes_;
    e2e::Clock::time_point attemptStarted_;
    double lastAttemptMs_ = 0;
    std::string context_;
};

QTEST_MAIN(PodsimOnJack)
#include "podsim_e2e.moc"
