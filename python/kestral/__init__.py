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
for bit. A bad value raises ValueError with the program's message; a file that
is not there FileNotFoundError (also a ValueError). Ctrl-C stops a long
analysis within a fraction of a second (KeyboardInterrupt).
"""

from __future__ import annotations

import os
import warnings
from typing import Dict, List, Mapping, Optional, Sequence, Union

import numpy as np
import numpy.typing as npt

from . import _arguments, _kestral
from ._errors import MissingFileError, NotAFolderError, FolderNotWritableError, missing_or_same
from .parallel import Failure, analyse_many
from .problem import Layer, Load, PointLike, Problem, Section, spring
from .results import Results
from . import design  # noqa: E402  (kestral.design: design checks)
from .backcalc import backcalculate

__all__ = ["Failure", "FolderNotWritableError", "Layer", "Load", "MissingFileError",
           "NotAFolderError", "Problem", "Results", "Section", "analyse", "analyse_file",
           "analyse_many", "analyse_problem", "run_legacy", "spring", "KEYWORD_SOURCE"]
__all__ += ["backcalculate"]

__version__: str = _kestral.__version__

# The name messages give a problem that comes from keywords rather than a file.
KEYWORD_SOURCE = "problem"

PathLike = Union[str, "os.PathLike[str]"]
SectionLike = Union[Section, Sequence[Union[Layer, Dict[str, object]]]]
LoadLike = Union[Load, Dict[str, object]]


def _results(table: Dict[str, object]) -> Results:
    for note in table["notes"]:  # type: ignore[attr-defined]
        warnings.warn(note, stacklevel=3)
    return Results(table["columns"], table["units"], table["headers"],  # type: ignore[arg-type]
                   table["problem"])  # type: ignore[arg-type]


def analyse(section: SectionLike, loads: Sequence[LoadLike],
            points: Optional[Union[Sequence[PointLike], npt.ArrayLike]] = None, *,
            x: Optional[npt.ArrayLike] = None, y: Optional[npt.ArrayLike] = None,
            z: Optional[npt.ArrayLike] = None, side: Optional[_arguments.Side] = None,
            grid: Optional[Mapping[str, object]] = None,
            units: Optional[Mapping[str, str]] = None, tolerance: Optional[float] = None,
            threads: int = 0) -> Results:
    """Analyses a section under loads at points.

    Parameters
    ----------
    section : Section or sequence of Layer or dict
        The layers, top first, the last the half-space; dicts are laid out
        as a problem file's layers.
    loads : sequence of Load or dict
        The loads (a list, even of one).
    points : sequence of tuple or dict, or array of shape (N, 3), optional
        (x, y, z) or (x, y, z, side) tuples, dicts laid out as a problem
        file's points, or an N×3 array of x, y, z.
    x, y, z : array_like, optional
        Coordinates of further points, given together and broadcast against
        each other (``x=0, y=0, z=depths`` is a profile).
    side : str or sequence of str, optional
        "above", "below" or "both" (the default): the face of an interface a
        point on it is evaluated on. One text for every point (of
        ``points``, ``x, y, z`` and ``grid``) that names none, or one per
        point of ``points`` and ``x, y, z`` (``points`` first, then the
        arrays').
    grid : mapping, optional
        {"x": [...], "y": [...], "z": [...], "side": ...}, as in a problem file.
    units : mapping, optional
        {"length": "mm", "stress": "MPa", "force": "N"} (the default).
    tolerance : float, optional
        Relative accuracy asked of the engine (default 1e-8).
    threads : int, default 0
        Engine threads over the points; 0: one per core. The results do not
        depend on it.

    Returns
    -------
    Results
        The table of kestral-analyse, one row per point (two for a point on
        an interface with side "both").

    Raises
    ------
    ValueError
        A value the problem file reader refuses (its message, after
        "problem: "), too many points, or a bad ``threads`` or ``side``.
    TypeError
        A value no problem file can hold (a complex number, a time, text
        where a coordinate belongs), or ``loads`` that is not a list.
    KeyboardInterrupt
        Ctrl-C during the analysis.
    """
    threads = _arguments.threads_count(threads)
    point_columns = None
    if isinstance(points, np.ndarray):
        point_columns = _arguments.point_array_columns(points, KEYWORD_SOURCE)
        if point_columns is None:
            points = points.tolist()
    listed = None if points is None or point_columns is not None else list(points)  # type: ignore[arg-type]
    problem = Problem(section, _arguments.loads_list(loads), points=listed, grid=grid,
                      units=units, tolerance=tolerance).to_dict()
    entries: List[Dict[str, object]] = [p for p in problem.get("points", []) if isinstance(p, dict)]
    if isinstance(side, str) and isinstance(problem.get("grid"), dict):
        problem["grid"].setdefault("side", side)
    if (x is None) != (y is None) or (x is None) != (z is None):
        raise TypeError("x, y and z are given together")
    columns = [point_columns] if point_columns is not None else []
    if x is not None:
        columns.append(_arguments.coordinate_columns(x, y, z, KEYWORD_SOURCE,  # type: ignore[arg-type]
                                                     len(entries) + sum(len(c[0]) for c in columns)))
    if not columns:
        _arguments.sides_for(side, entries, 0)
        return _results(_kestral.analyse_document(problem, KEYWORD_SOURCE, threads))
    xs, ys, zs = (np.concatenate(axis) if len(columns) > 1 else axis[0] for axis in zip(*columns))
    sides = _arguments.sides_for(side, entries, len(xs))
    return _results(_kestral.analyse_document(problem, KEYWORD_SOURCE, threads, xs, ys, zs, sides))


def analyse_file(path: PathLike, threads: int = 0) -> Results:
    """Analyses a problem file of kestral-analyse.

    Parameters
    ----------
    path : str or os.PathLike
        The problem file (JSON).
    threads : int, default 0
        Engine threads over the points; 0: one per core.

    Returns
    -------
    Results
        Its table, as kestral-analyse writes it.

    Raises
    ------
    FileNotFoundError
        No such file (a MissingFileError, also a ValueError).
    ValueError
        The file cannot be read or the problem is refused (the program's
        message).
    KeyboardInterrupt
        Ctrl-C during the analysis.
    """
    threads = _arguments.threads_count(threads)
    path = os.fspath(path)
    try:
        return _results(_kestral.analyse_file(path, threads))
    except ValueError as error:
        raise missing_or_same(path, error) from None


def analyse_problem(problem: Union[Problem, Mapping[str, object], PathLike],
                    threads: int = 0) -> Results:
    """Analyses a Problem, a dict laid out as a problem file, or a file.

    Parameters
    ----------
    problem : Problem, mapping, str or os.PathLike
        The problem; a path is read as ``analyse_file`` reads it.
    threads : int, default 0
        Engine threads over the points; 0: one per core.

    Returns
    -------
    Results
        The table of kestral-analyse.

    Raises
    ------
    FileNotFoundError
        A path to no file (also a ValueError).
    ValueError
        A problem the reader refuses (the program's message).
    TypeError
        A value no problem file can hold.
    KeyboardInterrupt
        Ctrl-C during the analysis.
    """
    if isinstance(problem, (str, os.PathLike)):
        return analyse_file(problem, threads)
    threads = _arguments.threads_count(threads)
    if isinstance(problem, Problem):
        problem = problem.to_dict()
    return _results(_kestral.analyse_document(problem, KEYWORD_SOURCE, threads))


def run_legacy(folder: PathLike) -> Results:
    """Runs the legacy program in a folder.

    The folder holds its KESTRAL.in and gauss.qua; the report KESTRAL.out is
    written there, as the program writes it.

    Parameters
    ----------
    folder : str or os.PathLike
        The folder to run in; it must be writable.

    Returns
    -------
    Results
        The rows it printed: Z, R, SigmaZ, SigmaT, SigmaR, TaoRZ, DispZ, epZ,
        epT, epR (the single precision values, exactly, as float64), the
        layer of each row and L (True for the row of the layer below an
        interface). A note (a wheel flag that selects nothing) is issued as
        a warning.

    Raises
    ------
    FileNotFoundError
        No such folder (a MissingFileError, also a ValueError).
    NotADirectoryError
        ``folder`` is a file (a NotAFolderError, also a ValueError).
    PermissionError
        The folder cannot be written (a FolderNotWritableError, also a
        ValueError): copy its two input files to a folder that can.
    ValueError
        A rejected input (the program's message).
    """
    path = os.fspath(folder)
    if not os.path.exists(path):
        raise MissingFileError(f"{path}: no such folder")
    if not os.path.isdir(path):
        raise NotAFolderError(f"{path}: is a file, not a folder holding KESTRAL.in and "
                              "gauss.qua")
    if not os.access(path, os.W_OK | os.X_OK):
        raise FolderNotWritableError(f"{path}: cannot be written, and the program writes its "
                                     "report KESTRAL.out there: run it on a copy of the folder")
    run = _kestral.run_legacy(path)
    if run["messages"]:
        warnings.warn(run["messages"].strip(), stacklevel=2)
    return Results(run["columns"], run["units"], console=run["console"],
                   messages=run["messages"])
