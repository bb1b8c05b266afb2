// Reading back the CSV tables the programs write (RFC 4180 fields), for
// whole-run tests.
#pragma once

#include <string>
#include <vector>

namespace kestral::testing {

struct CsvTable {
  std::vector<std::string> header;
  std::vector<std::vector<std::string>> rows;

  // The column with that heading, as text or as doubles read with
  // std::from_chars (the exact value written). Fails the test when absent.
  std::vector<std::string> texts(const std::string& heading) const;
  std::vector<double> numbers(const std::string& heading) const;
};

// Parses `text`; every line must have as many fields as the header.
CsvTable parse_csv(const std::string& text);

}  // namespace kestral::testing
