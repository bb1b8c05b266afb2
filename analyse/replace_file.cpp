#include "analyse/replace_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>

namespace kestral::analyse {
namespace {

constexpr std::array kCleanedSignals{SIGINT, SIGTERM, SIGHUP};

// The temporary file the handler removes; empty when there is none. Written
// only while the signals are blocked, so the handler never sees half a path.
char g_temporary[4096] = {};
struct sigaction g_previous[kCleanedSignals.size()];

extern "C" void remove_temporary_and_reraise(int signal_number) {
  if (g_temporary[0] != '\0') ::unlink(g_temporary);
  // The default action then ends the process with this signal's status.
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

sigset_t cleaned_signals() {
  sigset_t set;
  sigemptyset(&set);
  for (int number : kCleanedSignals) sigaddset(&set, number);
  return set;
}

// Sets the handler's path with the signals blocked.
void set_temporary(const std::string& path) {
  const sigset_t set = cleaned_signals();
  sigset_t old;
  ::sigprocmask(SIG_BLOCK, &set, &old);
  const std::size_t length = std::min(path.size(), sizeof g_temporary - 1);
  std::memcpy(g_temporary, path.data(), length);
  g_temporary[length] = '\0';
  ::sigprocmask(SIG_SETMASK, &old, nullptr);
}

void install_handlers() {
  struct sigaction action {};
  action.sa_handler = remove_temporary_and_reraise;
  sigemptyset(&action.sa_mask);
  for (std::size_t i = 0; i < kCleanedSignals.size(); ++i) {
    ::sigaction(kCleanedSignals[i], &action, &g_previous[i]);
  }
}

void restore_handlers() {
  for (std::size_t i = 0; i < kCleanedSignals.size(); ++i) {
    ::sigaction(kCleanedSignals[i], &g_previous[i], nullptr);
  }
}

[[noreturn]] void cannot_write(const std::filesystem::path& target, int error) {
  throw std::runtime_error(target.string() + ": cannot write: " + std::strerror(error));
}

}  // namespace

ReplacementFile::ReplacementFile(const std::filesystem::path& target) : target_(target) {
  std::error_code error;
  if (std::filesystem::is_directory(target, error)) cannot_write(target, EISDIR);
  const std::filesystem::path folder = target.parent_path();
  std::string stem = ".";
  stem += target.filename().string();
  stem += '.';
  stem += std::to_string(::getpid());
  install_handlers();
  for (int attempt = 0;; ++attempt) {
    std::string name = stem;
    if (attempt > 0) name += '-' + std::to_string(attempt);
    name += ".tmp";
    temporary_ = folder / name;
    if (temporary_.string().size() >= sizeof g_temporary) {
      restore_handlers();
      cannot_write(target, ENAMETOOLONG);
    }
    set_temporary(temporary_.string());
    const int descriptor = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor >= 0) {
      ::close(descriptor);
      break;
    }
    const int reason = errno;
    if (reason != EEXIST || attempt >= 100) {
      set_temporary("");
      restore_handlers();
      cannot_write(target, reason);
    }
  }
  open_ = true;
  stream_.open(temporary_, std::ios::binary | std::ios::trunc);
  if (!stream_) {
    const int reason = errno;
    abandon();
    cannot_write(target, reason);
  }
}

ReplacementFile::~ReplacementFile() { abandon(); }

void ReplacementFile::abandon() {
  if (!open_) return;
  stream_.close();
  std::error_code ignored;
  std::filesystem::remove(temporary_, ignored);
  set_temporary("");
  restore_handlers();
  open_ = false;
}

void ReplacementFile::commit() {
  stream_.flush();
  if (!stream_) {
    const int reason = errno != 0 ? errno : EIO;
    abandon();
    cannot_write(target_, reason);
  }
  stream_.close();
  // The content must be on disk before the name points at it, or a crash
  // could leave an empty file under the target's name.
  const int descriptor = ::open(temporary_.c_str(), O_RDONLY | O_CLOEXEC);
  const bool synced = descriptor >= 0 && ::fsync(descriptor) == 0;
  const int sync_error = errno;
  if (descriptor >= 0) ::close(descriptor);
  if (!stream_ || !synced) {
    abandon();
    cannot_write(target_, sync_error != 0 ? sync_error : EIO);
  }
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
    const int reason = errno;
    abandon();
    cannot_write(target_, reason);
  }
  set_temporary("");
  restore_handlers();
  open_ = false;
}

}  // namespace kestral::analyse
