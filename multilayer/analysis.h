// The general layered-elastic engine: a stack of any number of linear-elastic
// layers on a half-space, bonded, frictionless or spring interfaces, any
// number of uniform circular loads, any number of points, every value in
// double precision with an estimate of its absolute error.
//
// Units are the caller's, as long as they are consistent: the programs use
// mm, MPa and N (stresses in MPa, displacements in mm, strains
// dimensionless). Axes: x, y horizontal, z down from the surface; stresses
// positive in tension; displacements positive along the axes (uz down);
// strains are tensor components (exy = gamma_xy / 2), positive in extension.
//
// A point lies on an interface when its depth equals the interface depth (the
// sum of the thicknesses above, in double) to within a few units in the last
// place of that depth; it is then evaluated on the face(s) its Side asks for.
// At the surface exactly on the edge of a loaded circle, where the vertical
// stress jumps from -q to 0, every result is the mean of the two sides.
//
// analyse() validates the whole problem before it computes. Bad input throws
// InvalidProblem, whose message names the layer, interface, load or point and
// the offending value, and whose place() says the same for a program to name
// in its own terms; nothing else is thrown (but std::bad_alloc).
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kestral::multilayer {

// The condition between a layer and the one below it.
enum class InterfaceKind {
  bonded,        // all displacements and tractions continuous
  frictionless,  // vertical stress and displacement continuous, no shear
  spring,        // Goodman: shear stress = spring_stiffness * jump of the
                 // horizontal displacement (lower face minus upper face)
};

struct Interface {
  InterfaceKind kind = InterfaceKind::bonded;
  double spring_stiffness = 0.0;  // stress per length (MPa/mm), kind spring only; >= 0
};

struct Layer {
  double modulus = 0.0;    // Young's modulus E > 0
  double poisson = 0.0;    // 0 <= nu <= 0.5 (0.5: incompressible)
  double thickness = 0.0;  // > 0 and finite; ignored for the last layer (the half-space)
  Interface below{};       // with the next layer down; ignored for the last layer
};

// Layers top first; the last is the half-space. One layer: a homogeneous
// half-space.
struct Section {
  std::vector<Layer> layers;
};

// A uniform vertical pressure on a circle, pushing down.
struct Load {
  double x = 0.0, y = 0.0;  // centre
  double radius = 0.0;      // > 0
  double pressure = 0.0;    // > 0

  // The circle of area load / pressure: radius sqrt(load / (pi pressure)).
  static Load from_force(double x, double y, double load, double pressure);
};

// Which face of an interface a point on it is evaluated on.
enum class Side { both, above, below };

struct Point {
  double x = 0.0, y = 0.0;
  double z = 0.0;           // >= 0, down from the surface
  Side side = Side::both;   // used only when z lies on an interface
};

// The results a run is asked for. Those not asked for come back as 0 (with
// their principal values and error estimates), never NaN; the integration
// then stops when the asked ones meet the tolerance, so a deflection bowl
// (displacement only) may take fewer panels, and its displacements may
// differ from a full run's within the error estimates.
struct Quantities {
  bool stress = true;        // stress, principal_stress
  bool displacement = true;  // displacement
  bool strain = true;        // strain, principal_strain, horizontal_strain_max
};

// How far a run has got, for a display on another thread (a progress line,
// a web page). The unit of work is the panel: a stretch of the Hankel
// parameter integrated by the 21-point Kronrod rule (load_integrals.h); a
// row costs from none (a one-layer section) to about 20 000 panels per load
// (a point far from the loads over thin layers). analyse() adds to `panels`
// as each row finishes each load, to `finished_panels` the panels of each
// finished row, and counts a point in `points` when its last row is
// finished. The counts add up over calls that share the counter.
struct WorkCounter {
  std::atomic<std::uint64_t> panels{0};
  std::atomic<std::uint64_t> finished_panels{0};
  std::atomic<std::uint64_t> points{0};

  // The panels of `total_points` points, estimated from the points finished
  // (their mean), never below the panels done; 0 before any point is.
  std::uint64_t estimated_panels(std::uint64_t total_points) const {
    const std::uint64_t done = panels.load(std::memory_order_relaxed);
    const std::uint64_t finished = points.load(std::memory_order_relaxed);
    if (finished == 0) return 0;
    const double mean = static_cast<double>(finished_panels.load(std::memory_order_relaxed)) / static_cast<double>(finished);
    const double left = total_points > finished ? static_cast<double>(total_points - finished) : 0.0;
    const double estimate = static_cast<double>(finished_panels.load(std::memory_order_relaxed)) + left * mean;
    return std::max(done, static_cast<std::uint64_t>(std::min(estimate, 1e18)));
  }
};

struct Options {
  double tolerance = 1e-8;  // relative to each quantity's scale (see Result)
  Quantities quantities{};  // at least one asked for
  int threads = 1;          // worker threads over the points; 0: one per core
  // When set, polled between blocks of rows by every worker: once it reads
  // true, analyse() stops within one block per thread and throws Cancelled.
  // Lets a caller (an interrupted Python call, a cancel button) stop a long
  // run from another thread.
  const std::atomic<bool>* cancel = nullptr;
  // When set, advanced by every worker as it goes (WorkCounter).
  WorkCounter* work = nullptr;
};

struct SymmetricTensor {
  double xx = 0, yy = 0, zz = 0, xy = 0, yz = 0, xz = 0;
};

struct Vector3 {
  double x = 0, y = 0, z = 0;
};

// Where a result row was evaluated.
enum class Face { inside, above, below };  // inside a layer, or a face of an interface

// One row: a point, or one face of a point on an interface.
struct Result {
  std::size_t point = 0;  // index into the points given
  Face face = Face::inside;
  int layer = 0;          // 0 = top layer; the layer the row belongs to

  SymmetricTensor stress;
  Vector3 displacement;
  SymmetricTensor strain;
  Vector3 principal_stress;      // x >= y >= z: largest first
  Vector3 principal_strain;      // largest first
  double horizontal_strain_max = 0;  // larger eigenvalue of [[exx, exy], [exy, eyy]]

  // Estimates of the absolute error, each bounding the error of every
  // component of its kind. Scales: q_max for stresses, q_max a_max / E_min
  // for displacements, q_max / E_min for strains.
  double stress_error = 0;
  double displacement_error = 0;
  double strain_error = 0;
};

// Rows in point order; a point on an interface with Side::both gives two
// rows, the face above first.
std::vector<Result> analyse(const Section& section, const std::vector<Load>& loads,
                            const std::vector<Point>& points, const Options& options = {});

// The rows and their derivatives by the Young's modulus of every layer:
// by_modulus[l][i] holds d(rows[i])/d(E_l) for the stress, displacement and
// strain components (per unit of modulus: MPa/MPa, mm/MPa, 1/MPa); its
// principal values, horizontal maximum and error fields are 0, and its point,
// face and layer are those of rows[i]. Each derivative is integrated on the
// panels the row's values were accepted on, from the same factorisations of
// the layer recursion at each node (the recursion differentiated forwards); measured against
// central differences within 1e-7 of the quantity's scale per unit modulus
// (modulus_derivatives_test). The Poisson's ratios and thicknesses are held
// fixed.
struct ModulusDerivatives {
  std::vector<Result> rows;                       // as PreparedGeometry::analyse(section) gives them, bit for bit
  std::vector<std::vector<Result>> by_modulus;    // [layer][row]
};

// The loads and points of a problem prepared once for many sections (a
// backcalculation, a design search, a Monte Carlo run): it keeps what does
// not depend on the layers (the Bessel factors of every load radius and every
// point-to-load distance at the Hankel nodes met so far) so that a new
// section costs its layer solves and sums.
//
// Its rows are not those of ::analyse(section, loads, points, options) bit
// for bit: every row is integrated on panels as narrow as the narrowest any
// row and load of the geometry needs on this section (the width depends on
// the offsets, the depths and the top layer's thickness, not on the moduli),
// so that all rows meet the same Hankel nodes and each node's layer solve
// serves them all. Each row still passes its own stop and error tests (its
// tail bound taken over as many panels as span the panel it would choose on
// its own), so it lies within its own error estimate of ::analyse at a tight
// tolerance, and its estimates meet the tolerance wherever ::analyse's do
// (prepared_geometry_test: 3 geometries x 6 sections against 1e-11). The
// rows of one section are the same bits whatever the thread count, the order
// of the calls or the state of the kept factors.
//
// The constructor validates the loads, points and options (InvalidProblem as
// analyse() would); analyse(section) validates the section. Const members are
// safe to call from several threads at once: the kept factors are read under
// a shared lock and what a call computed anew is merged afterwards under an
// exclusive one, within a bound of kPreparedStoreBytes (beyond it, factors
// are computed at every call: slower, the same bits). Copies share the kept
// factors.
class PreparedGeometry {
 public:
  static constexpr std::size_t kPreparedStoreBytes = std::size_t{64} << 20;
  struct Kept;  // the kept factors and their lock (prepared_geometry.cpp)

  PreparedGeometry(std::vector<Load> loads, std::vector<Point> points, Options options = {});

  std::vector<Result> analyse(const Section& section) const;
  // The rows and their derivatives by every layer's modulus (about 1.9 times
  // the work of analyse() for a three-layer bowl).
  ModulusDerivatives analyse_with_derivatives(const Section& section) const;

  const std::vector<Load>& loads() const { return loads_; }
  const std::vector<Point>& points() const { return points_; }
  const Options& options() const { return options_; }
  // Bytes of Bessel factors kept so far (at most about kPreparedStoreBytes).
  std::size_t kept_bytes() const;

 private:
  std::vector<Load> loads_;
  std::vector<Point> points_;
  Options options_;
  std::shared_ptr<Kept> kept_;
};

// Where a problem breaks the engine's checks, for a reader that names the
// place in its own file (a problem file's `layers[1].E`) rather than the
// engine's ("layer 2 of 3").
struct ProblemPlace {
  enum class Check {
    value,          // a value out of its range (modulus > 0, z >= 0, ...)
    modulus_ratio,  // moduli more than kMaxModulusRatio apart
    thin_layer,     // a layer thinner than kMinThicknessOverRadius load radii
    reach,          // further than kMaxRadiiFromOrigin load radii from the origin
    scales,         // result scales beyond double precision
    options,        // the Options themselves
  };
  enum class Item { problem, layer, interface, load, point };
  Check check = Check::value;
  Item item = Item::problem;
  std::size_t index = 0;  // of the layer, interface, load or point, from 0
  std::size_t other = 0;  // modulus_ratio: the stiffest layer (index: the softest)
  // The quantity, as Layer, Load and Point name it ("modulus", "thickness",
  // "x", "z", ...); empty for the item as a whole.
  std::string_view quantity;
  // The offending value (reach of a layer: the depth of its bottom face) and
  // the largest load radius, the unit of the thin_layer and reach limits.
  double value = 0.0;
  double largest_radius = 0.0;
};

class InvalidProblem : public std::invalid_argument {
 public:
  explicit InvalidProblem(const std::string& message, ProblemPlace place = {})
      : std::invalid_argument(message), place_(place) {}
  const ProblemPlace& place() const noexcept { return place_; }

 private:
  ProblemPlace place_;
};

// Thrown by analyse() when Options::cancel was raised during the run.
class Cancelled : public std::runtime_error {
 public:
  Cancelled() : std::runtime_error("the analysis was cancelled") {}
};

}  // namespace kestral::multilayer

// The checks and limits analyse() applies are part of the public interface:
// a reader that names the place in its own file checks with them.
#include "multilayer/validation.h"  // IWYU pragma: export
