"""The results of an analysis: the columns of kestral-analyse's table, as
numpy arrays, one entry per row (per point, and per face of a point on an
interface)."""

from __future__ import annotations

import sys
from collections.abc import Mapping
from typing import TYPE_CHECKING, Any, Dict, Iterator, List, Optional

import numpy as np

__all__ = ["Results"]


if TYPE_CHECKING:
    import pandas


class Results(Mapping):  # type: ignore[type-arg]
    """The table of an analysis, column by column.

    Columns by name (``r["exx"]``) or by their table header with unit
    (``r["sxx_MPa"]``); ``units[name]`` is the unit of a column ("" for
    numbers without one), ``problem`` the problem as understood (defaults
    filled in, in the problem's units), ``rows`` the number of rows.

    Parameters
    ----------
    columns : dict of str to numpy.ndarray
        The columns by name, in the table's order.
    units : dict of str to str
        The unit of each column.
    headers : list of str, optional
        The table's headers (name and unit); default the names.
    problem : dict or kestral._kestral.UnderstoodProblem, optional
        The problem as understood.
    console, messages : str
        What the legacy program printed (``run_legacy`` only).
    """

    def __init__(self, columns: Dict[str, np.ndarray], units: Dict[str, str],
                 headers: Optional[List[str]] = None, problem: Optional[object] = None,
                 console: str = "", messages: str = ""):
        # Names interned: the results of a batch then share them, and a
        # pickle of the batch holds each name once.
        self._columns = {sys.intern(name): values for name, values in columns.items()}
        self.units = {sys.intern(name): sys.intern(unit) for name, unit in units.items()}
        self.headers = [sys.intern(h) for h in (headers if headers is not None else self._columns)]
        self._by_header = dict(zip(self.headers, self._columns))
        self._problem = problem
        self.console = console
        self.messages = messages

    def __getitem__(self, key: str) -> np.ndarray:
        """The column named ``key``, or headed ``key``.

        Raises
        ------
        KeyError
            No such column (the message lists them).
        """
        if key in self._columns:
            return self._columns[key]
        if key in self._by_header:
            return self._columns[self._by_header[key]]
        raise KeyError(f"no column {key!r}; the columns are {', '.join(self._columns)}")

    def __iter__(self) -> Iterator[str]:
        return iter(self._columns)

    def __len__(self) -> int:
        return len(self._columns)

    @property
    def problem(self) -> Optional[Dict[str, Any]]:  # a problem file's layout
        """The problem as understood (made into dicts and lists when first
        asked for)."""
        if hasattr(self._problem, "to_dict"):
            self._understood = self._problem
            self._problem = self._problem.to_dict()
        return self._problem

    @property
    def load_radii(self) -> List[float]:
        """The contact radius of each load, in the problem's unit of length."""
        understood = getattr(self, "_understood", self._problem)
        if hasattr(understood, "load_radii"):
            return list(understood.load_radii)
        return [float(load["radius"]) for load in self.problem["loads"]]

    @property
    def rows(self) -> int:
        first = next(iter(self._columns.values()), None)
        return 0 if first is None else len(first)

    def header(self, name: str) -> str:
        """The table header of a column (its name with its unit)."""
        return self.headers[list(self._columns).index(name)]

    def to_pandas(self) -> "pandas.DataFrame":
        """A pandas DataFrame whose columns are the table's headers: the frame
        ``pandas.read_csv`` gives of kestral-analyse's table."""
        import pandas

        return pandas.DataFrame({header: self._columns[name]
                                 for header, name in zip(self.headers, self._columns)})

    # Pickled with the float64 columns stacked into one array: a result of a
    # few rows then travels to and from Dask workers as a few arrays, not
    # as thirty (the bits are the same).
    def __getstate__(self) -> Dict[str, Any]:
        state = dict(self.__dict__)
        state.pop("_by_header")
        columns = state.pop("_columns")
        stacked = [name for name, values in columns.items()
                   if isinstance(values, np.ndarray) and values.dtype == np.float64
                   and values.ndim == 1]
        rows = {len(columns[name]) for name in stacked}
        if len(rows) != 1:
            stacked = []
        state["_stacked_names"] = stacked
        state["_stacked"] = np.stack([columns[name] for name in stacked]) if stacked else None
        state["_other_columns"] = {name: values for name, values in columns.items()
                                   if name not in set(stacked)}
        state["_order"] = list(columns)
        return state

    def __setstate__(self, state: Dict[str, Any]) -> None:
        stacked, names = state.pop("_stacked"), state.pop("_stacked_names")
        others, order = state.pop("_other_columns"), state.pop("_order")
        by_name = dict(others)
        for i, name in enumerate(names):
            by_name[name] = stacked[i]
        state["_columns"] = {sys.intern(name): by_name[name] for name in order}
        self.__dict__.update(state)
        self.units = {sys.intern(name): sys.intern(unit) for name, unit in self.units.items()}
        self.headers = [sys.intern(h) for h in self.headers]
        self._by_header = dict(zip(self.headers, self._columns))

    def __repr__(self) -> str:
        return f"<kestral.Results: {self.rows} rows, columns {', '.join(self._columns)}>"
