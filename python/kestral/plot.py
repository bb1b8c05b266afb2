"""Pictures of what pavement engineers look at, with matplotlib.

``profile``: chosen results against depth under chosen points, the interfaces
drawn across and the layers named. ``section_map``: one result over a
vertical plane through the loads, as filled contours, with the loads drawn on
the surface. Each computes its points with ``kestral.analyse`` and returns
the matplotlib Axes; ``draw_profile`` and ``draw_map`` draw results already
computed.
"""

from __future__ import annotations

import os
from typing import TYPE_CHECKING, Any, Dict, List, Mapping, Optional, Sequence, Tuple, Union

import numpy as np

if TYPE_CHECKING:
    from matplotlib.axes import Axes

    from .problem import Problem
    from .results import Results

# A problem to draw: a Problem, a dict laid out as a problem file, or a file.
ProblemSource = Union["Problem", Mapping[str, object], str, "os.PathLike[str]"]

from .plot_bowl import bowl

__all__ = ["profile", "section_map", "draw_profile", "draw_map", "damage_vs_thickness", "bowl", "QUANTITIES"]

# Axis labels and legends of the table's quantities; a quantity without one
# here is labelled by its kind and name.
_LABELS = {
    "sxx": "stress σxx", "syy": "stress σyy", "szz": "stress σzz",
    "sxy": "stress σxy", "syz": "stress σyz", "sxz": "stress σxz",
    "ux": "displacement ux", "uy": "displacement uy", "uz": "displacement uz",
    "exx": "strain εxx", "eyy": "strain εyy", "ezz": "strain εzz",
    "exy": "strain εxy", "eyz": "strain εyz", "exz": "strain εxz",
    "s1": "principal stress σ1", "s2": "principal stress σ2", "s3": "principal stress σ3",
    "e1": "principal strain ε1", "e2": "principal strain ε2", "e3": "principal strain ε3",
    "e_h_max": "largest horizontal strain",
    "stress_error": "stress error estimate",
    "displacement_error": "displacement error estimate",
    "strain_error": "strain error estimate",
}

# The kind of a quantity, by its unit in the default units (mm, MPa).
_KIND_OF_UNIT = {"MPa": "stress", "mm": "displacement", "": "strain"}


def _table_quantities() -> Tuple[Dict[str, str], Dict[str, str]]:
    """The computed columns of kestral-analyse's table, in its order: their
    labels and their kinds."""
    from . import _kestral

    kinds = {name: _KIND_OF_UNIT[unit] for name, unit in _kestral.result_columns()}
    labels = {name: _LABELS.get(name, f"{kind} {name}") for name, kind in kinds.items()}
    return labels, kinds


# Every result that can be drawn, with its label: the table's own list.
QUANTITIES, _KINDS = _table_quantities()

MICROSTRAIN = 1e6


def _kind(name: str) -> str:
    return _KINDS[name]


def _problem_dict(problem: ProblemSource) -> Tuple[Dict[str, Any], str]:
    """The problem as a problem file lays it out, and the name messages give
    it. A file is only parsed here, as kestral-analyse parses it: the reader
    checks it when it is run."""
    from . import KEYWORD_SOURCE, Problem, _kestral
    from ._errors import missing_or_same

    if isinstance(problem, (str, os.PathLike)):
        path = os.fspath(problem)
        try:
            return _kestral.problem_document(path), path
        except ValueError as error:
            raise missing_or_same(path, error) from None
    if isinstance(problem, Problem):
        return problem.to_dict(), KEYWORD_SOURCE
    return dict(problem), KEYWORD_SOURCE


def _analyse_at(problem: ProblemSource, xs: np.ndarray, ys: np.ndarray, zs: np.ndarray,
                side: Optional[str] = None, threads: int = 0) -> "Results":
    from . import _kestral, _results

    layout, source = _problem_dict(problem)
    layout.pop("points", None)
    layout.pop("grid", None)
    return _results(_kestral.analyse_document(layout, source, threads,
                                             np.ascontiguousarray(xs, dtype=np.float64),
                                             np.ascontiguousarray(ys, dtype=np.float64),
                                             np.ascontiguousarray(zs, dtype=np.float64), side))


