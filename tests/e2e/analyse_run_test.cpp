// Whole runs of kestral-analyse: the table on standard output and in a file,
// JSON, the command line, failures that write nothing, units, and an
// interrupted run.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <thread>

#include <nlohmann/json.hpp>

#include "tests/e2e/csv_reading.h"
#include "tests/support/program_run.h"

namespace kestral::testing {
namespace {

const std::string kAnalyse = KESTRAL_ANALYSE_EXE;

const std::string kProblem = R"({
  "note": "three layers, a dual wheel",
  "layers": [
    {"name": "asphalt", "E": 3000, "nu": 0.35, "thickness": 150},
    {"name": "base", "E": 300, "nu": 0.35, "thickness": 250, "interface_below": {"spring": 0.5}},
    {"name": "sub, grade", "E": 60, "nu": 0.40}],
  "loads": [{"x": 0, "y": 0, "load": 20000, "pressure": 0.56}, {"x": 310, "y": 0, "load": 20000, "pressure": 0.56}],
  "points": [{"x": 0, "y": 0, "z": 150}, {"x": 155, "y": 0, "z": 400, "side": "below"}],
  "grid": {"x": [0, 155], "y": [0], "z": [0, 50]}
})";

const std::string kHeader =
    "point,x_mm,y_mm,z_mm,side,layer,layer_name,sxx_MPa,syy_MPa,szz_MPa,sxy_MPa,syz_MPa,sxz_MPa,ux_mm,uy_mm,uz_mm,"
    "exx,eyy,ezz,exy,eyz,exz,s1_MPa,s2_MPa,s3_MPa,e1,e2,e3,e_h_max,stress_error_MPa,displacement_error_mm,"
    "strain_error";

