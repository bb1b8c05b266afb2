// Temporary files that must not outlive an interrupted run.
//
// A report or table is written to a temporary file beside it and renamed
// over it at the end (file_replacement.h). The temporary files in flight are
// listed here in fixed storage, so that a signal handler can remove them
// with async-signal-safe calls only.
#pragma once

#include <filesystem>

namespace kestral {

// Capacity of the list: a batch writes one report per worker thread (at
// most 256) and one table at a time.
inline constexpr int kMaxTemporaryFiles = 320;

// Creates a new, empty temporary file in `folder`, named ".STEM.XXXXXX",
// listed for removal on a signal. Signals are held off in this thread while
// it is created and listed, and a handler in another thread waits for the
// listing, so none leaves it behind. Returns its path, or an empty path
// when it cannot be created (or the program is ending by a signal). A path too long for the list, or a full list,
// still creates the file, unlisted.
std::filesystem::path create_temporary_file(const std::filesystem::path& folder,
                                            const std::string& stem);

// True once a signal handler has begun to remove the listed files: the
// program is ending, and nothing may be written in place of a temporary
// file any more.
bool ending_by_signal();

// Takes `path` off the list (after it was renamed or removed).
void forget_temporary_file(const std::filesystem::path& path);

// Installs handlers for SIGINT, SIGTERM, SIGHUP and SIGPIPE (a reader of
// the console or the table that went away) (except a signal the
// program was started with ignored) that remove every listed temporary
// file and then end the program with that signal, as its default action
// would: the caller sees the usual status (130 for SIGINT in a shell).
void remove_temporary_files_on_signals();

}  // namespace kestral
