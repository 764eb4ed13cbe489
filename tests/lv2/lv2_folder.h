#pragma once
// The LV2 folder the tests hand the hosts they start: SCRATCH/lv2, holding a link to the built
// bundle and nothing else.
#include <filesystem>
#include <string>
#include <system_error>

inline std::string Lv2FolderWithVerlo(const std::string& scratch) {
  const std::filesystem::path folder = std::filesystem::path(scratch) / "lv2";
  std::error_code error;  // a second call finds both made
  std::filesystem::create_directories(folder, error);
  std::filesystem::create_directory_symlink(VERLO_LV2_BUNDLE, folder / "Verlo.lv2", error);
  return folder.string();
}
