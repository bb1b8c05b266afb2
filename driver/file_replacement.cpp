#include "driver/file_replacement.h"

#include <sys/stat.h>

#include <cstdio>

#include "driver/temporary_files.h"

namespace kestral {
namespace {

// The file a path leads to: symbolic links followed, as far as they exist.
std::filesystem::path resolved(const std::filesystem::path& target) {
  std::error_code error;
  const std::filesystem::path path = std::filesystem::weakly_canonical(target, error);
  return error ? target : path;
}

}  // namespace

bool FileReplacement::open(const std::filesystem::path& target) {
  discard();
  // A special file is written under the name given: /dev/stdout leads to a
  // pipe that has no path.
  struct stat status {};
  if (::stat(target.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
    target_ = target;
    stream_.open(target_, std::ios::binary | std::ios::out | std::ios::trunc);
    return stream_.is_open();
  }
  target_ = resolved(target);
  std::filesystem::path folder = target_.parent_path();
  if (folder.empty()) folder = ".";
  temporary_ = create_temporary_file(folder, target_.filename().string());
  if (temporary_.empty()) {
    if (ending_by_signal()) return false;
    // A folder that takes no new file (a writable report in a read-only
    // folder): written in place, as it stands, without the protection.
    stream_.open(target_, std::ios::binary | std::ios::out | std::ios::trunc);
    return stream_.is_open();
  }
  stream_.open(temporary_, std::ios::binary | std::ios::out | std::ios::trunc);
  if (!stream_.is_open()) {
    discard();
    return false;
  }
  return true;
}

bool FileReplacement::commit() {
  if (!stream_.is_open()) return false;
  stream_.flush();
  bool written = stream_.good();
  stream_.close();
  written = written && !stream_.fail();
  if (temporary_.empty()) return written;  // written directly

  // The old file's permission bits; mkstemp made the new one 0600.
  struct stat status {};
  mode_t mode = 0644;
  if (::stat(target_.c_str(), &status) == 0) {
    mode = status.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode &= static_cast<mode_t>(~mask);
  }
  written = written && ::chmod(temporary_.c_str(), mode) == 0 &&
            std::rename(temporary_.c_str(), target_.c_str()) == 0;
  if (!written) {
    discard();
    return false;
  }
  forget_temporary_file(temporary_);
  temporary_.clear();
  return true;
}

void FileReplacement::discard() {
  if (stream_.is_open()) stream_.close();
  if (!temporary_.empty()) {
    std::remove(temporary_.c_str());
    forget_temporary_file(temporary_);
    temporary_.clear();
  }
}

}  // namespace kestral
