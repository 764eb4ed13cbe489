#include "stress_checks.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <sstream>
#include <thread>

#include "stress_audio.h"
#include "stress_editor.h"
#include "text.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

std::string Fixed(double x, int places) {
  std::ostringstream o;
  o.setf(std::ios::fixed);
  o.precision(places);
  o << x;
  return o.str();
}

// Ends every check: after the work a fresh instance must still render the reference exactly.
CheckResult Finish(PluginLibrary& library, const StressRun& run, bool passed, const std::string& figure) {
  const std::string differs = FreshInstanceDiffers(library, run.reference);
  if (!differs.empty()) return {false, figure + "; " + differs};
  return {passed, figure + "; a fresh instance then renders the reference exactly"};
}

// The audio thread of a host: blocks of random sizes from 1 to kStressMaxBlock frames, back to
// back, until stopped. Only this thread touches its buffers and counters until Stop joins it.
class AudioThread {
public:
  AudioThread(AEffect* effect, uint64_t seed) : mEffect(effect), mBuffers(effect) {
    mBuffers.FillNoise(seed);
    mThread = std::thread([this, seed] {
      std::mt19937_64 random(seed);
      std::uniform_int_distribution<int> frames(1, kStressMaxBlock);
      while (!mStop.load(std::memory_order_relaxed)) {
        const int n = frames(random);
        mNonFinite += mBuffers.Process(mEffect, n);
        mFrames += n;
        ++mBlocks;
      }
    });
  }
  ~AudioThread() { Stop(); }
  void Stop() {
    mStop = true;
    if (mThread.joinable()) mThread.join();
  }
  // After Stop.
  std::string Figure() const {
    return Count(mBlocks, "block") + " of 1-8192 frames (" + std::to_string(mFrames) + " frames), " +
           std::to_string(mNonFinite) + " non-finite output samples";
  }
  bool Finite() const { return mNonFinite == 0; }

private:
  AEffect* mEffect;
  StressBuffers mBuffers;
  std::atomic<bool> mStop{false};
  long long mBlocks = 0, mFrames = 0, mNonFinite = 0;
  std::thread mThread;
};

// Automation threads of a host: random values to random parameters until stopped.
class AutomationThreads {
public:
  AutomationThreads(AEffect* effect, int count, uint64_t seed) {
    for (int t = 0; t < count; ++t)
      mThreads.emplace_back([this, effect, seed, t] {
        std::mt19937_64 random(seed + 1000 + uint64_t(t));
        std::uniform_int_distribution<int> index(0, std::max(effect->numParams - 1, 0));
        std::uniform_real_distribution<float> value(0.0f, 1.0f);
        while (!mStop.load(std::memory_order_relaxed) && effect->numParams > 0) {
          effect->setParameter(effect, index(random), value(random));
          mWrites.fetch_add(1, std::memory_order_relaxed);
        }
      });
  }
  ~AutomationThreads() { Stop(); }
  void Stop() {
    mStop = true;
    for (std::thread& t : mThreads)
      if (t.joinable()) t.join();
  }
  long long Writes() const { return mWrites.load(); }

private:
  std::atomic<bool> mStop{false};
  std::atomic<long long> mWrites{0};
  std::vector<std::thread> mThreads;
};

// An instance opened for blocks up to kStressMaxBlock frames and resumed.
std::unique_ptr<PluginInstance> Playing(PluginLibrary& library, double rate = 44100.0) {
  auto plugin = std::make_unique<PluginInstance>(library, rate, kStressMaxBlock);
  plugin->Resume();
  return plugin;
}

