// Host threads meeting in the built plug-in: audio blocks while automation, state chunks,
// programs and text queries arrive on other threads, and instances created and destroyed on
// several threads at once. Run under ThreadSanitizer (the concurrency label) this must report
// nothing.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "tests/vst2/test_host.h"

TEST(Vst2Concurrency, AutomationChunksAndProgramsWhileAudioRuns) {
  PluginLibrary library;
  ASSERT_TRUE(library.Loaded()) << library.Error();
  TestHost host(library);
  host.Start();
  AEffect* e = host.Effect();
  std::atomic<bool> done{false};
  std::atomic<bool> finite{true};
  std::thread audio([&] {
    std::vector<float> in(1024, 0.5f), l(1024), r(1024);
    float* ins[] = {in.data(), in.data()};
    float* outs[] = {l.data(), r.data()};
    for (int i = 0; i < 3000; ++i) {
      e->processReplacing(e, ins, outs, 64 + (i * 37) % 960);
      if (!std::isfinite(l[0]) || !std::isfinite(r[0])) finite = false;
    }
    done = true;
  });
  std::thread automation([&] {
    for (int i = 0; !done; ++i) e->setParameter(e, i % 5, (i % 101) / 100.0f);
  });
  std::thread state([&] {
    for (int i = 0; !done; ++i) {
      void* chunk = nullptr;
      const VstIntPtr size = e->dispatcher(e, effGetChunk, i % 2, 0, &chunk, 0.0f);
      std::vector<char> copy(static_cast<char*>(chunk), static_cast<char*>(chunk) + (size > 0 ? size : 0));
      if (size > 0) e->dispatcher(e, effSetChunk, i % 2, size, copy.data(), 0.0f);
      e->dispatcher(e, effSetProgram, 0, 0, nullptr, 0.0f);
      char text[64];
      e->dispatcher(e, effGetParamDisplay, i % 5, 0, text, 0.0f);
      e->getParameter(e, i % 5);
    }
  });
  audio.join();
  automation.join();
  state.join();
  EXPECT_TRUE(finite);
}

TEST(Vst2Concurrency, InstancesCreatedAndDestroyedOnSeveralThreads) {
  PluginLibrary library;
  ASSERT_TRUE(library.Loaded()) << library.Error();
  std::atomic<int> made{0}, misrouted{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 10; ++i) {
        TestHost host(library);
        if (!host.Effect()) continue;
        host.Start();
        float in[64] = {}, l[64], r[64];
        float* ins[] = {in, in};
        float* outs[] = {l, r};
        host.Effect()->processReplacing(host.Effect(), ins, outs, 64);
        // Each instance asks its own host once, however many are being made at the same time.
        if (host.CallsWith(audioMasterGetProductString).size() != 1) ++misrouted;
        ++made;
      }
    });
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(made, 40);
  EXPECT_EQ(misrouted, 0);
}
