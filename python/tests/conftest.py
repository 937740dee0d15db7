"""What the tests of the Python package share: the source tree, the golden
vectors that every client of the library is tested against, and a way to run
a snippet in a Python of its own."""

import json
import pathlib
import subprocess
import sys

import pytest

SOURCE_TREE = pathlib.Path(__file__).resolve().parents[2]


@pytest.fixture(scope="session")
def vectors():
    """The cases of tests/vectors.json."""
    with open(SOURCE_TREE / "tests" / "vectors.json", encoding="utf-8") as file:
        return json.load(file)["cases"]


def run_python(code, **arguments):
    """Runs `code` in a new interpreter of this Python (the same tessadox)."""
    return subprocess.run(
        [sys.executable, "-c", code], capture_output=True, text=True, check=False, **arguments
    )
