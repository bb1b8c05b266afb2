"""The exceptions of kestral beyond Python's own.

A file or folder that is not there raises ``FileNotFoundError`` and one that
cannot be written ``PermissionError``, as Python's own functions do. Each is
also a ``ValueError``, the exception of every other mistake in a problem, so
that code written to catch ``ValueError`` still catches them.
"""

from __future__ import annotations

import os

__all__ = ["MissingFileError", "NotAFolderError", "FolderNotWritableError", "missing_or_same"]


class MissingFileError(FileNotFoundError, ValueError):
    """A problem file, or a folder of the legacy program, that does not exist."""


class NotAFolderError(NotADirectoryError, ValueError):
    """A file named where a folder is expected."""


class FolderNotWritableError(PermissionError, ValueError):
    """A folder the legacy program must write its report into, but cannot."""


def missing_or_same(path: str, error: ValueError) -> ValueError:
    """``error`` (the program's message about ``path``) as MissingFileError
    when ``path`` does not exist, else as it is."""
    if os.path.lexists(path):
        return error
    return MissingFileError(str(error))
