#include "tests/support/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

namespace kestral::testing {
namespace {

// In the child between fork and exec: only async-signal-safe calls.
void redirect_or_close(int fd, const std::string& path) {
  if (path.empty()) {
    ::close(fd);
    return;
  }
  const int opened = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (opened < 0) ::_exit(126);
  ::dup2(opened, fd);
  ::close(opened);
}

}  // namespace

pid_t start_child(const ChildOptions& options) {
  // Everything the child needs, prepared before the fork.
  const std::string folder = options.folder.string();
  const std::string console = options.console.string();
  const std::string errors = options.errors.string();
  std::vector<std::string> words = {options.executable};
  words.insert(words.end(), options.arguments.begin(), options.arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  // The test's own signal mask and handlers are not the program's.
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  for (const int s : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) ::signal(s, SIG_DFL);
  if (::chdir(folder.c_str()) != 0) ::_exit(126);
  if (options.memory_limit_bytes > 0) {
    const rlimit limit{static_cast<rlim_t>(options.memory_limit_bytes),
                       static_cast<rlim_t>(options.memory_limit_bytes)};
    ::setrlimit(RLIMIT_AS, &limit);
  }
  if (options.close_input) ::close(0);
  redirect_or_close(1, console);
  redirect_or_close(2, errors);
  ::execv(argv[0], argv.data());
  ::_exit(127);
}

ChildEnd wait_child(pid_t pid, std::chrono::milliseconds limit) {
  const auto start = std::chrono::steady_clock::now();
  ChildEnd end;
  int raw = 0;
  const bool done = wait_until([&] { return ::waitpid(pid, &raw, WNOHANG) == pid; }, limit);
  if (!done) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &raw, 0);
    end.timed_out = true;
  }
  end.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (WIFEXITED(raw)) {
    end.exited = !end.timed_out;
    end.status = WEXITSTATUS(raw);
  } else if (WIFSIGNALED(raw)) {
    end.signalled = !end.timed_out;
    end.signal = WTERMSIG(raw);
  }
  return end;
}

bool wait_until(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const auto give_up = std::chrono::steady_clock::now() + limit;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= give_up) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

std::vector<std::string> temporary_files_in(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (name.size() > 1 && name[0] == '.' && name.find('.', 1) != std::string::npos) {
      names.push_back(name);
    }
  }
  return names;
}

}  // namespace kestral::testing
