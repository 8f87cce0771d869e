"""Shared fixture: the library under test."""

import sys
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).resolve().parents[1]))

import tolvane  # noqa: E402

@pytest.fixture(scope="session")
def lib():
    return tolvane.Library()
