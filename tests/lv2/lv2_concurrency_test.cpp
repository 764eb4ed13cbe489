// A host saving the LV2 plug-in's state while its audio thread runs it: the state call and run
// meet only under the plug-in mutex.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/lv2/lilv_host.h"

TEST(Lv2Concurrency, StateSavesWhileTheAudioThreadRuns) {
  lilvhost::World world;
  lilvhost::Instance instance(world, 44100.0, 256);
  ASSERT_TRUE(instance.Valid());
  std::atomic<bool> done{false};
  std::thread audio([&] {
    for (int block = 0; block < 2000; ++block) {
      instance.Control(1) = block % 2 ? 0.4f : 0.6f;  // the host's automation, on the audio thread
      instance.Run(256);
    }
    done = true;
  });
  size_t saves = 0, sizes = 0;
  while (!done) {
    sizes += instance.SavedChunk().size();
    ++saves;
  }
  audio.join();
  EXPECT_EQ(sizes, saves * (8 + 5 * sizeof(double)));
}
