// The problem file of kestral-design: a JSON object with the keys
//   units      as in kestral-analyse
//   layers     as in kestral-analyse
//   axles      [{"name", "group", "tyres", "load", "pressure", "dual_spacing",
//                "axle_spacing", "track", "repetitions"}, ...]
//   criteria   [{"name", "strain", "layer", "at", "model"}, ...]
//   seasons    [{"name", "share", "E": {"<layer name>": modulus}}, ...]  (optional)
//   thickness  {"layer", "min", "max", "resolution"}                     (optional)
// and "note" (a string, ignored) in any object. Every other key is an error;
// every message names the file, the place and what is wrong, as
// kestral-analyse's do.
#pragma once

#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

#include "design/design_problem.h"

namespace kestral::design {

// Reads a parsed problem file; `source` names it in messages. Throws
// analyse::ProblemError.
DesignProblem read_design_problem(const nlohmann::json& document, const std::string& source);

// Reads and parses the file at `path`, named in messages as given.
DesignProblem read_design_file(const std::filesystem::path& path);

}  // namespace kestral::design
