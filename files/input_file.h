// Reading a whole input file safely: never blocking, never unbounded.
#pragma once

#include <cstddef>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace kestral::files {

// Largest input file read: a real problem or quadrature file has a few
// hundred bytes (a problem file of many points a few hundred kilobytes);
// 4 MiB leaves room for any remarks and keeps memory bounded.
inline constexpr std::size_t kMaxInputFileBytes = std::size_t{4} << 20;

// Why an input file was not read.
enum class InputFailure {
  kMissing,     // no such file
  kUnreadable,  // a folder, no permission, a read error
  kNotRegular,  // a device, FIFO or socket
  kTooLarge,    // more than kMaxInputFileBytes
};

class InputFileError : public std::runtime_error {
 public:
  InputFileError(InputFailure failure, const std::string& what)
      : std::runtime_error(what), failure_(failure) {}
  InputFailure failure() const { return failure_; }

 private:
  InputFailure failure_;
};

// The whole content of the regular file at `path`. Never blocks: the file
// is opened without waiting for a writer, and anything but a regular file
// (symbolic links followed) is refused at once; the content is read to its
// end but never past the limit (the file may grow while it is read).
// At most `max_bytes` bytes are accepted. Throws InputFileError whose what()
// is the reason alone ("not a regular file", "larger than 4 MiB", "No such
// file or directory", ...).
std::string read_input_file(const std::filesystem::path& path,
                            std::size_t max_bytes = kMaxInputFileBytes);

// A size as the messages say it: "4 MiB", "32 MiB", "1000 bytes".
std::string size_text(std::size_t bytes);

}  // namespace kestral::files
