#include "atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "error.h"

namespace {

// The file a path names once symbolic links are followed, existing or not: renaming over a link
// would replace the link instead of writing where it points.
std::string FollowLinks(const std::string& path) {
  std::string current = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    char target[4096];
    const ssize_t n = readlink(current.c_str(), target, sizeof target);
    if (n <= 0 || size_t(n) == sizeof target) return current;
    const size_t slash = current.rfind('/');
    current = target[0] == '/' || slash == std::string::npos ? std::string(target, size_t(n))
                                                             : current.substr(0, slash + 1) + std::string(target, size_t(n));
  }
  throw HostError("cannot write '" + path + "': too many levels of symbolic links");
}

}  // namespace

TempFile::TempFile(const std::string& target) : mName(target), mTarget(FollowLinks(target)) {
  const size_t slash = mTarget.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : mTarget.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? mTarget : mTarget.substr(slash + 1);
  if (base.empty()) throw HostError("cannot write '" + target + "': it names a folder");
  struct stat st;
  const bool exists = stat(mTarget.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) throw HostError("cannot write '" + target + "': it is a folder");
  std::string pattern = (slash == std::string::npos ? "" : dir) + "." + base + ".partial-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back(0);
  mFd = mkstemp(name.data());
  if (mFd < 0) throw HostError("cannot write '" + target + "': " + std::strerror(errno));
  mTempPath = name.data();
  // mkstemp makes the file private; give it the permissions of the file it replaces, else those
  // a plain create would.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(mFd, exists ? st.st_mode & 07777 : 0666 & ~mask);
}

TempFile::~TempFile() {
  if (mFd >= 0) close(mFd);
  if (!mCommitted) unlink(mTempPath.c_str());
}

int TempFile::ReleaseDescriptor() {
  const int fd = mFd;
  mFd = -1;
  return fd;
}

void TempFile::Commit() {
  if (mFd >= 0) {
    close(mFd);
    mFd = -1;
  }
  if (rename(mTempPath.c_str(), mTarget.c_str()) != 0)
    throw HostError("cannot write '" + mName + "': " + std::strerror(errno));
  mCommitted = true;
}

void WriteFileAtomically(const std::string& path, const std::vector<unsigned char>& bytes) {
  TempFile temp(path);
  const int fd = temp.ReleaseDescriptor();
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int err = errno;
      close(fd);
      throw HostError("cannot write '" + path + "': " + std::strerror(err));
    }
    done += static_cast<size_t>(n);
  }
  if (close(fd) != 0) throw HostError("cannot write '" + path + "': " + std::strerror(errno));
  temp.Commit();
}

std::vector<unsigned char> ReadWholeFile(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) throw HostError("cannot read '" + path + "': it is a folder");
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) throw HostError("cannot read '" + path + "': " + std::strerror(errno));
  std::vector<unsigned char> bytes;
  unsigned char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
  const bool failed = std::ferror(f);
  std::fclose(f);
  if (failed) throw HostError("cannot read '" + path + "': read error");
  return bytes;
}
