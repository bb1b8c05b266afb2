#include "backcalc/backcalculate.h"

#include <algorithm>
#include <exception>
#include <mutex>
#include <thread>

#include "backcalc/bowl_model.h"

namespace kestral::backcalc {

std::vector<DropFit> backcalculate(const Survey& survey, const BackcalcSettings& settings) {
  const BowlModel model(survey.section, survey.plate_radius, survey.sensors, survey.tolerance);
  std::vector<DropFit> fits(survey.drops.size());
  std::size_t threads = settings.threads > 0 ? static_cast<std::size_t>(settings.threads)
                                             : std::max(1u, std::thread::hardware_concurrency());
  threads = std::min(threads, fits.size());

  std::atomic<std::size_t> next{0};
  std::atomic<std::size_t> done{0};
  std::mutex report;  // one progress call at a time; first error kept
  std::exception_ptr error;
  const auto work = [&] {
    try {
      for (std::size_t i = next++; i < fits.size(); i = next++) {
        if (settings.cancel != nullptr && settings.cancel->load()) return;
        fits[i] = fit_drop(model, survey, survey.drops[i]);
        const std::size_t count = ++done;
        if (settings.progress) {
          const std::lock_guard<std::mutex> lock(report);
          settings.progress(count);
        }
      }
    } catch (...) {  // std::bad_alloc: stop the others too
      const std::lock_guard<std::mutex> lock(report);
      if (!error) error = std::current_exception();
      next = fits.size();
    }
  };
  if (threads <= 1) {
    work();
  } else {
    std::vector<std::jthread> pool;
    for (std::size_t t = 0; t < threads; ++t) pool.emplace_back(work);
  }
  if (error) std::rethrow_exception(error);
  if (settings.cancel != nullptr && settings.cancel->load()) throw multilayer::Cancelled();
  return fits;
}

}  // namespace kestral::backcalc
