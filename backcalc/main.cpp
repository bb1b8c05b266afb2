// kestral-backcalc: the layer moduli that reproduce each falling-weight
// deflectometer bowl of a survey, one table row per drop, as CSV or JSON.
// Exit status 0 when every drop was fitted, 1 for a survey or file that
// failed (one line on standard error, nothing written) or when any drop
// failed (its row says so, a line on standard error names it), 2 for a
// usage error.
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

#include <CLI/CLI.hpp>

#include "analyse/progress_line.h"
#include "backcalc/backcalc_table.h"
#include "backcalc/backcalculate.h"
#include "backcalc/survey_file.h"
#include "files/file_replacement.h"
#include "files/temporary_files.h"

namespace {

using namespace kestral;

constexpr int kUsageError = 2;
// Drops above which a terminal shows the progress line.
constexpr std::size_t kProgressMinDrops = 300;

struct CommandLine {
  std::string input;
  std::string output;
  std::string format = "csv";
  int jobs = 0;
};

int usage_error(const std::string& what) {
  std::cerr << "kestral-backcalc: " << what << " (kestral-backcalc --help shows the usage)\n";
  return kUsageError;
}

int run(const CommandLine& command) {
  try {
    const backcalc::Survey survey = backcalc::read_survey_file(command.input);
    // Opened before the fits, so that a file that cannot be written fails
    // at once, not after a long run.
    files::FileReplacement file;
    const bool to_file = !command.output.empty();
    if (to_file) files::open_or_throw(file, command.output);

    const std::size_t total = survey.drops.size();
    analyse::ProgressLine progress(analyse::ProgressLine::terminal_for(total, kProgressMinDrops), total,
                                   {"kestral-backcalc", "drops"});
    backcalc::BackcalcSettings settings;
    settings.threads = command.jobs;
    settings.progress = [&progress](std::size_t done) { progress.update(done); };
    const std::vector<backcalc::DropFit> fits = backcalc::backcalculate(survey, settings);
    progress.finish();

    bool any_failed = false;
    for (std::size_t i = 0; i < fits.size(); ++i) {
      if (fits[i].fitted) continue;
      any_failed = true;
      std::cerr << backcalc::failure_line(survey, survey.drops[i], fits[i]) << '\n';
    }
    const analyse::ResultTable table = backcalc::make_backcalc_table(survey, fits);
    std::ostream& out = to_file ? static_cast<std::ostream&>(file.stream()) : std::cout;
    backcalc::write_backcalc(survey, table, command.format == "json", out);
    if (to_file) {
      files::commit_or_throw(file, command.output);
    } else if (!std::cout.flush()) {
      std::cerr << "kestral-backcalc: cannot write the table to standard output\n";
      return 1;
    }
    return any_failed ? 1 : 0;
  } catch (const std::bad_alloc&) {
    std::cerr << command.input << ": not enough memory for the backcalculation\n";
  } catch (const std::exception& error) {
    std::cerr << error.what() << '\n';
  }
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"The layer moduli that reproduce each falling-weight deflectometer bowl of a\n"
               "survey: one row per drop, with the misfit and how well each modulus is determined.",
               "kestral-backcalc"};
  app.set_version_flag("--version", "kestral-backcalc " KESTRAL_VERSION);
  CommandLine command;
  app.add_option("FILE", command.input, "survey file (JSON)")->required();
  app.add_option("-o", command.output, "write the table to FILE (replaced whole or not at all), not standard output")
      ->option_text("FILE");
  app.add_option("--format", command.format, "csv (the default) or json")
      ->check(CLI::IsMember({"csv", "json"}))
      ->option_text("csv|json");
  auto* jobs = app.add_option("-j", command.jobs, "threads over the drops, 1 to 256 (default: one per core)")->option_text("N");
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& help) {
    return app.exit(help);
  } catch (const CLI::CallForVersion& version) {
    return app.exit(version);
  } catch (const CLI::ParseError& error) {
    return usage_error(error.what());
  }
  if (jobs->count() > 0 && (command.jobs < 0 || command.jobs > 256)) {
    return usage_error("-j is " + std::to_string(command.jobs) + ", must be 0 (one per core) to 256");
  }
  // Replacing the survey by its own table would lose the survey.
  std::error_code error;
  if (!command.output.empty() && std::filesystem::equivalent(command.input, command.output, error)) {
    return usage_error("-o " + command.output + " is the survey file itself");
  }
  // A temporary -o file never survives a signal that ends the run.
  kestral::files::remove_temporary_files_on_signals();
  return run(command);
}
