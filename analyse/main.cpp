// kestral-analyse: the general engine on a problem file (or a legacy
// KESTRAL.in), one table of results as CSV or JSON. Exit status 0 for a
// table written, 1 for a problem or file that failed (one line on standard
// error, nothing written), 2 for a usage error.
#include <algorithm>
#include <iostream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <CLI/CLI.hpp>

#include "analyse/command_inputs.h"
#include "analyse/csv_writer.h"
#include "analyse/json_writer.h"
#include "analyse/legacy_problem.h"
#include "analyse/problem_file.h"
#include "analyse/program_main.h"
#include "analyse/progress_line.h"
#include "analyse/run_problem.h"
#include "analyse/table_digits.h"
#include "analyse/work_progress.h"
#include "format/shortest_text.h"

namespace {

using namespace kestral::analyse;
using kestral::shortest_text;

constexpr ProgramTerms kProgram{"kestral-analyse", "the analysis", "the table"};
constexpr int kMaxJobs = 256;

struct CommandLine {
  std::string input;
  std::string output;
  std::string format = "csv";
  double tolerance = 0.0;
  bool tolerance_given = false;
  int jobs = 0;
  bool legacy = false;
  TableDigits digits;
  bool digits_given = false;
  bool microstrain = false;
};

// Engine threads: as asked (or one per core), but never more than the
// cores or the points: idle threads only cost memory.
int engine_threads(int asked, std::size_t points) {
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const std::size_t wanted = asked > 0 ? static_cast<std::size_t>(asked) : cores;
  return static_cast<int>(std::max<std::size_t>(1, std::min({wanted, std::size_t{cores}, points})));
}

int run(const CommandLine& command) {
  Problem problem = command.legacy ? read_legacy_problem(command.input) : read_command_problem(command.input);
  for (const std::string& note : problem.notes) std::cerr << note << '\n';
  RunSettings settings;
  settings.threads = engine_threads(command.jobs, problem.points.size());
  if (command.tolerance_given) {
    settings.tolerance = command.tolerance;
    problem.echo["tolerance"] = command.tolerance;
  }
  ProgramOutput output(command.output);

  // Shown on a terminal by the work done, whatever the number of points: a
  // few far points over thin layers may take longer than a large grid.
  WorkProgress progress(ProgressLine::terminal_for(problem.points.size(), 0), problem.points.size());
  settings.work = progress.counter();
  ResultTable table = analyse_to_table(problem, settings);
  progress.finish();
  if (command.microstrain) strains_in_microstrain(table);

  if (command.format == "json") {
    write_json(problem.echo, table, output.stream(), command.digits_given ? command.digits : TableDigits{});
  } else {
    TableDigits digits = command.digits;
    if (!command.digits_given) digits.mode = TableDigits::Mode::kEstimate;
    write_csv(table, output.stream(), digits);
  }
  return output.finish(kProgram) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"The general layered-elastic engine on a problem file: one table of stresses,\n"
               "displacements and strains (with error estimates) at every point.",
               "kestral-analyse"};
  app.footer(kUsageFooter);
  app.set_version_flag("--version", "kestral-analyse " KESTRAL_VERSION);
  CommandLine command;
  std::string digits_text;
  std::string strain_unit = "strain";
  app.add_option("FILE", command.input,
                 "problem file (JSON; - reads standard input), or a KESTRAL.in with --legacy")
      ->required();
  app.add_option("-o", command.output, "write the table to FILE (replaced whole or not at all), not standard output")
      ->option_text("FILE");
  app.add_option("--format", command.format, "csv (the default) or json")
      ->check(CLI::IsMember({"csv", "json"}))
      ->option_text("csv|json");
  auto* tolerance = app.add_option("--tolerance", command.tolerance,
                                   "relative accuracy asked of the engine, above 1e-14 and at most 0.01 (replaces the file's)");
  auto* jobs = app.add_option("-j", command.jobs,
                              "threads, 1 to 256 (default: one per core; never more than the cores or the points)")
                   ->option_text("N");
  auto* digits = app.add_option("--digits", digits_text,
                                "significant digits of the results, 1 to 17, or all (every bit); default: CSV "
                                "rounds each result at its error estimate, JSON keeps every bit")
                     ->option_text("N|all");
  app.add_option("--strain-unit", strain_unit, "strain (the default) or microstrain")
      ->check(CLI::IsMember({"strain", "microstrain"}))
      ->option_text("strain|microstrain");
  app.add_flag("--legacy", command.legacy, "FILE is a legacy KESTRAL.in (with gauss.qua beside it)");
  if (const std::optional<int> status = parse_command_line(app, argc, argv, kProgram)) return *status;
  if (tolerance->count() > 0) {
    command.tolerance_given = true;
    if (!tolerance_allowed(command.tolerance)) {
      return usage_error(kProgram, "--tolerance is " + shortest_text(command.tolerance) + ", must be " + kToleranceLimits);
    }
  }
  if (jobs->count() > 0 && (command.jobs < 1 || command.jobs > kMaxJobs)) {
    return usage_error(kProgram, "-j is " + std::to_string(command.jobs) + ", must be 1 to " + std::to_string(kMaxJobs));
  }
  if (digits->count() > 0) {
    command.digits_given = true;
    if (!parse_table_digits(digits_text, command.digits) ||
        command.digits.mode == TableDigits::Mode::kEstimate) {
      return usage_error(kProgram, "--digits is " + digits_text + ", must be 1 to " + std::to_string(kMaxTableDigits) +
                         " or all");
    }
  }
  command.microstrain = strain_unit == "microstrain";
  if (const std::string refused = refused_inputs(command.input, command.output, command.legacy); !refused.empty()) {
    return usage_error(kProgram, refused);
  }
  return run_program(kProgram, command.input, [&command] { return run(command); });
}
