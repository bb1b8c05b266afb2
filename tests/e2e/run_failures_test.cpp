// The built program on inputs that stop it or leave nothing to compute: each
// diagnostic, missing files, input outside the model, the row limit, wheel
// flags that select no wheel, an empty point list; and the records of a
// small computed run. Each case runs kestral in a fresh folder and checks
// the exit status, standard error, the console and the report as a whole.
//
// Problems that compute use two-point rules and points deep below the load,
// where the integration stops after a few intervals, so the set stays fast.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/program_run.h"
#include "tests/support/rejections.h"

namespace {

namespace fs = std::filesystem;

using kestral::testing::count_lines;
using kestral::testing::read_text;
using Outcome = kestral::testing::ProgramRun;

// A fresh folder for one run; the program's streams are captured outside it,
// so it holds only the program's files.
class RunFolder {
 public:
  fs::path file(const std::string& name) const { return folder_ / name; }
  void write(const std::string& name, const std::string& text) const {
    kestral::testing::write_text(file(name), text);
  }
  // Names in the folder, sorted.
  std::vector<std::string> listing() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_.path()))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  Outcome run() const { return kestral::testing::run_program_in(folder_.path()); }

 private:
  kestral::testing::ScratchFolder folder_{"e2e"};
};

// Three two-point rules, negative half first.
const std::string kGauss = kestral::testing::two_point_rule_file();

// Items 1 to 5: three layers, interfaces at 100 and 300 mm.
const std::string kHead = kestral::testing::three_layer_head();
const std::string kEcho =
    "  No. of layers                3\n"
    "  E values (MPa)         3000.00  300.00  100.00\n"
    "  Mu values                 0.350.350.40\n"
    "  thicknesses (mm)        100.00  200.00\n"
    "  single wheel load (N) 20000.00\n"
    "  tyre pressure (MPa)       0.56\n";
const std::string kHeader =
    "    Z        R      SigmaZ      SigmaT     SigmaR     TaoRZ      DispZ      epZ        epT   "
    "     epR\n";
const std::string kSingle = "  Single Wheel\n";
const std::string kDual = "  Dual  Wheel\n";
const std::string kPreviousReport = "a report of an earlier run\nwhich a failed run must keep\n";

// Items 6 to 8 for `deep` points in the half-space (Z = 700 mm, 6.6 contact
// radii), `interface` points on the last interface, and the wheel flag.
std::string points(int deep, int interface, const std::string& flag) {
  std::string text = std::to_string(deep + interface) + "\n";
  for (int i = 0; i < deep; ++i) text += "700 " + std::to_string(10 * i) + "\n";
  for (int i = 0; i < interface; ++i) text += "300 " + std::to_string(10 * i) + "\n";
  return text + flag + "\n";
}

bool is_one_line(const std::string& text) {
  return !text.empty() && count_lines(text) == 1 && text.back() == '\n';
}

// A failure before the first record leaves an existing report as it was and
// the console empty; a failure after the echo leaves the echo in both.
enum class Stage { kBeforeEcho, kAfterEcho };

void expect_stopped(const Outcome& outcome, Stage stage, const std::string& what) {
  EXPECT_EQ(outcome.status, 1) << what;
  EXPECT_TRUE(is_one_line(outcome.errors)) << what << ": " << outcome.errors;
  if (stage == Stage::kBeforeEcho) {
    EXPECT_EQ(outcome.console, "") << what;
    EXPECT_EQ(outcome.report, kPreviousReport) << what;
  } else {
    EXPECT_EQ(outcome.console, kEcho) << what;
    EXPECT_EQ(outcome.report, kEcho) << what;
  }
}

// A rejected run reads its input files and changes neither, and creates no
// file beside the report.
void expect_inputs_kept(const RunFolder& folder, const std::string& gauss,
                        const std::string& problem, const std::string& what) {
  const std::vector<std::string> files = {"KESTRAL.in", "KESTRAL.out", "gauss.qua"};
  EXPECT_EQ(folder.listing(), files) << what;
  EXPECT_EQ(read_text(folder.file("gauss.qua")), gauss) << what;
  EXPECT_EQ(read_text(folder.file("KESTRAL.in")), problem) << what;
}

