"""Checks of the keyword arguments of ``kestral.analyse`` that no problem
file has (threads, coordinate arrays, one side for many points), made before
any work, with messages in the problem's terms rather than numpy's or the
binding's."""

from __future__ import annotations

import operator
from typing import Dict, List, Optional, Sequence, Tuple, Union

import numpy as np
import numpy.typing as npt

from . import _kestral

__all__ = ["threads_count", "loads_list", "coordinate_columns", "check_point_count",
           "PointColumns", "Side"]

# One side for every point, or one per point.
Side = Union[str, Sequence[str]]
PointColumns = Tuple[np.ndarray, np.ndarray, np.ndarray]

# Kinds of arrays whose values are numbers: integers and reals. Booleans,
# text, complex numbers and times are refused, as a problem file refuses
# them where a number belongs.
_NUMBER_KINDS = "iuf"
_SIDE_RULE = 'side must be one text, or one per point ("above", "below" or "both")'


def threads_count(threads: object) -> int:
    """``threads`` as an int, refused unless a whole number of at least 0."""
    try:
        if isinstance(threads, bool):
            raise TypeError
        count = operator.index(threads)  # type: ignore[call-overload]
    except TypeError:
        raise ValueError(f"threads is {threads!r}, must be a whole number: 0 (one per core) "
                         "or more") from None
    if count < 0:
        raise ValueError(f"threads is {count}, must be 0 (one per core) or more")
    return count


def loads_list(loads: object) -> List[object]:
    """``loads`` as a list of Loads or dicts; a single Load or dict, text or
    a value that is no sequence is refused."""
    if isinstance(loads, (dict, str, bytes)) or hasattr(loads, "to_dict") or \
            not hasattr(loads, "__iter__"):
        raise TypeError(f"loads must be a list of Loads (or of dicts laid out as a problem "
                        f"file's loads), not {type(loads).__name__}")
    return list(loads)  # type: ignore[call-overload]


def check_point_count(count: int, source: str) -> None:
    """Refuses ``count`` points beyond the reader's limit before they are built."""
    if count > _kestral.MAX_PROBLEM_POINTS:
        raise ValueError(f"{source}: points: the problem has {count} points (points and grid), "
                         f"more than the limit of {_kestral.MAX_PROBLEM_POINTS}")


def _refuse(kind: type, name: str, source: str) -> None:
    """Refuses a coordinate of type ``kind`` as the reader refuses such a
    value in a problem file: text and booleans as not numbers, other types
    as values no file can hold."""
    if issubclass(kind, (str, bytes)):
        raise ValueError(f"{source}: {name}: must be a number, not a string")
    if issubclass(kind, (bool, np.bool_)):
        raise ValueError(f"{source}: {name}: must be a number, not a boolean")
    raise TypeError(f"{source}: {name}: {kind.__name__} is not a value a problem file can hold")


def _numbers(values: npt.ArrayLike, name: str, source: str) -> np.ndarray:
    array = np.asarray(values)
    if array.dtype.kind in _NUMBER_KINDS:
        return array
    if array.dtype.kind == "O":
        for value in array.ravel():
            if isinstance(value, (bool, np.bool_)) or \
                    not isinstance(value, (int, float, np.integer, np.floating)):
                _refuse(type(value), name, source)
        return array.astype(np.float64)
    _refuse(array.dtype.type, name, source)
    return array


def coordinate_columns(x: npt.ArrayLike, y: npt.ArrayLike, z: npt.ArrayLike,
                       source: str, already: int) -> PointColumns:
    """x, y and z broadcast against each other as float64 columns, their
    count checked (with ``already`` points given otherwise) before any array
    is built."""
    arrays = [_numbers(values, name, source) for values, name in ((x, "x"), (y, "y"), (z, "z"))]
    try:
        shape = np.broadcast_shapes(*(a.shape for a in arrays))
    except ValueError:
        raise ValueError(f"{source}: x, y and z cannot be broadcast together: shapes "
                         f"{', '.join(str(a.shape) for a in arrays)}") from None
    check_point_count(int(np.prod(shape, dtype=np.int64)) + already, source)
    columns = (np.ascontiguousarray(np.broadcast_to(a, shape), dtype=np.float64).ravel()
               for a in arrays)
    return tuple(columns)  # type: ignore[return-value]


def point_array_columns(points: np.ndarray, source: str) -> Optional[PointColumns]:
    """An N×3 array of points as its x, y, z columns; None for anything else."""
    if not isinstance(points, np.ndarray) or points.ndim != 2 or points.shape[1] != 3:
        return None
    if points.dtype.kind not in _NUMBER_KINDS:
        return None  # as a list of points, each checked by the reader
    return coordinate_columns(points[:, 0], points[:, 1], points[:, 2], source, 0)


def sides_for(side: Optional[Side], listed: List[Dict[str, object]], arrayed: int) -> Optional[Side]:
    """Applies ``side`` to the listed points that give none (one text for all,
    or one per point: the listed points first, then the arrays'), and
    returns what the array points take: None, a text, or one text each."""
    if side is None:
        return None
    if isinstance(side, str):
        for entry in listed:
            entry.setdefault("side", side)
        return side if arrayed else None
    if isinstance(side, np.ndarray):
        side = side.tolist()
    if not isinstance(side, Sequence) or len(side) != len(listed) + arrayed:
        count = len(side) if isinstance(side, Sequence) else 0
        raise ValueError(f"{_SIDE_RULE}; got {count if count else repr(side)} for "
                         f"{len(listed) + arrayed} points")
    for index, (entry, own) in enumerate(zip(listed, side)):
        if entry.setdefault("side", own) != own:
            raise ValueError(f"points[{index}] gives side {entry['side']!r} and side gives "
                             f"{own!r}")
    return list(side[len(listed):]) if arrayed else None