CheckResult Reference(const StressRun& run) {
  PluginLibrary library(run.pluginPath);
  const std::vector<float> render = RenderReference(library);
  const std::string bytes(reinterpret_cast<const char*>(render.data()), render.size() * sizeof(float));
  PluginInstance probe(library, kReferenceRate, kReferenceBlock);
  const int outputs = probe.Effect()->numOutputs;
  std::string figure = std::to_string(render.size()) + " samples";
  if (IsVerlo(probe)) {
    const std::string wrong = CompareWithWorkedExample(render, outputs);
    if (!wrong.empty()) return {false, "the worked example fails: " + wrong, bytes};
    figure += ", the worked example to six places";
  }
  const std::string differs = FreshInstanceDiffers(library, render);
  if (!differs.empty()) return {false, figure + "; " + differs, bytes};
  return {true, figure + "; a second instance renders them exactly", bytes};
}

CheckResult Automation(const StressRun& run) {
  PluginLibrary library(run.pluginPath);
  auto plugin = Playing(library);
  AudioThread audio(plugin->Effect(), run.seed);
  AutomationThreads automation(plugin->Effect(), 2, run.seed);
  std::this_thread::sleep_for(std::chrono::duration<double>(run.seconds));
  automation.Stop();
  audio.Stop();
  return Finish(library, run, audio.Finite(),
                audio.Figure() + ", " + std::to_string(automation.Writes()) + " parameter writes from 2 threads");
}

CheckResult StateChunks(const StressRun& run) {
  PluginLibrary library(run.pluginPath);
  auto plugin = Playing(library);
  AEffect* e = plugin->Effect();
  AudioThread audio(e, run.seed);
  AutomationThreads automation(e, 1, run.seed);
  long long set[2] = {0, 0}, refused = 0;
  const auto start = Clock::now();
  if (!(e->flags & effFlagsProgramChunks)) {
    // Without chunks a host saves a program as its parameter values, a bank as every program's.
    std::vector<float> values(size_t(std::max(e->numParams, 0)));
    const int programs = std::max(e->numPrograms, 1);
    for (int i = 0; SecondsSince(start) < run.seconds; ++i) {
      const int bank = i % 2, current = int(plugin->Dispatch(effGetProgram));
      for (int p = bank ? 0 : current; p < (bank ? programs : current + 1); ++p) {
        if (bank) plugin->Dispatch(effSetProgram, 0, p);
        for (size_t k = 0; k < values.size(); ++k) values[k] = e->getParameter(e, int(k));
        for (size_t k = 0; k < values.size(); ++k) e->setParameter(e, int(k), values[k]);
      }
      if (bank) plugin->Dispatch(effSetProgram, 0, current);
      ++set[bank == 0];
    }
    automation.Stop();
    audio.Stop();
    return Finish(library, run, audio.Finite(),
                  std::to_string(set[1]) + " programs and " + std::to_string(set[0]) +
                      " banks got and set as parameter values (the plug-in has no chunks) while " + audio.Figure());
  }
  for (int i = 0; SecondsSince(start) < run.seconds; ++i) {
    const int bank = i % 2;
    void* chunk = nullptr;
    const VstIntPtr size = plugin->Dispatch(effGetChunk, bank == 0, 0, &chunk);
    if (size <= 0 || !chunk) {
      ++refused;
      continue;
    }
    std::vector<char> copy(static_cast<char*>(chunk), static_cast<char*>(chunk) + size);
    plugin->Dispatch(effSetChunk, bank == 0, size, copy.data());
    ++set[bank];
  }
  automation.Stop();
  audio.Stop();
  return Finish(library, run, audio.Finite() && refused == 0,
                std::to_string(set[1]) + " program and " + std::to_string(set[0]) + " bank chunks got and set, " +
                    std::to_string(refused) + " not given, while " + audio.Figure());
}

