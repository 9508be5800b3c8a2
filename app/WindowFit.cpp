// Fitting a window's frame into the screen's free area.
#include "app/WindowFit.h"

#include <algorithm>

namespace amplix {

namespace {

// The start of a span of `length` inside [start, start + room), as near to `at` as it goes.
int clampSpan(int at, int length, int start, int room) {
    return std::max(start, std::min(at, start + room - length));
}

} // namespace

WindowPlace fitWindow(const ScreenRect& area, const FrameMargins& margins, const WindowPlace& wanted,
                      int minWidth, int minHeight, const std::optional<ScreenRect>& centreOver) {
    const int sideways = margins.left + margins.right, upright = margins.top + margins.bottom;
    WindowPlace place = wanted;
    place.width = std::max(minWidth, std::min(wanted.width, area.width - sideways));
    place.height = std::max(minHeight, std::min(wanted.height, area.height - upright));
    const int frameWidth = place.width + sideways, frameHeight = place.height + upright;
    if (centreOver) {
        place.frameX = centreOver->x + (centreOver->width - frameWidth) / 2;
        place.frameY = centreOver->y + (centreOver->height - frameHeight) / 2;
    }
    place.frameX = clampSpan(place.frameX, frameWidth, area.x, area.width);
    place.frameY = clampSpan(place.frameY, frameHeight, area.y, area.height);
    return place;
}

WindowPlace placeBeside(const ScreenRect& area, const FrameMargins& margins, const ScreenRect& mainFrame,
                        int width, int height, int minWidth, int minHeight) {
    const WindowPlace centred = fitWindow(area, margins, {0, 0, width, height}, minWidth, minHeight, area);
    const int right = mainFrame.x + mainFrame.width;
    if (right + centred.width + margins.left + margins.right > area.x + area.width)
        return centred;
    return fitWindow(area, margins, {right, mainFrame.y, centred.width, centred.height}, minWidth, minHeight);
}

} // namespace amplix