TEST(ReadFailures, EachDiagnosticWordForWord) {
  const std::string eof_in = "end-of-file during read, unit 1, file KESTRAL.in\n";
  const std::string eof_qua = "end-of-file during read, unit 27, file gauss.qua\n";
  const std::string syntax_in = "list-directed I/O syntax error, unit 1, file KESTRAL.in\n";
  const std::string syntax_qua = "list-directed I/O syntax error, unit 27, file gauss.qua\n";
  const std::string conversion_in = "input conversion error, unit 1, file KESTRAL.in\n";
  const std::string conversion_qua = "input conversion error, unit 27, file gauss.qua\n";
  const std::string good_points = points(1, 0, "1");
  const struct Case {
    const char* what;
    std::string gauss;
    std::string problem;
    std::string diagnostic;
    Stage stage;
  } cases[] = {
      {"gauss.qua empty", "", kHead + good_points, eof_qua, Stage::kBeforeEcho},
      {"gauss.qua ends in rule 3", "2\n-0.57735027 1\n2\n-0.57735027 1\n2\n", kHead + good_points,
       eof_qua, Stage::kBeforeEcho},
      {"gauss.qua ends inside a pair", "2\n-0.57735027", kHead + good_points, eof_qua,
       Stage::kBeforeEcho},
      {"KESTRAL.in empty", kGauss, "", eof_in, Stage::kBeforeEcho},
      {"KESTRAL.in ends in item 3", kGauss, "3\n3000 300 100\n0.35 0.35\n", eof_in,
       Stage::kBeforeEcho},
      {"KESTRAL.in ends in the point list", kGauss, kHead + "4\n700 0\n60 0\n", eof_in,
       Stage::kAfterEcho},
      {"KESTRAL.in ends before the wheel flag", kGauss, kHead + "0\n", eof_in, Stage::kAfterEcho},
      {"two commas in gauss.qua", "2\n-0.57735027,,1\n", kHead + good_points, syntax_qua,
       Stage::kBeforeEcho},
      {"two commas in E", kGauss, "3\n3000,,300 100\n", syntax_in, Stage::kBeforeEcho},
      {"a comma before the load", kGauss,
       "3\n3000 300 100\n0.35 0.35 0.40\n100 200\n, 20000 0.56\n" + good_points, syntax_in,
       Stage::kBeforeEcho},
      {"a repeat count for the ratios", kGauss, "3\n3000 300 100\n3*0.35\n", syntax_in,
       Stage::kBeforeEcho},
      {"a slash in the thicknesses", kGauss, "3\n3000 300 100\n0.35 0.35 0.40\n100 / 200\n",
       syntax_in, Stage::kBeforeEcho},
      {"a slash in a point", kGauss, kHead + "1\n700 /\n1\n", syntax_in, Stage::kAfterEcho},
      {"letters for the order", "ten\n", kHead + good_points, conversion_qua, Stage::kBeforeEcho},
      {"a weight of 1e39", "2\n-0.57735027 1e39\n", kHead + good_points, conversion_qua,
       Stage::kBeforeEcho},
      {"letters for n", kGauss, "three\n", conversion_in, Stage::kBeforeEcho},
      {"a byte-order mark before n", kGauss, "\xEF\xBB\xBF" + kHead + good_points, conversion_in,
       Stage::kBeforeEcho},
      {"a NUL byte in a modulus", kGauss, std::string("3\n3000 300") + '\0' + " 100\n",
       conversion_in, Stage::kBeforeEcho},
      {"2.5 layers", kGauss, "2.5\n", conversion_in, Stage::kBeforeEcho},
      {"nan for a ratio", kGauss, "3\n3000 300 100\n0.35 nan 0.40\n", conversion_in,
       Stage::kBeforeEcho},
      {"inf for the load", kGauss, "3\n3000 300 100\n0.35 0.35 0.40\n100 200\ninf 0.56\n",
       conversion_in, Stage::kBeforeEcho},
      {"1e39 for a modulus", kGauss, "3\n3000 1e39 100\n", conversion_in, Stage::kBeforeEcho},
      {"NP beyond 32 bits", kGauss, kHead + "4294967296\n", conversion_in, Stage::kAfterEcho},
      {"a real for NP", kGauss, kHead + "2.0\n700 0\n700 0\n1\n", conversion_in, Stage::kAfterEcho},
      {"letters for a depth", kGauss, kHead + "1\nseven 0\n1\n", conversion_in, Stage::kAfterEcho},
      {"letters for the wheel flag", kGauss, kHead + "1\n700 0\ndual\n", conversion_in,
       Stage::kAfterEcho},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    folder.write("gauss.qua", c.gauss);
    folder.write("KESTRAL.in", c.problem);
    folder.write("KESTRAL.out", kPreviousReport);
    const Outcome outcome = folder.run();
    EXPECT_EQ(outcome.errors, c.diagnostic) << c.what;
    expect_stopped(outcome, c.stage, c.what);
    expect_inputs_kept(folder, c.gauss, c.problem, c.what);
  }
}

