#include "ui/layout.h"

namespace {

constexpr int32_t kBar = 4;  // width of the divider's bar, in pixels

// The window is relatively wider than the picture: fit to its height.
// Compared as whole percentages, so a tie fits to the width.
bool widerThanPicture(int32_t cw, int32_t ch, int32_t w, int32_t h) {
    return static_cast<int64_t>(cw) * 100 / ch > static_cast<int64_t>(w) * 100 / h;
}

}  // namespace

bool dividerPaneRects(int32_t orientation, int32_t position, int32_t width, int32_t height,
                      PaneRect& pane0, PaneRect& pane1) {
    int32_t extent = orientation == 0 ? width : height;
    int32_t p = position > extent - kBar ? extent - kBar : position;
    if (orientation == 0) {
        pane0 = {0, 0, p, height};
        pane1 = {p + kBar, 0, width - p - kBar, height};
        return true;
    }
    if (orientation == 1) {
        pane0 = {0, 0, width, p};
        pane1 = {0, p + kBar, width, height - p - kBar};
        return true;
    }
    return false;
}

int32_t dividerDragPosition(int32_t coordinate, int32_t grabOffset, int32_t extent) {
    int32_t position = coordinate - grabOffset;
    if (position < 0) position = 0;
    if (position > extent - kBar) position = extent - kBar;
    return position;
}

bool piktureFitRect(int32_t cw, int32_t ch, int32_t w, int32_t h, bool keepAspect, PaneRect& out) {
    if (!keepAspect) {
        out = {0, 0, cw, ch};
        return true;
    }
    if (cw == 0 || ch == 0 || w <= 0 || h <= 0) return false;
    if (widerThanPicture(cw, ch, w, h)) {
        int32_t drawn = static_cast<int32_t>(static_cast<int64_t>(w) * ch / h);
        out = {(cw - drawn) / 2, 0, drawn, ch};
    } else {
        int32_t drawn = static_cast<int32_t>(static_cast<int64_t>(h) * cw / w);
        out = {0, (ch - drawn) / 2, cw, drawn};
    }
    return true;
}

void piktureZoomOffsets(int32_t cw, int32_t ch, int32_t w, int32_t h, int32_t mx, int32_t my,
                        int32_t& scrollX, int32_t& scrollY) {
    if (cw == 0 || ch == 0 || w <= 0 || h <= 0) return;
    if (widerThanPicture(cw, ch, w, h)) {
        int32_t ox = static_cast<int32_t>((cw - static_cast<int64_t>(w) * ch / h) / 2);
        scrollX = static_cast<int32_t>(static_cast<int64_t>(mx - ox) * h / ch - mx);
        scrollY = static_cast<int32_t>(static_cast<int64_t>(my) * h / ch - my);
    } else {
        int32_t oy = static_cast<int32_t>((ch - static_cast<int64_t>(h) * cw / w) / 2);
        scrollX = static_cast<int32_t>(static_cast<int64_t>(mx) * w / cw - mx);
        scrollY = static_cast<int32_t>(static_cast<int64_t>(my - oy) * w / cw - my);
    }
}
