"""Shared places: the source tree and the built programs (named by CTest in
the environment)."""

import os
import pathlib

import pytest

SOURCE = pathlib.Path(os.environ.get("KESTRAL_SOURCE_DIR",
                                     pathlib.Path(__file__).resolve().parents[2]))


def program(variable):
    path = os.environ.get(variable)
    if not path or not os.path.exists(path):
        pytest.skip(f"{variable} does not name a built program (run the test through CTest)")
    return path
