#pragma once
// A VST 2 plug-in's shared object, opened the way a DAW opens it: dlopen, then the entry function.
#include <string>

#include "effect/vst2/aeffect.h"

namespace vst2host {

class PluginLibrary {
public:
  using Entry = AEffect* (*)(audioMasterCallback);

  // PATH is a .so or a bundle folder holding one (Foo.vst/Foo.so, or under Contents/x86_64-linux/).
  // Never throws: when it cannot be loaded, Loaded() is false and Error() says why.
  explicit PluginLibrary(const std::string& path);
  ~PluginLibrary();
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  bool Loaded() const { return mEntry != nullptr; }
  const std::string& Error() const { return mError; }
  const std::string& Path() const { return mPath; }  // the shared object itself
  // VSTPluginMain when exported, else the older main; EntryName() says which.
  Entry EntryFunction() const { return mEntry; }
  const char* EntryName() const { return mEntryName; }
  Entry MainFunction() const { return mMain; }  // null when not exported

private:
  std::string mPath;
  std::string mError;
  void* mHandle = nullptr;
  Entry mEntry = nullptr;
  Entry mMain = nullptr;
  const char* mEntryName = "";
};

}  // namespace vst2host
