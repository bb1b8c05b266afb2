// The CSV table of kestral-batch: one line per printed result row.
#pragma once

#include <string>
#include <string_view>

#include "driver/run.h"

namespace kestral {

// A CSV field as RFC 4180 quotes it: in double quotes, with every quote
// doubled, when it holds a comma, a quote, a CR or an LF; unchanged
// otherwise.
std::string csv_field(std::string_view text);

// "folder,Z,R,side,layer,SigmaZ,SigmaT,SigmaR,TaoRZ,DispZ,epZ,epT,epR".
std::string csv_header();

// The CSV lines of a run's printed rows without their leading folder field:
// each starts with the comma before Z and ends with a line end. Z and R are
// written in the shortest form that reads back as the same float (the value
// as typed in KESTRAL.in when it had at most 6 significant digits), the
// eight results with %.9g, which also reads back as the same float. `side`
// is "upper" for an ordinary row and "lower" for the row below an interface.
std::string csv_rows_after_folder(const RunRecord& record);

}  // namespace kestral