std::size_t count_lines(const std::string& text) { return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')); }

std::size_t files_in(const std::filesystem::path& folder) {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
  return count;
}

TEST(AnalyseRun, TableOnStandardOutputAndInAFile) {
  ScratchFolder folder;
  write_text(folder.path() / "p.json", kProblem);
  const ProgramRun run = run_program_in(folder.path(), kAnalyse, {"p.json"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.errors, "");
  EXPECT_EQ(run.console.substr(0, run.console.find('\n')), kHeader);
  const CsvTable table = parse_csv(run.console);
  // Points first (the first on an interface: two rows; the second only its
  // lower face), then the grid in x, y, z order.
  EXPECT_EQ(table.texts("point"), (std::vector<std::string>{"1", "1", "2", "3", "4", "5", "6"}));
  EXPECT_EQ(table.texts("side"), (std::vector<std::string>{"above", "below", "below", "inside", "inside", "inside", "inside"}));
  EXPECT_EQ(table.texts("layer"), (std::vector<std::string>{"1", "2", "3", "1", "1", "1", "1"}));
  EXPECT_EQ(table.texts("layer_name")[2], "sub, grade");
  EXPECT_EQ(table.texts("x_mm"), (std::vector<std::string>{"0", "0", "155", "0", "0", "155", "155"}));
  EXPECT_EQ(table.texts("z_mm"), (std::vector<std::string>{"150", "150", "400", "0", "50", "0", "50"}));
  // Under the centre of a wheel at the surface the vertical stress is the
  // tyre pressure, exactly up to the engine's error estimate.
  const double szz = table.numbers("szz_MPa")[3];
  EXPECT_NEAR(szz, -0.56, table.numbers("stress_error_MPa")[3]);

  const ProgramRun to_file = run_program_in(folder.path(), kAnalyse, {"p.json", "-o", "table.csv"});
  EXPECT_EQ(to_file.status, 0);
  EXPECT_EQ(to_file.console, "");
  EXPECT_EQ(read_text(folder.path() / "table.csv"), run.console);
  EXPECT_EQ(files_in(folder.path()), 2u);

  // The same bits whatever the number of threads.
  EXPECT_EQ(run_program_in(folder.path(), kAnalyse, {"p.json", "-j", "2"}).console, run.console);
}

TEST(AnalyseRun, JsonHoldsTheSameColumnsAndTheProblemAsUnderstood) {
  ScratchFolder folder;
  write_text(folder.path() / "p.json", kProblem);
  const ProgramRun csv = run_program_in(folder.path(), kAnalyse, {"p.json"});
  const ProgramRun json = run_program_in(folder.path(), kAnalyse, {"p.json", "--format", "json", "--tolerance", "1e-6"});
  ASSERT_EQ(json.status, 0) << json.errors;
  const nlohmann::ordered_json document = nlohmann::ordered_json::parse(json.console);
  const auto& problem = document["problem"];
  EXPECT_EQ(problem["units"], (nlohmann::ordered_json{{"length", "mm"}, {"stress", "MPa"}, {"force", "N"}}));
  EXPECT_EQ(problem["layers"][0]["interface_below"], "bonded");
  EXPECT_EQ(problem["layers"][1]["interface_below"]["spring"], 0.5);
  EXPECT_EQ(problem["points"][0]["side"], "both");
  EXPECT_EQ(problem["grid"]["z"], (nlohmann::ordered_json{0.0, 50.0}));
  EXPECT_EQ(problem["tolerance"], 1e-6);
  EXPECT_FALSE(problem.contains("note"));

  const CsvTable table = parse_csv(csv.console);
  const auto& columns = document["columns"];
  std::vector<std::string> keys;
  for (const auto& [key, value] : columns.items()) keys.push_back(key);
  EXPECT_EQ(keys, table.header);
  // Same tolerance on the command line as in the CSV run's file: compare
  // against a CSV run at 1e-6.
  const CsvTable loose = parse_csv(run_program_in(folder.path(), kAnalyse, {"p.json", "--tolerance", "1e-6", "--digits", "all"}).console);
  for (const std::string& heading : table.header) {
    if (columns[heading][0].is_string()) {
      EXPECT_EQ(columns[heading].get<std::vector<std::string>>(), loose.texts(heading)) << heading;
    } else {
      EXPECT_EQ(columns[heading].get<std::vector<double>>(), loose.numbers(heading)) << heading;
    }
  }
}

TEST(AnalyseRun, UsageErrorsHaveStatusTwo) {
  ScratchFolder folder;
  write_text(folder.path() / "p.json", kProblem);
  const std::vector<std::vector<std::string>> cases{
      {}, {"--bogus", "p.json"}, {"p.json", "--format", "xml"}, {"p.json", "-j", "0"}, {"p.json", "-j", "x"},
      {"p.json", "--tolerance", "1"}, {"p.json", "--tolerance", "0"}, {"p.json", "other.json"}, {"p.json", "-o"},
      {"p.json", "-o", "p.json"}};
  for (const auto& arguments : cases) {
    const ProgramRun run = run_program_in(folder.path(), kAnalyse, arguments);
    EXPECT_EQ(run.status, 2) << ::testing::PrintToString(arguments);
    EXPECT_EQ(run.console, "");
    EXPECT_EQ(count_lines(run.errors), 1u) << run.errors;
    EXPECT_EQ(run.errors.rfind("kestral-analyse: ", 0), 0u) << run.errors;
  }
  EXPECT_EQ(run_program_in(folder.path(), kAnalyse, {"p.json", "--tolerance", "1"}).errors,
            "kestral-analyse: --tolerance is 1, must be above 1e-14 and at most 0.01 (kestral-analyse --help shows the usage)\n");
  EXPECT_EQ(run_program_in(folder.path(), kAnalyse, {"p.json", "-o", "./p.json"}).errors,
            "kestral-analyse: -o ./p.json is the problem file itself (kestral-analyse --help shows the usage)\n");
  EXPECT_EQ(read_text(folder.path() / "p.json"), kProblem);
  EXPECT_EQ(files_in(folder.path()), 1u);
}

TEST(AnalyseRun, HelpAndVersion) {
  ScratchFolder folder;
  const ProgramRun help = run_program_in(folder.path(), kAnalyse, {"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* option : {"-o", "--format", "--tolerance", "-j", "--legacy", "--version"}) {
    EXPECT_NE(help.console.find(option), std::string::npos) << option;
  }
  const ProgramRun version = run_program_in(folder.path(), kAnalyse, {"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.console, "kestral-analyse 1.0\n");
}

TEST(AnalyseRun, InputErrorsWriteNothing) {
  ScratchFolder folder;
  std::string bad = kProblem;
  bad.replace(bad.find("\"nu\": 0.35"), 10, "\"nu\": 0.6");
  write_text(folder.path() / "bad.json", bad);
  write_text(folder.path() / "table.csv", "old\n");
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
      {{"bad.json"}, "bad.json: layers[0].nu: is 0.6, must be 0 to 0.5\n"},
      {{"bad.json", "-o", "table.csv"}, "bad.json: layers[0].nu: is 0.6, must be 0 to 0.5\n"},
      {{"missing.json", "-o", "table.csv"}, "missing.json: cannot read: No such file or directory\n"},
      {{"bad.json", "--format", "json", "-o", "table.csv"}, "bad.json: layers[0].nu: is 0.6, must be 0 to 0.5\n"},
      // The legacy reader reads the rules first, so a missing gauss.qua is
      // reported first, as by the legacy program.
      {{"--legacy", "KESTRAL.in", "-o", "table.csv"}, "end-of-file during read, unit 27, file gauss.qua\n"},
  };
  for (const auto& [arguments, message] : cases) {
    const ProgramRun run = run_program_in(folder.path(), kAnalyse, arguments);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.errors, message);
    EXPECT_EQ(run.console, "");
    EXPECT_EQ(read_text(folder.path() / "table.csv"), "old\n");
    EXPECT_EQ(files_in(folder.path()), 2u);
  }
  write_text(folder.path() / "p.json", kProblem);
  const ProgramRun no_folder = run_program_in(folder.path(), kAnalyse, {"p.json", "-o", "no/table.csv"});
  EXPECT_EQ(no_folder.status, 1);
  EXPECT_EQ(no_folder.errors, "no/table.csv: cannot write: No such file or directory\n");
}

TEST(AnalyseRun, FullStandardOutputIsAFailure) {
  ScratchFolder folder;
  write_text(folder.path() / "p.json", kProblem);
  const auto errors = folder.path() / "errors.txt";
  const std::string command = "cd '" + folder.path().string() + "' && '" + kAnalyse + "' p.json > /dev/full 2> errors.txt";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(read_text(errors), "kestral-analyse: cannot write the table to standard output\n");
}

// The same section, loads and points in mm, MPa, N and in in, psi, lbf: the
// imperial problem is the metric one divided by the unit factors, so after
// conversion the results differ only by the roundings of the conversions,
// in and out. Measured: 2.4e-16 of the stress scale q_max, 9e-17 of
// q_max a_max / E_min, 2e-17 of q_max / E_min; the bound, 1e-12 of each
// scale, leaves room for the condition of the sums over layers and loads
// but not for an engine that chose different panels for a scaled problem
// (that would show at its tolerance, 1e-8).
TEST(AnalyseRun, ImperialUnitsGiveTheSameResults) {
  ScratchFolder folder;
  const double in = 25.4, lbf = 4.4482216152605, psi = lbf / (in * in);
  auto metric_or_imperial = [&](bool imperial) {
    const double L = imperial ? 1.0 / in : 1.0, S = imperial ? 1.0 / psi : 1.0, F = imperial ? 1.0 / lbf : 1.0;
    nlohmann::json p;
    p["units"] = imperial ? nlohmann::json{{"length", "in"}, {"stress", "psi"}, {"force", "lbf"}}
                          : nlohmann::json{{"length", "mm"}, {"stress", "MPa"}, {"force", "N"}};
    p["layers"] = {{{"E", 3000 * S}, {"nu", 0.35}, {"thickness", 150 * L}},
                   {{"E", 300 * S}, {"nu", 0.35}, {"thickness", 250 * L}, {"interface_below", {{"spring", 0.5 * S / L}}}},
                   {{"E", 60 * S}, {"nu", 0.4}}};
    p["loads"] = {{{"x", 0}, {"y", 0}, {"load", 20000 * F}, {"pressure", 0.56 * S}},
                  {{"x", 310 * L}, {"y", 20 * L}, {"radius", 90 * L}, {"pressure", 0.7 * S}}};
    p["grid"] = {{"x", {0, 155 * L, 400 * L}}, {"y", {0, 100 * L}}, {"z", {0, 75 * L, 300 * L, 600 * L}}};
    write_text(folder.path() / "p.json", p.dump());
    const ProgramRun run = run_program_in(folder.path(), kAnalyse, {"p.json", "--digits", "all"});
    EXPECT_EQ(run.status, 0) << run.errors;
    return parse_csv(run.console);
  };
  const CsvTable metric = metric_or_imperial(false);
  const CsvTable imperial = metric_or_imperial(true);
  ASSERT_EQ(metric.rows.size(), imperial.rows.size());
  EXPECT_EQ(imperial.header[1], "x_in");
  EXPECT_EQ(imperial.header[6], "sxx_psi");
  struct Kind {
    std::vector<std::string> names;
    double factor;
    double scale;  // metric
  };
  const double q_max = 0.7, a_max = std::sqrt(20000 / (M_PI * 0.56)), e_min = 60;
  const std::vector<Kind> kinds{
      {{"sxx", "syy", "szz", "sxy", "syz", "sxz", "s1", "s2", "s3"}, psi, q_max},
      {{"ux", "uy", "uz"}, in, q_max * a_max / e_min},
      {{"exx", "eyy", "ezz", "exy", "eyz", "exz", "e1", "e2", "e3", "e_h_max"}, 1.0, q_max / e_min}};
  for (const Kind& kind : kinds) {
    const std::string metric_unit = kind.factor == psi ? "_MPa" : (kind.factor == in ? "_mm" : "");
    const std::string imperial_unit = kind.factor == psi ? "_psi" : (kind.factor == in ? "_in" : "");
    for (const std::string& name : kind.names) {
      const auto a = metric.numbers(name + metric_unit);
      const auto b = imperial.numbers(name + imperial_unit);
      for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_NEAR(a[i], b[i] * kind.factor, 1e-12 * kind.scale) << name << " row " << i;
      }
    }
  }
}

// A two-layer section under one wheel with a grid of nx x ny x nz points,
// 10 mm apart across, 7 mm apart in depth from 1 mm (none on the interface).
std::string grid_problem(int nx, int ny, int nz) {
  nlohmann::json problem = nlohmann::json::parse(R"({"layers": [{"E": 3000, "nu": 0.35, "thickness": 150}, {"E": 60, "nu": 0.4}],
    "loads": [{"load": 20000, "pressure": 0.56}]})");
  auto axis = [](int count, double first, double step) {
    std::vector<double> values;
    for (int i = 0; i < count; ++i) values.push_back(first + step * i);
    return values;
  };
  problem["grid"] = {{"x", axis(nx, 0, 10)}, {"y", axis(ny, 0, 10)}, {"z", axis(nz, 1, 7)}};
  return problem.dump();
}

// More than 5000 points: a progress line on a terminal (script(1) gives the
// run one), redrawn in place and erased; nothing of it in a pipe or a file.
// A few points, far from the load over thin layers: each integrates its
// 20 000 panels (seconds of work on any machine, far more than the second
// before the line is first drawn), so the line counts panels, not points.
std::string far_points_problem() {
  std::string layers;
  for (int k = 0; k < 8; ++k) layers += R"({"E": )" + std::string(k % 2 == 0 ? "3000" : "300") + R"(, "nu": 0.35, "thickness": 0.1}, )";
  std::string points;
  for (int i = 1; i <= 6; ++i) points += std::string(i > 1 ? ", " : "") + R"({"x": )" + std::to_string(i) + R"(e5, "z": 0.05})";
  return R"({"layers": [)" + layers + R"({"E": 60, "nu": 0.4}], "loads": [{"radius": 50, "pressure": 0.7}], "points": [)" + points +
         R"(], "tolerance": 1e-10})";
}

TEST(AnalyseRun, ProgressOnlyOnATerminal) {
  ScratchFolder folder;
  write_text(folder.path() / "p.json", far_points_problem());

  const ProgramRun piped = run_program_in(folder.path(), kAnalyse, {"p.json", "-j", "1", "-o", "piped.csv"});
  EXPECT_EQ(piped.status, 0);
  EXPECT_EQ(piped.errors, "");

  const std::string command = "cd '" + folder.path().string() + "' && script -qec \"'" + kAnalyse +
                              "' p.json -j 1 -o terminal.csv\" terminal.txt > /dev/null 2>&1";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0) << read_text(folder.path() / "terminal.txt");
  const std::string terminal = read_text(folder.path() / "terminal.txt");
  // The panels done against the estimate once a point is done: every point
  // takes the 20 000 panels, 120 000 in all.
  EXPECT_NE(terminal.find("\rkestral-analyse: "), std::string::npos) << terminal;
  EXPECT_NE(terminal.find("0000 of 120000 panels, "), std::string::npos) << terminal;
  EXPECT_EQ(terminal.find(" points"), std::string::npos) << terminal;
  EXPECT_NE(terminal.find("\r\033[K"), std::string::npos);
  EXPECT_EQ(read_text(folder.path() / "terminal.csv"), read_text(folder.path() / "piped.csv"));
}

