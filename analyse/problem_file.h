// The problem file of kestral-analyse: a JSON object with the keys
//   units      {"length": mm|m|in, "stress": MPa|kPa|psi, "force": N|kN|lbf}
//   layers     [{"name", "E", "nu", "thickness", "interface_below"}, ...]
//   loads      [{"x", "y", "load" or "radius", "pressure"}, ...]
//   points     [{"x", "y", "z", "side"}, ...]
//   grid       {"x": [...], "y": [...], "z": [...], "side"}
//   tolerance  relative accuracy asked of the engine
// and "note" (a string, ignored) in any object. Every other key is an error.
// The limits of each value are in docs/file-formats.md; every message
// names the file, the place (`layers[1].nu`) and what is wrong.
#pragma once

#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

#include "analyse/problem.h"

namespace kestral::analyse {

// Reads a parsed problem file; `source` names it in the messages. Throws
// ProblemError.
Problem read_problem(const nlohmann::json& document, const std::string& source);

// Reads and parses the file at `path`, named in messages as given.
Problem read_problem_file(const std::filesystem::path& path);

}  // namespace kestral::analyse
