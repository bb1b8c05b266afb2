// The three standard descriptors, made safe before any file is opened.
#pragma once

namespace kestral {

// Makes sure descriptors 0, 1 and 2 are open, so that no file the program
// opens can take one of their numbers (a report opened on descriptor 1
// would receive the console stream). A closed descriptor is opened on
// /dev/null: 0 and 1 for reading only, so that the console, which cannot be
// written, still fails as a console that cannot be written; 2 for writing,
// so that diagnostics nobody can read are dropped. Returns false when a
// closed descriptor could not be opened (no /dev/null): the caller must
// then stop before opening anything.
bool open_closed_standard_streams();

}  // namespace kestral