// A missing input file is not created; the run stops at its first read from
// it. The report is created, empty.
TEST(ReadFailures, MissingInputFiles) {
  const struct Case {
    const char* what;
    bool gauss;
    bool problem;
    std::string diagnostic;
    std::vector<std::string> files_after;
  } cases[] = {
      {"no KESTRAL.in",
       true,
       false,
       "end-of-file during read, unit 1, file KESTRAL.in\n",
       {"KESTRAL.out", "gauss.qua"}},
      {"no gauss.qua",
       false,
       true,
       "end-of-file during read, unit 27, file gauss.qua\n",
       {"KESTRAL.in", "KESTRAL.out"}},
      {"neither (gauss.qua is read first)",
       false,
       false,
       "end-of-file during read, unit 27, file gauss.qua\n",
       {"KESTRAL.out"}},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    if (c.gauss) folder.write("gauss.qua", kGauss);
    if (c.problem) folder.write("KESTRAL.in", kHead + points(1, 0, "1"));
    const Outcome outcome = folder.run();
    EXPECT_EQ(outcome.status, 1) << c.what;
    EXPECT_EQ(outcome.errors, c.diagnostic) << c.what;
    EXPECT_EQ(outcome.console, "") << c.what;
    EXPECT_TRUE(outcome.report_exists) << c.what;
    EXPECT_EQ(outcome.report, "") << c.what;
    EXPECT_EQ(folder.listing(), c.files_after) << c.what;
  }
}

// A folder where a file should be: no crash, one line naming the file,
// nothing on the console.
TEST(ReadFailures, FolderInPlaceOfAFile) {
  for (const std::string name : {"KESTRAL.in", "gauss.qua", "KESTRAL.out"}) {
    RunFolder folder;
    if (name != "gauss.qua") folder.write("gauss.qua", kGauss);
    if (name != "KESTRAL.in") folder.write("KESTRAL.in", kHead + points(1, 0, "1"));
    fs::create_directory(folder.file(name));
    const Outcome outcome = folder.run();
    EXPECT_EQ(outcome.status, 1) << name;
    EXPECT_TRUE(is_one_line(outcome.errors)) << name << ": " << outcome.errors;
    EXPECT_NE(outcome.errors.find(name), std::string::npos) << outcome.errors;
    EXPECT_EQ(outcome.console, "") << name;
  }
}

// Input outside the model: the one line of the shared table of rejections
// (the reader's tests use the same), the stage it stops at, nothing computed.
TEST(InputOutsideTheModel, RejectedBeforeAnyResult) {
  using kestral::testing::RejectedAt;
  for (const kestral::testing::Rejection& c : kestral::testing::rejected_inputs()) {
    RunFolder folder;
    folder.write("gauss.qua", c.gauss);
    folder.write("KESTRAL.in", c.problem);
    folder.write("KESTRAL.out", kPreviousReport);
    const Outcome outcome = folder.run();
    EXPECT_EQ(outcome.errors, c.message + "\n") << c.what;
    expect_stopped(outcome,
                   c.stage == RejectedAt::kBeforeEcho ? Stage::kBeforeEcho : Stage::kAfterEcho,
                   c.what);
    expect_inputs_kept(folder, c.gauss, c.problem, c.what);
  }
}

