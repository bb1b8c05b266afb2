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

#include "analyse/field_reader.h"
#include "analyse/problem.h"

namespace kestral::analyse {

// Reads a parsed problem file; `source` names it in the messages. Throws
// ProblemError.
Problem read_problem(const nlohmann::json& document, const std::string& source);

// Pieces other problem files share (kestral-backcalc's survey file):
// the "length", "stress" and "force" members of a "units" object the caller
// has checked with expect_object (each absent one: mm, MPa, N), and an
// `interface_below` value at `place` (into `interface`, in engine units, and
// its echo). Throw ProblemError.
Units read_unit_names(const FieldReader& fields, const nlohmann::json& units);
void read_interface(const FieldReader& fields, const Units& units, const nlohmann::json& value,
                    const std::string& place, multilayer::Interface& interface, nlohmann::ordered_json& echo);

// Reads and parses the file at `path`, named in messages as given.
Problem read_problem_file(const std::filesystem::path& path);

// The `units` (nullptr when absent) and the `layers` of a problem file, read
// as read_problem reads them, into problem.units, .section, .layer_names and
// .echo; messages name problem.source. For the files of other programs that
// share these keys. Throws ProblemError.
void read_units(const nlohmann::json* units, Problem& problem);
void read_layers(const nlohmann::json& layers, Problem& problem);

}  // namespace kestral::analyse
