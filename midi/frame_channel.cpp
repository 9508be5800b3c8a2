// Finding out the device's channel when it did not do what was asked: the device inquiry on
// every channel once, the replies gathered for a moment, and the status line told.
#include "app/DFrame.h"

#include "midi/DeviceInquiry.h"
#include "midi/DeviceWatch.h"
#include "midi/MidiTrace.h"

#include <QCoreApplication>
#include <QTimer>

#include <new>

using namespace amplix;

// Once for each opening of the ports: a device that answers nothing is not asked again and
// again. Nothing else is awaited meanwhile, and a request that comes ends the search: the user's
// request never waits for it.
void DFrame::askWhichChannel() {
    if (channelAsked_ || inquiring_ || Waiting_for_sysex || !PODMidiSet)
        return;
    channelAsked_ = true;
    try {
        midiHdr = std::make_shared<SysexBuffer>();
    } catch (const std::bad_alloc&) {
        return;
    }
    if (midi_.addBuffer(HPODMidiIn, midiHdr) != MidiResult::Ok) {
        midiHdr.reset();
        return;
    }
    inquiring_ = true;
    inquiryAnswers_.clear();
    for (const auto& inquiry : channelInquiries(PODMidiChannel)) {
        midiTrace("request", inquiry.data(), inquiry.size());
        monitorLog_.note(MidiDirection::Out, inquiry.data(), inquiry.size());
        if (midi_.sendSysex(HPODMidiOut, inquiry.data(), inquiry.size()) != MidiResult::Ok) {
            endInquiry(); // the device is gone: nothing to wait for
            return;
        }
    }
    const std::uint64_t number = ++requestNumber_;
    QTimer::singleShot(kInquiryWaitMs, this, [this, number] {
        QCoreApplication::postEvent(this, new FrameMessage(WM_CHKRECSYSEX, number));
    });
}

void DFrame::takeInquiryReply(const SysexBuffer& buffer) {
    const std::size_t size = std::min(buffer.bytesRecorded, buffer.data.size());
    const auto identity = readInquiryReply(std::span(buffer.data.data(), size));
    if (identity && identity->channel != kInquiryAllChannels) {
        midiTrace("received device inquiry reply", buffer.data.data(), size);
        inquiryAnswers_.push_back(identity->channel);
    }
    try {
        midiHdr = std::make_shared<SysexBuffer>();
    } catch (const std::bad_alloc&) {
        midiHdr.reset();
        return;
    }
    if (midi_.addBuffer(HPODMidiIn, midiHdr) != MidiResult::Ok)
        midiHdr.reset();
}

void DFrame::endInquiry() {
    inquiring_ = false;
    // The armed buffer comes back empty and stale, and is ignored.
    midiHdr.reset();
    midi_.resetInput(HPODMidiIn);
    midi_.startInput(HPODMidiIn);
    const auto channel = answeringChannel(inquiryAnswers_, PODMidiChannel);
    if (channel && deviceWatch_)
        deviceWatch_->heardOnChannel(*channel);
}