// Inside a layer above the half-space the layered solution holds only down
// to 15 contact radii (1599.33 mm for this load); a point deeper than that
// in a finite layer, or on the bottom face of one, is rejected once the
// points are read, after the echo. The half-space is evaluated at any depth,
// and a flag that selects no wheel computes nothing and rejects nothing.
TEST(InputOutsideTheModel, DeepPointInsideAFiniteLayer) {
  const std::string head = "3\n3000 300 100\n0.35 0.35 0.40\n100 5000\n20000 0.56\n";
  const std::string echo =
      "  No. of layers                3\n"
      "  E values (MPa)         3000.00  300.00  100.00\n"
      "  Mu values                 0.350.350.40\n"
      "  thicknesses (mm)        100.00 5000.00\n"
      "  single wheel load (N) 20000.00\n"
      "  tyre pressure (MPa)       0.56\n";
  const std::string tail =
      " contact radii (1599.33 mm), where the layered solution loses its accuracy; only the "
      "half-space (below 5100 mm) can be evaluated that deep\n";
  const struct Case {
    const char* what;
    std::string points;
    int status;
    std::string errors;
  } cases[] = {
      {"2000 mm in layer 2, single wheel", "2\n700 0\n2000 0\n1\n", 1,
       "KESTRAL.in: point 2 (item 7) lies 2000 mm deep inside layer 2, deeper than 15" + tail},
      {"2000 mm in layer 2, dual wheel", "1\n2000 155\n2\n", 1,
       "KESTRAL.in: point 1 (item 7) lies 2000 mm deep inside layer 2, deeper than 15" + tail},
      {"on the last interface, 5100 mm deep", "2\n700 0\n5100 0\n2\n", 1,
       "KESTRAL.in: point 2 (item 7) lies 5100 mm deep inside layer 2, deeper than 15" + tail},
      {"5300 mm, in the half-space", "1\n5300 0\n1\n", 0, ""},
      {"2000 mm in layer 2, wheel flag 1.5", "1\n2000 0\n1.5\n", 0,
       "KESTRAL.in: wheel flag 1.5 is neither 1 (single wheel) nor 2 (dual wheel): no wheel "
       "arrangement was selected and nothing was computed\n"},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    folder.write("gauss.qua", kGauss);
    folder.write("KESTRAL.in", head + c.points);
    folder.write("KESTRAL.out", kPreviousReport);
    const Outcome outcome = folder.run();
    EXPECT_EQ(outcome.status, c.status) << c.what;
    EXPECT_EQ(outcome.errors, c.errors) << c.what;
    if (c.status == 1) {
      EXPECT_EQ(outcome.console, echo) << c.what;
      EXPECT_EQ(outcome.report, echo) << c.what;
      expect_inputs_kept(folder, kGauss, head + c.points, c.what);
    } else {
      EXPECT_EQ(outcome.report.substr(0, echo.size()), echo) << c.what;
      EXPECT_EQ(outcome.report.find("NaN"), std::string::npos) << c.what;
    }
  }
}

