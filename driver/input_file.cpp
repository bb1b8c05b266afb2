#include "driver/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "driver/free_format_reader.h"

namespace kestral {
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

}  // namespace

std::string read_input_file(const std::filesystem::path& path, const std::string& name, int unit) {
  const std::string cannot = "cannot read file " + name + ", unit " + std::to_string(unit);
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) {
    if (errno == ENOENT) return {};
    throw InputError(cannot);
  }
  // O_NONBLOCK: a FIFO without a writer must not hang the run at its open.
  const Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.get() < 0 || ::fstat(file.get(), &status) != 0 || S_ISDIR(status.st_mode)) {
    throw InputError(cannot);
  }
  if (!S_ISREG(status.st_mode)) throw InputError(cannot + ": not a regular file");
  const std::string too_large = cannot + ": larger than 4 MiB";
  if (static_cast<unsigned long long>(status.st_size) > kMaxInputFileBytes) {
    throw InputError(too_large);
  }

  // Read to the end, never past the limit: the file may grow while it is read.
  std::string content;
  char buffer[16384];
  for (;;) {
    const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw InputError(cannot);
    if (got == 0) break;
    if (content.size() + static_cast<std::size_t>(got) > kMaxInputFileBytes) {
      throw InputError(too_large);
    }
    content.append(buffer, static_cast<std::size_t>(got));
  }
  return content;
}

}  // namespace kestral
