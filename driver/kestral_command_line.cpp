#include "driver/kestral_command_line.h"

namespace kestral {

KestralAction parse_kestral_arguments(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return KestralAction::kRun;
  if (arguments.size() == 1) {
    if (arguments[0] == "-h" || arguments[0] == "--help") return KestralAction::kHelp;
    if (arguments[0] == "--version") return KestralAction::kVersion;
  }
  return KestralAction::kUsageError;
}

std::string kestral_usage() {
  return "usage: kestral\n"
         "Layered-elastic analysis of a flexible road pavement, run in the working folder.\n"
         "Reads KESTRAL.in (the problem) and gauss.qua (the quadrature rules), writes the\n"
         "report KESTRAL.out beside them and the console stream on standard output;\n"
         "diagnostics go to standard error. Takes no arguments.\n"
         "  -h, --help   show this text\n"
         "  --version    show the version\n"
         "The file formats and every message are described in the manual, docs/kestral.md\n"
         "and docs/messages.md (installed in share/doc/kestral/docs).\n";
}

std::string kestral_version() { return std::string("kestral ") + KESTRAL_VERSION; }

int answer_kestral_arguments(const std::vector<std::string>& arguments, std::string& out,
                             std::string& errors) {
  switch (parse_kestral_arguments(arguments)) {
    case KestralAction::kRun:
      return -1;
    case KestralAction::kHelp:
      out = kestral_usage();
      return 0;
    case KestralAction::kVersion:
      out = kestral_version() + "\n";
      return 0;
    case KestralAction::kUsageError:
      break;
  }
  const std::string& first = arguments[0];
  const bool known = first == "-h" || first == "--help" || first == "--version";
  errors = "kestral: " +
           (known ? "unexpected argument '" + arguments[1] + "' after " + first
                  : "unknown argument '" + first + "'") +
           " (kestral takes no arguments; see kestral --help)\n";
  return 2;
}

}  // namespace kestral