// At most 30 result rows: one per point, two per interface point, doubled
// for a dual wheel. The limit is checked once items 6 to 8 are read.
TEST(RowLimit, ThirtyRowsAcceptedThirtyOneRejected) {
  const struct Case {
    const char* what;
    int deep;
    int interface;
    const char* flag;
    int rows_needed;
  } cases[] = {
      {"30 single-wheel points", 30, 0, "1", 30},
      {"31 single-wheel points", 31, 0, "1", 31},
      {"28 points and one on an interface", 28, 1, "1", 30},
      {"29 points and one on an interface", 29, 1, "1", 31},
      {"15 dual-wheel points", 15, 0, "2", 30},
      {"16 dual-wheel points", 16, 0, "2", 32},
      {"13 dual-wheel points and one on an interface", 13, 1, "2", 30},
      {"14 dual-wheel points and one on an interface", 14, 1, "2", 32},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    folder.write("gauss.qua", kGauss);
    folder.write("KESTRAL.in", kHead + points(c.deep, c.interface, c.flag));
    folder.write("KESTRAL.out", kPreviousReport);
    const Outcome outcome = folder.run();
    const bool dual = std::string(c.flag) == "2";
    if (c.rows_needed <= 30) {
      EXPECT_EQ(outcome.status, 0) << c.what;
      EXPECT_EQ(outcome.errors, "") << c.what;
      const int printed = dual ? c.rows_needed / 2 : c.rows_needed;
      EXPECT_EQ(count_lines(outcome.report), 8 + printed) << c.what;
      EXPECT_EQ(outcome.report.substr(0, kEcho.size()), kEcho) << c.what;
    } else {
      expect_stopped(outcome, Stage::kAfterEcho, c.what);
      expect_inputs_kept(folder, kGauss, kHead + points(c.deep, c.interface, c.flag), c.what);
      EXPECT_NE(outcome.errors.find("KESTRAL.in"), std::string::npos) << c.what;
      EXPECT_NE(outcome.errors.find(std::to_string(c.rows_needed)), std::string::npos)
          << c.what << ": " << outcome.errors;
      EXPECT_NE(outcome.errors.find("30"), std::string::npos) << c.what << ": " << outcome.errors;
    }
  }
}

// A flag other than 1 or 2 selects no wheel: echo and header in the report,
// the echo alone on the console, one line on standard error, status 0. No
// result rows are due, so no row limit applies to such a point list.
TEST(WheelFlag, NeitherSingleNorDual) {
  for (const auto& [flag, deep] : {std::pair{"1.5", 2}, std::pair{"0", 2}, std::pair{"-2", 1},
                                   std::pair{"1.0000001", 1}, std::pair{"1.5", 40}}) {
    RunFolder folder;
    folder.write("gauss.qua", kGauss);
    folder.write("KESTRAL.in", kHead + points(deep, 0, flag));
    const Outcome outcome = folder.run();
    EXPECT_EQ(outcome.status, 0) << flag;
    EXPECT_EQ(outcome.report, kEcho + kHeader) << flag;
    EXPECT_EQ(outcome.console, kEcho) << flag;
    EXPECT_TRUE(is_one_line(outcome.errors)) << flag << ": " << outcome.errors;
    EXPECT_NE(outcome.errors.find("no wheel arrangement was selected"), std::string::npos) << flag;
    EXPECT_NE(outcome.errors.find("nothing was computed"), std::string::npos) << flag;
  }
}

TEST(WheelFlag, NoPointsGiveTheWheelLineAndHeaderOnly) {
  for (const auto& [flag, wheel] :
       {std::pair{"1", kSingle}, std::pair{"1e0", kSingle}, std::pair{"2", kDual},
        std::pair{"2.0", kDual}, std::pair{"2e0", kDual}}) {
    RunFolder folder;
    folder.write("gauss.qua", kGauss);
    folder.write("KESTRAL.in", kHead + "0\n" + flag + "\n");
    const Outcome outcome = folder.run();
    EXPECT_EQ(outcome.status, 0) << flag;
    EXPECT_EQ(outcome.errors, "") << flag;
    EXPECT_EQ(outcome.console, kEcho) << flag;
    EXPECT_EQ(outcome.report, kEcho + wheel + kHeader) << flag;
  }
}

// Line ends written CRLF, values run over lines, remarks: the same run as
// the plain file.
TEST(FreeFormat, CrlfFileReadsAsThePlainOne) {
  const std::string plain =
      "3   layers\n3000,\n 300 100   moduli\n0.35 0.35 0.40 ratios\n100 200 thicknesses\n"
      "20000 0.56\n0 points\n2e0 dual\n";
  std::string crlf;
  for (const char c : plain) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  for (const std::string& problem : {plain, crlf}) {
    RunFolder folder;
    folder.write("gauss.qua", kGauss);
    folder.write("KESTRAL.in", problem);
    const Outcome outcome = folder.run();
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.errors, "");
    EXPECT_EQ(outcome.report, kEcho + kDual + kHeader);
  }
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

