// Importing a Line 6 Edit file into the frame: the chooser, its texts, what is sent, every message.
#include "import/DPatchImportL6EditDialog.h"
#include "import/Line6Edit.h"
#include "import/Line6EditConvert.h"
#include "support/FrameHarness.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <bit>
#include <memory>

using namespace amplix;
using testsupport::FrameHarness;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
Bytes tag(std::string_view t) {
    return Bytes(t.begin(), t.end());
}
Bytes be32(std::uint32_t v) {
    return {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)};
}
Bytes chars(std::string_view text) {
    Bytes b;
    for (char c : text)
        b.insert(b.end(), {0, std::uint8_t(c)});
    return b;
}
Bytes sub(std::string_view t, std::string_view text) {
    return tag(t) + be32(std::uint32_t(2 * text.size())) + chars(text);
}

// One amp module with the bass up, then filler (read as one long effect module) up to the
// information block 800 bytes on.
Bytes patch(std::string_view name, std::uint8_t ampModel, const Bytes& info, std::uint8_t device = 2,
            std::string_view patc = "PATC") {
    const Bytes header = Bytes{0, 0, 0, 0, 0, 0, device, 0} + chars(name) + Bytes{0, 0};
    Bytes amp =
        tag("MODL") + be32(24 + 20 * 11) + Bytes(12) + Bytes{0, 0, 0, ampModel, 0, 0, 0, 0, 0, 0, 0, 1};
    for (std::uint8_t number = 0; number < 11; ++number)
        amp = amp + Bytes(11) + Bytes{number} + Bytes(4) +
              be32(std::bit_cast<std::uint32_t>(number ? 0.0f : 1.0f));
    return tag("FORM") + be32(0) + tag("L6PA") + tag("HEAD") + be32(std::uint32_t(header.size())) + header +
           tag("LIST") + be32(0) + tag(patc) + amp + Bytes(800, 0xFF) + tag("LIST") +
           be32(std::uint32_t(4 + info.size())) + tag("UNFO") + info;
}

Bytes bundle(const std::vector<Bytes>& patches) {
    Bytes b = tag("FORM") + be32(0) + tag("L6BA");
    for (const Bytes& p : patches)
        b = b + p;
    return b;
}

const Bytes kThreePatches = bundle({
    patch("Texas Flood", 6,
          sub("ISTL", "Blues") + sub("IBND", "Double Trouble") + sub("IGTR", "SRV") +
              sub("ISNG", "Pride and Joy") + sub("IAUT", "Ann") + sub("IAMP", "Tweed Blues") +
              sub("IPUS", "N") + sub("IPUP", "Neck") + sub("ICMT", "Warm, <b>round</b> and loud")),
    patch("Plush", 13, sub("IAMP", "Rectified") + sub("IAPP", "Line 6 Edit")),
    patch("Keeps texts", 2, {}), // a block of length 4
});

QStringList textsOf(const DPatchImportL6EditDialog* d) {
    QStringList texts;
    for (QLabel* l : {d->L6TAmp, d->L6TPickup, d->L6TStyle, d->L6TBand, d->L6TSong, d->L6TGuitarist,
                      d->L6TAuthor, d->L6TComment})
        texts << l->text();
    return texts;
}

void press(QWidget* dialog, const char* button) {
    dialog->findChild<QPushButton*>(QString::fromLatin1(button))->click();
}

} // namespace

class Line6EditImportTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup() { h.reset(); }
    void chooserShowsNamesAndTheSelectedPatchsTexts();
    void okSendsTheChosenPatchThenReadsItBack();
    void messages_data();
    void messages();

private:
    // Runs the import; answer sees the open chooser and closes it.
    void runImport(const Bytes& file, int patchType, std::function<void(DPatchImportL6EditDialog*)> answer) {
        testsupport::whenModalOpens(
            [answer](QWidget* w) { answer(dynamic_cast<DPatchImportL6EditDialog*>(w)); });
        h->frame->ImportLine6EditFile(file, patchType);
        FrameHarness::settle();
    }

    std::unique_ptr<FrameHarness> h;
};

void Line6EditImportTest::init() {
    h = std::make_unique<FrameHarness>();
    h->startConnected();
    h->answerWithSingleDump(); // the start-up request, so that the import's read-back goes out
    h->midi.clearLog();
}

