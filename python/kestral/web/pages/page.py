"""What a page module declares."""

from __future__ import annotations

from dataclasses import dataclass
from typing import Callable, Tuple

from ... import _kestral


def _always() -> bool:
    return True


@dataclass(frozen=True)
class Page:
    """A page of the app.

    Attributes
    ----------
    slug : str
        Its name in paths and in the navigation's keys.
    title : str
        Its title in the navigation.
    template : str
        Its Jinja2 template, which extends ``base.html``.
    scripts : tuple of str
        Its scripts in ``static/``, loaded in this order after the shared one.
    available : callable
        Whether this build has what the page needs.
    """

    slug: str
    title: str
    template: str
    scripts: Tuple[str, ...] = ()
    available: Callable[[], bool] = _always

    @property
    def path(self) -> str:
        """The page's path."""
        return f"/{self.slug}"


def has_function(name: str) -> Callable[[], bool]:
    """A check that the compiled module has ``name``."""
    return lambda: hasattr(_kestral, name)
