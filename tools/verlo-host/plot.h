#pragma once
// render --plot: a picture of a render's input and output over time, drawn with our raster
// library and text. plot_layout.h says where everything goes.
#include <cstdint>
#include <string>
#include <vector>

#include "pix/pix_bitmap.h"

// The lowest and highest sample of each plot column, per channel of a stream, gathered block
// by block as the render goes.
class Envelope {
public:
  struct Span {
    float low = 0.0f, high = 0.0f;
    bool any = false;  // no frame fell into the column yet
  };
  // frames: how long the stream will be, which spreads it over the plot's columns.
  Envelope(int channels, int64_t frames);
  void Add(const double* interleaved, long frames);
  int Channels() const { return mChannels; }
  int64_t Frames() const { return mFrames; }
  const Span& At(int channel, int column) const;

private:
  int mChannels;
  int64_t mFrames;
  int64_t mDone = 0;
  std::vector<Span> mSpans;  // column-major: channels per column
};

struct PlotCaption {
  std::string title;     // the plug-in's name
  std::string subtitle;  // the files
  int sampleRate = 0;
};

// One lane per channel of the longer side; a mono input shows in every lane.
void DrawPlot(PIX_IBitmap* image, const Envelope& input, const Envelope& output, const PlotCaption& caption);
