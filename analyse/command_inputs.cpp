#include "analyse/command_inputs.h"

#include <cstdio>
#include <filesystem>
#include <string_view>

#include "analyse/json_document.h"
#include "analyse/problem_file.h"
#include "analyse/program_main.h"
#include "files/input_file.h"

namespace kestral::analyse {
namespace {

constexpr const char* kStandardInput = "standard input";

std::string read_standard_input() {
  std::string text;
  char buffer[65536];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, stdin)) > 0;) {
    if (text.size() + got > kMaxProblemFileBytes) {
      throw ProblemError(std::string(kStandardInput) + ": cannot read: larger than " +
                         files::size_text(kMaxProblemFileBytes));
    }
    text.append(buffer, got);
  }
  if (std::ferror(stdin)) throw ProblemError(std::string(kStandardInput) + ": cannot read");
  return text;
}

// A legacy problem file holds numbers (and remarks after them), never a
// brace: its first character that is not blank is a digit, sign or point.
bool looks_legacy(const std::string& path) {
  std::string text;
  try {
    text = files::read_input_file(path);
  } catch (const files::InputFileError&) {
    return false;
  }
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos || text.find_first_of("{[\"") != std::string::npos) return false;
  return std::string_view("0123456789+-.").find(text[first]) != std::string_view::npos;
}

}  // namespace

Problem read_command_problem(const std::string& input) {
  if (input == "-") return read_problem(parse_json_text(read_standard_input(), kStandardInput), kStandardInput);
  try {
    return read_problem_file(input);
  } catch (const ProblemError& error) {
    const std::string message = error.what();
    if (message.find("not valid JSON") == std::string::npos || !looks_legacy(input)) throw;
    throw ProblemError(message + "; it looks like a legacy KESTRAL.in: give --legacy");
  }
}

std::string refused_inputs(const std::string& input, const std::string& output, bool legacy) {
  if (legacy && input == "-") {
    return "--legacy reads a KESTRAL.in file and the gauss.qua beside it, not standard input";
  }
  if (output.empty()) return {};
  if (input != "-") {
    if (std::string refused = output_replacing_input(input, output, "problem"); !refused.empty()) return refused;
  }
  if (legacy) {
    std::error_code error;
    const std::filesystem::path gauss = std::filesystem::path(input).parent_path() / "gauss.qua";
    if (std::filesystem::equivalent(gauss, output, error)) {
      return "-o " + output + " is the quadrature file " + gauss.string() + " of the problem";
    }
  }
  return {};
}

}  // namespace kestral::analyse
