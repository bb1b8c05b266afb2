// kestral-design: the design check of a section under a traffic spectrum
// over seasons, and the thickness a layer needs. Exit status 0 for a report
// written (whatever its verdict), 1 for a problem or file that failed (one
// line on standard error, nothing written), 2 for a usage error.
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

#include <CLI/CLI.hpp>

#include "files/file_replacement.h"
#include "files/temporary_files.h"
#include "design/design_report.h"
#include "design/problem_reader.h"

namespace {

using namespace kestral::design;

constexpr int kUsageError = 2;

struct CommandLine {
  std::string input;
  std::string output;
  std::string format;  // empty: text on standard output, csv into -o
};

int usage_error(const std::string& what) {
  std::cerr << "kestral-design: " << what << " (kestral-design --help shows the usage)\n";
  return kUsageError;
}

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
  try {
    DesignProblem problem = read_design_file(command.input);
    // The output is opened before the search runs, so that a file that
    // cannot be written fails at once. The one place a report file is
    // written.
    kestral::files::FileReplacement file;
    const bool to_file = !command.output.empty();
    if (to_file) kestral::files::open_or_throw(file, command.output);
    DesignReport report = run_design(std::move(problem));
    for (const std::string& note : report_notes(report)) std::cerr << note << '\n';
    const std::string format = !command.format.empty() ? command.format : to_file ? "csv" : "text";
    write_report(report, format, to_file ? file.stream() : std::cout);
    if (to_file) {
      kestral::files::commit_or_throw(file, command.output);
    } else if (!std::cout.flush()) {
      std::cerr << "kestral-design: cannot write the report to standard output\n";
      return 1;
    }
    return 0;
  } catch (const std::bad_alloc&) {
    std::cerr << command.input << ": not enough memory for the design check\n";
  } catch (const kestral::multilayer::InvalidProblem& error) {
    std::cerr << command.input << ": " << error.what() << '\n';
  } catch (const std::exception& error) {
    std::cerr << error.what() << '\n';
  }
  return 1;
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
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& help) {
    return app.exit(help);
  } catch (const CLI::CallForVersion& version) {
    return app.exit(version);
  } catch (const CLI::ParseError& error) {
    return usage_error(error.what());
  }
  // Replacing the problem by its own report would lose the problem.
  std::error_code error;
  if (!command.output.empty() && std::filesystem::equivalent(command.input, command.output, error)) {
    return usage_error("-o " + command.output + " is the problem file itself");
  }
  kestral::files::remove_temporary_files_on_signals();
  return run(command);
}
