#include "render.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <type_traits>
#include <sstream>
#include <vector>

#include "audio_file.h"
#include "error.h"
#include "interrupt.h"
#include "plot.h"
#include "plugin.h"
#include "png_file.h"
#include "progress.h"
#include "routing.h"
#include "text.h"

namespace {

// One instance's buffers in the sample type of the chosen process call.
template <typename T>
struct Buffers {
  std::vector<std::vector<T>> in, out;
  std::vector<T*> inPtr, outPtr;
  Buffers(int inputs, int outputs, int frames) {
    in.assign(std::max(inputs, 1), std::vector<T>(frames));
    out.assign(std::max(outputs, 1), std::vector<T>(frames));
    for (auto& b : in) inPtr.push_back(b.data());
    for (auto& b : out) outPtr.push_back(b.data());
  }
};

struct Lane {
  std::unique_ptr<PluginInstance> plugin;
  std::unique_ptr<Buffers<float>> f;
  std::unique_ptr<Buffers<double>> d;
};

void CheckPrecision(AEffect* e, Precision p) {
  switch (p) {
    case Precision::kDouble:
      if (!(e->flags & effFlagsCanDoubleReplacing) || !e->processDoubleReplacing)
        throw HostError("the plug-in cannot process in double precision; use --precision float");
      break;
    case Precision::kFloat:
      if (!(e->flags & effFlagsCanReplacing) || !e->processReplacing)
        throw HostError("the plug-in has no replacing float process call; use --precision accumulate");
      break;
    case Precision::kAccumulate:
      if (!e->process) throw HostError("the plug-in has no accumulating process call");
      break;
  }
}

template <typename T>
void ProcessBlock(Lane& lane, Buffers<T>& b, Precision p, const Routing& r, int index,
                  const std::vector<double>& in, int fileChannels, int frames) {
  for (auto& ch : b.in) std::fill(ch.begin(), ch.begin() + frames, T(0));
  for (auto& ch : b.out) std::fill(ch.begin(), ch.begin() + frames, T(0));
  for (int c = 0; c < fileChannels; ++c)
    for (const Pin& pin : r.feeds[c])
      if (pin.instance == index)
        for (int i = 0; i < frames; ++i) b.in[pin.channel][i] = static_cast<T>(in[size_t(i) * fileChannels + c]);
  AEffect* e = lane.plugin->Effect();
  if constexpr (std::is_same_v<T, double>) {
    e->processDoubleReplacing(e, b.inPtr.data(), b.outPtr.data(), frames);
  } else if (p == Precision::kAccumulate) {
    e->process(e, b.inPtr.data(), b.outPtr.data(), frames);
  } else {
    e->processReplacing(e, b.inPtr.data(), b.outPtr.data(), frames);
  }
  lane.plugin->AdvanceTransport(frames);
}

}  // namespace

Precision ParsePrecision(const std::string& text) {
  if (text == "float") return Precision::kFloat;
  if (text == "double") return Precision::kDouble;
  if (text == "accumulate") return Precision::kAccumulate;
  throw UsageError("--precision takes float, double or accumulate, not '" + text + "'");
}

const char* PrecisionName(Precision p) {
  return p == Precision::kDouble ? "double" : p == Precision::kAccumulate ? "accumulate" : "float";
}

