#include "driver/report_file.h"

#include <sys/stat.h>

#include <cstdio>

#include "driver/free_format_reader.h"

namespace kestral {

ReportFile::ReportFile(std::filesystem::path path) : path_(std::move(path)) {
  // A device or FIFO is written directly at the first record: a probe would
  // open a FIFO twice, and its reader would take the probe's close for the
  // end of the report.
  struct stat status {};
  if (::stat(path_.c_str(), &status) == 0 && !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode)) return;
  // Append mode creates a missing file and never truncates an existing one.
  std::FILE* probe = std::fopen(path_.c_str(), "a");
  if (probe == nullptr) {
    throw InputError("cannot open file " + path_.filename().string() + " for writing, unit 47");
  }
  std::fclose(probe);
}

void ReportFile::write(const std::string& record) {
  const auto cannot_write = [this] {
    failed_ = true;
    return InputError("cannot write file " + path_.filename().string() + ", unit 47");
  };
  if (failed_) throw cannot_write();
  if (!started_) {
    started_ = true;
    if (!replacement_.open(path_)) throw cannot_write();
  }
  // Each record reaches the file as it is produced.
  replacement_.stream() << record << '\n' << std::flush;
  if (!replacement_.stream()) throw cannot_write();
}

void ReportFile::flush() {
  if (!started_ || failed_) return;
  replacement_.stream().flush();
  if (!replacement_.stream()) {
    failed_ = true;
    throw InputError("cannot write file " + path_.filename().string() + ", unit 47");
  }
}

void ReportFile::finish() {
  if (failed_ || !keep_after_stop()) {
    throw InputError("cannot write file " + path_.filename().string() + ", unit 47");
  }
}

bool ReportFile::keep_after_stop() noexcept {
  if (!started_) return true;
  if (failed_) {  // already reported by the write that failed
    replacement_.discard();
    return true;
  }
  failed_ = !replacement_.commit();
  started_ = false;
  return !failed_;
}

}  // namespace kestral
