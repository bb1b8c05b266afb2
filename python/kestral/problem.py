"""A problem given by keywords: the objects stand for the entries of a
problem file of kestral-analyse and turn into them with ``to_dict``.

Every key a user leaves out stays out of the dict, so that the reader of
problem files applies its own defaults and every check is the reader's, with
its messages (a bad value raises ``ValueError`` naming the place, for example
``layers[1].nu``).
"""

from __future__ import annotations

from dataclasses import dataclass, field
from typing import Any, Dict, List, Optional, Sequence, Union

__all__ = ["Layer", "Section", "Load", "Problem", "spring"]

Interface = Union[str, Dict[str, float]]


def spring(stiffness: float) -> Dict[str, float]:
    """A spring (Goodman) interface of shear stiffness in stress per length."""
    return {"spring": stiffness}


def _given(**entries: Any) -> Dict[str, Any]:
    return {key: value for key, value in entries.items() if value is not None}


def _entry(item: Any) -> Any:
    return item.to_dict() if hasattr(item, "to_dict") else item


@dataclass
class Layer:
    """One layer; the last of a section is the half-space (no thickness)."""

    E: Any = None
    nu: Any = None
    thickness: Any = None
    interface_below: Optional[Interface] = None
    name: Optional[str] = None
    note: Optional[str] = None

    def to_dict(self) -> Dict[str, Any]:
        return _given(name=self.name, E=self.E, nu=self.nu, thickness=self.thickness,
                      interface_below=self.interface_below, note=self.note)


@dataclass
class Section:
    """The layers, top first."""

    layers: List[Any] = field(default_factory=list)

    def to_list(self) -> List[Any]:
        return [_entry(layer) for layer in self.layers]


@dataclass
class Load:
    """A uniform pressure on a circle: ``load`` and ``pressure``, or
    ``radius`` and ``pressure``, centred at (x, y)."""

    x: Any = None
    y: Any = None
    load: Any = None
    pressure: Any = None
    radius: Any = None
    note: Optional[str] = None

    def to_dict(self) -> Dict[str, Any]:
        return _given(x=self.x, y=self.y, load=self.load, pressure=self.pressure,
                      radius=self.radius, note=self.note)


def layers_entry(section: Any) -> List[Any]:
    """The ``layers`` entry of a Section, or of a list of Layers or dicts."""
    if isinstance(section, Section):
        return section.to_list()
    if isinstance(section, dict):
        return section  # the reader says what is wrong with it
    return [_entry(layer) for layer in section]


@dataclass
class Problem:
    """A whole problem, as one problem file holds it. Picklable: it travels
    to Dask workers as it is."""

    section: Any
    loads: Sequence[Any]
    points: Optional[Sequence[Any]] = None
    grid: Optional[Dict[str, Any]] = None
    units: Optional[Dict[str, str]] = None
    tolerance: Any = None
    note: Optional[str] = None

    def to_dict(self) -> Dict[str, Any]:
        problem = _given(units=self.units, note=self.note, tolerance=self.tolerance,
                         grid=self.grid)
        problem["layers"] = layers_entry(self.section)
        problem["loads"] = [_entry(load) for load in self.loads]
        if self.points is not None:
            problem["points"] = [point_entry(point) for point in self.points]
        return problem


def point_entry(point: Any) -> Any:
    """A point as a problem file writes it: from (x, y, z), (x, y, z, side)
    or a dict."""
    if isinstance(point, (tuple, list)) and len(point) in (3, 4):
        entry = {"x": point[0], "y": point[1], "z": point[2]}
        if len(point) == 4:
            entry["side"] = point[3]
        return entry
    return _entry(point)
