#pragma once
// Outputs are written under a temporary name beside the target and renamed into place only when
// complete, so a failure never leaves a half-written file behind. A file written over keeps its
// permission bits; a symbolic link stays and the file it points to is replaced; a name that is
// one of several hard links becomes a new file, the other names keep the old content.
#include <string>
#include <vector>

class TempFile {
public:
  // Creates the temporary file next to target; throws HostError when the folder is not writable.
  explicit TempFile(const std::string& target);
  ~TempFile();  // removes the temporary file unless committed
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  int ReleaseDescriptor();  // the caller now owns (and closes) the descriptor
  const std::string& TempPath() const { return mTempPath; }
  void Commit();  // renames over the target; throws HostError on failure

private:
  std::string mName;    // as given, for messages
  std::string mTarget;  // mName with symbolic links followed
  std::string mTempPath;
  int mFd = -1;
  bool mCommitted = false;
};

void WriteFileAtomically(const std::string& path, const std::vector<unsigned char>& bytes);
std::vector<unsigned char> ReadWholeFile(const std::string& path);