void Line6EditImportTest::chooserShowsNamesAndTheSelectedPatchsTexts() {
    QString title;
    QStringList names;
    QList<QStringList> seen;
    runImport(kThreePatches, kLine6EditBundleType, [&](DPatchImportL6EditDialog* d) {
        title = d->windowTitle();
        for (int i = 0; i < d->PatchSelect->count(); ++i)
            names << d->PatchSelect->item(i)->text();
        seen << textsOf(d);
        for (int row : {1, 2, 0}) {
            d->PatchSelect->setCurrentRow(row);
            seen << textsOf(d);
        }
        press(d, "Cancel");
    });
    QCOMPARE(title, QString("Patch Import"));
    QCOMPARE(names, (QStringList{"Texas Flood", "Plush", "Keeps texts"}));
    const QStringList first = {"Amp:   Tweed Blues",     "Pickup:  N/ Neck",           "Style:   Blues",
                               "Band:   Double Trouble", "Song:   Pride and Joy",      "Guitarist:  SRV",
                               "Author:  Ann",           "Warm, <b>round</b> and loud"};
    const QStringList second = {
        "Amp:   Rectified", "Pickup:      ", "Style:", "Band:", "Song:", "Guitarist:", "Author:", "  "};
    // The first patch is selected as the chooser opens; a block too short to say anything
    // keeps the texts shown.
    QCOMPARE(seen, (QList<QStringList>{first, second, second, first}));
    QVERIFY(h->midi.sent.empty()); // Cancel imports nothing
}

void Line6EditImportTest::okSendsTheChosenPatchThenReadsItBack() {
    runImport(kThreePatches, kLine6EditBundleType, [](DPatchImportL6EditDialog* d) {
        d->PatchSelect->setCurrentRow(1);
        press(d, "OK");
    });
    const Line6EditListing listing = listLine6EditFile(kThreePatches, kLine6EditBundleType);
    const auto expected = convertLine6EditPatch(kThreePatches, listing.entries[1]).dump;
    QVERIFY(expected.has_value());
    QCOMPARE(readRecordByte(*expected, kDumpDataOffset, 8), std::uint8_t(13)); // the second patch's amp
    QCOMPARE(dumpName(*expected), std::string("Plush           "));
    const auto sent = h->midi.sentSysex();
    QCOMPARE(sent.size(), std::size_t(2));
    QVERIFY(sent[0] == Bytes(expected->begin(), expected->end()));
    QVERIFY(sent[1] == Bytes(kEditBufferRequest.begin(), kEditBufferRequest.end()));
}

void Line6EditImportTest::messages_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("patchType");
    QTest::addColumn<int>("dialogs");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("caption");
    const auto bytes = [](const Bytes& b) {
        return QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
    };
    QTest::newRow("Vetta patch")
        << bytes(patch("Vetta", 4, {}, 5)) << kLine6EditPatchType << 0
        << "AMLPIX 32 can only open patches created for POD 2, Flextone II, or the original "
           "POD Pro. Line 6 Edit patches created for Vetta II, Flextone III, HD 147, or the "
           "POD XT series are not compatible with AMPLIX 32."
        << "Incompatible Patch File";
    QTest::newRow("no device word") << bytes(patch("Solo", 4, {})).left(27) << kLine6EditPatchType << 0
                                    << "Error reading from file!"
                                    << "Error!!";
    QTest::newRow("no patch data") << bytes(patch("Broken", 4, {}, 2, "PATX")) << kLine6EditPatchType << 1
                                   << "Corrupt patch file!"
                                   << "Error";
    QTest::newRow("nothing listed") << bytes(bundle({patch("Vetta", 4, {}, 5)})) << kLine6EditBundleType << 1
                                    << ""
                                    << "";
}

void Line6EditImportTest::messages() {
    QFETCH(QByteArray, file);
    QFETCH(int, patchType);
    QFETCH(int, dialogs);
    QFETCH(QString, text);
    QFETCH(QString, caption);
    testsupport::MessageBoxWatcher boxes;
    testsupport::DialogWatcher chooser([](QWidget* d) { press(d, "OK"); });
    h->frame->ImportLine6EditFile(
        std::span(reinterpret_cast<const std::uint8_t*>(file.data()), std::size_t(file.size())), patchType);
    FrameHarness::settle();
    QCOMPARE(chooser.count(), dialogs);
    QCOMPARE(boxes.seen().size(), text.isEmpty() ? 0 : 1);
    if (!text.isEmpty()) {
        QCOMPARE(boxes.seen()[0].text, text);
        QCOMPARE(boxes.seen()[0].caption, caption);
    }
    QVERIFY(h->midi.sent.empty());
}

QTEST_MAIN(Line6EditImportTest)
#include "line6edit_qtest.moc"
