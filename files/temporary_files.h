// Temporary files that must not outlive an interrupted program.
//
// A report or table is written to a temporary file beside it and renamed
// over it at the end (file_replacement.h). The temporary files in flight are
// listed here in fixed storage, so that a signal handler can remove them
// with async-signal-safe calls only.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kestral::files {

// Capacity of the list: a batch writes one report per worker thread (at
// most 256) and one table at a time.
inline constexpr int kMaxTemporaryFiles = 320;

// Creates a new, empty temporary file in `folder`, named ".STEM.XXXXXX"
// (STEM cut short so that the name stays within NAME_MAX), listed for
// removal on a signal. Signals are held off in this thread while it is
// created and listed, and a handler in another thread waits for the
// listing, so none leaves it behind. Returns its path, or an empty path
// when it cannot be created (errno then says why) or the program is ending
// by a signal. A path too long for the list, or a full list, still creates
// the file, unlisted.
std::filesystem::path create_temporary_file(const std::filesystem::path& folder,
                                            const std::string& stem);

// True once a signal handler has begun to remove the listed files: the
// program is ending, and nothing may be written in place of a temporary
// file any more.
bool ending_by_signal();

// Takes `path` off the list (after it was renamed or removed).
void forget_temporary_file(const std::filesystem::path& path);

// The signals whose default action ends the process and which a handler
// may catch, less those that report a fault of the program itself (SIGSEGV,
// SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGSYS: after such a fault nothing may
// be trusted, and the sanitizers report them): SIGINT, SIGTERM, SIGHUP,
// SIGPIPE, SIGQUIT, SIGABRT, SIGALRM, SIGVTALRM, SIGPROF, SIGUSR1, SIGUSR2,
// SIGXCPU, SIGXFSZ, SIGIO, SIGPWR, SIGSTKFLT and the real-time signals.
const std::vector<int>& cleaned_signals();

// Installs, once per process, handlers for every signal of
// cleaned_signals() whose action is still the default one (a signal the
// program was started with ignored, or one the host, such as the Python
// interpreter, already handles, keeps its action). Each removes every
// listed temporary file and then ends the program with that signal, as its
// default action would: the caller sees the usual status (130 for SIGINT
// in a shell).
void remove_temporary_files_on_signals();

}  // namespace kestral::files
