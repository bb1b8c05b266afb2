#include "driver/batch_program.h"

#include <ostream>

#include "driver/batch_command_line.h"
#include "driver/batch_pool.h"
#include "driver/batch_progress.h"
#include "driver/batch_table_target.h"
#include "files/file_replacement.h"

namespace kestral {

int batch_main(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& errors,
               bool errors_is_terminal, unsigned hardware_threads) {
  const BatchArguments parsed = parse_batch_arguments(arguments, hardware_threads);
  if (parsed.action == BatchArguments::Action::kHelp) {
    out << batch_usage();
    return 0;
  }
  if (parsed.action == BatchArguments::Action::kUsageError) {
    errors << "kestral-batch: " << parsed.error << '\n' << batch_usage();
    return 2;
  }
  const BatchOptions& options = parsed.options;
  if (const std::string collision = table_collision(options); !collision.empty()) {
    errors << "kestral-batch: " << collision << "; name another --csv file\n";
    return 2;
  }

  files::FileReplacement file;
  std::ostream* csv = &out;
  if (options.csv_to_file) {
    if (!file.open(options.csv)) {
      errors << "kestral-batch: cannot open " << options.csv << " for writing\n";
      return 2;
    }
    csv = &file.stream();
  }

  const BatchSummary summary =
      run_batch(options, *csv, errors, errors_is_terminal ? &errors : nullptr);

  // A table that did not reach its file is a failure, not a success.
  bool written = true;
  if (options.csv_to_file) {
    written = file.commit();
  } else {
    csv->flush();
    written = csv->good();
  }
  if (!written) {
    errors << "kestral-batch: could not write the table to "
           << (options.csv_to_file ? options.csv : std::string("standard output")) << '\n';
  }
  errors << summary_line(summary) << '\n';
  return summary.failed > 0 || !written ? 1 : 0;
}

}  // namespace kestral