class _Layout:
    """Layers (name, top, bottom, interface below) and loads (x, y, radius)
    of a problem as understood, in its units."""

    def __init__(self, understood: Dict[str, Any], radii: Sequence[float]):
        self.length = understood.get("units", {}).get("length", "mm")
        self.layers: List[Tuple[str, float, Optional[float], str]] = []
        top = 0.0
        entries = understood["layers"]
        for number, layer in enumerate(entries, start=1):
            name = layer.get("name") or f"layer {number}"
            last = number == len(entries)
            bottom = None if last else top + float(layer["thickness"])
            interface = layer.get("interface_below", "bonded")
            if isinstance(interface, dict):
                interface = f"spring {interface['spring']:g}"
            self.layers.append((name, top, bottom, "" if last else str(interface)))
            top = bottom if bottom is not None else top
        self.interfaces = [bottom for _, _, bottom, _ in self.layers if bottom is not None]
        self.loads = [(float(load["x"]), float(load["y"]), float(radius))
                      for load, radius in zip(understood["loads"], radii)]

    def default_depth(self) -> float:
        if self.interfaces:
            return 1.5 * self.interfaces[-1]
        return 10.0 * max(radius for _, _, radius in self.loads)

    def mark_layers(self, ax: "Axes", depth: float) -> None:
        """Interfaces dashed across (with their kind unless bonded), each
        layer's name at the right edge, halfway down its drawn part."""
        for name, top, bottom, interface in self.layers:
            if bottom is not None:
                ax.axhline(bottom, color="0.4", linestyle="--", linewidth=0.8)
                if interface != "bonded":
                    ax.annotate(interface, xy=(0.01, bottom), xycoords=("axes fraction", "data"),
                                va="bottom", fontsize=7, color="0.3")
            middle = 0.5 * (top + min(bottom if bottom is not None else depth, depth))
            if top < depth:
                ax.annotate(name, xy=(0.99, middle), xycoords=("axes fraction", "data"),
                            va="center", ha="right", fontsize=8,
                            color="0.15", style="italic",
                            bbox={"facecolor": "white", "alpha": 0.7, "edgecolor": "none",
                                  "pad": 1.5})


def _check_quantities(names: Sequence[str]) -> str:
    """The kind the quantities share; refuses, before anything is computed,
    names that are not results and kinds that cannot share an axis."""
    unknown = [name for name in names if name not in QUANTITIES]
    if unknown:
        raise ValueError(f"{unknown[0]!r} is not a result that can be drawn; the results are "
                         f"{', '.join(QUANTITIES)}")
    if not names:
        raise ValueError("no result to draw")
    kinds = {_kind(name) for name in names}
    if len(kinds) > 1:
        raise ValueError("quantities of different kinds (strain, stress, displacement) "
                         f"cannot share an axis: {', '.join(names)}")
    return kinds.pop()


def _value_scale(results, names: Sequence[str]) -> Tuple[float, str]:
    kind = _check_quantities(names)
    if kind == "strain":
        return MICROSTRAIN, "strain (µε)"
    unit = results.units.get(names[0], "")
    return 1.0, f"{kind} ({unit})" if unit else kind


def draw_profile(ax: "Axes", results: "Results", at: Sequence[Tuple[float, float]],
                 quantities: Sequence[str], depth: Optional[float] = None) -> "Axes":
    """Draws each quantity against depth under each (x, y) of ``at``.

    Parameters
    ----------
    ax : matplotlib.axes.Axes
        Where to draw.
    results : Results
        Rows of those places (both faces at the interfaces).
    at : sequence of (float, float)
        The places.
    quantities : sequence of str
        Results of one kind (QUANTITIES); strains are drawn in microstrain.
    depth : float, optional
        Deepest depth drawn (default: half as deep again as the last
        interface).

    Returns
    -------
    matplotlib.axes.Axes
        ``ax``, one line per quantity and place.

    Raises
    ------
    ValueError
        An unknown quantity, kinds that cannot share an axis, or a place
        without rows.
    """
    if not at:
        raise ValueError("no place to draw a depth profile under")
    layout = _Layout(results.problem, results.load_radii)
    scale, label = _value_scale(results, quantities)
    depth = layout.default_depth() if depth is None else depth
    styles = ["-", "--", ":", "-."]
    colours = [f"C{n}" for n in range(10)]
    for p, (px, py) in enumerate(at):
        under = (results["x"] == px) & (results["y"] == py)
        if not under.any():
            raise ValueError(f"no rows under ({px:g}, {py:g})")
        for q, name in enumerate(quantities):
            ax.plot(results[name][under] * scale, results["z"][under],
                    color=colours[q % len(colours)], linestyle=styles[p % len(styles)],
                    label=f"{name} at ({px:g}, {py:g})")
    ax.axvline(0.0, color="0.7", linewidth=0.6)
    ax.set_ylim(depth, 0.0)
    ax.set_ylabel(f"depth z ({layout.length})")
    ax.set_xlabel(label)
    layout.mark_layers(ax, depth)
    ax.legend(fontsize=8, loc="lower left")
    return ax


def _profile_depths(layout: _Layout, depth: float, samples: int) -> np.ndarray:
    depths = np.linspace(0.0, depth, samples)
    return np.union1d(depths, [z for z in layout.interfaces if z <= depth])


