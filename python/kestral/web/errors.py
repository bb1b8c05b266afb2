"""Messages of the readers as the API returns them: status 422 with the
program's message and the field it names, so that a page can show it beside
that field."""

from __future__ import annotations

import re
from typing import Dict, Optional

# What a page sends its problems as: messages start "problem: ".
SOURCE = "problem"

_FIELD = re.compile(r"^[A-Za-z_]+(\[\d+\])?(\.[A-Za-z_]+(\[\d+\])?)*$")


def field_of(message: str, source: str = SOURCE) -> Optional[str]:
    """The field a reader's message names.

    Parameters
    ----------
    message : str
        The message, as ``<source>: <field>: <what is wrong>``.
    source : str
        The name the problem was given.

    Returns
    -------
    str or None
        ``layers[1].nu`` for ``problem: layers[1].nu: is 0.6, ...``; None when
        the message names no field (a JSON syntax error, an engine message
        about a point by number).
    """
    prefix = source + ": "
    rest = message[len(prefix):] if message.startswith(prefix) else message
    field, sep, _ = rest.partition(": ")
    if sep and _FIELD.match(field):
        return field
    return None


def error_body(message: str, source: str = SOURCE) -> Dict[str, Optional[str]]:
    """The body of a 422 answer.

    Parameters
    ----------
    message : str
        The program's message.
    source : str
        The name the problem was given.

    Returns
    -------
    dict
        ``error`` the whole message, ``field`` the field it names (or None),
        ``message`` the message after the field.
    """
    field = field_of(message, source)
    prefix = source + ": "
    rest = message[len(prefix):] if message.startswith(prefix) else message
    detail = rest[len(field) + 2:] if field else rest
    return {"error": message, "field": field, "message": detail}
