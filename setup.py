"""Builds the extension module `adaptive._adaptive` with the project's CMake.

Everything else about the package is in pyproject.toml. `pip install
--no-build-isolation .` runs this with the interpreter that pip belongs to, and
CMake builds the module for that interpreter with Debian's pybind11.
"""

import os
import re
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent


class CMakeExtension(Extension):
    def __init__(self, name):
        super().__init__(name, sources=[])


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        module_dir = Path(self.get_ext_fullpath(ext.name)).resolve().parent
        build_dir = Path(self.build_temp).resolve() / "cmake"
        subprocess.check_call([
            "cmake", "-S", str(ROOT), "-B", str(build_dir),
            "-DCMAKE_BUILD_TYPE=Release",
            "-DADAPTIVE_BUILD_PYTHON=ON",
            "-DADAPTIVE_BUILD_TESTS=OFF",
            "-DADAPTIVE_BUILD_SIM=OFF",
            "-DADAPTIVE_BUILD_BENCH=OFF",
            f"-DPython_EXECUTABLE={sys.executable}",
            f"-DADAPTIVE_PYTHON_MODULE_DIR={module_dir}",
        ])
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", "2")
        subprocess.check_call(["cmake", "--build", str(build_dir), "--target", "_adaptive", "-j", jobs])


def project_version():
    """The version of the project() call in CMakeLists.txt: the CMake package's and adaptive.__version__."""
    return re.search(r"project\(adaptive VERSION ([0-9.]+)", (ROOT / "CMakeLists.txt").read_text()).group(1)


setup(version=project_version(), ext_modules=[CMakeExtension("adaptive._adaptive")], cmdclass={"build_ext": CMakeBuild})
