#include "driver/batch_command_line.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <string_view>
#include <system_error>

namespace kestral {
namespace {

// A whole number from 1 to kMaxBatchJobs, digits only (no sign, no blanks).
bool parse_jobs(std::string_view text, int& jobs) {
  if (text.empty() || text.front() < '0' || text.front() > '9') return false;
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return false;
  if (value < 1 || value > kMaxBatchJobs) return false;
  jobs = value;
  return true;
}

BatchArguments usage_error(std::string reason) {
  BatchArguments parsed;
  parsed.error = std::move(reason);
  return parsed;
}

std::string needs_value(const std::string& option) {
  return option + (option == "-j" ? " needs a number" : " needs a file name");
}

}  // namespace

BatchArguments parse_batch_arguments(const std::vector<std::string>& arguments,
                                     unsigned hardware_threads) {
  // An attached empty value ("--csv=") would make CLI11 take the next
  // argument as the file: refuse it first, as an option without its value.
  for (const std::string& argument : arguments) {
    if (argument == "--") break;
    if (argument == "--csv=" || argument == "--gauss=") return usage_error(needs_value(argument.substr(0, argument.size() - 1)));
  }

  CLI::App app;
  app.set_help_flag();
  app.allow_extras();  // unknown options are reported below, in our words
  bool help = false;
  std::string jobs;
  std::string csv;
  std::string gauss;
  std::vector<std::string> folders;
  app.add_flag("-h,--help", help);
  app.add_option("-j", jobs)->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  CLI::Option* csv_option =
      app.add_option("--csv", csv)->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  CLI::Option* gauss_option =
      app.add_option("--gauss", gauss)->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app.add_option("DIR", folders);

  std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::ArgumentMismatch& error) {
    // An option at the very end lacks its value.
    const std::string& last = arguments.back();
    if (last == "-j" || last == "--csv" || last == "--gauss") return usage_error(needs_value(last));
    return usage_error(error.what());
  } catch (const CLI::ParseError& error) {
    return usage_error(error.what());
  }

  BatchArguments parsed;
  if (help) {
    parsed.action = BatchArguments::Action::kHelp;
    return parsed;
  }
  for (const std::string& extra : app.remaining()) {
    if (extra != "--") return usage_error("unknown option " + extra);
  }
  BatchOptions& options = parsed.options;
  options.jobs = static_cast<int>(
      std::clamp<unsigned>(hardware_threads, 1u, static_cast<unsigned>(kMaxBatchJobs)));
  if (app.count("-j") > 0 && !parse_jobs(jobs, options.jobs)) {
    return usage_error("-j takes a whole number from 1 to " + std::to_string(kMaxBatchJobs) +
                       ", not '" + jobs + "'");
  }
  if (csv_option->count() > 0) {
    if (csv.empty()) return usage_error(needs_value("--csv"));
    options.csv_to_file = true;
    options.csv = csv;
  }
  if (gauss_option->count() > 0) {
    if (gauss.empty()) return usage_error(needs_value("--gauss"));
    options.shared_gauss = true;
    options.gauss = gauss;
  }
  options.folders = std::move(folders);
  if (options.folders.empty()) return usage_error("no folder given");
  parsed.action = BatchArguments::Action::kRun;
  return parsed;
}

std::string batch_usage() {
  return "usage: kestral-batch [--gauss FILE] [--csv FILE] [-j N] DIR...\n"
         "Runs kestral in every DIR and gathers all result rows in one CSV table.\n"
         "Each DIR holds KESTRAL.in, and gauss.qua unless --gauss names one for all;\n"
         "DIR/KESTRAL.out is written as kestral writes it; the console stream is dropped.\n"
         "  --gauss FILE  the quadrature file of every folder\n"
         "  --csv FILE    write the table to FILE (default: standard output)\n"
         "  -j N          run N folders at a time, 1 to " +
         std::to_string(kMaxBatchJobs) +
         " (default: the number of hardware threads)\n"
         "Exit status: 0 every folder completed, 1 a folder failed, 2 nothing was run.\n";
}

}  // namespace kestral
