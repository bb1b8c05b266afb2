// kestral-backcalc: the layer moduli that reproduce each falling-weight
// deflectometer bowl of a survey, one table row per drop, as CSV or JSON.
// Exit status 0 when every drop was fitted, 1 for a survey or file that
// failed (one line on standard error, nothing written) or when any drop
// failed (its row says so, a line on standard error names it), 2 for a
// usage error.
#include <iostream>
#include <optional>
#include <string>

#include <CLI/CLI.hpp>

#include "analyse/program_main.h"
#include "analyse/progress_line.h"
#include "backcalc/backcalc_table.h"
#include "backcalc/backcalculate.h"
#include "backcalc/survey_file.h"

namespace {

using namespace kestral;

constexpr analyse::ProgramTerms kProgram{"kestral-backcalc", "the backcalculation", "the table"};
// Drops above which a terminal shows the progress line.
constexpr std::size_t kProgressMinDrops = 300;

struct CommandLine {
  std::string input;
  std::string output;
  std::string format = "csv";
  int jobs = 0;
};

int run(const CommandLine& command) {
  const backcalc::Survey survey = backcalc::read_survey_file(command.input);
  // Opened before the fits, not after a long run.
  analyse::ProgramOutput output(command.output);

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
  backcalc::write_backcalc(survey, table, command.format == "json", output.stream());
  if (!output.finish(kProgram)) return 1;
  return any_failed ? 1 : 0;
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
  if (const std::optional<int> status = analyse::parse_command_line(app, argc, argv, kProgram)) return *status;
  if (jobs->count() > 0 && (command.jobs < 0 || command.jobs > 256)) {
    return analyse::usage_error(kProgram, "-j is " + std::to_string(command.jobs) + ", must be 0 (one per core) to 256");
  }
  if (const std::string refused = analyse::output_replacing_input(command.input, command.output, "survey");
      !refused.empty()) {
    return analyse::usage_error(kProgram, refused);
  }
  return analyse::run_program(kProgram, command.input, [&command] { return run(command); });
}
