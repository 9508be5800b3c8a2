// MIDI settings: the setup command, AMPLIX.CNF at start-up and after every OK.
#include "app/DFrame.h"

#include "app/MessageBox.h"
#include "app/UiTextsQt.h"
#include "files/BoundedRead.h"
#include "files/SafeSave.h"
#include "midi/DMidiSetupDialog.h"
#include "midi/DeviceNames.h"
#include "midi/MidiConfig.h"
#include "midi/MidiTrace.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <vector>

using namespace amplix;

namespace {

constexpr qint64 kConfigReadLimit = 1024;
constexpr unsigned kMaxOutputsToReset = 512;

// The settings last saved from any folder, for a start from a folder that has none of its own.
QString userConfigCopy() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    return folder.isEmpty() ? QString() : QDir(folder).filePath(QString::fromLatin1(kConfigFileName));
}

QString nameAt(const std::vector<std::string>& names, unsigned index) {
    return index < names.size() ? QString::fromStdString(names[index]) : QString();
}

} // namespace

void DFrame::CmSetupMidi() {
    int tempMidiCh = PODMidiChannel;
    unsigned tempMidiIn = PODMidiInPort;
    unsigned tempMidiOut = PODMidiOutPort;
    bool change_midi_ports = false;

    const bool wasOpen = PODMidiSet == 1;
    int result;
    {
        DMidiSetupDialog dialog(this, midi_, &tempMidiIn, &tempMidiOut, &tempMidiCh);
        dialog.setNotice(setupNotice_);
        setupNotice_.clear();
        // A search needs every port, the editor's own too; they open again afterwards.
        dialog.setBeforeSearch([this] { ClosePodMidiPorts(); });
        result = dialog.Execute();
    }
    if (result != 1) {
        if (wasOpen && PODMidiSet == 0)
            OpenPodMidiPorts();
        return;
    }

    if (PODMidiSet == 1 && tempMidiIn == PODMidiInPort && tempMidiOut == PODMidiOutPort) {
        PODMidiChannel = tempMidiCh;
        channelAsked_ = false;
        showConnection(); // the channel it names, or the word on the device's channel
    } else {
        PODMidiChannel = tempMidiCh;
        PODMidiInPort = tempMidiIn;
        PODMidiOutPort = tempMidiOut;
        change_midi_ports = true;
    }
    PODMidiInName = nameAt(inputNames(midi_), PODMidiInPort);
    PODMidiOutName = nameAt(outputNames(midi_), PODMidiOutPort);

    // The file belongs to the start-up directory, whatever file dialogs did meanwhile.
    QDir::setCurrent(PathAmplix);
    MidiConfig config{PODMidiChannel, PODMidiInPort, PODMidiOutPort, PODMidiInName.toStdString(),
                      PODMidiOutName.toStdString()};
    const std::vector<std::uint8_t> bytes = encodeMidiConfig(config);
    const bool written =
        saveWholeFile(QString::fromLatin1(kConfigFileName), bytes.data(), qint64(bytes.size()));
    if (!written)
        ShowMessage(this, qtText(text::kConfigWriteFailed), qtText(text::kConfigErrorCaption));
    // Also where the start-up folder cannot be written: the copy is what a start elsewhere finds.
    if (const QString copy = userConfigCopy(); copy.isEmpty() || !QDir().mkpath(QFileInfo(copy).path()) ||
                                               !saveWholeFile(copy, bytes.data(), qint64(bytes.size())))
        midiTrace("settings not copied to the user's configuration folder: \"" + copy.toStdString() + "\"");

    if (change_midi_ports) {
        // Another device may hold other patches.
        devicePatches_.forget();
        showPatchNames();
        OpenPodMidiPorts();
    }
}

void DFrame::UpdateMidiSettings() {
    const QString own = QDir(PathAmplix).filePath(QString::fromLatin1(kConfigFileName));
    std::optional<QByteArray> bytes = readFileBounded(own, kConfigReadLimit);
    if (!bytes && !QFileInfo::exists(own))
        if (const QString copy = userConfigCopy(); !copy.isEmpty())
            bytes = readFileBounded(copy, kConfigReadLimit);
    if (!bytes) {
        CmSetupMidi();
        return;
    }
    auto config = decodeMidiConfig(byteSpan(*bytes));
    if (!config) {
        CmSetupMidi();
        return;
    }

    // Devices may be numbered differently since the last run: find them again by name.
    const auto inputs = inputNames(midi_);
    const auto outputs = outputNames(midi_);
    PODMidiChannel = config->channel;
    PODMidiInPort = resolveDevice(config->inputPort, config->inputName, inputs);
    PODMidiOutPort = resolveDevice(config->outputPort, config->outputName, outputs);
    PODMidiInName = QString::fromStdString(config->inputName);
    PODMidiOutName = QString::fromStdString(config->outputName);

    if (PODMidiInPort >= inputs.size() || PODMidiOutPort >= outputs.size()) {
        // The dialog says which of the devices the settings name are not there.
        QStringList missing;
        for (const auto& [name, names] :
             {std::pair{&config->inputName, &inputs}, {&config->outputName, &outputs}}) {
            const QString said =
                qtText(text::kMidiSetupNotConnected).arg(QString::fromStdString(portLabel(*name)));
            if (!name->empty() && !findDevice(*name, *names) && !missing.contains(said))
                missing << said;
        }
        setupNotice_ = missing.join(QLatin1Char(' '));
        midiTrace("devices of " + std::string(kConfigFileName) + " not listed: in \"" + config->inputName +
                  "\", out \"" + config->outputName + "\" (" + std::to_string(inputs.size()) + " inputs, " +
                  std::to_string(outputs.size()) + " outputs listed)");
        CmSetupMidi();
        return;
    }

    // Every output gets one reset at start-up, before the editor opens its own.
    const unsigned n = unsigned(outputs.size());
    if (n >= 2 && n < kMaxOutputsToReset) {
        for (unsigned i = n; i-- > 0;) {
            MidiHandle output = kNoHandle;
            if (midi_.openOutput(i, output) == MidiResult::Ok) {
                midi_.resetOutput(output);
                midi_.closeOutput(output);
            }
            HPODMidiOut = kNoHandle;
        }
    }
    OpenPodMidiPorts();
}
