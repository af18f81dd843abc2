import os
import shutil

import pytest


@pytest.fixture
def adaptsim():
    """The adaptsim executable named by $ADAPTSIM (the CMake test and CI set it)."""
    path = os.environ.get("ADAPTSIM") or shutil.which("adaptsim")
    if not path:
        pytest.skip("no adaptsim: set ADAPTSIM to the built executable")
    return path