// The records of a computed run, by layout: rows of both kinds, the letter
// L, R = 100 in columns 11-16, signs in the first column of each field, an
// exact zero (the shear on the axis, where J1 vanishes), and the progress
// lines of both passes of a dual wheel.
TEST(ComputedRun, RecordsOfBothKinds) {
  RunFolder folder;
  folder.write("gauss.qua", kGauss);
  folder.write("KESTRAL.in", kHead + "3\n700 100\n300 100\n700 0\n1\n");
  const Outcome outcome = folder.run();
  ASSERT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.errors, "");
  const std::vector<std::string> report = lines_of(outcome.report);
  ASSERT_EQ(report.size(), 12u);
  EXPECT_EQ(outcome.report.substr(0, kEcho.size() + kSingle.size() + kHeader.size()),
            kEcho + kSingle + kHeader);
  const std::string prefixes[] = {"  700.00  100.00", "  300.00  100.00", "  300.00L 100.00",
                                  "  700.00    0.00"};
  for (int row = 0; row < 4; ++row) {
    const std::string& line = report[8 + row];
    ASSERT_EQ(line.size(), 104u) << row;
    EXPECT_EQ(line.substr(0, 16), prefixes[row]) << row;
    for (int field = 0; field < 8; ++field) {
      const std::string value = line.substr(16 + 11 * field, 11);
      EXPECT_TRUE(value[0] == ' ' || value[0] == '-') << row << ":" << field << " " << value;
      EXPECT_EQ(value.substr(1, 2), "0.") << value;
      EXPECT_EQ(value[7], 'E') << value;
    }
    EXPECT_EQ(line[16], '-') << "SigmaZ is compressive under the load";
  }
  EXPECT_EQ(report[11].substr(49, 11), " 0.0000E+00");  // TaoRZ on the axis

  // Console: echo, then per pass a progress line and five lines per row.
  const std::vector<std::string> console = lines_of(outcome.console);
  ASSERT_EQ(console.size(), 6u + 3u + 5u * 4u);
  EXPECT_EQ(console[6], " Z=   700.0000       Rad=   100.0000    ");
  EXPECT_EQ(console[12], " Z=   300.0000       Rad=   100.0000    ");
  EXPECT_EQ(console[23], " Z=   700.0000       Rad=  0.0000000E+00");
}

TEST(ComputedRun, DualWheelSecondPassOffsets) {
  RunFolder folder;
  folder.write("gauss.qua", kGauss);
  folder.write("KESTRAL.in", kHead + "3\n700 0\n700 310\n700 400\n2\n");
  const Outcome outcome = folder.run();
  ASSERT_EQ(outcome.status, 0);
  std::vector<std::string> progress;
  for (const std::string& line : lines_of(outcome.console)) {
    if (line.rfind(" Z=", 0) == 0) progress.push_back(line);
  }
  const std::vector<std::string> expected = {
      " Z=   700.0000       Rad=  0.0000000E+00", " Z=   700.0000       Rad=   310.0000    ",
      " Z=   700.0000       Rad=   400.0000    ", " Z=   700.0000       Rad=   310.0000    ",
      " Z=   700.0000       Rad=  0.0000000E+00", " Z=   700.0000       Rad=   90.00000    ",
  };
  EXPECT_EQ(progress, expected);
  const std::vector<std::string> report = lines_of(outcome.report);
  ASSERT_EQ(report.size(), 11u);
  EXPECT_EQ(report[6], "  Dual  Wheel");
  EXPECT_EQ(report[8].substr(0, 16), "  700.00    0.00");
  EXPECT_EQ(report[9].substr(0, 16), "  700.00  310.00");
  EXPECT_EQ(report[10].substr(0, 16), "  700.00  400.00");
  // R = 0 and R = 310 see the same two wheels, the sums taken in the other
  // order: every result column is the same.
  EXPECT_EQ(report[8].substr(16), report[9].substr(16));
}

}  // namespace