// A real SIGTERM, SIGINT or SIGHUP on a real run writing with -o: the
// temporary file goes, the old table stays, and the run ends with the
// signal.
TEST(AnalyseRun, InterruptedOutputLeavesTheOldFile) {
  for (int signal_number : {SIGTERM, SIGINT, SIGHUP}) {
    ScratchFolder folder;
    // 100 000 points: seconds of work even on a fast machine, far longer
    // than the wait below; the run is killed long before it ends.
    write_text(folder.path() / "p.json", grid_problem(50, 50, 40));
    write_text(folder.path() / "table.csv", "old\n");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (::chdir(folder.path().c_str()) != 0) ::_exit(126);
      ::execl(kAnalyse.c_str(), kAnalyse.c_str(), "p.json", "-o", "table.csv", "-j", "1", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    // The temporary file appears before the engine starts.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (files_in(folder.path()) < 3 && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_EQ(files_in(folder.path()), 3u);
    ASSERT_EQ(::kill(child, signal_number), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << signal_number;
    EXPECT_EQ(WTERMSIG(status), signal_number);
    EXPECT_EQ(read_text(folder.path() / "table.csv"), "old\n");
    EXPECT_EQ(files_in(folder.path()), 2u);
  }
}

}  // namespace
}  // namespace kestral::testing
