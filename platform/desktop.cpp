#include "platform/desktop.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "kit/bundle.h"

extern char** environ;

namespace {
// Children we started and do not wait for; reaped without blocking.
std::mutex gChildrenMutex;
std::vector<pid_t> gChildren;

// Starts argv[0] from PATH with stdin from /dev/null; its standard output goes to outFd when
// given, else to /dev/null. 0 when it cannot be started.
pid_t Spawn(const std::vector<std::string>& args, int outFd = -1) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (outFd >= 0)
    posix_spawn_file_actions_adddup2(&actions, outFd, 1);
  else
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return failed ? 0 : pid;
}

bool InPath(const char* program) {
  const char* path = getenv("PATH");
  if (!path) return false;
  std::string dirs = path;
  size_t start = 0;
  while (start <= dirs.size()) {
    const size_t end = dirs.find(':', start);
    const std::string dir = dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
    const std::string candidate = (dir.empty() ? "." : dir) + "/" + program;
    if (access(candidate.c_str(), X_OK) == 0) return true;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return false;
}

// Runs a dialog program to its end: its exit status and what it printed (one line, newline cut).
bool RunDialog(const std::vector<std::string>& args, int* status, std::string* printed) {
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return false;
  const pid_t pid = Spawn(args, pipeFds[1]);
  close(pipeFds[1]);
  if (!pid) {
    close(pipeFds[0]);
    return false;
  }
  char buffer[4096];
  ssize_t n;
  while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0) printed->append(buffer, static_cast<size_t>(n));
  close(pipeFds[0]);
  int raw = 0;
  while (waitpid(pid, &raw, 0) < 0 && errno == EINTR) {
  }
  while (!printed->empty() && (printed->back() == '\n' || printed->back() == '\r')) printed->pop_back();
  *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return WIFEXITED(raw);
}

std::string Home() {
  const char* home = getenv("HOME");
  return home ? home : "";
}

// XDG_<name>_DIR from the user's user-dirs.dirs, with $HOME expanded; empty when not set there.
std::string XdgUserDir(const char* name) {
  const char* config = getenv("XDG_CONFIG_HOME");
  const std::string file = (config && config[0] ? std::string(config) : Home() + "/.config") + "/user-dirs.dirs";
  FILE* f = fopen(file.c_str(), "r");
  if (!f) return "";
  const std::string key = std::string("XDG_") + name + "_DIR=\"";
  std::string found;
  char line[4096];
  while (fgets(line, sizeof line, f)) {
    if (strncmp(line, key.c_str(), key.size()) != 0) continue;
    std::string value = line + key.size();
    const size_t quote = value.find('"');
    if (quote != std::string::npos) value.resize(quote);
    if (value.compare(0, 5, "$HOME") == 0) value = Home() + value.substr(5);
    found = value;
  }
  fclose(f);
  return found;
}
}  // namespace

bool OpenWithDesktop(const char* url) {
  if (!url || !url[0]) return false;
  const pid_t pid = Spawn({"xdg-open", url});
  if (!pid) return false;
  std::lock_guard<std::mutex> lock(gChildrenMutex);
  gChildren.push_back(pid);
  return true;
}

void ReapDesktopChildren() {
  std::lock_guard<std::mutex> lock(gChildrenMutex);
  for (size_t i = 0; i < gChildren.size();) {
    if (waitpid(gChildren[i], nullptr, WNOHANG) != 0) {
      gChildren.erase(gChildren.begin() + static_cast<long>(i));
    } else {
      ++i;
    }
  }
}

int ShowDesktopMessageBox(const char* text, const char* caption, int type) {
  const std::string message = text ? text : "", title = caption ? caption : "";
  std::vector<std::string> args;
  int status = -1;
  std::string printed;
  if (InPath("zenity")) {
    // zenity answers with its exit status: 0 for the OK or Yes button, 1 for the other one; a
    // third button prints its label.
    args = {"zenity", "--title=" + title, "--text=" + message};
    if (type == 1) args.insert(args.end(), {"--question", "--ok-label=OK", "--cancel-label=Cancel"});
    else if (type == 3) args.insert(args.end(), {"--question", "--ok-label=Yes", "--cancel-label=No",
                                                 "--extra-button=Cancel"});
    else if (type == 4) args.insert(args.end(), {"--question", "--ok-label=Yes", "--cancel-label=No"});
    else args.push_back("--info");
    if (!RunDialog(args, &status, &printed)) return 0;
    if (printed == "Cancel") return 2;
    if (status == 0) return 1;
    return type == 1 ? 2 : (type == 3 || type == 4 ? 7 : 0);
  }
  if (InPath("kdialog")) {
    if (type == 1) args = {"kdialog", "--title", title, "--warningcontinuecancel", message};
    else if (type == 3) args = {"kdialog", "--title", title, "--yesnocancel", message};
    else if (type == 4) args = {"kdialog", "--title", title, "--yesno", message};
    else args = {"kdialog", "--title", title, "--msgbox", message};
    if (!RunDialog(args, &status, &printed)) return 0;
    if (status == 0) return 1;
    if (status == 1) return type == 1 ? 2 : (type == 3 || type == 4 ? 7 : 0);
    return status == 2 ? 2 : 0;
  }
  return 0;
}

