// The folders of a batch on a pool of worker threads.
//
// A fixed pool of worker threads takes folders from an atomic index; every
// numerical work table is per thread, so runs in different threads share
// nothing but the read-only inputs. The calling thread collects the
// outcomes and writes the CSV lines and the diagnostics strictly in
// argument order, whatever the number of threads and whichever folder
// finishes first.
#pragma once

#include <iosfwd>

#include "driver/batch_command_line.h"
#include "driver/batch_progress.h"

namespace kestral {

// Runs every folder of `options` on options.jobs threads. Writes the CSV
// header and then each folder's rows to `csv`, and each folder's prefixed
// diagnostics to `errors`, both in argument order as the folders complete in
// that order. When `progress` is given (standard error on a terminal) a
// progress line is redrawn on it in place and erased at the end. A folder
// named twice (under any spelling of its path) is run once, so that two
// threads never write the same report, and is listed under each name; the
// summary and the progress line count it once, its rows under each name.
BatchSummary run_batch(const BatchOptions& options, std::ostream& csv, std::ostream& errors,
                       std::ostream* progress);

}  // namespace kestral
