#include "backcalc/drop_fit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <exception>
#include <numbers>

#include <Eigen/Dense>
#include <ceres/ceres.h>

#include "backcalc/drop_values.h"

namespace kestral::backcalc {
namespace {

// Ceres's view of the drop: residuals r_i and their Jacobian with respect to
// the searched log-moduli.
class BowlMisfit final : public ceres::CostFunction {
 public:
  BowlMisfit(const BowlModel& model, const Survey& survey, const Drop& drop, std::vector<std::size_t> searched)
      : model_(model), drop_(drop), searched_(std::move(searched)),
        pressure_(drop.load / (std::numbers::pi * survey.plate_radius * survey.plate_radius)) {
    for (const ModulusSearch& search : survey.moduli) moduli_.push_back(search.seed);
    set_num_residuals(static_cast<int>(drop.deflections.size()));
    mutable_parameter_block_sizes()->push_back(static_cast<int>(searched_.size()));
  }

  bool Evaluate(double const* const* parameters, double* residuals, double** jacobians) const override {
    try {
      const std::vector<double> moduli = moduli_at(parameters[0]);
      const bool slopes_wanted = jacobians != nullptr && jacobians[0] != nullptr;
      // Every run gives the slopes too (about twice a run without): Ceres
      // asks for residuals and Jacobian at each point it tries, one after
      // the other. The last two runs are kept: Ceres stops at the point
      // before its last trial when that trial gains too little, and the
      // final evaluation is there.
      const Run* run = nullptr;
      for (const Run& kept : runs_) {
        if (kept.done && kept.moduli == moduli) run = &kept;
      }
      if (run == nullptr) {
        Run& older = runs_[current_ == 0 ? 1 : 0];
        older.done = false;
        older.unit = model_.deflections_and_slopes(moduli, searched_, older.slopes);
        older.moduli = moduli;
        older.done = true;
        run = &older;
      }
      current_ = run == &runs_[0] ? 0 : 1;
      const std::vector<double>& unit = run->unit;
      const std::vector<std::vector<double>>& slopes = run->slopes;
      const std::size_t n = unit.size(), m = searched_.size();
      double sum = 0.0;
      for (std::size_t i = 0; i < n; ++i) {
        const double measured = drop_.deflections[i];
        residuals[i] = (pressure_ * unit[i] - measured) / measured;
        sum += residuals[i] * residuals[i];
        for (std::size_t j = 0; slopes_wanted && j < m; ++j) {
          jacobians[0][i * m + j] = pressure_ * slopes[j][i] / measured;
          sum += 0.0 * jacobians[0][i * m + j];  // NaN when a slope overflowed
        }
      }
      // A bowl far out of scale with its load (deflections of 1e-300 um, a
      // load of 1e300 N) overflows the misfit: a failed evaluation (Ceres
      // treats it as a step too long), never an infinite cost.
      if (!std::isfinite(sum)) {
        failure_ = "the misfit is not a finite number: the deflections are out of scale with the load";
        failure_code_ = "misfit";
        return false;
      }
      return true;
    } catch (const std::bad_alloc&) {
      throw;
    } catch (const std::exception& error) {
      // Ceres shrinks the step and tries again; a failure at the seed ends
      // the fit with this message.
      failure_ = error.what();
      failure_code_ = "engine";
      return false;
    }
  }

  std::vector<double> moduli_at(const double* log_moduli) const {
    std::vector<double> moduli = moduli_;
    for (std::size_t j = 0; j < searched_.size(); ++j) moduli[searched_[j]] = std::exp(log_moduli[j]);
    return moduli;
  }

  const std::string& failure() const { return failure_; }
  // The status's reason for the last failure: "engine" or "misfit".
  const std::string& failure_code() const { return failure_code_; }
  // The deflections under 1 MPa of the last evaluation.
  const std::vector<double>& last_unit() const { return runs_[current_].unit; }

 private:
  const BowlModel& model_;
  const Drop& drop_;
  std::vector<std::size_t> searched_;
  std::vector<double> moduli_;
  double pressure_;
  mutable std::string failure_, failure_code_;
  struct Run {
    bool done = false;  // the others hold a completed run
    std::vector<double> moduli, unit;
    std::vector<std::vector<double>> slopes;
  };
  mutable std::array<Run, 2> runs_;
  mutable std::size_t current_ = 0;  // the run of the last evaluation
};

ceres::Solver::Options solver_options() {
  ceres::Solver::Options options;
  options.minimizer_type = ceres::TRUST_REGION;
  options.trust_region_strategy_type = ceres::LEVENBERG_MARQUARDT;
  options.linear_solver_type = ceres::DENSE_QR;
  options.num_threads = 1;
  options.max_num_iterations = kMaxFitIterations;
  // The engine's deflections carry a relative error near its tolerance
  // (1e-6): tighter tests would only chase that.
  options.function_tolerance = 1e-10;
  options.gradient_tolerance = 1e-14;
  options.parameter_tolerance = 1e-8;
  options.logging_type = ceres::SILENT;
  options.minimizer_progress_to_stdout = false;
  return options;
}

DropFit failed(const std::string& reason, const std::string& message, int iterations) {
  DropFit fit;
  fit.status = "failed:" + reason;
  fit.message = message;
  fit.iterations = iterations;
  return fit;
}

// delta_k of the header, for each searched modulus, from the Jacobian J
// (n x m, row-major) of the relative residuals and sqrt(dS) =
// `allowed_root`. Norms by Eigen's stableNorm, which neither overflows nor
// underflows on the way: a bowl the moduli barely move gives an infinite
// delta, capped by the caller, not a NaN.
std::vector<double> log_ranges(const std::vector<double>& jacobian, std::size_t n, std::size_t m, double allowed_root) {
  Eigen::MatrixXd J(n, m);
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = 0; j < m; ++j) J(static_cast<Eigen::Index>(i), static_cast<Eigen::Index>(j)) = jacobian[i * m + j];
  }
  // (J'J)^-1 = V S^-2 V' from the singular values of J, without forming J'J
  // (which would square its condition number).
  const Eigen::JacobiSVD<Eigen::MatrixXd> svd(J, Eigen::ComputeThinV);
  const Eigen::VectorXd& s = svd.singularValues();
  const Eigen::MatrixXd& V = svd.matrixV();
  std::vector<double> delta(m);
  Eigen::VectorXd spread(s.size());
  for (std::size_t k = 0; k < m; ++k) {
    for (Eigen::Index j = 0; j < s.size(); ++j) {
      const double v = V(static_cast<Eigen::Index>(k), j);
      spread(j) = s(j) > 0.0 ? v / s(j) : (v != 0.0 ? HUGE_VAL : 0.0);
    }
    delta[k] = allowed_root * spread.stableNorm();
  }
  return delta;
}

}  // namespace

