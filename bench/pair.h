#pragma once
// Our code side by side with a peer doing the same work. A case has Peer(), Ours(), PeerOk() and
// OursOk(). BM_Pair_* runs both in turn in every iteration and reports the best time of each and
// their ratio (ours / peer), which holds steady on a machine whose speed drifts between
// repetitions.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <limits>
#include <string>

namespace bench_pair {

template <class Case, bool Ours> void RunOne(benchmark::State& st, Case& c) {
  for (auto _ : st) {
    if (Ours)
      c.Ours();
    else
      c.Peer();
    benchmark::ClobberMemory();
  }
  if (!(Ours ? c.OursOk() : c.PeerOk())) st.SkipWithError("the work failed");
}

template <class Case> void RunPair(benchmark::State& st, Case& c) {
  using Clock = std::chrono::steady_clock;
  double peer = std::numeric_limits<double>::infinity(), ours = peer;
  for (auto _ : st) {
    const auto t0 = Clock::now();
    c.Peer();
    benchmark::ClobberMemory();
    const auto t1 = Clock::now();
    c.Ours();
    benchmark::ClobberMemory();
    const auto t2 = Clock::now();
    peer = std::min(peer, std::chrono::duration<double, std::micro>(t1 - t0).count());
    ours = std::min(ours, std::chrono::duration<double, std::micro>(t2 - t1).count());
  }
  if (!c.PeerOk() || !c.OursOk()) st.SkipWithError("the work failed");
  st.counters["peer_us"] = peer;
  st.counters["ours_us"] = ours;
  st.counters["ratio"] = ours / peer;
}

// The peer's run, ours (unless named "") and the pair, each on a fresh case.
template <class Case, class... Args>
void Register(const std::string& peerName, const std::string& oursName, const std::string& pairName, Args... args) {
  benchmark::RegisterBenchmark(peerName.c_str(), [=](benchmark::State& st) {
    Case c(args...);
    RunOne<Case, false>(st, c);
  });
  if (!oursName.empty())
    benchmark::RegisterBenchmark(oursName.c_str(), [=](benchmark::State& st) {
      Case c(args...);
      RunOne<Case, true>(st, c);
    });
  benchmark::RegisterBenchmark(pairName.c_str(), [=](benchmark::State& st) {
    Case c(args...);
    RunPair(st, c);
  });
}

}  // namespace bench_pair