void PromptDesktopFile(KIT_String* file, EFileAction action, KIT_String* dir, const char* extensions) {
  std::string start = file->Get();
  if (dir->GetLength() == 0) {
    const std::string desktop = XdgUserDir("DESKTOP");
    dir->Set((desktop.empty() ? Home() + "/Desktop" : desktop).c_str());
  }
  std::string folder = dir->Get();
  if (!folder.empty() && folder.back() != '/') folder += '/';
  file->Set("");
  std::vector<std::string> patterns;
  for (const char* p = extensions ? extensions : ""; *p;) {
    const char* end = strchr(p, ' ');
    const std::string ext(p, end ? static_cast<size_t>(end - p) : strlen(p));
    if (!ext.empty()) patterns.push_back("*." + ext);
    p = end ? end + 1 : p + strlen(p);
  }
  std::vector<std::string> args;
  if (InPath("zenity")) {
    args = {"zenity", "--file-selection", "--filename=" + folder + start};
    if (action == kFileSave) args.insert(args.end(), {"--save", "--confirm-overwrite"});
    if (!patterns.empty()) {
      std::string filter = "--file-filter=";
      for (const std::string& p : patterns) filter += p + " ";
      args.push_back(filter);
    }
  } else if (InPath("kdialog")) {
    std::string filter;
    for (const std::string& p : patterns) filter += (filter.empty() ? "" : " ") + p;
    args = {"kdialog", action == kFileSave ? "--getsavefilename" : "--getopenfilename", folder + start};
    if (!filter.empty()) args.push_back(filter);
  } else {
    return;  // no dialog to show: the same as a cancelled one
  }
  int status = -1;
  std::string chosen;
  if (!RunDialog(args, &status, &chosen) || status != 0 || chosen.empty()) return;
  file->Set(chosen.c_str());
  const size_t slash = chosen.rfind('/');
  if (slash != std::string::npos) dir->Set(chosen.substr(0, slash + 1).c_str());
}

void HostExecutablePath(KIT_String* path) {
  char buffer[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return;
  buffer[n] = 0;
  path->Set(buffer);
}

void FolderHoldingBundle(KIT_String* path) {
  char bundle[PATH_MAX];
  if (!KIT_GetBundlePath(bundle, sizeof bundle)) return;
  char* slash = strrchr(bundle, '/');
  if (!slash) return;
  slash[1] = 0;
  path->Set(bundle);
}

void UserDesktopPath(KIT_String* path) {
  const std::string desktop = XdgUserDir("DESKTOP");
  path->Set((desktop.empty() ? Home() + "/Desktop" : desktop).c_str());
}

void ApplicationDataPath(KIT_String* path, bool system) {
  if (system) {
    const char* dirs = getenv("XDG_DATA_DIRS");
    std::string first = dirs && dirs[0] ? dirs : "/usr/local/share";
    const size_t colon = first.find(':');
    if (colon != std::string::npos) first.resize(colon);
    path->Set(first.c_str());
    return;
  }
  const char* home = getenv("XDG_DATA_HOME");
  path->Set((home && home[0] ? std::string(home) : Home() + "/.local/share").c_str());
}

void UserMusicPath(KIT_String* path) {
  const std::string music = XdgUserDir("MUSIC");
  path->Set((music.empty() ? Home() + "/Music" : music).c_str());
}

int KernelVersion() {
  utsname name;
  if (uname(&name) != 0) return 0;
  int major = 0, minor = 0, patch = 0;
  sscanf(name.release, "%d.%d.%d", &major, &minor, &patch);
  // The major number's decimal digits read as hexadecimal ones: 6 gives 0x6, 10 gives 0x10.
  const int majorDigits = static_cast<int>(strtol(std::to_string(major < 0 ? 0 : major).c_str(), nullptr, 16));
  auto digit = [](int v) { return v < 0 ? 0 : (v > 15 ? 15 : v); };
  return (majorDigits << 8) | (digit(minor) << 4) | digit(patch);
}