CheckResult Programs(const StressRun& run) {
  PluginLibrary library(run.pluginPath);
  auto plugin = Playing(library);
  const int programs = std::max(plugin->Effect()->numPrograms, 1);
  AudioThread audio(plugin->Effect(), run.seed);
  std::mt19937_64 random(run.seed + 7);
  std::uniform_int_distribution<int> pick(0, programs - 1);
  long long switches = 0, missed = 0;
  const auto start = Clock::now();
  while (SecondsSince(start) < run.seconds) {
    const int p = pick(random);
    plugin->Dispatch(effSetProgram, 0, p);
    missed += plugin->Dispatch(effGetProgram) != p;
    char name[256] = {};
    plugin->Dispatch(effGetProgramName, 0, 0, name);
    ++switches;
  }
  audio.Stop();
  return Finish(library, run, audio.Finite() && missed == 0,
                std::to_string(switches) + " switches among " + Count(programs, "program") + " (" +
                    std::to_string(missed) + " not taken) while " + audio.Figure());
}

CheckResult SampleRates(const StressRun& run) {
  PluginLibrary library(run.pluginPath);
  auto plugin = Playing(library);
  StressBuffers buffers(plugin->Effect());
  buffers.FillNoise(run.seed);
  std::mt19937_64 random(run.seed + 11);
  std::uniform_real_distribution<double> rates(8000.0, 384000.0);
  std::uniform_int_distribution<int> blocks(1, kStressMaxBlock);
  long long changes = 0, frames = 0, bad = 0;
  const auto start = Clock::now();
  for (int i = 0; SecondsSince(start) < run.seconds; ++i) {
    const double rate = i == 0 ? 8000.0 : i == 1 ? 384000.0 : rates(random);
    const int block = blocks(random);
    plugin->Suspend();
    plugin->Context().sampleRate = rate;
    plugin->Context().blockSize = block;
    plugin->Dispatch(effSetSampleRate, 0, 0, nullptr, float(rate));
    plugin->Dispatch(effSetBlockSize, 0, block);
    plugin->Resume();
    for (int b = 0; b < 4; ++b) {
      bad += buffers.Process(plugin->Effect(), block);
      frames += block;
    }
    ++changes;
  }
  return Finish(library, run, bad == 0,
                std::to_string(changes) + " rates from 8000 to 384000 Hz with suspend and resume, " +
                    std::to_string(frames) + " frames, " + std::to_string(bad) + " non-finite output samples");
}

CheckResult Editor(const StressRun& run) {
  PluginLibrary library(run.pluginPath);
  auto plugin = Playing(library);
  if (!(plugin->Effect()->flags & effFlagsHasEditor)) return Finish(library, run, true, "skipped: no editor");
  AudioThread audio(plugin->Effect(), run.seed);
  AutomationThreads automation(plugin->Effect(), 1, run.seed);
  EditorCycles cycles;
  std::thread gui([&] { cycles = OpenAndCloseEditor(*plugin, run.cycles); });
  gui.join();
  automation.Stop();
  audio.Stop();
  if (!cycles.display) return Finish(library, run, true, "skipped: no X display");
  return Finish(library, run, audio.Finite() && cycles.failed == 0,
                std::to_string(cycles.opened) + " opens, pumps and closes on a GUI thread (" +
                    Fixed(cycles.seconds * 1000.0 / std::max(cycles.opened, 1), 2) + " ms each, " +
                    std::to_string(cycles.failed) + " refused) while " + audio.Figure());
}

CheckResult InstanceCycles(const StressRun& run) {
  PluginLibrary library(run.pluginPath);
  const auto start = Clock::now();
  long long bad = 0;
  for (int i = 0; i < run.cycles; ++i) {
    PluginInstance plugin(library, 44100.0, kReferenceBlock);
    plugin.Resume();
    StressBuffers buffers(plugin.Effect());
    buffers.FillNoise(run.seed + uint64_t(i));
    bad += buffers.Process(plugin.Effect(), kReferenceBlock);
  }
  const double seconds = SecondsSince(start);
  return Finish(library, run, bad == 0,
                std::to_string(run.cycles) + " instances made, run and closed (" + Fixed(seconds * 1000.0 / run.cycles, 3) +
                    " ms each), " + std::to_string(bad) + " non-finite output samples");
}

