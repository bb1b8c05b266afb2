"""kestral: layered-elastic analysis of flexible pavements.

    import kestral
    section = kestral.Section(layers=[kestral.Layer(E=3000, nu=0.35, thickness=150),
                                      kestral.Layer(E=60, nu=0.40)])
    r = kestral.analyse(section, [kestral.Load(x=0, y=0, load=20000, pressure=0.56)],
                        points=[(0, 0, 150)])
    r["exx"]

The keys, units, defaults and messages are those of the problem files of
kestral-analyse: every problem, however given, is read and checked by the same
reader and computed by the same engine, so the results are the program's, bit
for bit. A bad value raises ValueError with the program's message.
"""

from __future__ import annotations

import os
import warnings
from typing import Any, Optional, Sequence

import numpy as np

from . import _kestral
from .problem import Layer, Load, Problem, Section, spring
from .results import Results
from .backcalc import backcalculate

__all__ = ["Layer", "Load", "Problem", "Results", "Section", "analyse", "analyse_file",
           "analyse_problem", "run_legacy", "spring", "KEYWORD_SOURCE"]
__all__ += ["backcalculate"]

__version__ = _kestral.__version__

# The name messages give a problem that comes from keywords rather than a file.
KEYWORD_SOURCE = "problem"


def _results(table: dict) -> Results:
    for note in table["notes"]:
        warnings.warn(note, stacklevel=3)
    return Results(table["columns"], table["units"], table["headers"], table["problem"])


def _coordinates(x, y, z):
    x, y, z = np.broadcast_arrays(*(np.asarray(c, dtype=np.float64) for c in (x, y, z)))
    return (np.ascontiguousarray(x).ravel(), np.ascontiguousarray(y).ravel(),
            np.ascontiguousarray(z).ravel())


def analyse(section: Any, loads: Sequence[Any], points: Optional[Sequence[Any]] = None, *,
            x=None, y=None, z=None, side=None, grid=None, units=None, tolerance=None,
            threads: int = 0) -> Results:
    """Analyses a section under loads at points.

    ``section``: a Section, or a list of Layers (or of dicts laid out as a
    problem file's layers). ``loads``: Loads or dicts. ``points``: (x, y, z)
    or (x, y, z, side) tuples or dicts; and/or ``x``, ``y``, ``z`` arrays
    (broadcast against each other) with ``side`` ("above", "below" or
    "both") one for all of them or one per point. ``grid``: {"x": [...], "y": [...], "z": [...]}. ``units``:
    {"length": "mm", "stress": "MPa", "force": "N"} (the default).
    ``threads``: engine threads over the points (0, the default: one per
    core); the results do not depend on it.
    """
    problem = Problem(section, loads, points=points, grid=grid, units=units,
                      tolerance=tolerance).to_dict()
    if x is None and y is None and z is None:
        return _results(_kestral.analyse_problem(problem, KEYWORD_SOURCE, threads))
    if x is None or y is None or z is None:
        raise TypeError("x, y and z are given together")
    xs, ys, zs = _coordinates(x, y, z)
    return _results(_kestral.analyse_problem(problem, KEYWORD_SOURCE, threads, xs, ys, zs,
                                             side))


def analyse_file(path: "os.PathLike[str] | str", threads: int = 0) -> Results:
    """Analyses a problem file of kestral-analyse; the results are its table."""
    return _results(_kestral.analyse_file(os.fspath(path), threads))


def analyse_problem(problem: Any, threads: int = 0) -> Results:
    """Analyses a Problem, a dict laid out as a problem file, or the path of a
    problem file."""
    if isinstance(problem, (str, os.PathLike)):
        return analyse_file(problem, threads)
    if isinstance(problem, Problem):
        problem = problem.to_dict()
    return _results(_kestral.analyse_problem(problem, KEYWORD_SOURCE, threads))


def run_legacy(folder: "os.PathLike[str] | str") -> Results:
    """Runs the legacy program in ``folder`` (its KESTRAL.in and gauss.qua;
    the report KESTRAL.out is written there) and returns the rows it printed:
    Z, R, SigmaZ, SigmaT, SigmaR, TaoRZ, DispZ, epZ, epT, epR (the single
    precision values, exactly, as float64), the layer of each row and L
    (True for the row of the layer below an interface). A rejected input
    raises ValueError with the program's message; a note (a wheel flag that
    selects nothing) is issued as a warning."""
    if not os.path.isdir(folder):
        raise ValueError(f"{os.fspath(folder)}: no such folder")
    run = _kestral.run_legacy(os.fspath(folder))
    if run["messages"]:
        warnings.warn(run["messages"].strip(), stacklevel=2)
    return Results(run["columns"], run["units"], console=run["console"],
                   messages=run["messages"])