def _understood_layout(problem: ProblemSource, depth: Optional[float]) -> _Layout:
    """Layers and loads of the problem as the reader understands it, with
    ``depth`` checked as the reader checks a depth (before any work)."""
    from . import _kestral

    if depth is not None and not depth > 0:  # NaN too
        raise ValueError(f"depth: is {depth:g}, must be above 0")
    layout, source = _problem_dict(problem)
    layout.pop("grid", None)
    # The reader asks for a point; none is computed.
    layout["points"] = [{"z": 0 if depth is None else depth}]
    try:
        understood = _kestral.understood_problem(layout, source)
    except ValueError as error:
        raise ValueError(str(error).replace("points[0].z: ", "depth: ", 1)) from None
    return _Layout(understood.to_dict(), understood.load_radii)


def check_map_grid(nx: int, nz: int) -> None:
    """Refuses a map grid of fewer than 2 by 2 points or of more points than
    a problem may hold, before anything is computed.

    Raises
    ------
    ValueError
        The grid, with what is wrong with it.
    """
    from . import _kestral

    if nx < 2 or nz < 2:
        raise ValueError(f"grid {nx},{nz}: a map needs at least 2 by 2 points")
    if nx * nz > _kestral.MAX_PROBLEM_POINTS:
        raise ValueError(f"grid {nx},{nz}: {nx * nz} points, more than the limit of "
                         f"{_kestral.MAX_PROBLEM_POINTS}")


def profile(problem: ProblemSource, at: Sequence[Tuple[float, float]] = ((0.0, 0.0),),
            quantities: Sequence[str] = ("exx", "eyy", "ezz"), *, depth: Optional[float] = None,
            samples: int = 200, ax: Optional["Axes"] = None) -> "Axes":
    """Depth profiles of ``quantities`` under each (x, y) of ``at``.

    Parameters
    ----------
    problem : Problem, mapping, str or os.PathLike
        A Problem, a problem-file dict or a file path (its points are not
        used).
    at : sequence of (float, float)
        The places to draw profiles under.
    quantities : sequence of str
        Results of one kind (QUANTITIES).
    depth : float, optional
        Deepest depth drawn, checked as the reader checks a depth (default:
        half as deep again as the last interface).
    samples : int, default 200
        Depths from the surface to ``depth``, besides both faces of every
        interface.
    ax : matplotlib.axes.Axes, optional
        Where to draw (default: a new figure).

    Returns
    -------
    matplotlib.axes.Axes
        The drawing.

    Raises
    ------
    ValueError
        A mistake in the problem (the reader's message), a bad depth, or an
        unknown quantity, all before anything is computed.
    FileNotFoundError
        A path to no file.
    """
    import matplotlib.pyplot as plt

    _check_quantities(quantities)
    if not at:
        raise ValueError("no place to draw a depth profile under")
    layout = _understood_layout(problem, None if depth is None else float(depth))
    depth = layout.default_depth() if depth is None else float(depth)
    depths = _profile_depths(layout, depth, samples)
    xs = np.repeat([float(x) for x, _ in at], len(depths))
    ys = np.repeat([float(y) for _, y in at], len(depths))
    zs = np.tile(depths, len(at))
    results = _analyse_at(problem, xs, ys, zs)
    if ax is None:
        _, ax = plt.subplots(figsize=(6.4, 6.4))
    return draw_profile(ax, results, at, quantities, depth)


def draw_map(ax: "Axes", results: "Results", quantity: str, nx: int, nz: int,
             plane_y: float) -> "Axes":
    """Draws filled contours of ``quantity`` over a vertical plane.

    Parameters
    ----------
    ax : matplotlib.axes.Axes
        Where to draw.
    results : Results
        Rows laid out as an nz by nx grid (z slow, x fast) in the plane.
    quantity : str
        The result drawn (QUANTITIES).
    nx, nz : int
        The grid's points across and down.
    plane_y : float
        The plane's y; loads that cross it are drawn on the surface.

    Returns
    -------
    matplotlib.axes.Axes
        ``ax``.
    """
    layout = _Layout(results.problem, results.load_radii)
    scale, label = _value_scale(results, [quantity])
    shape = (nz, nx)
    xs = results["x"].reshape(shape)
    zs = results["z"].reshape(shape)
    values = results[quantity].reshape(shape) * scale
    filled = ax.contourf(xs, zs, values, levels=20, **_colours(values))
    ax.contour(xs, zs, values, levels=filled.levels, colors="k", linewidths=0.3)
    ax.figure.colorbar(filled, ax=ax, label=f"{quantity}: {label}")
    depth = float(zs.max())
    ax.set_ylim(depth, 0.0)
    ax.set_xlim(float(xs.min()), float(xs.max()))
    ax.set_xlabel(f"x ({layout.length}), plane y = {plane_y:g}")
    ax.set_ylabel(f"depth z ({layout.length})")
    layout.mark_layers(ax, depth)
    import matplotlib.patches as patches

    for x, y, radius in layout.loads:
        off = abs(y - plane_y)
        if off >= radius:
            continue
        half = (radius * radius - off * off) ** 0.5
        ax.add_patch(patches.Rectangle((x - half, -0.03 * depth), 2 * half, 0.03 * depth,
                                       color="k", clip_on=False, label="load"))
        ax.annotate("", xy=(x, -0.03 * depth), xytext=(x, -0.13 * depth),
                    arrowprops={"arrowstyle": "-|>", "color": "k", "mutation_scale": 14},
                    annotation_clip=False)
    ax.set_title(QUANTITIES.get(quantity, quantity), pad=36)
    return ax


