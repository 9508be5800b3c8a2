// Importing a GuitarPort file into the frame: the dialog, the choice, what is sent, every message.
#include "import/DPatchImportGPTDialog.h"
#include "import/GuitarPort.h"
#include "support/FrameHarness.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <cstring>
#include <memory>

using namespace amplix;
using testsupport::FrameHarness;

namespace {

const QString kPath = QStringLiteral("/home/player/GuitarPort/Blues Lead.GPT");

// A first-chorus patch (speed 2 Hz) with a reverb of type 1 and an information chunk.
std::vector<std::uint8_t> gptFile(int compressor, int modulation) {
    std::vector<std::uint8_t> bytes(232 + 20 + 24, 0);
    std::memcpy(bytes.data(), "FORM\0\0\0\0L6GP", 12);
    bytes[23] = 0x63;
    bytes[31] = std::uint8_t(bytes.size() - 32);
    bytes[171] = std::uint8_t(compressor);
    bytes[175] = 1;
    bytes[231] = std::uint8_t(modulation);
    bytes[232] = 0x40; // 2.0f
    bytes[247] = 1;
    bytes[232 + 20 + 11] = 1;
    const char info[] = "LIST\0\0\0\x34INFO"
                        "IAMP\0\0\0\x0C"
                        "Brit Hi Gain"
                        "IPUP\0\0\0\x04"
                        "Neck"
                        "ICMT\0\0\0\x08"
                        "<b>x</b>";
    bytes.insert(bytes.end(), info, info + sizeof info - 1);
    return bytes;
}

} // namespace

class GuitarPortImportTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup() { h.reset(); }
    void dialogShowsTheTexts_data();
    void dialogShowsTheTexts();
    void okSendsTheConvertedPatch_data();
    void okSendsTheConvertedPatch();
    void failuresSendNothing_data();
    void failuresSendNothing();

private:
    // Runs the import; answer sees the open dialog and must close it.
    void runImport(const std::vector<std::uint8_t>& file,
                   std::function<void(DPatchImportGPTDialog*)> answer) {
        testsupport::whenModalOpens(
            [answer](QWidget* w) { answer(dynamic_cast<DPatchImportGPTDialog*>(w)); });
        h->frame->ImportLine6GPortFile(file, kPath);
        FrameHarness::settle();
    }

    std::unique_ptr<FrameHarness> h;
};

void GuitarPortImportTest::init() {
    h = std::make_unique<FrameHarness>();
    h->startConnected();
    h->answerWithSingleDump(); // the start-up request, so that the import's read-back goes out
    h->midi.clearLog();
}

void GuitarPortImportTest::dialogShowsTheTexts_data() {
    QTest::addColumn<int>("compressor");
    QTest::addColumn<int>("modulation");
    QTest::addColumn<QStringList>("choice"); // what is visible of it
    const QStringList offered{"This patch uses the compressor",
                              "plus a modulation effect. Choose",
                              "which effect to load on the POD:",
                              "COMP",
                              "MOD",
                              "MOD checked"};
    QTest::newRow("compressor only") << 1 << 0 << QStringList();
    QTest::newRow("modulation only") << 0 << 1 << QStringList();
    QTest::newRow("both") << 1 << 1 << offered;
}

void GuitarPortImportTest::dialogShowsTheTexts() {
    QFETCH(int, compressor);
    QFETCH(int, modulation);
    QFETCH(QStringList, choice);
    QStringList seen;
    runImport(gptFile(compressor, modulation), [&seen](DPatchImportGPTDialog* d) {
        seen << d->windowTitle() << d->L6TAmp->text() << d->L6TPickup->text() << d->L6TPickupPos->text()
             << d->L6TComment->text();
        for (QWidget* w : std::initializer_list<QWidget*>{d->L6TStatic1, d->L6TStatic2, d->L6TStatic3,
                                                          d->SelectComp, d->SelectMod})
            if (w->isVisible())
                seen << w->property("text").toString();
        for (QRadioButton* radio : {d->SelectComp, d->SelectMod})
            if (radio->isChecked())
                seen << radio->text() + " checked";
        d->findChild<QPushButton*>(QStringLiteral("Cancel"))->click();
    });
    // The comment is shown as it is, never as markup.
    QCOMPARE(seen, QStringList({"Patch Import", "Brit Hi Gain", "", "Neck", "<b>x</b>"}) + choice);
    QVERIFY(h->midi.sent.empty()); // Cancel imports nothing
}

void GuitarPortImportTest::okSendsTheConvertedPatch_data() {
    QTest::addColumn<int>("compressor");
    QTest::addColumn<int>("modulation");
    QTest::addColumn<int>("choice"); // what the user leaves selected
    QTest::addColumn<int>("effectCode");
    QTest::newRow("compressor only") << 1 << 0 << kNoEffectChoice << 7;
    QTest::newRow("modulation only") << 0 << 1 << kNoEffectChoice << 4;
    QTest::newRow("MOD kept") << 1 << 1 << kLoadModulation << 4;
    QTest::newRow("COMP clicked") << 1 << 1 << kLoadCompressor << 7;
}

void GuitarPortImportTest::okSendsTheConvertedPatch() {
    QFETCH(int, compressor);
    QFETCH(int, modulation);
    QFETCH(int, choice);
    QFETCH(int, effectCode);
    const auto file = gptFile(compressor, modulation);
    runImport(file, [&](DPatchImportGPTDialog* d) {
        if (choice == kLoadCompressor)
            QTest::mouseClick(d->SelectComp, Qt::LeftButton);
        d->findChild<QPushButton*>(QStringLiteral("OK"))->click();
    });
    const auto expected = convertGuitarPort(file, kPath.toStdString(), choice).dump;
    QVERIFY(expected.has_value());
    QCOMPARE(readRecordByte(*expected, kDumpDataOffset, kEffectRecordByte), std::uint8_t(effectCode));
    QCOMPARE(dumpName(*expected), std::string("Blues Lead      "));
    const std::vector<std::vector<std::uint8_t>> sent{{expected->begin(), expected->end()},
                                                      {kEditBufferRequest.begin(), kEditBufferRequest.end()}};
    QVERIFY(h->midi.sentSysex() == sent);
}

void GuitarPortImportTest::failuresSendNothing_data() {
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("version");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("caption");
    const QString readError = "Error reading from file!";
    QTest::newRow("no version") << 22 << 0x63 << readError << "Error!!";
    QTest::newRow("version 98") << 300 << 0x62 << "AMPLIX 32 doesn't recognize this patch file."
                                << "Not a recognized Patch File";
    QTest::newRow("patch data cut") << 275 << 0x63 << readError << "Error!!";
}

void GuitarPortImportTest::failuresSendNothing() {
    QFETCH(int, length);
    QFETCH(int, version);
    QFETCH(QString, text);
    QFETCH(QString, caption);
    auto file = gptFile(1, 1);
    file[23] = std::uint8_t(version);
    file.resize(std::size_t(length));
    testsupport::MessageBoxWatcher boxes;
    testsupport::DialogWatcher dialogs([](QWidget* d) { static_cast<QDialog*>(d)->reject(); });
    h->frame->ImportLine6GPortFile(file, kPath);
    FrameHarness::settle();
    QCOMPARE(dialogs.count(), 0); // refused before the user is asked anything
    QCOMPARE(boxes.seen().size(), 1);
    QCOMPARE(boxes.seen()[0].text, text);
    QCOMPARE(boxes.seen()[0].caption, caption);
    QVERIFY(h->midi.sent.empty());
}

QTEST_MAIN(GuitarPortImportTest)
#include "guitarport_qtest.moc"
