#include "files/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kestral::files {
namespace {

// Closes the descriptor on every way out.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

[[noreturn]] void refuse(InputFailure failure, int error) {
  throw InputFileError(failure, std::strerror(error));
}

[[noreturn]] void too_large(std::size_t max_bytes) {
  throw InputFileError(InputFailure::kTooLarge, "larger than " + size_text(max_bytes));
}

}  // namespace

std::string size_text(std::size_t bytes) {
  constexpr std::size_t kMiB = std::size_t{1} << 20;
  if (bytes >= kMiB && bytes % kMiB == 0) return std::to_string(bytes / kMiB) + " MiB";
  return std::to_string(bytes) + " bytes";
}

std::string read_input_file(const std::filesystem::path& path, std::size_t max_bytes) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) {
    refuse(errno == ENOENT ? InputFailure::kMissing : InputFailure::kUnreadable, errno);
  }
  // O_NONBLOCK: a FIFO without a writer must not hang the run at its open.
  const Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.get() < 0 || ::fstat(file.get(), &status) != 0) refuse(InputFailure::kUnreadable, errno);
  if (S_ISDIR(status.st_mode)) throw InputFileError(InputFailure::kUnreadable, "it is a folder");
  if (!S_ISREG(status.st_mode)) throw InputFileError(InputFailure::kNotRegular, "not a regular file");
  if (static_cast<unsigned long long>(status.st_size) > max_bytes) too_large(max_bytes);

  std::string content;
  char buffer[16384];
  for (;;) {
    const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) refuse(InputFailure::kUnreadable, errno);
    if (got == 0) break;
    if (content.size() + static_cast<std::size_t>(got) > max_bytes) too_large(max_bytes);
    content.append(buffer, static_cast<std::size_t>(got));
  }
  return content;
}

}  // namespace kestral::files
