// Strict reading of a JSON document: a syntax error gives its line and
// column, and a key given twice in one object is an error (nlohmann-json
// would keep the last one silently, and a problem file must not lose a
// value unseen).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace kestral::analyse {

// Parses `text`; `source` names it in the messages. Throws ProblemError:
//   "<source>: line 3, column 14: not valid JSON: <what the parser says>"
//   "<source>: layers[1].E: given twice"
nlohmann::json parse_json_text(std::string_view text, const std::string& source);

// Reads and parses the file at `path`, named `source` in the messages; a file
// that cannot be read gives "<source>: cannot read: <reason>".
nlohmann::json read_json_file(const std::filesystem::path& path, const std::string& source);

}  // namespace kestral::analyse
