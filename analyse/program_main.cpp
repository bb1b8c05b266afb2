#include "analyse/program_main.h"

#include <filesystem>
#include <iostream>
#include <new>

#include <CLI/CLI.hpp>

#include "files/temporary_files.h"
#include "multilayer/analysis.h"

namespace kestral::analyse {

int usage_error(const ProgramTerms& program, const std::string& what) {
  std::cerr << program.name << ": " << what << " (" << program.name << " --help shows the usage)\n";
  return kUsageError;
}

std::optional<int> parse_command_line(CLI::App& app, int argc, char** argv, const ProgramTerms& program) {
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& help) {
    return app.exit(help);
  } catch (const CLI::CallForVersion& version) {
    return app.exit(version);
  } catch (const CLI::ParseError& error) {
    return usage_error(program, error.what());
  }
  return std::nullopt;
}

std::string output_replacing_input(const std::string& input, const std::string& output, std::string_view kind) {
  std::error_code error;
  if (output.empty() || !std::filesystem::equivalent(input, output, error)) return {};
  return "-o " + output + " is the " + std::string(kind) + " file itself";
}

ProgramOutput::ProgramOutput(const std::string& path) : path_(path) {
  if (to_file()) files::open_or_throw(file_, path_);
}

std::ostream& ProgramOutput::stream() {
  if (to_file()) return file_.stream();
  return std::cout;
}

bool ProgramOutput::finish(const ProgramTerms& program) {
  if (to_file()) {
    files::commit_or_throw(file_, path_);
  } else if (!std::cout.flush()) {
    std::cerr << program.name << ": cannot write " << program.output << " to standard output\n";
    return false;
  }
  return true;
}

int run_program(const ProgramTerms& program, const std::string& input, const std::function<int()>& work) {
  files::remove_temporary_files_on_signals();
  try {
    return work();
  } catch (const std::bad_alloc&) {
    std::cerr << input << ": not enough memory for " << program.work << '\n';
  } catch (const multilayer::InvalidProblem& error) {
    std::cerr << input << ": " << error.what() << '\n';
  } catch (const std::exception& error) {
    std::cerr << error.what() << '\n';
  }
  return 1;
}

}  // namespace kestral::analyse