CheckResult ManyInstances(const StressRun& run) {
  PluginLibrary library(run.pluginPath);
  constexpr int kInstances = 16;
  std::vector<std::unique_ptr<PluginInstance>> plugins;
  std::vector<std::unique_ptr<StressBuffers>> buffers;
  for (int i = 0; i < kInstances; ++i) {
    plugins.push_back(std::make_unique<PluginInstance>(library, kReferenceRate, kReferenceBlock));
    buffers.push_back(std::make_unique<StressBuffers>(plugins.back()->Effect()));
    PrepareReference(*plugins.back(), *buffers.back());
  }
  std::vector<std::vector<float>> renders(kInstances);
  std::vector<std::thread> threads;
  for (int i = 0; i < kInstances; ++i)
    threads.emplace_back([&, i] { renders[size_t(i)] = RenderReferenceBlocks(plugins[size_t(i)]->Effect(), *buffers[size_t(i)]); });
  for (std::thread& t : threads) t.join();
  int identical = 0;
  for (const std::vector<float>& r : renders)
    identical += r.size() == run.reference.size() &&
                 std::memcmp(r.data(), run.reference.data(), r.size() * sizeof(float)) == 0;
  plugins.clear();
  return Finish(library, run, identical == kInstances,
                std::to_string(kInstances) + " instances alive, rendering on their own threads: " +
                    std::to_string(identical) + " reproduce the reference exactly");
}

CheckResult AbnormalInput(const StressRun& run) {
  PluginLibrary library(run.pluginPath);
  auto plugin = Playing(library);
  StressBuffers buffers(plugin->Effect());
  AEffect* e = plugin->Effect();
  // Seconds of processing per input kind, timed as blocks of the reference size.
  auto timePerFrame = [&](double seconds, long long& bad) {
    long long frames = 0;
    const auto start = Clock::now();
    while (SecondsSince(start) < seconds) {
      bad += buffers.Process(e, kReferenceBlock);
      frames += kReferenceBlock;
    }
    return SecondsSince(start) / double(frames);
  };
  long long badNormal = 0, badDenormal = 0;
  buffers.FillNoise(run.seed);
  const double normal = timePerFrame(run.seconds / 3, badNormal);
  buffers.FillInputs(1e-40f);  // below the smallest normal float
  const double denormal = timePerFrame(run.seconds / 3, badDenormal);
  for (float x : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                  -std::numeric_limits<float>::infinity()}) {
    buffers.FillInputs(x);
    for (int b = 0; b < 16; ++b) buffers.Process(e, kReferenceBlock);  // no crash is all that counts
  }
  // Finite input again: within a second the output must be finite again.
  buffers.FillNoise(run.seed + 1);
  int recovered = -1;
  for (int frames = 0; frames < 44100 && recovered < 0; frames += kReferenceBlock)
    if (buffers.Process(e, kReferenceBlock) == 0) recovered = frames + kReferenceBlock;
  const bool passed = badNormal == 0 && badDenormal == 0 && recovered >= 0;
  std::string figure = "denormal input costs " + Fixed(denormal / normal, 2) + "x normal input, " +
                       std::to_string(badNormal + badDenormal) + " non-finite output samples for finite input; " +
                       "after NaN and infinite input ";
  figure += recovered >= 0 ? "finite again within " + std::to_string(recovered) + " frames"
                           : "still not finite after 44100 frames of finite input";
  return Finish(library, run, passed, figure);
}

}  // namespace

const std::vector<StressCheck>& StressChecks() {
  static const std::vector<StressCheck> kChecks = {
      {"reference render", false, Reference},
      {"automation from 2 threads", true, Automation},
      {"state chunks mid-processing", true, StateChunks},
      {"program switches", true, Programs},
      {"sample-rate changes", true, SampleRates},
      {"editor open, pump, close", false, Editor},
      {"instance cycles", false, InstanceCycles},
      {"16 instances at once", false, ManyInstances},
      {"denormal, NaN, infinite input", true, AbnormalInput},
  };
  return kChecks;
}
