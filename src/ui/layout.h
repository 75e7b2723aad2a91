// The geometry of the divider and the preview, as pure functions so the host
// build tests them too. Signed 32-bit arithmetic; divisions truncate toward
// zero.
#pragma once

#include <stdint.h>

struct PaneRect {
    int32_t x, y, width, height;
};

// Where a divider of client size width x height puts its two panes.
// orientation 0: side by side; 1: stacked; any other value lays out nothing
// (returns false). position is pane 0's stored extent; a position beyond
// extent - 4 is drawn at extent - 4 without changing the stored value.
bool dividerPaneRects(int32_t orientation, int32_t position, int32_t width, int32_t height,
                      PaneRect& pane0, PaneRect& pane1);

// The position a drag to coordinate along the split axis gives, clamped to
// 0 .. extent - 4.
int32_t dividerDragPosition(int32_t coordinate, int32_t grabOffset, int32_t extent);

// Where fit mode draws a w x h picture in a cw x ch window. Returns false
// when nothing is drawn (aspect kept and cw or ch zero, or no picture size).
bool piktureFitRect(int32_t cw, int32_t ch, int32_t w, int32_t h, bool keepAspect, PaneRect& out);

// The actual-size scroll offsets that keep the picture point under the
// cursor (mx, my) of the fitted view under it. Leaves the offsets as they
// are when cw or ch is zero.
void piktureZoomOffsets(int32_t cw, int32_t ch, int32_t w, int32_t h, int32_t mx, int32_t my,
                        int32_t& scrollX, int32_t& scrollY);
