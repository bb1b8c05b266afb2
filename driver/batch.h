// kestral-batch: many problem folders in one command, in parallel, with one
// CSV table of every printed result row.
//
// Each folder is run by run_analysis, the engine of kestral itself, so its
// KESTRAL.out is byte for byte what kestral run in that folder writes; the
// console stream of each run is discarded. A fixed pool of worker threads
// takes folders from an atomic index; every numerical work table is per
// thread, so runs in different threads share nothing but the read-only
// inputs. The calling thread collects the outcomes and writes the CSV lines
// and the diagnostics strictly in argument order, whatever the number of
// threads and whichever folder finishes first.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "driver/run.h"

namespace kestral {

// Largest -j accepted: far more threads than any machine's cores only costs
// memory (every thread has its own work tables, about 3 MB).
inline constexpr int kMaxBatchJobs = 256;

// What the command line asks for.
struct BatchOptions {
  std::vector<std::string> folders;  // as given, in argument order
  bool shared_gauss = false;         // --gauss FILE given
  std::string gauss;                 // that FILE, as given (diagnostics name it so)
  bool csv_to_file = false;          // --csv FILE given; else standard output
  std::string csv;                   // that FILE
  int jobs = 1;                      // worker threads, 1 to kMaxBatchJobs
};

// The command line, parsed. kUsageError carries the reason in `error`.
struct BatchArguments {
  enum class Action { kRun, kHelp, kUsageError };
  Action action = Action::kUsageError;
  BatchOptions options;
  std::string error;
};

// Parses the arguments after the program name. Options may stand anywhere
// before "--" (after it every argument is a folder): --gauss FILE (or
// --gauss=FILE), --csv FILE (or --csv=FILE), -j N (or -jN), -h/--help. The
// last of a repeated option counts. Without -j, jobs is `hardware_threads`
// (at least 1, at most kMaxBatchJobs). At least one folder is required.
BatchArguments parse_batch_arguments(const std::vector<std::string>& arguments,
                                     unsigned hardware_threads);

// The usage text, several lines, ending with a line end.
std::string batch_usage();

// A CSV field as RFC 4180 quotes it: in double quotes, with every quote
// doubled, when it holds a comma, a quote, a CR or an LF; unchanged
// otherwise.
std::string csv_field(std::string_view text);

// "folder,Z,R,side,layer,SigmaZ,SigmaT,SigmaR,TaoRZ,DispZ,epZ,epT,epR".
std::string csv_header();

// The CSV lines of a run's printed rows without their leading folder field:
// each starts with the comma before Z and ends with a line end. Z and R are
// written in the shortest form that reads back as the same float (the value
// as typed in KESTRAL.in when it had at most 6 significant digits), the
// eight results with %.9g, which also reads back as the same float. `side`
// is "upper" for an ordinary row and "lower" for the row below an interface.
std::string csv_rows_after_folder(const RunRecord& record);

// The outcome of one folder.
struct FolderOutcome {
  bool failed = false;
  int rows = 0;
  std::string csv_rows;     // csv_rows_after_folder of its record
  std::string diagnostics;  // the run's lines for standard error, unprefixed
};

// Runs the problem in `folder` (its own gauss.qua, or the shared one) with
// the console stream discarded. A folder that does not exist or is not a
// folder fails with a diagnostic and no file is touched. Never throws: an
// unexpected exception becomes a failed outcome with its message.
FolderOutcome run_folder(const std::string& folder, const BatchOptions& options);

// Prefixes every line of `diagnostics` with "folder: ".
std::string prefixed_lines(std::string_view folder, std::string_view diagnostics);

// The progress line: folders done of total, a bar, the rate and the time
// left, e.g. " 37/200 [#####...] 45.2 folders/s, 0:04 left". No line end.
std::string batch_progress_line(int done, int total, double seconds);

struct BatchSummary {
  int folders = 0;
  int failed = 0;
  long rows = 0;
  double seconds = 0.0;
};

// "kestral-batch: 10 folders run, 1 failed, 40 rows, 0.21 seconds".
std::string summary_line(const BatchSummary& summary);

// Runs every folder of `options` on options.jobs threads. Writes the CSV
// header and then each folder's rows to `csv`, and each folder's prefixed
// diagnostics to `errors`, both in argument order as the folders complete in
// that order. When `progress` is given (standard error on a terminal) a
// progress line is redrawn on it in place and erased at the end. A folder
// named twice (under any spelling of its path) is run once, so that two
// threads never write the same report, and is listed under each name.
BatchSummary run_batch(const BatchOptions& options, std::ostream& csv, std::ostream& errors,
                       std::ostream* progress);

// The whole program on the arguments after its name: usage errors (status
// 2), the CSV file, run_batch, the summary line. `errors_is_terminal` enables
// the progress line. Returns the exit status: 0 when every folder completed,
// 1 when any failed or the CSV could not be written, 2 when nothing was run
// (a usage error, or a CSV file that cannot be created).
int batch_main(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& errors,
               bool errors_is_terminal, unsigned hardware_threads);

}  // namespace kestral
