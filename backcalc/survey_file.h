// The survey file of kestral-backcalc: a JSON object with the keys
//   units      {"length": mm|m|in, "stress": MPa|kPa|psi, "force": N|kN|lbf,
//               "deflection": um|mm|mil}
//   layers     [{"name", "nu", "thickness", "E", "interface_below"}, ...]
//              E: a number (fixed) or {"seed", "min", "max"} (searched; the
//              seed defaults to the geometric mean of the bounds)
//   plate      {"radius"}
//   sensors    [offset, ...]  radial offsets from the plate centre, increasing
//   drops      [{"id", "load", "deflections": [...]}, ...]
//   drops_csv  the CSV drop file, relative to the survey file's folder
//   tolerance  relative accuracy asked of the engine (default 1e-6)
//   noise      measurement noise of a deflection (default 1 um), for the ranges
// and "note" (a string, ignored) in any object; every other key is an
// error. The conventions (units, messages, interface_below) are those of
// kestral-analyse's problem file, read by the same pieces.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "backcalc/survey.h"

namespace kestral::backcalc {

// Where `drops_csv` is read from: the file of that name in `folder`, or,
// when `text` is given, that text (a caller that holds the file already).
struct DropsCsvInput {
  std::filesystem::path folder;
  std::optional<std::string> text;
};

// Reads a parsed survey file; `source` names it in the messages. Throws
// analyse::ProblemError "<source>: <place>: <what is wrong>". A drop whose
// values cannot be fitted is no error: it carries its fault.
Survey read_survey(const nlohmann::json& document, const std::string& source, const DropsCsvInput& csv);

// Reads and parses the file at `path` (named as given), `drops_csv` beside it.
Survey read_survey_file(const std::filesystem::path& path);

}  // namespace kestral::backcalc
