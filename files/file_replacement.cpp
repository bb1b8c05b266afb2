#include "files/file_replacement.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "files/temporary_files.h"

namespace kestral::files {
namespace {

// The file a path leads to: symbolic links followed, as far as they exist.
std::filesystem::path resolved(const std::filesystem::path& target) {
  std::error_code error;
  const std::filesystem::path path = std::filesystem::weakly_canonical(target, error);
  return error ? target : path;
}

}  // namespace

void FileReplacement::fail() {
  if (error_ == 0) error_ = errno != 0 ? errno : EIO;
}

std::string FileReplacement::failure() const { return std::strerror(error_ != 0 ? error_ : EIO); }

bool FileReplacement::open(const std::filesystem::path& target) {
  discard();
  error_ = 0;
  errno = 0;
  // A special file is written under the name given: /dev/stdout leads to a
  // pipe that has no path.
  struct stat status {};
  if (::stat(target.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
    target_ = target;
    if (S_ISDIR(status.st_mode)) {
      error_ = EISDIR;
      return false;
    }
    stream_.open(target_, std::ios::binary | std::ios::out | std::ios::trunc);
    if (!stream_.is_open()) fail();
    return stream_.is_open();
  }
  target_ = resolved(target);
  std::filesystem::path folder = target_.parent_path();
  if (folder.empty()) folder = ".";
  temporary_ = create_temporary_file(folder, target_.filename().string());
  if (temporary_.empty()) {
    fail();
    if (ending_by_signal()) return false;
    // A folder that takes no new file (a writable report in a read-only
    // folder): an existing target is written in place, as it stands,
    // without the protection.
    if (!std::filesystem::exists(target_)) return false;
    errno = 0;
    stream_.open(target_, std::ios::binary | std::ios::out | std::ios::trunc);
    if (stream_.is_open()) error_ = 0;
    return stream_.is_open();
  }
  stream_.open(temporary_, std::ios::binary | std::ios::out | std::ios::trunc);
  if (!stream_.is_open()) {
    fail();
    discard();
    return false;
  }
  return true;
}

bool FileReplacement::commit() {
  if (!stream_.is_open()) {
    if (error_ == 0) error_ = EBADF;
    return false;
  }
  errno = 0;
  stream_.flush();
  bool written = stream_.good();
  stream_.close();
  written = written && !stream_.fail();
  if (!written) fail();
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
  if (written && (::chmod(temporary_.c_str(), mode) != 0 ||
                  std::rename(temporary_.c_str(), target_.c_str()) != 0)) {
    fail();
    written = false;
  }
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

void open_or_throw(FileReplacement& file, const std::filesystem::path& target) {
  if (!file.open(target)) throw FileWriteError(target.string() + ": cannot write: " + file.failure());
}

void commit_or_throw(FileReplacement& file, const std::filesystem::path& target) {
  if (!file.commit()) throw FileWriteError(target.string() + ": cannot write: " + file.failure());
}

void write_whole_file(const std::filesystem::path& target, std::string_view content) {
  FileReplacement file;
  open_or_throw(file, target);
  file.stream().write(content.data(), static_cast<std::streamsize>(content.size()));
  commit_or_throw(file, target);
}

}  // namespace kestral::files