DropFit fit_drop(const BowlModel& model, const Survey& survey, const Drop& drop) {
  if (!drop.fault.empty()) return failed(fault_code(drop.fault), drop.fault, 0);
  std::vector<std::size_t> searched;
  for (std::size_t k = 0; k < survey.moduli.size(); ++k) {
    if (survey.moduli[k].searched) searched.push_back(k);
  }
  const std::size_t n = drop.deflections.size(), m = searched.size();
  std::vector<double> x(m);
  for (std::size_t j = 0; j < m; ++j) x[j] = std::log(survey.moduli[searched[j]].seed);

  BowlMisfit misfit(model, survey, drop, searched);
  std::vector<double> residuals(n), jacobian(n * m);
  double* jacobian_rows = jacobian.data();
  const double* parameters = x.data();
  // At the seed first (Ceres's own first evaluation then finds it kept): a
  // drop that cannot be evaluated there fails with the reason.
  if (!misfit.Evaluate(&parameters, residuals.data(), &jacobian_rows)) {
    return failed(misfit.failure_code(), "at the seed moduli: " + misfit.failure(), 0);
  }
  int iterations = 0;
  if (m > 0) {
    ceres::Problem::Options problem_options;
    problem_options.cost_function_ownership = ceres::DO_NOT_TAKE_OWNERSHIP;
    ceres::Problem problem(problem_options);
    problem.AddResidualBlock(&misfit, nullptr, x.data());
    for (std::size_t j = 0; j < m; ++j) {
      problem.SetParameterLowerBound(x.data(), static_cast<int>(j), std::log(survey.moduli[searched[j]].min));
      problem.SetParameterUpperBound(x.data(), static_cast<int>(j), std::log(survey.moduli[searched[j]].max));
    }
    ceres::Solver::Summary summary;
    ceres::Solve(solver_options(), &problem, &summary);
    iterations = summary.num_successful_steps + summary.num_unsuccessful_steps;
    if (summary.termination_type == ceres::NO_CONVERGENCE) {
      return failed("no_convergence", "no convergence in " + std::to_string(kMaxFitIterations) + " iterations", iterations);
    }
    if (summary.termination_type != ceres::CONVERGENCE) {
      return failed("engine", "the fit failed: " + (misfit.failure().empty() ? summary.message : misfit.failure()), iterations);
    }
    // The final engine evaluation at the reported moduli (Ceres's last
    // point, whose deflections and slopes the cost function kept): misfit,
    // bowl, ranges.
    if (!misfit.Evaluate(&parameters, residuals.data(), &jacobian_rows)) {
      return failed(misfit.failure_code(), "the fit failed: " + misfit.failure(), iterations);
    }
  }

  const double pressure = drop.load / (std::numbers::pi * survey.plate_radius * survey.plate_radius);
  DropFit fit;
  fit.iterations = iterations;
  fit.moduli = misfit.moduli_at(x.data());
  double sum = 0.0;
  Eigen::VectorXd relative_noise(static_cast<Eigen::Index>(n));
  for (std::size_t i = 0; i < n; ++i) {
    fit.fit.push_back(pressure * misfit.last_unit()[i]);
    sum += residuals[i] * residuals[i];
    relative_noise(static_cast<Eigen::Index>(i)) = survey.noise / drop.deflections[i];
  }
  fit.rms_percent = 100.0 * std::sqrt(sum / static_cast<double>(n));
  fit.range_percent.assign(survey.moduli.size(), 0.0);
  std::string at_bound;
  const std::vector<double> delta = log_ranges(jacobian, n, m, relative_noise.stableNorm());
  for (std::size_t j = 0; j < m; ++j) {
    const ModulusSearch& search = survey.moduli[searched[j]];
    const double span = std::log(search.max / search.min);
    fit.range_percent[searched[j]] = 100.0 * std::expm1(delta[j] <= span ? delta[j] : span);  // NaN too: the span
    // Ceres projects a step that leaves the box onto the bound itself; a
    // margin of 1e-9 in ln E also catches a stop a rounding away from it.
    if (x[j] - std::log(search.min) <= 1e-9 || std::log(search.max) - x[j] <= 1e-9) {
      at_bound += (at_bound.empty() ? "" : "+") + survey.layer_labels[searched[j]];
    }
  }
  if (fit.rms_percent > survey.max_rms_percent) {
    fit.status = "poor_fit";  // whatever the bounds: the moduli say little
  } else {
    fit.status = at_bound.empty() ? "converged" : "at_bound:" + at_bound;
  }
  fit.fitted = true;
  return fit;
}

}  // namespace kestral::backcalc
