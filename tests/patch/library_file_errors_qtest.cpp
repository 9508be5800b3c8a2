// The Library window's Open bank... and Open file... with files they refuse: the message box
// keeps its words, the window's message line names the file and says why.
#include "patch/DLibraryWindow.h"
#include "support/QtTestSupport.h"
#include "tests/patch/LibraryRig.h"
#include "tests/support/TestPatchFiles.h"

#include <QLabel>
#include <QTest>

#include <optional>

using namespace librarytest;
using testsupport::MessageBoxWatcher;
using testsupport::writeFileBytes;

class LibraryFileErrorsTest : public QObject {
    Q_OBJECT

private slots:
    void aRefusedFileIsNamedWithItsReason() {
        Rig rig;
        Bytes shortBank = patchfiles::bank(0x01);
        shortBank.resize(100);
        const struct {
            bool bankPane;
            const char* file;
            std::optional<Bytes> bytes; // none: not there
            const char* box;
            const char* caption;
            const char* message;
        } cases[] = {
            {true, "bank1.syx", shortBank, "Error reading from file!", "Error!!",
             "bank1.syx: 100 bytes; a bank has 5121"},
            {true, "gone.syx", std::nullopt, "Error: Couldn't open file.", "Error!!",
             "gone.syx: cannot be read: No such file or directory"},
            {false, "notes.txt", Bytes(300, 'x'), "Error!  Invalid File format.", "Error!!",
             "notes.txt: not a patch or bank file"},
            {false, "junk.lib", Bytes(40, 0x11), "Not a valid patch file.", "Error!",
             "junk.lib: not a SoundDiver, Line 6 Edit or GuitarPort file"},
            {false, "empty.pod", Bytes{}, "Error reading from file!", "Error!!",
             "empty.pod: the file is empty"},
        };
        for (const auto& c : cases) {
            const QString path = rig.scratch.dir.filePath(QString::fromLatin1(c.file));
            if (c.bytes)
                writeFileBytes(path, *c.bytes);
            MessageBoxWatcher boxes;
            QVERIFY(!(c.bankPane ? rig.w->openBankFile(path) : rig.w->openPatchFile(path)));
            QCOMPARE(boxes.seen().size(), 1);
            QCOMPARE(boxes.seen()[0].text, QString::fromLatin1(c.box));
            QCOMPARE(boxes.seen()[0].caption, QString::fromLatin1(c.caption));
            QCOMPARE(rig.w->StaticMessage->text(), QString::fromLatin1(c.message));
        }
    }
};

QTEST_MAIN(LibraryFileErrorsTest)
#include "library_file_errors_qtest.moc"
