// Whole files and their lines, byte for byte.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kestral::testing {

// The bytes of a file; empty when it cannot be read.
std::string read_text(const std::filesystem::path& path);
// Replaces the file with exactly `text`.
void write_text(const std::filesystem::path& path, const std::string& text);

// The lines of a text, without their line feeds; a last line without one
// counts too.
std::vector<std::string> split_lines(const std::string& text);
// The number of line feeds.
int count_lines(const std::string& text);

}  // namespace kestral::testing
