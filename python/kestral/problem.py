"""A problem given by keywords: the objects stand for the entries of a
problem file of kestral-analyse and turn into them with ``to_dict``.

Every key a user leaves out stays out of the dict, so that the reader of
problem files applies its own defaults and every check is the reader's, with
its messages (a bad value raises ``ValueError`` naming the place, for example
``layers[1].nu``).
"""

from __future__ import annotations

from dataclasses import dataclass, field
from typing import Any, Dict, List, Mapping, Optional, Sequence, Tuple, Union

__all__ = ["Layer", "Section", "Load", "Problem", "spring", "PointLike"]

# "bonded", "frictionless", or {"spring": stiffness}.
Interface = Union[str, Dict[str, float]]
# A point: (x, y, z), (x, y, z, side), or a dict laid out as a problem file's.
PointLike = Union[Tuple[float, float, float], Tuple[float, float, float, str],
                  Mapping[str, object]]
# Values pass to the reader as they are, so that it checks each one (and
# refuses what is not a number with its message).
Number = float


def spring(stiffness: float) -> Dict[str, float]:
    """A spring (Goodman) interface.

    Parameters
    ----------
    stiffness : float
        Shear stiffness, in stress per length (MPa/mm by default).

    Returns
    -------
    dict
        ``{"spring": stiffness}``, a layer's ``interface_below``.
    """
    return {"spring": stiffness}


def _given(**entries: object) -> Dict[str, object]:
    return {key: value for key, value in entries.items() if value is not None}


def _entry(item: Any) -> Any:
    # A copy of a dict: the caller's own is never changed.
    if hasattr(item, "to_dict"):
        return item.to_dict()
    return dict(item) if isinstance(item, Mapping) else item


@dataclass
class Layer:
    """One layer; the last of a section is the half-space (no thickness)."""

    E: Optional[Number] = None
    nu: Optional[Number] = None
    thickness: Optional[Number] = None
    interface_below: Optional[Interface] = None
    name: Optional[str] = None
    note: Optional[str] = None

    def to_dict(self) -> Dict[str, object]:
        """The layer as a problem file's entry (keys left out stay out)."""
        return _given(name=self.name, E=self.E, nu=self.nu, thickness=self.thickness,
                      interface_below=self.interface_below, note=self.note)


@dataclass
class Section:
    """The layers, top first."""

    layers: List[Union[Layer, Dict[str, object]]] = field(default_factory=list)

    def to_list(self) -> List[object]:
        """The layers as a problem file's ``layers`` entry."""
        return [_entry(layer) for layer in self.layers]


@dataclass
class Load:
    """A uniform pressure on a circle: ``load`` and ``pressure``, or
    ``radius`` and ``pressure``, centred at (x, y)."""

    x: Optional[Number] = None
    y: Optional[Number] = None
    load: Optional[Number] = None
    pressure: Optional[Number] = None
    radius: Optional[Number] = None
    note: Optional[str] = None

    def to_dict(self) -> Dict[str, object]:
        """The load as a problem file's entry (keys left out stay out)."""
        return _given(x=self.x, y=self.y, load=self.load, pressure=self.pressure,
                      radius=self.radius, note=self.note)


def layers_entry(section: Any) -> Any:
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

    section: Union[Section, Sequence[Union[Layer, Dict[str, object]]]]
    loads: Sequence[Union[Load, Dict[str, object]]]
    points: Optional[Sequence[PointLike]] = None
    grid: Optional[Mapping[str, object]] = None
    units: Optional[Mapping[str, str]] = None
    tolerance: Optional[Number] = None
    note: Optional[str] = None

    def to_dict(self) -> Dict[str, Any]:
        """The problem as a problem file lays it out (dicts and lists)."""
        problem: Dict[str, Any] = _given(units=_entry(self.units), note=self.note,
                                         tolerance=self.tolerance, grid=_entry(self.grid))
        problem["layers"] = layers_entry(self.section)
        problem["loads"] = [_entry(load) for load in self.loads]
        if self.points is not None:
            problem["points"] = [point_entry(point) for point in self.points]
        return problem


def point_entry(point: PointLike) -> object:
    """A point as a problem file writes it: from (x, y, z), (x, y, z, side)
    or a dict."""
    if isinstance(point, (tuple, list)) and len(point) in (3, 4):
        entry = {"x": point[0], "y": point[1], "z": point[2]}
        if len(point) == 4:
            entry["side"] = point[3]
        return entry
    return _entry(point)
