// One table of inputs outside the model, with the message each must give:
// it drives both the reader's tests (the message of the exception) and the
// whole-run tests (the line on standard error, the stage at which the run
// stops), so the two cannot drift apart.
#pragma once

#include <string>
#include <vector>

namespace kestral::testing {

// Three two-point rules, negative half first: a valid gauss.qua that
// integrates fast.
std::string two_point_rule_file();
// Items 1 to 5 of a valid three-layer problem (interfaces at 100 and 300
// mm, 20000 N at 0.56 MPa), whose echo the after-echo rejections leave.
std::string three_layer_head();

// Items 1 to 5 and gauss.qua are rejected before the echo; items 6 and 7
// after it, when the report and console hold the echo only.
enum class RejectedAt { kBeforeEcho, kAfterEcho };

struct Rejection {
  std::string what;
  std::string gauss;    // contents of gauss.qua
  std::string problem;  // contents of KESTRAL.in
  std::string message;  // the one line, without its line feed
  RejectedAt stage;
};

// Every check of the reader, once or more: the layer count, each modulus,
// ratio and thickness (top, middle, half-space), neighbouring moduli, the
// load, the contact radius and the result scales, the point count and
// every point's depth and offset, each rule's order, abscissae and weights.
// Contents hold values beyond the bad one, so that a reader which went on
// would read beyond a table.
const std::vector<Rejection>& rejected_inputs();

}  // namespace kestral::testing