void RenderFile(const std::string& pluginPath, const std::string& inPath, const std::string& outPath,
                const RenderOptions& options, std::ostream& log) {
  if (options.block < 1 || options.block > 1 << 20) throw UsageError("--block must lie in 1..1048576");
  const InterruptWatch interrupts;
  PluginLibrary library(pluginPath);
  AudioReader reader(inPath);
  const int channels = reader.Channels();
  const int rate = reader.SampleRate();

  std::vector<Lane> lanes(1);
  lanes[0].plugin = std::make_unique<PluginInstance>(library, rate, options.block);
  AEffect* first = lanes[0].plugin->Effect();
  const std::string name = lanes[0].plugin->Name();
  Routing routing = PlanRouting(channels, first->numInputs, first->numOutputs, first->flags & effFlagsCanMono);
  if (routing.monoArrangement && !lanes[0].plugin->SetArrangement(1, 1))
    routing = PlanRouting(channels, first->numInputs, first->numOutputs, false);
  for (int i = 1; i < routing.instances; ++i) {
    lanes.emplace_back();
    lanes.back().plugin = std::make_unique<PluginInstance>(library, rate, options.block);
  }
  for (int i = 0; i < routing.instances; ++i) {
    PluginInstance& p = *lanes[i].plugin;
    if (!routing.monoArrangement) p.SetArrangement(routing.instances > 1 ? 1 : p.Effect()->numInputs, p.Effect()->numOutputs);
    CheckPrecision(p.Effect(), options.precision);
    std::ostringstream quiet;
    ApplySettings(p, options.settings, i == 0 ? log : quiet);
    p.Dispatch(effSetProcessPrecision, 0, options.precision == Precision::kDouble ? 1 : 0);
    if (options.precision == Precision::kDouble)
      lanes[i].d = std::make_unique<Buffers<double>>(p.Effect()->numInputs, p.Effect()->numOutputs, options.block);
    else
      lanes[i].f = std::make_unique<Buffers<float>>(p.Effect()->numInputs, p.Effect()->numOutputs, options.block);
    p.Resume();
  }
  if (!routing.description.empty()) log << routing.description << "\n";
  if (first->numInputs == 0 || (first->flags & effFlagsIsSynth))
    Warn(name + ((first->flags & effFlagsIsSynth) ? " is an instrument" : " takes no audio input") +
         ": verlo-host sends it no MIDI, so it will likely render silence");

  const int outChannels = static_cast<int>(routing.outputs.size());
  if (outChannels == 0) throw HostError("the plug-in has no outputs; there is nothing to write");
  AudioWriter writer(outPath, outChannels, rate, reader.Format());
  std::unique_ptr<PngOutput> plot;
  std::unique_ptr<Envelope> inEnvelope, outEnvelope;
  if (!options.plotPath.empty()) {
    plot = std::make_unique<PngOutput>(options.plotPath);
    inEnvelope = std::make_unique<Envelope>(channels, reader.Frames());
    outEnvelope = std::make_unique<Envelope>(outChannels, reader.Frames());
  }

  std::vector<double> in(size_t(options.block) * channels), out(size_t(options.block) * outChannels);
  long long done = 0;
  {
  Progress progress(reader.Frames());
  for (;;) {
    interrupts.Check(outPath);
    const long frames = reader.Read(in.data(), options.block);
    if (frames == 0) break;
    for (int i = 0; i < routing.instances; ++i) {
      if (lanes[i].d)
        ProcessBlock(lanes[i], *lanes[i].d, options.precision, routing, i, in, channels, int(frames));
      else
        ProcessBlock(lanes[i], *lanes[i].f, options.precision, routing, i, in, channels, int(frames));
    }
    for (int c = 0; c < outChannels; ++c) {
      const Pin pin = routing.outputs[c];
      const Lane& lane = lanes[pin.instance];
      for (long i = 0; i < frames; ++i)
        out[size_t(i) * outChannels + c] = lane.d ? lane.d->out[pin.channel][i] : double(lane.f->out[pin.channel][i]);
    }
    writer.Write(out.data(), frames);
    if (plot) {
      inEnvelope->Add(in.data(), frames);
      outEnvelope->Add(out.data(), frames);
    }
    done += frames;
    progress.Update(done);
  }
  }
  interrupts.Check(outPath);
  if (plot) {
    PIX_MemBitmap picture;
    char length[64];
    std::snprintf(length, sizeof length, ", %.2f s at %d Hz", double(done) / rate, rate);
    DrawPlot(&picture, *inEnvelope, *outEnvelope, {name, BaseName(inPath) + " \xE2\x86\x92 " + BaseName(outPath) + length, rate});
    plot->Write(picture);
  }
  writer.Commit();
  if (done < reader.DeclaredFrames())
    Warn("'" + inPath + "' is cut short: its header declares " + std::to_string(reader.DeclaredFrames()) +
         " frames, it holds " + std::to_string(done) + "; those were rendered");
  log << "rendered " << Count(done, "frame") << " (" << double(done) / rate << " s, " << rate << " Hz, "
      << outChannels << (outChannels == 1 ? " channel" : " channels") << ") through " << name
      << ", blocks of " << options.block << ", " << PrecisionName(options.precision)
      << " precision, into " << outPath << " (" << writer.FormatName() << ")\n";
  if (plot) log << "plot: " << options.plotPath << " (input and output over time)\n";
}
