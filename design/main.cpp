// kestral-design: the design check of a section under a traffic spectrum
// over seasons, and the thickness a layer needs. Exit status 0 for a report
// written (whatever its verdict), 1 for a problem or file that failed (one
// line on standard error, nothing written), 2 for a usage error.
#include <iostream>
#include <optional>
#include <string>

#include <CLI/CLI.hpp>

#include "analyse/program_main.h"
#include "design/design_report.h"
#include "design/problem_reader.h"

namespace {

using namespace kestral::design;
using kestral::analyse::ProgramOutput;
using kestral::analyse::ProgramTerms;

constexpr ProgramTerms kProgram{"kestral-design", "the design check", "the report"};

struct CommandLine {
  std::string input;
  std::string output;
  std::string format;  // empty: text on standard output, csv into -o
};

void write_report(const DesignReport& report, const std::string& format, std::ostream& out) {
  if (format == "json") {
    write_json_report(report, out);
  } else if (format == "csv") {
    write_csv_report(report, out);
  } else {
    write_text_report(report, out);
  }
}

int run(const CommandLine& command) {
  DesignProblem problem = read_design_file(command.input);
  // Opened before the search runs. The one place a report file is written.
  ProgramOutput output(command.output);
  DesignReport report = run_design(std::move(problem));
  for (const std::string& note : report_notes(report)) std::cerr << note << '\n';
  const std::string format = !command.format.empty() ? command.format : output.to_file() ? "csv" : "text";
  write_report(report, format, output.stream());
  return output.finish(kProgram) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"The design check of a pavement section: critical strains found over the plane,\n"
               "damage over a traffic spectrum and seasons, the thickness a layer needs.",
               "kestral-design"};
  app.set_version_flag("--version", "kestral-design " KESTRAL_VERSION);
  CommandLine command;
  app.add_option("FILE", command.input, "problem file (JSON)")->required();
  app.add_option("-o", command.output, "write the report to FILE (replaced whole or not at all), by default the damage table as CSV")
      ->option_text("FILE");
  app.add_option("--format", command.format, "text (the default on standard output), csv (the default with -o) or json")
      ->check(CLI::IsMember({"text", "csv", "json"}))
      ->option_text("text|csv|json");
  if (const std::optional<int> status = kestral::analyse::parse_command_line(app, argc, argv, kProgram)) return *status;
  if (const std::string refused = kestral::analyse::output_replacing_input(command.input, command.output, "problem");
      !refused.empty()) {
    return kestral::analyse::usage_error(kProgram, refused);
  }
  return kestral::analyse::run_program(kProgram, command.input, [&command] { return run(command); });
}