def _colours(values: np.ndarray) -> Dict[str, Any]:
    """A diverging map centred on zero when the values take both signs in
    earnest, a sequential one otherwise."""
    from matplotlib.colors import TwoSlopeNorm

    low, high = float(values.min()), float(values.max())
    if low < 0.0 < high and min(-low, high) > 0.05 * (high - low):
        return {"cmap": "RdBu_r", "norm": TwoSlopeNorm(0.0, low, high)}
    return {"cmap": "viridis"}


def section_map(problem: ProblemSource, quantity: str = "szz", *,
                plane_y: Optional[float] = None, x_range: Optional[Tuple[float, float]] = None,
                depth: Optional[float] = None, nx: int = 81, nz: int = 61,
                ax: Optional["Axes"] = None) -> "Axes":
    """A map of ``quantity`` over a vertical plane through the loads.

    Parameters
    ----------
    problem : Problem, mapping, str or os.PathLike
        As for ``profile``.
    quantity : str, default "szz"
        The result drawn (QUANTITIES).
    plane_y : float, optional
        The plane y = plane_y (default: through the first load's centre).
    x_range : (float, float), optional
        Across the plane (default: from a depth's width before the first
        load to after the last).
    depth : float, optional
        Down to this depth, checked as the reader checks a depth.
    nx, nz : int, default 81, 61
        Points across and down; together at most the point limit of a
        problem.
    ax : matplotlib.axes.Axes, optional
        Where to draw (default: a new figure).

    Returns
    -------
    matplotlib.axes.Axes
        The drawing; a point on an interface is taken in the layer above.

    Raises
    ------
    ValueError
        A mistake in the problem, a bad depth or grid, or an unknown
        quantity, all before anything is computed.
    FileNotFoundError
        A path to no file.
    """
    import matplotlib.pyplot as plt

    _check_quantities([quantity])
    check_map_grid(nx, nz)
    layout = _understood_layout(problem, None if depth is None else float(depth))
    depth = layout.default_depth() if depth is None else float(depth)
    if plane_y is None:
        plane_y = layout.loads[0][1]
    if x_range is None:
        centres = [x for x, _, _ in layout.loads]
        margin = max(0.5 * depth, 3 * max(r for _, _, r in layout.loads))
        x_range = (min(centres) - margin, max(centres) + margin)
    x = np.linspace(x_range[0], x_range[1], nx)
    z = np.linspace(0.0, depth, nz)
    xs, zs = np.meshgrid(x, z)
    results = _analyse_at(problem, xs.ravel(), np.full(xs.size, float(plane_y)), zs.ravel(),
                          side="above")
    if ax is None:
        _, ax = plt.subplots(figsize=(8.0, 5.0))
    return draw_map(ax, results, quantity, nx, nz, float(plane_y))


def damage_vs_thickness(problem: Any, *, thicknesses=None, count: int = 12, ax=None):
    """Draws every criterion's damage against the thickness of the layer the
    problem's "thickness" entry searches, on a logarithmic damage axis, with
    the line D = 1 and the thickness the search found.

    Parameters
    ----------
    problem : dict or path
        A design problem of kestral-design with a "thickness" entry.
    thicknesses : sequence of float, optional
        Where to check (default: ``count`` evenly over its min..max).
    ax : matplotlib Axes, optional
        Where to draw (default: a new figure).

    Returns
    -------
    matplotlib.axes.Axes
    """
    import matplotlib.pyplot as plt

    from .design import damage_curve

    curve = damage_curve(problem, thicknesses, count)
    if ax is None:
        _, ax = plt.subplots()
    for name, damage in curve["damage"].items():
        ax.semilogy(curve["thickness"], damage, marker="o", label=name)
    ax.axhline(1.0, color="black", linewidth=0.8, linestyle="--", label="D = 1")
    found = curve["found"]
    if found is not None and found["status"] == "found":
        ax.axvline(found["value"], color="grey", linewidth=0.8, label=f"needed: {found['value']:g}")
    ax.set_xlabel(f"thickness of {curve['layer']}")
    ax.set_ylabel("damage (Miner's sum)")
    ax.legend()
    return ax
