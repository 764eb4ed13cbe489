// The LV2 run call against the VST 2 processReplacing of the same build, both through the built
// binaries as a host calls them, on the same stereo signal at blocks of 64 and 512 frames. The
// pair's ratio is LV2 time over VST 2 time for the same frames. Each timed turn plays 4096 frames
// in blocks, so that a turn lasts long enough for the clock.
#include <cmath>
#include <memory>
#include <vector>

#include "bench/pair.h"
#include "tests/lv2/lilv_host.h"
#include "tests/vst2/test_host.h"

namespace {
constexpr int kFramesPerTurn = 4096;

class RunVsProcessReplacing {
public:
  explicit RunVsProcessReplacing(int block)
      : mBlock(block), mLv2(mWorld, 44100.0, block), mVstHost(mLibrary), mSignal(4, std::vector<float>(block)) {
    for (int i = 0; i < block; ++i) {
      mSignal[0][i] = mLv2.In(0)[i] = static_cast<float>(std::sin(i * 0.1));
      mSignal[1][i] = mLv2.In(1)[i] = static_cast<float>(std::cos(i * 0.1));
    }
    if (mVstHost.Effect()) mVstHost.Start(44100.0f, block);
  }

  void Peer() {
    float* ins[] = {mSignal[0].data(), mSignal[1].data()};
    float* outs[] = {mSignal[2].data(), mSignal[3].data()};
    AEffect* effect = mVstHost.Effect();
    for (int frames = 0; frames < kFramesPerTurn; frames += mBlock) effect->processReplacing(effect, ins, outs, mBlock);
  }
  void Ours() {
    for (int frames = 0; frames < kFramesPerTurn; frames += mBlock) mLv2.Run(mBlock);
  }
  bool PeerOk() const { return mVstHost.Effect() != nullptr; }
  bool OursOk() const { return mLv2.Valid(); }

private:
  int mBlock;
  lilvhost::World mWorld;
  lilvhost::Instance mLv2;
  PluginLibrary mLibrary;
  TestHost mVstHost;
  std::vector<std::vector<float>> mSignal;
};

const bool kRegistered = [] {
  for (int block : {64, 512}) {
    const std::string size = std::to_string(block);
    bench_pair::Register<RunVsProcessReplacing>("BM_Vst2ProcessReplacing/" + size, "BM_Lv2Run/" + size,
                                                "BM_Pair_Lv2RunVsVst2ProcessReplacing/" + size, block);
  }
  return true;
}();
}  // namespace
