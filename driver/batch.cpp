#include "driver/batch.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <ostream>
#include <sstream>
#include <system_error>
#include <thread>

#include "driver/problem_input.h"
#include "driver/report_writer.h"

namespace kestral {
namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

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

// A result: %.9g, enough digits for any float to read back unchanged.
void append_full_precision(std::string& text, float value) {
  char buffer[32];
  const int length = std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(value));
  text.append(buffer, static_cast<std::size_t>(std::clamp(length, 0, 31)));
}

// Calls `line` with each line of `text` (without its line end); a last line
// without a line end counts as a line.
template <typename Visitor>
void for_each_line(std::string_view text, Visitor&& line) {
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos) {
      line(text);
      return;
    }
    line(text.substr(0, end));
    text.remove_prefix(end + 1);
  }
}

// h:mm:ss or m:ss; at most 999 hours, so that the conversion stays defined.
std::string clock_time(double seconds) {
  const long whole = static_cast<long>(std::clamp(seconds, 0.0, 999.0 * 3600.0) + 0.5);
  char buffer[32];
  if (whole >= 3600) {
    std::snprintf(buffer, sizeof buffer, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60,
                  whole % 60);
  } else {
    std::snprintf(buffer, sizeof buffer, "%ld:%02ld", whole / 60, whole % 60);
  }
  return buffer;
}

// Erases the line the cursor is on (a drawn progress line) on a terminal.
constexpr const char* kEraseLine = "\r\033[K";

}  // namespace

BatchArguments parse_batch_arguments(const std::vector<std::string>& arguments,
                                     unsigned hardware_threads) {
  BatchArguments parsed;
  BatchOptions& options = parsed.options;
  options.jobs = static_cast<int>(
      std::clamp<unsigned>(hardware_threads, 1u, static_cast<unsigned>(kMaxBatchJobs)));
  const auto usage_error = [&parsed](std::string reason) {
    parsed.action = BatchArguments::Action::kUsageError;
    parsed.error = std::move(reason);
    return parsed;
  };

  bool only_folders = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (only_folders || argument.size() < 2 || argument.front() != '-') {
      options.folders.push_back(argument);
      continue;
    }
    if (argument == "--") {
      only_folders = true;
      continue;
    }
    if (argument == "-h" || argument == "--help") {
      parsed.action = BatchArguments::Action::kHelp;
      return parsed;
    }

    // The option's name and its value: attached ("-j4", "--csv=FILE") or
    // the next argument.
    std::string name = argument;
    std::string value;
    bool attached = false;
    if (argument.rfind("-j", 0) == 0 && argument.size() > 2) {
      name = "-j";
      value = argument.substr(2);
      attached = true;
    } else if (const std::size_t equals = argument.find('=');
               equals != std::string::npos && argument.rfind("--", 0) == 0) {
      name = argument.substr(0, equals);
      value = argument.substr(equals + 1);
      attached = true;
    }
    if (name != "-j" && name != "--gauss" && name != "--csv") {
      return usage_error("unknown option " + argument);
    }
    if (!attached) {
      if (i + 1 == arguments.size()) {
        return usage_error(name + (name == "-j" ? " needs a number" : " needs a file name"));
      }
      value = arguments[++i];
    }
    if (name == "-j") {
      if (!parse_jobs(value, options.jobs)) {
        return usage_error("-j takes a whole number from 1 to " + std::to_string(kMaxBatchJobs) +
                           ", not '" + value + "'");
      }
    } else if (value.empty()) {
      return usage_error(name + " needs a file name");
    } else if (name == "--gauss") {
      options.shared_gauss = true;
      options.gauss = value;
    } else {
      options.csv_to_file = true;
      options.csv = value;
    }
  }
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

std::string csv_field(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string field = "\"";
  for (const char c : text) {
    if (c == '"') field += '"';
    field += c;
  }
  field += '"';
  return field;
}

std::string csv_header() {
  return "folder,Z,R,side,layer,SigmaZ,SigmaT,SigmaR,TaoRZ,DispZ,epZ,epT,epR";
}

