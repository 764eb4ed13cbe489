// What the desktop offers the editor: the address opener and dialogs found in PATH (stand-ins
// here), their answers, the folders, and the kernel version.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "platform/desktop.h"

namespace {
// A folder put first in PATH, holding stand-in programs; PATH is restored afterwards.
struct StandIns : ::testing::Test {
  std::string dir, savedPath = getenv("PATH") ? getenv("PATH") : "";
  void SetUp() override {
    dir = ::testing::TempDir() + "desktop_" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    mkdir(dir.c_str(), 0755);
    setenv("PATH", (dir + ":" + savedPath).c_str(), 1);
  }
  void TearDown() override { setenv("PATH", savedPath.c_str(), 1); }
  void Program(const char* name, const std::string& body) {
    const std::string path = dir + "/" + name;
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    chmod(path.c_str(), 0755);
  }
  std::string Read(const char* name) {
    std::ifstream in(dir + "/" + name);
    std::string line;
    std::getline(in, line);
    return line;
  }
};
}  // namespace

TEST_F(StandIns, TheOpenerRunsWithoutBeingWaitedForAndIsReaped) {
  std::remove((dir + "/opened").c_str());
  Program("xdg-open", "sleep 0.2; echo \"$1\" > '" + dir + "/opened'");
  ASSERT_TRUE(OpenWithDesktop("https://example.org/a b"));
  EXPECT_EQ(Read("opened"), "");  // still running: the call did not wait
  for (int i = 0; i < 100 && Read("opened").empty(); ++i) usleep(10000);
  EXPECT_EQ(Read("opened"), "https://example.org/a b");
  usleep(50000);
  ReapDesktopChildren();
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);  // no child left, reaped or running
  EXPECT_FALSE(OpenWithDesktop(""));
}

TEST_F(StandIns, MessageBoxesMapTheDialogsAnswers) {
  Program("zenity", "case \"$*\" in *--extra-button*) echo Cancel; exit 1;; *Yes*) exit 1;; *) exit 0;; esac");
  EXPECT_EQ(ShowDesktopMessageBox("text", "caption", 0), 1);
  EXPECT_EQ(ShowDesktopMessageBox("text", "caption", 4), 7);  // No
  EXPECT_EQ(ShowDesktopMessageBox("text", "caption", 3), 2);  // the third button, Cancel
}

TEST_F(StandIns, AFilePanelGivesThePathAndItsFolderOrNothingWhenCancelled) {
  Program("zenity", "echo /music/take 1.wav");
  KIT_String file, folder;
  folder.Set("/start");
  PromptDesktopFile(&file, kFileOpen, &folder, "wav aif");
  EXPECT_STREQ(file.Get(), "/music/take 1.wav");
  EXPECT_STREQ(folder.Get(), "/music/");
  Program("zenity", "exit 1");
  file.Set("old.wav");
  PromptDesktopFile(&file, kFileSave, &folder, "wav");
  EXPECT_STREQ(file.Get(), "");
  EXPECT_STREQ(folder.Get(), "/music/");
}

TEST(Desktop, FoldersFollowTheXdgSettingsAndTheKernelVersionIsPacked) {
  const std::string home = ::testing::TempDir() + "desktop_home";
  mkdir(home.c_str(), 0755);
  mkdir((home + "/.config").c_str(), 0755);
  std::ofstream(home + "/.config/user-dirs.dirs") << "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n";
  const std::string savedHome = getenv("HOME") ? getenv("HOME") : "";
  setenv("HOME", home.c_str(), 1);
  unsetenv("XDG_CONFIG_HOME");
  unsetenv("XDG_DATA_HOME");
  KIT_String path;
  UserDesktopPath(&path);
  EXPECT_EQ(std::string(path.Get()), home + "/Schreibtisch");
  UserMusicPath(&path);
  EXPECT_EQ(std::string(path.Get()), home + "/Music");
  ApplicationDataPath(&path, false);
  EXPECT_EQ(std::string(path.Get()), home + "/.local/share");
  HostExecutablePath(&path);
  EXPECT_NE(std::string(path.Get()).find("editor_host_tests"), std::string::npos);
  setenv("HOME", savedHome.c_str(), 1);
  utsname name;
  ASSERT_EQ(uname(&name), 0);
  int major = 0, minor = 0;
  sscanf(name.release, "%d.%d", &major, &minor);
  EXPECT_EQ(KernelVersion() >> 8, std::stoi(std::to_string(major), nullptr, 16));
  EXPECT_EQ((KernelVersion() >> 4) & 0xF, minor > 15 ? 15 : minor);
}
