// Where a window goes so that all of it, its frame included, lies in the screen's free area:
// a remembered size is kept only while it fits.
#pragma once

#include <optional>

namespace amplix {

struct ScreenRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const ScreenRect&) const = default;
};

// What the window manager adds around the client area.
struct FrameMargins {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// The frame's top-left corner and the client area's size.
struct WindowPlace {
    int frameX = 0, frameY = 0, width = 0, height = 0;
    bool operator==(const WindowPlace&) const = default;
};

// The client size is made smaller where the frame would not fit the area, never below the
// minimum; the frame is then centred over centreOver (when given) and moved only as far as it
// takes to lie in the area. A window larger than the area even at its minimum keeps its title
// bar on the screen: its top-left corner goes to the area's.
WindowPlace fitWindow(const ScreenRect& area, const FrameMargins& margins, const WindowPlace& wanted,
                      int minWidth, int minHeight,
                      const std::optional<ScreenRect>& centreOver = std::nullopt);

// A window's first opening beside the main window's frame: to its right where the whole frame
// fits there, level with its top; otherwise centred in the area. Fitted as fitWindow fits it.
WindowPlace placeBeside(const ScreenRect& area, const FrameMargins& margins, const ScreenRect& mainFrame,
                        int width, int height, int minWidth, int minHeight);

} // namespace amplix