std::string csv_rows_after_folder(const RunRecord& record) {
  std::string text;
  const int rows = std::clamp(record.rows_printed, 0, kMaxResultRows);
  for (int row = 1; row <= rows; ++row) {
    text += ',';
    text += shortest_text(record.results.at(row, kColZ));
    text += ',';
    text += shortest_text(record.results.at(row, kColR));
    text += record.kinds[row - 1] == kInterfaceRow ? ",lower," : ",upper,";
    text += std::to_string(record.layers[row - 1]);
    for (int column = kColSigmaZ; column <= kColEpR; ++column) {
      text += ',';
      append_full_precision(text, record.results.at(row, column));
    }
    text += '\n';
  }
  return text;
}

FolderOutcome run_folder(const std::string& folder, const BatchOptions& options) {
  FolderOutcome outcome;
  try {
    const std::filesystem::path path(folder);
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status) || !std::filesystem::is_directory(status)) {
      // kestral cannot be run in it; nothing is read or created there.
      outcome.failed = true;
      outcome.diagnostics = std::filesystem::exists(status) ? "not a folder\n" : "no such folder\n";
      return outcome;
    }
    RunFiles files = RunFiles::in_folder(path);
    if (options.shared_gauss) {
      files.gauss = options.gauss;
      files.gauss_name = options.gauss;
    }
    std::ostream discarded(nullptr);  // no buffer: every write is dropped
    std::ostringstream diagnostics;
    RunRecord record;
    outcome.failed = run_analysis(files, discarded, diagnostics, &record) != 0;
    outcome.diagnostics = diagnostics.str();
    if (!outcome.failed) {
      outcome.rows = record.rows_printed;
      outcome.csv_rows = csv_rows_after_folder(record);
    }
  } catch (const std::exception& exception) {
    outcome = FolderOutcome{};
    outcome.failed = true;
    outcome.diagnostics = std::string("stopped: ") + exception.what() + "\n";
  }
  return outcome;
}

std::string prefixed_lines(std::string_view folder, std::string_view diagnostics) {
  std::string text;
  for_each_line(diagnostics, [&](std::string_view line) {
    text.append(folder);
    text += ": ";
    text.append(line);
    text += '\n';
  });
  return text;
}

std::string batch_progress_line(int done, int total, double seconds) {
  constexpr int kBarWidth = 24;
  const int filled =
      total > 0 ? static_cast<int>(static_cast<long>(done) * kBarWidth / total) : kBarWidth;
  std::string line = std::to_string(done) + "/" + std::to_string(total) + " [";
  line.append(static_cast<std::size_t>(filled), '#');
  line.append(static_cast<std::size_t>(kBarWidth - filled), '.');
  line += "] ";
  if (done > 0 && seconds > 0.0) {
    const double rate = done / seconds;
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%.1f folders/s, ", rate);
    line += buffer;
    line += clock_time((total - done) / rate);
  } else {
    line += "-- folders/s, --:--";
  }
  line += " left";
  return line;
}

std::string summary_line(const BatchSummary& summary) {
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.2f", summary.seconds);
  return "kestral-batch: " + std::to_string(summary.folders) +
         (summary.folders == 1 ? " folder run, " : " folders run, ") +
         std::to_string(summary.failed) + " failed, " + std::to_string(summary.rows) +
         (summary.rows == 1 ? " row, " : " rows, ") + seconds + " seconds";
}

