// The --csv file of kestral-batch must not be a file of the batch itself.
#pragma once

#include <string>

#include "driver/batch_command_line.h"

namespace kestral {

// Why the table file of `options` may not be written, or "" when it may.
// The table may not be, by file identity where both exist and by path
// otherwise (symbolic links followed), the problem file, the quadrature
// file (the shared one of --gauss, or a folder's own) or the report of any
// folder of the batch: writing it would destroy an input before it is read,
// or a report. The reason names both, e.g. "the table d3/KESTRAL.out is the
// report of folder d3".
std::string table_collision(const BatchOptions& options);

}  // namespace kestral
