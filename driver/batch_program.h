// kestral-batch as a whole: many problem folders in one command, in
// parallel, with one CSV table of every printed result row.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace kestral {

// The whole program on the arguments after its name: usage errors (status
// 2, the usage follows the message), a --csv file that is a file of the
// batch (status 2, nothing touched), the CSV file, run_batch, the summary
// line. The table goes to a temporary file beside the --csv file and is
// renamed over it at the end, so that an interrupted batch leaves an
// earlier table whole. `errors_is_terminal` enables the progress line.
// Returns the exit status: 0 when every folder completed, 1 when any failed
// or the CSV could not be written, 2 when nothing was run (a usage error,
// a table that collides with a file of the batch, or a CSV file that
// cannot be created).
int batch_main(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& errors,
               bool errors_is_terminal, unsigned hardware_threads);

}  // namespace kestral