BatchSummary run_batch(const BatchOptions& options, std::ostream& csv, std::ostream& errors,
                       std::ostream* progress) {
  const Clock::time_point start = Clock::now();
  const int total = static_cast<int>(options.folders.size());

  // One run per distinct folder: two spellings of one folder ("a", "./a/")
  // run once, so that no two threads write the same report at once.
  std::vector<int> run_of(options.folders.size());
  std::vector<std::string> run_folders;
  std::vector<int> uses;
  std::map<std::filesystem::path, int> run_of_identity;
  for (int i = 0; i < total; ++i) {
    std::error_code error;
    const std::filesystem::path identity = std::filesystem::canonical(options.folders[i], error);
    if (!error) {
      if (const auto found = run_of_identity.find(identity); found != run_of_identity.end()) {
        run_of[i] = found->second;
        ++uses[found->second];
        continue;
      }
      run_of_identity.emplace(identity, static_cast<int>(run_folders.size()));
    }
    run_of[i] = static_cast<int>(run_folders.size());
    run_folders.push_back(options.folders[i]);
    uses.push_back(1);
  }
  const int runs = static_cast<int>(run_folders.size());

  // Workers fill outcomes[run] and then mark it finished under the lock;
  // an outcome is never touched again, so the writer reads it unlocked.
  std::vector<FolderOutcome> outcomes(run_folders.size());
  std::vector<char> finished(run_folders.size(), 0);
  int folders_done = 0;
  std::mutex mutex;
  std::condition_variable changed;
  std::atomic<int> next_run{0};
  const auto work = [&] {
    for (;;) {
      const int run = next_run.fetch_add(1);
      if (run >= runs) return;
      FolderOutcome outcome = run_folder(run_folders[run], options);
      {
        const std::lock_guard lock(mutex);
        outcomes[run] = std::move(outcome);
        finished[run] = 1;
        folders_done += uses[run];
      }
      changed.notify_one();
    }
  };

  std::vector<std::thread> pool;
  const int threads = std::min(options.jobs, runs);
  try {
    for (int t = 0; t < threads; ++t) pool.emplace_back(work);
  } catch (const std::system_error&) {
    // Fewer threads than asked for: the ones started take every folder.
  }
  if (pool.empty()) work();

  csv << csv_header() << '\n';
  BatchSummary summary;
  summary.folders = total;
  bool drawn = false;
  Clock::time_point last_drawn = start;
  int next = 0;
  std::unique_lock lock(mutex);
  while (next < total) {
    changed.wait_for(lock, std::chrono::milliseconds(100),
                     [&] { return finished[run_of[next]] != 0; });
    int ready = next;
    while (ready < total && finished[run_of[ready]] != 0) ++ready;
    const int done = folders_done;
    lock.unlock();

    // Write the folders whose turn has come, in argument order.
    std::string messages;
    for (; next < ready; ++next) {
      const std::string& folder = options.folders[next];
      const FolderOutcome& outcome = outcomes[run_of[next]];
      const std::string field = csv_field(folder);
      for_each_line(outcome.csv_rows, [&](std::string_view line) { csv << field << line << '\n'; });
      messages += prefixed_lines(folder, outcome.diagnostics);
      summary.failed += outcome.failed ? 1 : 0;
      summary.rows += outcome.rows;
    }
    if (!messages.empty()) {
      if (progress != nullptr && drawn) *progress << kEraseLine;
      errors << messages << std::flush;
      drawn = false;
    }
    const Clock::time_point now = Clock::now();
    if (progress != nullptr &&
        (!drawn || now - last_drawn >= std::chrono::milliseconds(100) || next == total)) {
      *progress << '\r' << batch_progress_line(done, total, seconds_since(start)) << "\033[K"
                << std::flush;
      drawn = true;
      last_drawn = now;
    }
    lock.lock();
  }
  lock.unlock();
  for (std::thread& thread : pool) thread.join();
  if (progress != nullptr && drawn) *progress << kEraseLine << std::flush;
  summary.seconds = seconds_since(start);
  return summary;
}

int batch_main(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& errors,
               bool errors_is_terminal, unsigned hardware_threads) {
  const BatchArguments parsed = parse_batch_arguments(arguments, hardware_threads);
  if (parsed.action == BatchArguments::Action::kHelp) {
    out << batch_usage();
    return 0;
  }
  if (parsed.action == BatchArguments::Action::kUsageError) {
    errors << "kestral-batch: " << parsed.error << '\n' << batch_usage();
    return 2;
  }
  const BatchOptions& options = parsed.options;

  std::ofstream file;
  std::ostream* csv = &out;
  if (options.csv_to_file) {
    file.open(options.csv, std::ios::binary | std::ios::trunc);
    if (!file) {
      errors << "kestral-batch: cannot open " << options.csv << " for writing\n";
      return 2;
    }
    csv = &file;
  }

  const BatchSummary summary =
      run_batch(options, *csv, errors, errors_is_terminal ? &errors : nullptr);

  // A table that did not reach its file is a failure, not a success.
  csv->flush();
  bool written = csv->good();
  if (file.is_open()) {
    file.close();
    written = written && !file.fail();
  }
  if (!written) {
    errors << "kestral-batch: could not write the table to "
           << (options.csv_to_file ? options.csv : std::string("standard output")) << '\n';
  }
  errors << summary_line(summary) << '\n';
  return summary.failed > 0 || !written ? 1 : 0;
}

}  // namespace kestral
