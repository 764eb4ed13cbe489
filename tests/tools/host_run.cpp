#include "host_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sndfile.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace {
constexpr int kHostTimeoutSeconds = 120;

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}
}  // namespace

Audio ConstantAudio(int channels, int rate, long frames, float value) {
  Audio a;
  a.channels = channels;
  a.rate = rate;
  a.samples.assign(size_t(frames) * channels, value);
  return a;
}

void WriteAudio(const std::string& path, const Audio& audio) {
  SF_INFO info{};
  info.channels = audio.channels;
  info.samplerate = audio.rate;
  const std::string ext = path.substr(path.rfind('.') + 1);
  info.format = ext == "flac" ? SF_FORMAT_FLAC | SF_FORMAT_PCM_24 : SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
  EXPECT_EQ(sf_writef_float(f, audio.samples.data(), audio.Frames()), audio.Frames());
  sf_close(f);
}

Audio ReadAudio(const std::string& path) {
  SF_INFO info{};
  Audio a;
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  EXPECT_NE(f, nullptr) << path << ": " << sf_strerror(nullptr);
  if (!f) return a;
  a.channels = info.channels;
  a.rate = info.samplerate;
  a.samples.resize(size_t(info.frames) * info.channels);
  EXPECT_EQ(sf_readf_float(f, a.samples.data(), info.frames), info.frames);
  sf_close(f);
  return a;
}

void HostTest::SetUp() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/verlo-host-test-XXXXXX";
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  mDir = pattern;
}

void HostTest::TearDown() {
  if (!mDir.empty()) std::filesystem::remove_all(mDir);
}

std::vector<std::string> HostTest::Files() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(mDir))
    if (entry.path().filename().string().rfind(".run-", 0) != 0) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

HostResult HostTest::Run(const std::vector<std::string>& args, const std::vector<std::string>& env) {
  return Finish(Start(args, env));
}

pid_t HostTest::Start(const std::vector<std::string>& args, const std::vector<std::string>& env) {
  return StartProgram(VERLO_HOST_PATH, args, env);
}

HostResult HostTest::RunProgram(const std::string& program, const std::vector<std::string>& args,
                                const std::vector<std::string>& env) {
  return Finish(StartProgram(program, args, env));
}

pid_t HostTest::StartProgram(const std::string& program, const std::vector<std::string>& args,
                             const std::vector<std::string>& env) {
  std::vector<std::string> argvText = {program};
  argvText.insert(argvText.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argvText) argv.push_back(a.data());
  argv.push_back(nullptr);

  // The given variables replace the inherited ones of the same name.
  std::vector<std::string> envText = env;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('=') + 1);
    if (std::none_of(env.begin(), env.end(), [&](const std::string& v) { return v.rfind(name, 0) == 0; }))
      envText.push_back(entry);
  }
  std::vector<char*> envp;
  for (std::string& e : envText) envp.push_back(e.data());
  envp.push_back(nullptr);

  const std::string outPath = Path(".run-out"), errPath = Path(".run-err");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  // A test runner started in the background may ignore these; the host starts as from a terminal.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults;
  sigemptyset(&defaults);
  for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&defaults, s);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
  pid_t pid = -1;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (spawned != 0) {
    ADD_FAILURE() << "cannot start " << argv[0];
    return -1;
  }
  return pid;
}

HostResult HostTest::Finish(pid_t pid) {
  HostResult result;
  if (pid < 0) return result;
  // A host that hangs is ended, so that it fails its test instead of stopping the run.
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kHostTimeoutSeconds);
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ADD_FAILURE() << "the host did not exit within " << kHostTimeoutSeconds << " s";
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  const std::string outPath = Path(".run-out"), errPath = Path(".run-err");
  result.out = Slurp(outPath);
  result.err = Slurp(errPath);
  std::filesystem::remove(outPath);
  std::filesystem::remove(errPath);
  return result;
}

std::string FakePlugin(const std::string& kind) { return std::string(FAKE_PLUGIN_DIR) + "/fake-" + kind + ".so"; }

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
