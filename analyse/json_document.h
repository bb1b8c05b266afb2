// Strict reading of a JSON document: a syntax error gives its line and
// column, and a key given twice in one object is an error (nlohmann-json
// would keep the last one silently, and a problem file must not lose a
// value unseen).
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace kestral::analyse {

// Parses `text`; `source` names it in the messages. Throws ProblemError:
//   "<source>: line 3, column 14: not valid JSON: <what the parser says>"
//   "<source>: layers[1].E: given twice"
nlohmann::json parse_json_text(std::string_view text, const std::string& source);

// Largest problem file read: a million points (the limit of a problem)
// written compactly fit in it; parsed, it takes about ten times as much
// memory.
inline constexpr std::size_t kMaxProblemFileBytes = std::size_t{32} << 20;

// Reads and parses the file at `path`, named `source` in the messages,
// through files/input_file.h (a device, FIFO or socket is refused at once).
// A file that cannot be read gives "<source>: cannot read: <reason>"
// ("not a regular file", "larger than 32 MiB", "Is a directory").
nlohmann::json read_json_file(const std::filesystem::path& path, const std::string& source);

}  // namespace kestral::analyse
