// kestral-analyse: the general engine on a problem file (or a legacy
// KESTRAL.in), one table of results as CSV or JSON. Exit status 0 for a
// table written, 1 for a problem or file that failed (one line on standard
// error, nothing written), 2 for a usage error.
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

#include <CLI/CLI.hpp>

#include "analyse/csv_writer.h"
#include "analyse/json_fields.h"
#include "analyse/json_writer.h"
#include "analyse/legacy_problem.h"
#include "analyse/problem_file.h"
#include "analyse/progress.h"
#include "analyse/replace_file.h"
#include "analyse/run_problem.h"

namespace {

using namespace kestral::analyse;

constexpr int kUsageError = 2;

struct CommandLine {
  std::string input;
  std::string output;
  std::string format = "csv";
  double tolerance = 0.0;
  bool tolerance_given = false;
  int jobs = 0;
  bool legacy = false;
};

int usage_error(const std::string& what) {
  std::cerr << "kestral-analyse: " << what << " (kestral-analyse --help shows the usage)\n";
  return kUsageError;
}

int run(const CommandLine& command) {
  try {
    Problem problem = command.legacy ? read_legacy_problem(command.input) : read_problem_file(command.input);
    for (const std::string& note : problem.notes) std::cerr << note << '\n';
    RunSettings settings;
    settings.threads = command.jobs;
    if (command.tolerance_given) {
      settings.tolerance = command.tolerance;
      problem.echo["tolerance"] = command.tolerance;
    }
    // The output is opened before the engine runs, so that a file that
    // cannot be written fails at once, not after a long analysis.
    std::optional<ReplacementFile> file;
    if (!command.output.empty()) file.emplace(command.output);

    ProgressLine progress(ProgressLine::terminal_for(problem.points.size()), problem.points.size());
    settings.progress = [&progress](std::size_t done, std::size_t) { progress.update(done); };
    const ResultTable table = analyse_to_table(problem, settings);
    progress.finish();

    std::ostream& out = file ? file->stream() : std::cout;
    if (command.format == "json") {
      write_json(problem.echo, table, out);
    } else {
      write_csv(table, out);
    }
    if (file) {
      file->commit();
    } else if (!std::cout.flush()) {
      std::cerr << "kestral-analyse: cannot write the table to standard output\n";
      return 1;
    }
    return 0;
  } catch (const std::bad_alloc&) {
    std::cerr << command.input << ": not enough memory for the analysis\n";
  } catch (const std::exception& error) {
    std::cerr << error.what() << '\n';
  }
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"The general layered-elastic engine on a problem file: one table of stresses,\n"
               "displacements and strains (with error estimates) at every point.",
               "kestral-analyse"};
  app.set_version_flag("--version", "kestral-analyse " KESTRAL_VERSION);
  CommandLine command;
  app.add_option("FILE", command.input, "problem file (JSON), or a KESTRAL.in with --legacy")->required();
  app.add_option("-o", command.output, "write the table to FILE (replaced whole or not at all), not standard output")
      ->option_text("FILE");
  app.add_option("--format", command.format, "csv (the default) or json")
      ->check(CLI::IsMember({"csv", "json"}))
      ->option_text("csv|json");
  auto* tolerance = app.add_option("--tolerance", command.tolerance,
                                   "relative accuracy asked of the engine, above 1e-14 and at most 0.01 (replaces the file's)");
  auto* jobs = app.add_option("-j", command.jobs, "threads, 1 to 256 (default: one per core)")->option_text("N");
  app.add_flag("--legacy", command.legacy, "FILE is a legacy KESTRAL.in (with gauss.qua beside it)");
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& help) {
    return app.exit(help);
  } catch (const CLI::CallForVersion& version) {
    return app.exit(version);
  } catch (const CLI::ParseError& error) {
    return usage_error(error.what());
  }
  if (tolerance->count() > 0) {
    command.tolerance_given = true;
    if (!tolerance_allowed(command.tolerance)) {
      return usage_error("--tolerance is " + number_text(command.tolerance) + ", must be " + kToleranceLimits);
    }
  }
  if (jobs->count() > 0 && (command.jobs < 1 || command.jobs > 256)) {
    return usage_error("-j is " + std::to_string(command.jobs) + ", must be 1 to 256");
  }
  // Replacing the problem by its own table would lose the problem.
  std::error_code error;
  if (!command.output.empty() && std::filesystem::equivalent(command.input, command.output, error)) {
    return usage_error("-o " + command.output + " is the problem file itself");
  }
  return run(command);
}
