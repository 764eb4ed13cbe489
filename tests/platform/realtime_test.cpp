// The built Verlo.so's audio callbacks make no allocation and no system call but the plug-in
// mutex's futex, also while its editor is open and drawing and while automation runs. The
// audio thread of a child process runs them under a seccomp filter that traps every other
// system call, and under the allocation hook.
#include "tests/platform/daw_host.h"

#include <gtest/gtest.h>
#include <linux/audit.h>
#include <linux/futex.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <signal.h>
#include <stddef.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <ucontext.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <thread>
#include <vector>

#include "tests/support/alloc_hook.h"

namespace {
std::atomic<int> gTrapped{0};
std::atomic<int> gLastSyscall{-1};

void OnSystemCall(int, siginfo_t* info, void* context) {
  ++gTrapped;
  gLastSyscall = info->si_syscall;
  static_cast<ucontext_t*>(context)->uc_mcontext.gregs[REG_RAX] = -ENOSYS;
}

// From here on this thread may only wait on futexes (the plug-in mutex) and return from signal
// handlers; any other system call raises SIGSYS.
bool TrapSystemCallsOfThisThread() {
  struct sigaction action = {};
  action.sa_sigaction = OnSystemCall;
  action.sa_flags = SA_SIGINFO;
  if (sigaction(SIGSYS, &action, nullptr) != 0) return false;
  sock_filter filter[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 1, 0),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_TRAP),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_futex, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_rt_sigreturn, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_TRAP),
  };
  sock_fprog program = {static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
  return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

// The three process calls in blocks of varying size, from a short one to one past the block size.
void ProcessBlocks(AEffect* e, int rounds) {
  static std::vector<float> in(8192, 0.25f), left(8192), right(8192);
  static std::vector<double> din(8192, 0.25), dleft(8192), dright(8192);
  float* ins[] = {in.data(), in.data()};
  float* outs[] = {left.data(), right.data()};
  double* dins[] = {din.data(), din.data()};
  double* douts[] = {dleft.data(), dright.data()};
  const int sizes[] = {1, 64, 500, 512, 2048, 8192};
  for (int i = 0; i < rounds; ++i) {
    const int n = sizes[i % 6];
    e->processReplacing(e, ins, outs, n);
    e->processDoubleReplacing(e, dins, douts, n);
    e->process(e, ins, outs, n);
  }
}

// The whole run, in the child: 0 when the audio thread made no allocation and no trapped call.
int RunInChild() {
  PluginLibrary library(VERLO_PLUGIN_PATH);
  DawHost daw(library);
  if (!daw.HasDisplay() || daw.OpenEditor() != 1) return 3;
  daw.Host().Start(44100.0f, 512);
  AEffect* e = daw.Effect();
  ProcessBlocks(e, 12);  // lazy binding and first-use set-up happen here, before measuring
  std::atomic<bool> done{false};
  std::thread automation([&] {
    for (int i = 0; !done; ++i) e->setParameter(e, i % 5, (i % 97) / 96.0f);
  });
  std::atomic<int64_t> allocations{-1};
  std::atomic<bool> trapping{false}, measured{false};
  // The filter stays with the audio thread, whose exit would need calls it may not make: once
  // measured it waits on a futex for good, and the child process ends without it.
  std::thread audio([&] {
    trapping = TrapSystemCallsOfThisThread();
    alloc_hook::Counter counter;
    ProcessBlocks(e, 600);
    allocations = counter.Allocations();
    measured = true;
    int never = 0;
    for (;;) syscall(SYS_futex, &never, FUTEX_WAIT_PRIVATE, 0, nullptr, nullptr, 0);
  });
  audio.detach();
  while (!measured) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  done = true;
  automation.join();
  fprintf(stderr, "audio thread: %d system calls trapped (last %d), %lld allocations\n", gTrapped.load(),
          gLastSyscall.load(), static_cast<long long>(allocations));
  fflush(stderr);
  _exit(!trapping ? 4 : (gTrapped == 0 && allocations == 0 ? 0 : 1));
}
}  // namespace

TEST(RealTime, AudioCallbacksCallNoKernelAndAllocateNothingWhileTheEditorDraws) {
  SKIP_WITHOUT_ALLOC_HOOK();
  const pid_t child = fork();
  if (child == 0) _exit(RunInChild());
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 3) GTEST_SKIP() << "no X display";
  EXPECT_NE(WEXITSTATUS(status), 4) << "the seccomp filter could not be installed";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "see the child's line above";
}
