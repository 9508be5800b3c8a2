// The editor itself on a real JACK server: it asks the POD peer for its edit buffer at start-up
// and recognises the dump the peer answers with.
#include "JackFixture.h"

#include "midi/MidiConfig.h"
#include "patch/SysexFormat.h"

#include <gtest/gtest.h>

#include <fstream>

#ifndef AMPLIX_E2E_EDITOR
#define AMPLIX_E2E_EDITOR "amplix32"
#endif

namespace amplix {
namespace {

using e2e::Clock;
using std::chrono::milliseconds;

constexpr milliseconds kEditorLimit{8000};

// The editor in its own start-up folder, with its MIDI trace in a log.
class Editor {
public:
    bool start(const std::filesystem::path& folder, std::string& whyNot) {
        log_ = folder / "amplix32.log";
        const std::string command = "cd '" + folder.string() + "' && AMPLIX_MIDI_API=jack AMPLIX_MIDI_TRACE=1 " +
                                    "QT_QPA_PLATFORM=offscreen exec '" + AMPLIX_E2E_EDITOR + "'";
        return process_.start({"/bin/sh", "-c", command}, log_, whyNot);
    }
    std::string log() const { return e2e::readFile(log_); }
    bool waitForLog(const std::string& text, milliseconds limit) const {
        const auto end = Clock::now() + limit;
        while (Clock::now() < end) {
            if (log().find(text) != std::string::npos)
                return true;
            std::this_thread::sleep_for(e2e::kPollInterval);
        }
        return false;
    }
    void stop() { process_.stop(); }

private:
    e2e::ChildProcess process_;
    std::filesystem::path log_;
};

TEST(EditorOnJack, AsksForTheEditBufferAtStartUpAndRecognisesTheDump) {
    e2e::JackServer jack;
    std::string whyNot;
    if (!jack.start(whyNot))
        GTEST_SKIP() << "JACK cannot start here: " << whyNot;
    e2e::PodPeer peer;
    ASSERT_TRUE(peer.start(whyNot)) << whyNot;

    // The settings name the peer's ports; the indexes are found again by those names.
    e2e::ScratchDir folder;
    const auto config = encodeMidiConfig({0, 0, 0, peer.outputPort(), peer.inputPort()});
    std::ofstream(folder.path() / "AMPLIX.CNF", std::ios::binary)
        .write(reinterpret_cast<const char*>(config.data()), std::streamsize(config.size()));

    Editor editor;
    ASSERT_TRUE(editor.start(folder.path(), whyNot)) << whyNot;
    const bool recognised = editor.waitForLog("received single-patch dump (151 bytes)", kEditorLimit);
    const auto record = peer.waitForRecord(1, milliseconds(500));
    editor.stop();

    ASSERT_FALSE(record.empty()) << editor.log() << peer.log();
    EXPECT_EQ(record.front(), "f000010c010001f7");
    EXPECT_TRUE(recognised) << editor.log() << (jack.xruns() ? " (JACK dropped periods)" : "");
    EXPECT_NE(editor.log().find("ports open: in \"" + peer.outputPort() + "\""), std::string::npos)
        << editor.log();
}

} // namespace
} // namespace amplix
