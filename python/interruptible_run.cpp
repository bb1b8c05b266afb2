// without_gil: the engine's work on a worker thread, so that the calling
// thread can keep answering signals. Python delivers a signal only to its
// main thread and only while that thread runs Python code; a call that held
// it for the whole run would let Ctrl-C wait until the engine finished.
#include <chrono>
#include <exception>
#include <future>
#include <optional>
#include <string>
#include <thread>

#include <pybind11/pybind11.h>

#include "analyse/problem.h"
#include "multilayer/analysis.h"
#include "python/bindings.h"

namespace kestral::python {
namespace py = pybind11;

namespace {

// How long the waiting thread sleeps between two looks at its signals: well
// under the fraction of a second a user waits for Ctrl-C to act.
constexpr std::chrono::milliseconds kSignalPoll{50};

bool on_main_thread() {
  const auto main = py::module_::import("threading").attr("main_thread")().attr("ident");
  return main.cast<unsigned long>() == PyThread_get_thread_ident();
}

// Runs `work` on a worker thread while this one checks its signals. When a
// signal handler raises (KeyboardInterrupt), raises `cancel`, waits for the
// worker to stop and raises that exception here.
void run_answering_signals(const std::function<void()>& work, std::atomic<bool>& cancel) {
  std::promise<void> finished;
  std::future<void> done = finished.get_future();
  std::thread worker;
  {
    py::gil_scoped_release engine_runs;
    worker = std::thread([&] {
      work();
      finished.set_value();
    });
  }
  for (;;) {
    bool ready = false;
    {
      py::gil_scoped_release engine_runs;
      ready = done.wait_for(kSignalPoll) == std::future_status::ready;
    }
    if (ready) break;
    if (PyErr_CheckSignals() != 0) {
      py::error_already_set interrupted;  // taken off the thread before it waits
      cancel = true;
      {
        py::gil_scoped_release engine_stops;
        worker.join();
      }
      throw interrupted;
    }
  }
  py::gil_scoped_release engine_done;
  worker.join();
}

}  // namespace

void without_gil(const std::function<void(const std::atomic<bool>& cancel)>& work) {
  std::atomic<bool> cancel{false};
  std::exception_ptr failure;
  const auto guarded = [&] {
    try {
      work(cancel);
    } catch (...) {
      failure = std::current_exception();
    }
  };
  if (on_main_thread()) {
    run_answering_signals(guarded, cancel);
  } else {  // no signal reaches this thread: no need for another
    py::gil_scoped_release engine_runs;
    guarded();
  }
  if (!failure) return;
  try {
    std::rethrow_exception(failure);
  } catch (const analyse::ProblemError& error) {
    throw py::value_error(error.what());
  } catch (const multilayer::InvalidProblem& error) {
    throw py::value_error(error.what());
  }
}

}  // namespace kestral::python
