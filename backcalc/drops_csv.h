// The CSV drop file: one drop a line, `id,load,d1,...,dn`, as FWD exports
// are usually tabulated (load in the survey's force unit, deflections in its
// deflection unit). RFC 4180 quoting; lines may end in CRLF; blank lines
// are skipped; a first line whose first field is `id` is a header. A line
// with the wrong number of fields, or a value that is not a positive number,
// is a faulty drop (reported failed, the others go on), not an error of the
// file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "backcalc/drop_values.h"
#include "backcalc/survey.h"

namespace kestral::backcalc {

// Appends the drops of `text`; `source` names the file in Drop::where
// ("bowls.csv line 5") and in messages. Throws analyse::ProblemError
// "<source>: line 5: ..." for a quote left open, and for more than
// kMaxDrops drops in all.
void read_drops_csv(std::string_view text, const std::string& source, const DropScales& scales,
                    std::vector<Drop>& drops);

}  // namespace kestral::backcalc
