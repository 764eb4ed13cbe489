#pragma once
// Where render --plot puts things: one lane per channel, time running left to right over the
// plot columns, the amplitude -1..1 bottom to top of each lane. Each column shows the lowest and
// highest sample of the frames that fall into it, the input behind the output.
#include <cstdint>

#include "pix/pix_bitmap.h"

namespace plot {

constexpr int kWidth = 1280;
constexpr int kLeft = 64, kRight = 24;  // margins around the columns
constexpr int kTop = 56, kBottom = 46;
constexpr int kLaneHeight = 150, kLaneGap = 24;
constexpr int kColumns = kWidth - kLeft - kRight;
constexpr int kPadding = 3;  // between full scale and the lane's edge

constexpr PIX_pixel kInputColour = PIX_RGBA(0xBF, 0xC8, 0xD4, 0xFF);
constexpr PIX_pixel kOutputColour = PIX_RGBA(0x2C, 0x6B, 0xD6, 0xFF);

constexpr int Height(int lanes) { return kTop + lanes * kLaneHeight + (lanes - 1) * kLaneGap + kBottom; }
constexpr int LaneTop(int lane) { return kTop + lane * (kLaneHeight + kLaneGap); }
// The column (0-based, add kLeft for x) that frame f of frames falls into.
constexpr int ColumnOf(int64_t frame, int64_t frames) {
  return frames <= 0 ? 0 : frame >= frames ? kColumns - 1 : static_cast<int>(frame * kColumns / frames);
}
// The row of an amplitude in a lane: +1 near its top, -1 near its bottom.
inline int RowOf(int lane, double amplitude) {
  const double half = kLaneHeight / 2.0 - kPadding;
  const double a = amplitude > 1.0 ? 1.0 : amplitude < -1.0 ? -1.0 : amplitude;
  return LaneTop(lane) + kLaneHeight / 2 - static_cast<int>(a * half + (a >= 0 ? 0.5 : -0.5));
}

}  // namespace plot
