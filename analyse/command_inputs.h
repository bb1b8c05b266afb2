// The inputs named on kestral-analyse's command line: the problem file (or
// standard input), and which outputs they forbid.
#pragma once

#include <string>

#include "analyse/problem.h"

namespace kestral::analyse {

// The problem FILE names: `-` reads standard input (named "standard input"
// in the messages, at most kMaxProblemFileBytes), anything else the JSON
// problem file. A file that is not JSON but looks like a legacy KESTRAL.in
// (numbers only) gets the hint "; it looks like a legacy KESTRAL.in: give
// --legacy" after the parser's message. Throws ProblemError.
Problem read_command_problem(const std::string& input);

// Why the command line's files cannot go together (the usage error), or
// empty: -o naming an input of the run (the problem file, or with --legacy
// the gauss.qua beside it), or `-` with --legacy (which needs a folder).
std::string refused_inputs(const std::string& input, const std::string& output, bool legacy);

// What --help ends with: where the keys, units and examples are.
inline constexpr const char* kUsageFooter =
    "A problem file is a JSON object: \"units\", \"layers\" [{\"E\", \"nu\", \"thickness\",\n"
    "\"interface_below\"}], \"loads\" [{\"x\", \"y\", \"load\" or \"radius\", \"pressure\"}],\n"
    "\"points\" [{\"x\", \"y\", \"z\", \"side\"}], \"grid\", \"tolerance\". The manual (docs/ and\n"
    "README.md of the source) gives every key, unit and limit; examples/*/ hold problem\n"
    "files with their tables, e.g. examples/tridem/tridem.json.";

}  // namespace kestral::analyse
