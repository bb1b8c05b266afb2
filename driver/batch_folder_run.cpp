#include "driver/batch_folder_run.h"

#include <exception>
#include <filesystem>
#include <ostream>
#include <sstream>
#include <system_error>

#include "driver/batch_csv.h"
#include "driver/run.h"
#include "driver/text_lines.h"

namespace kestral {

FolderOutcome run_folder(const std::string& folder, const BatchOptions& options) {
  FolderOutcome outcome;
  try {
    const std::filesystem::path path(folder);
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status) || !std::filesystem::is_directory(status)) {
      // kestral cannot be run in it; nothing is read or created there.
      outcome.failed = true;
      outcome.diagnostics = std::filesystem::exists(status) ? "not a folder\n" : "no such folder\n";
      return outcome;
    }
    RunFiles files = RunFiles::in_folder(path);
    if (options.shared_gauss) {
      files.gauss = options.gauss;
      files.gauss_name = options.gauss;
    }
    std::ostream discarded(nullptr);  // no buffer: every write is dropped
    std::ostringstream diagnostics;
    RunRecord record;
    outcome.failed = run_analysis(files, discarded, diagnostics, &record) != 0;
    outcome.diagnostics = diagnostics.str();
    if (!outcome.failed) {
      outcome.rows = record.rows_printed;
      outcome.csv_rows = csv_rows_after_folder(record);
    }
  } catch (const std::exception& exception) {
    outcome = FolderOutcome{};
    outcome.failed = true;
    outcome.diagnostics = std::string("stopped: ") + exception.what() + "\n";
  }
  return outcome;
}

std::string prefixed_lines(std::string_view folder, std::string_view diagnostics) {
  std::string text;
  for_each_line(diagnostics, [&](std::string_view line) {
    text.append(folder);
    text += ": ";
    text.append(line);
    text += '\n';
  });
  return text;
}

}  // namespace kestral
