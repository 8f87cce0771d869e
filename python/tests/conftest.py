"""Shared fixtures: the library under test and a skip for entry points a
partial build does not export yet."""

import os
import sys
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).resolve().parents[1]))

import tolvane  # noqa: E402

SOURCE_DIR = Path(os.environ.get("TOLVANE_SOURCE_DIR", Path(__file__).resolve().parents[2]))


@pytest.fixture(scope="session")
def lib():
    return tolvane.Library()


@pytest.fixture
def needs(lib):
    """needs("qivtoOBJ", ...) skips the test when an entry point is missing."""
    def check(*names):
        missing = [n for n in names if not lib.has(n)]
        if missing:
            pytest.skip("not in this build: " + ", ".join(missing))
    return check
