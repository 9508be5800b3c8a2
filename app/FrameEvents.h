// The frame's posted messages: internal WM_ messages and MIDI input events.
#pragma once

#include "midi/MidiTypes.h"

#include <QEvent>

#include <cstdint>
#include <memory>

// Internal messages, numbered as they always were; posted to the frame and handled in order.
inline constexpr int WM_GETTAPTEMPO = 30774;
inline constexpr int WM_SAVETOPOD = 30775;
inline constexpr int WM_CHANGEPNAME = 30776;
inline constexpr int WM_PODSAVE = 30777;
inline constexpr int WM_CHKRECSYSEX = 30778;
inline constexpr int WM_PODSAVE_ALL = 30779;
inline constexpr int WM_CHKTREMCHOR = 30780;

// MIDI input notifications, posted by a backend thread.
inline constexpr int MM_MIM_DATA = QEvent::User + 0x3C3;
inline constexpr int MM_MIM_LONGDATA = QEvent::User + 0x3C4;
inline constexpr int MM_MIM_ERROR = QEvent::User + 0x3C5;
inline constexpr int MM_MIM_LONGERROR = QEvent::User + 0x3C6;

class FrameMessage : public QEvent {
public:
    FrameMessage(int message, std::uint64_t wParam = 0, std::int64_t lParam = 0)
        : QEvent(QEvent::Type(message)), wParam(wParam), lParam(lParam) {}
    const std::uint64_t wParam;
    const std::int64_t lParam;
};

class MidiInputEvent : public QEvent {
public:
    MidiInputEvent(int kind, amplix::MidiHandle input, std::uint32_t message,
                   std::shared_ptr<amplix::SysexBuffer> buffer = {})
        : QEvent(QEvent::Type(kind)), input(input), message(message), buffer(std::move(buffer)) {}
    const amplix::MidiHandle input;
    const std::uint32_t message;
    const std::shared_ptr<amplix::SysexBuffer> buffer;
};

// A copy of one of the frame's own events, for handling it later; null for any other event.
inline std::unique_ptr<QEvent> copyFrameEvent(const QEvent& event) {
    const int type = event.type();
    if (type >= MM_MIM_DATA && type <= MM_MIM_LONGERROR) {
        const auto& input = static_cast<const MidiInputEvent&>(event);
        return std::make_unique<MidiInputEvent>(type, input.input, input.message, input.buffer);
    }
    if (type >= WM_GETTAPTEMPO && type <= WM_CHKTREMCHOR) {
        const auto& message = static_cast<const FrameMessage&>(event);
        return std::make_unique<FrameMessage>(type, message.wParam, message.lParam);
    }
    return nullptr;
}
