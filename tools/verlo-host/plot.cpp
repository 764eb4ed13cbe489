#include "plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "gdi/gdi.h"
#include "pix/pix.h"
#include "pix/pix_cachedfont.h"
#include "plot_layout.h"

using namespace plot;

Envelope::Envelope(int channels, int64_t frames)
    : mChannels(channels), mFrames(frames), mSpans(size_t(channels) * kColumns) {}

void Envelope::Add(const double* interleaved, long frames) {
  for (long i = 0; i < frames; ++i, ++mDone) {
    Span* column = &mSpans[size_t(ColumnOf(mDone, mFrames)) * mChannels];
    for (int c = 0; c < mChannels; ++c) {
      const float v = static_cast<float>(interleaved[size_t(i) * mChannels + c]);
      Span& s = column[c];
      s.low = s.any ? std::min(s.low, v) : v;
      s.high = s.any ? std::max(s.high, v) : v;
      s.any = true;
    }
  }
}

const Envelope::Span& Envelope::At(int channel, int column) const {
  return mSpans[size_t(column) * mChannels + channel];
}

namespace {

constexpr PIX_pixel kPage = PIX_RGBA(0xF6, 0xF7, 0xF9, 0xFF);
constexpr PIX_pixel kLane = PIX_RGBA(0xFF, 0xFF, 0xFF, 0xFF);
constexpr PIX_pixel kFrame = PIX_RGBA(0xCF, 0xD5, 0xDD, 0xFF);
constexpr PIX_pixel kGrid = PIX_RGBA(0xE3, 0xE7, 0xEC, 0xFF);
constexpr PIX_pixel kMinorGrid = PIX_RGBA(0xEE, 0xF1, 0xF4, 0xFF);
constexpr PIX_pixel kZero = PIX_RGBA(0xD3, 0xD8, 0xDF, 0xFF);
constexpr PIX_pixel kText = PIX_RGBA(0x2E, 0x34, 0x3D, 0xFF);
constexpr PIX_pixel kQuietText = PIX_RGBA(0x6E, 0x77, 0x83, 0xFF);

class Text {
public:
  Text(int size, bool bold, PIX_pixel colour) {
    mFont.SetFromHFont(CreateFont(size, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY,
                                  0, "DejaVu Sans"),
                       PIX_FONTOPT_OWNS_FONT);
    mFont.SetTextColor(colour);
    mFont.SetCombineMode(PIX_COMBINE_COPY, 1.0f);
  }
  void Draw(PIX_IBitmap* image, const std::string& text, RECT box, int flags) {
    mFont.DrawText(image, text.c_str(), -1, &box, flags | DT_SINGLELINE | DT_NOPREFIX);
  }
  int Width(const std::string& text) {
    RECT box = {0, 0, 0, 0};
    mFont.DrawText(nullptr, text.c_str(), -1, &box, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    return box.right - box.left;
  }

private:
  PIX_CachedFont mFont;
};

// The tick step of the time axis: 1, 2 or 5 times a power of ten, at most a dozen ticks.
double TickStep(double seconds) {
  for (double power = 1e-3;; power *= 10)
    for (double m : {1.0, 2.0, 5.0})
      if (seconds / (m * power) <= 12.0) return m * power;
}

std::string Seconds(double t, double step) {
  const int decimals = step >= 1.0 ? 0 : int(std::ceil(-std::log10(step) - 1e-9));
  char text[32];
  std::snprintf(text, sizeof text, "%.*f s", decimals, t);
  return text;
}

std::string LaneName(int lane, int lanes) {
  if (lanes == 2) return lane == 0 ? "L" : "R";
  return std::to_string(lane + 1);
}

void DrawSpans(PIX_IBitmap* image, const Envelope& e, int channel, int lane, PIX_pixel colour) {
  for (int column = 0; column < kColumns; ++column) {
    const Envelope::Span& s = e.At(channel, column);
    if (!s.any) continue;
    const int top = RowOf(lane, s.high), bottom = RowOf(lane, s.low);
    PIX_FillRect(image, kLeft + column, top, 1, bottom - top + 1, colour, 1.0f, PIX_COMBINE_COPY);
  }
}

void DrawLane(PIX_IBitmap* image, int lane, int lanes, double seconds, double step, Text& label, Text& small) {
  const int top = LaneTop(lane);
  PIX_FillRect(image, kLeft, top, kColumns, kLaneHeight, kLane, 1.0f, PIX_COMBINE_COPY);
  const double perSecond = seconds > 0 ? kColumns / seconds : 0;
  for (int i = 1; i * step / 2 < seconds; ++i) {
    const int x = kLeft + int(i * step / 2 * perSecond);
    PIX_Line(image, x, top, x, top + kLaneHeight - 1, i % 2 ? kMinorGrid : kGrid, 1.0f, PIX_COMBINE_COPY, false);
  }
  for (double a : {0.5, -0.5})
    PIX_DashedLine(image, kLeft, RowOf(lane, a), kLeft + kColumns, RowOf(lane, a), 2, 3, kGrid, 1.0f,
                   PIX_COMBINE_COPY, false);
  PIX_Line(image, kLeft, RowOf(lane, 0.0), kLeft + kColumns - 1, RowOf(lane, 0.0), kZero, 1.0f, PIX_COMBINE_COPY, false);
  PIX_DrawRect(image, kLeft - 1, top - 1, kColumns + 1, kLaneHeight + 1, kFrame, 1.0f, PIX_COMBINE_COPY);
  label.Draw(image, LaneName(lane, lanes), {8, top, 30, top + kLaneHeight}, DT_LEFT | DT_VCENTER);
  for (double a : {1.0, 0.0, -1.0}) {
    const int y = RowOf(lane, a);
    small.Draw(image, a > 0 ? "+1" : a < 0 ? "\xE2\x88\x92" "1" : "0", {30, y - 8, kLeft - 6, y + 8},
               DT_RIGHT | DT_VCENTER);
  }
}

void DrawTimeAxis(PIX_IBitmap* image, int lanes, double seconds, double step, Text& small) {
  const int axis = LaneTop(lanes - 1) + kLaneHeight;
  const double perSecond = seconds > 0 ? kColumns / seconds : 0;
  for (int i = 0; i * step <= seconds + 1e-9; ++i) {
    const int x = std::min(kLeft + int(i * step * perSecond), kLeft + kColumns - 1);
    PIX_Line(image, x, axis, x, axis + 5, kFrame, 1.0f, PIX_COMBINE_COPY, false);
    const std::string text = Seconds(i * step, step);
    const int half = small.Width(text) / 2 + 1;
    const int left = std::min(std::max(x - half, 2), kWidth - 2 - 2 * half);
    small.Draw(image, text, {left, axis + 7, left + 2 * half, axis + 24}, DT_CENTER | DT_TOP);
  }
}

void DrawLegend(PIX_IBitmap* image, Text& small) {
  int x = kWidth - kRight;
  for (auto [name, colour] : {std::pair<const char*, PIX_pixel>{"output", kOutputColour}, {"input", kInputColour}}) {
    const int w = small.Width(name);
    x -= w;
    small.Draw(image, name, {x, 26, x + w, 42}, DT_LEFT | DT_VCENTER);
    x -= 20;
    PIX_FillRect(image, x, 29, 14, 10, colour, 1.0f, PIX_COMBINE_COPY);
    x -= 18;
  }
}

}  // namespace

void DrawPlot(PIX_IBitmap* image, const Envelope& input, const Envelope& output, const PlotCaption& caption) {
  const int lanes = std::max(input.Channels(), output.Channels());
  image->resize(kWidth, Height(lanes));
  PIX_Clear(image, kPage);
  Text title(16, true, kText), subtitle(12, false, kQuietText), label(14, true, kText), small(11, false, kQuietText);
  const double seconds = caption.sampleRate > 0 ? double(output.Frames()) / caption.sampleRate : 0.0;
  const double step = TickStep(seconds > 0 ? seconds : 1.0);

  title.Draw(image, caption.title, {kLeft, 10, kWidth / 2, 30}, DT_LEFT | DT_VCENTER);
  subtitle.Draw(image, caption.subtitle, {kLeft, 30, kWidth - 200, 46}, DT_LEFT | DT_VCENTER);
  DrawLegend(image, small);
  for (int lane = 0; lane < lanes; ++lane) {
    DrawLane(image, lane, lanes, seconds, step, label, small);
    if (input.Channels() == 1 || lane < input.Channels())
      DrawSpans(image, input, input.Channels() == 1 ? 0 : lane, lane, kInputColour);
    if (lane < output.Channels()) DrawSpans(image, output, lane, lane, kOutputColour);
  }
  DrawTimeAxis(image, lanes, seconds, step, small);
}
