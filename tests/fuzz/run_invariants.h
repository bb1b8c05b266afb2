// What every run must hold, whatever its two input files contain: shared by
// the fuzz target (tests/fuzz/run_fuzzer.cpp) and the test that replays the
// inputs that once broke it (tests/e2e/fuzz_regressions_test.cpp).
//
// An input is one byte string: the bytes before the first "%%" are
// KESTRAL.in, the bytes after it gauss.qua. Without a "%%" the whole input
// is KESTRAL.in and gauss.qua does not exist.
//
// The run, by run_analysis in a given folder over a report left by an
// earlier run, must:
//  - return 0 or 1 and let no exception escape;
//  - leave exactly one line on the error stream when it returns 1, and none
//    or one (the line that says no wheel arrangement was selected) when it
//    returns 0;
//  - show neither "nan" nor "inf", in any letter case, on the report or the
//    console (the field writers print non-finite values as "NaN" and
//    "Infinity");
//  - leave the earlier report untouched when nothing was echoed (an empty
//    console), and otherwise start the report with the six echo lines of
//    the console;
//  - read the input files without changing them, and not create a missing
//    one.
#pragma once

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>

#include "driver/run.h"

namespace kestral::fuzz {

inline constexpr std::string_view kInputSeparator = "%%";
inline constexpr std::string_view kEarlierReport = "report of an earlier run\n";

struct RunInput {
  std::string_view problem;
  bool has_gauss = false;
  std::string_view gauss;
};

inline RunInput split_run_input(std::string_view bytes) {
  const std::size_t split = bytes.find(kInputSeparator);
  if (split == std::string_view::npos) return {bytes, false, {}};
  return {bytes.substr(0, split), true, bytes.substr(split + kInputSeparator.size())};
}

namespace detail {

inline std::string read_file(const std::filesystem::path& path) {
  std::ifstream stream(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

inline bool write_file(const std::filesystem::path& path, std::string_view text) {
  std::ofstream stream(path, std::ios::binary | std::ios::trunc);
  stream.write(text.data(), static_cast<std::streamsize>(text.size()));
  return static_cast<bool>(stream.flush());
}

inline long count_lines(const std::string& text) {
  return std::count(text.begin(), text.end(), '\n');
}

inline bool shows_non_finite(const std::string& text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower.find("nan") != std::string::npos || lower.find("inf") != std::string::npos;
}

// The first `lines` lines of `text`, each with its line end.
inline std::string head_lines(const std::string& text, int lines) {
  std::size_t end = 0;
  for (int i = 0; i < lines; ++i) {
    const std::size_t next = text.find('\n', end);
    if (next == std::string::npos) return text;
    end = next + 1;
  }
  return text.substr(0, end);
}

}  // namespace detail

// Runs `input` in `folder` (which must exist) and returns "" when every
// property holds, otherwise the first one violated followed by the status,
// the error stream, the console and the report.
inline std::string check_run(const std::filesystem::path& folder, const RunInput& input) {
  using detail::read_file;
  const RunFiles files = RunFiles::in_folder(folder);
  std::error_code ignored;
  if (!detail::write_file(files.problem, input.problem)) return "cannot write KESTRAL.in";
  if (input.has_gauss) {
    if (!detail::write_file(files.gauss, input.gauss)) return "cannot write gauss.qua";
  } else {
    std::filesystem::remove(files.gauss, ignored);
  }
  if (!detail::write_file(files.report, kEarlierReport)) return "cannot write KESTRAL.out";

  std::ostringstream console;
  std::ostringstream errors;
  int status = -1;
  try {
    status = run_analysis(files, console, errors);
  } catch (const std::exception& error) {
    return std::string("an exception escaped run_analysis: ") + error.what();
  } catch (...) {
    return "an exception escaped run_analysis";
  }

  const std::string console_text = console.str();
  const std::string errors_text = errors.str();
  const std::string report = read_file(files.report);
  const auto violated = [&](const std::string& what) {
    return what + "\nstatus " + std::to_string(status) + "\n--- errors\n" + errors_text +
           "--- console\n" + console_text + "--- report\n" + report;
  };

  if (status != 0 && status != 1) return violated("status is neither 0 nor 1");
  const bool one_line = detail::count_lines(errors_text) == 1 && errors_text.back() == '\n';
  if (status == 1 && !one_line) return violated("a rejection without exactly one error line");
  if (status == 0 && !errors_text.empty() && !one_line) {
    return violated("a completed run with more than one error line");
  }
  if (detail::shows_non_finite(report)) return violated("the report shows a non-finite value");
  if (detail::shows_non_finite(console_text)) {
    return violated("the console shows a non-finite value");
  }
  if (console_text.empty()) {
    if (report != kEarlierReport) return violated("report changed although nothing was echoed");
  } else if (report.rfind(detail::head_lines(console_text, 6), 0) != 0) {
    return violated("the report does not start with the echo on the console");
  }
  if (read_file(files.problem) != input.problem) return violated("KESTRAL.in was changed");
  if (input.has_gauss ? read_file(files.gauss) != input.gauss
                      : std::filesystem::exists(files.gauss, ignored)) {
    return violated("gauss.qua was changed or created");
  }
  return {};
}

}  // namespace kestral::fuzz
