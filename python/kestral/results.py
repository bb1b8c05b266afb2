"""The results of an analysis: the columns of kestral-analyse's table, as
numpy arrays, one entry per row (per point, and per face of a point on an
interface)."""

from __future__ import annotations

from collections.abc import Mapping
from typing import Any, Dict, List, Optional

import numpy as np

__all__ = ["Results"]


class Results(Mapping):
    """Columns by name (``r["exx"]``) or by their table header with unit
    (``r["sxx_MPa"]``); ``units[name]`` is the unit of a column ("" for
    numbers without one), ``problem`` the problem as understood (defaults
    filled in, in the problem's units), ``rows`` the number of rows."""

    def __init__(self, columns: Dict[str, Any], units: Dict[str, str],
                 headers: Optional[List[str]] = None, problem: Optional[Dict[str, Any]] = None,
                 console: str = "", messages: str = ""):
        self._columns = dict(columns)
        self.units = dict(units)
        self.headers = list(headers) if headers is not None else list(self._columns)
        self._by_header = dict(zip(self.headers, self._columns))
        self._problem = problem
        self.console = console
        self.messages = messages

    def __getitem__(self, key: str) -> np.ndarray:
        if key in self._columns:
            return self._columns[key]
        if key in self._by_header:
            return self._columns[self._by_header[key]]
        raise KeyError(f"no column {key!r}; the columns are {', '.join(self._columns)}")

    def __iter__(self):
        return iter(self._columns)

    def __len__(self) -> int:
        return len(self._columns)

    @property
    def problem(self) -> Optional[Dict[str, Any]]:
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

    def to_pandas(self):
        """A pandas DataFrame whose columns are the table's headers: the frame
        ``pandas.read_csv`` gives of kestral-analyse's table."""
        import pandas

        return pandas.DataFrame({header: self._columns[name]
                                 for header, name in zip(self.headers, self._columns)})

    def __repr__(self) -> str:
        return f"<kestral.Results: {self.rows} rows, columns {', '.join(self._columns)}>"
