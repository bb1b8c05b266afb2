// The deepest interface the layer solve resolves: a thicker layer is refused
// with a message that names it and says it may be made the half-space; the
// thickest accepted layer gives, to the printed digits, the results of the
// same section with that layer made the half-space.
#include "driver/layer_depth_limit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "driver/free_format_reader.h"
#include "driver/problem_input.h"
#include "format/shortest_text.h"
#include "tests/support/program_run.h"

namespace kestral::testing {
namespace {

const char* const kGauss10 =
    "10\n-0.9739065285 0.0666713443\n-0.8650633667 0.1494513492\n-0.6794095683 0.2190863625\n"
    "-0.4333953941 0.2692667193\n-0.1488743390 0.2955242247\n";

ProgramRun run_section(const std::string& layers_and_load) {
  ScratchFolder folder;
  write_text(folder.path() / "KESTRAL.in",
             layers_and_load + "4\n0 0\n150 0\n500 0\n500 300\n1\n");
  write_text(folder.path() / "gauss.qua", std::string(kGauss10) + kGauss10 + kGauss10);
  return run_program_in(folder.path());
}

// The result rows of a report: everything after the echo, wheel line and
// header.
std::vector<std::string> result_rows(const std::string& report) {
  std::vector<std::string> rows;
  std::istringstream stream(report);
  int line_number = 0;
  for (std::string line; std::getline(stream, line);) {
    if (++line_number > 8) rows.push_back(line);
  }
  return rows;
}

TEST(InterfaceDepthLimit, NamesTheLayerThatIsTooThick) {
  LayerSystem layers;
  layers.n = 4;
  layers.H = {150.0f, 1e20f, 200.0f};
  WheelLoad load;
  load.a = 100.0f;
  try {
    check_interface_depths(layers, load, "KESTRAL.in");
    FAIL() << "not refused";
  } catch (const InputError& error) {
    EXPECT_STREQ(error.what(),
                 "KESTRAL.in: thickness H(2) (item 4) is 1e+20 mm and puts the bottom of layer 2 "
                 "deeper than 1e+08 contact radii (1e+10 mm), beyond what the layer solve "
                 "resolves; make layer 2 the half-space instead");
  }
  // At the limit exactly: accepted; the next float above it: refused.
  layers.n = 2;
  layers.H[0] = 1e10f;
  EXPECT_NO_THROW(check_interface_depths(layers, load, "KESTRAL.in"));
  layers.H[0] = std::nextafter(1e10f, 1e30f);
  EXPECT_THROW(check_interface_depths(layers, load, "KESTRAL.in"), InputError);
  // Many thin layers never come near it.
  layers.n = 5;
  layers.H = {1e6f, 1e6f, 1e6f, 1e6f};
  EXPECT_NO_THROW(check_interface_depths(layers, load, "KESTRAL.in"));
}

TEST(InterfaceDepthLimit, TooThickALayerIsRefusedBeforeAnythingIsWritten) {
  const ProgramRun run =
      run_section("3\n3000 300 60\n0.35 0.4 0.35\n150 1e20\n20000 0.56\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.errors,
            "KESTRAL.in: thickness H(2) (item 4) is 1e+20 mm and puts the bottom of layer 2 deeper "
            "than 1e+08 contact radii (1.06622e+10 mm), beyond what the layer solve resolves; make "
            "layer 2 the half-space instead\n");
  EXPECT_EQ(run.console, "");
  EXPECT_EQ(run.report, "");
}

TEST(InterfaceDepthLimit, ThickestAcceptedLayerActsAsTheHalfSpace) {
  // Layer 2 ends at the limit: a = 106.6 mm for 20000 N at 0.56 MPa.
  const double limit = kMaxInterfaceDepthRadii * static_cast<double>(contact_radius(20000.0f, 0.56f));
  float H2 = static_cast<float>(limit - 150.0);
  while (150.0 + static_cast<double>(H2) > limit) H2 = std::nextafter(H2, 0.0f);
  const ProgramRun thick =
      run_section("3\n3000 300 60\n0.35 0.4 0.35\n150 " + shortest_text(H2) + "\n20000 0.56\n");
  const ProgramRun half_space = run_section("2\n3000 300\n0.35 0.4\n150\n20000 0.56\n");
  ASSERT_EQ(thick.status, 0) << thick.errors;
  ASSERT_EQ(half_space.status, 0) << half_space.errors;
  EXPECT_EQ(result_rows(thick.report).size(), 5u);
  EXPECT_EQ(result_rows(thick.report), result_rows(half_space.report)) << shortest_text(H2);
  // One float step thicker is refused.
  const ProgramRun thicker = run_section("3\n3000 300 60\n0.35 0.4 0.35\n150 " +
                                         shortest_text(std::nextafter(H2, 1e30f)) + "\n20000 0.56\n");
  EXPECT_EQ(thicker.status, 1);
}

}  // namespace
}  // namespace kestral::testing
