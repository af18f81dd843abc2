"""Builds the extension module `adaptive_filters._adaptive` with the project's CMake.

Everything else about the package is in pyproject.toml; the version is the
project's, from CMakeLists.txt. `pip install --no-build-isolation .` runs this
with the interpreter that pip belongs to, and CMake builds the module for that
interpreter with Debian's pybind11. Without what the build needs, it stops
before anything else and says which interpreter and packages to use.
"""

import importlib.util
import os
import re
import shutil
import subprocess
import sys
import sysconfig
from pathlib import Path

ROOT = Path(__file__).resolve().parent

# What the build takes from the interpreter, and the Debian package that
# provides it for /usr/bin/python3.
DEBIAN_PACKAGES = "python3-pybind11 pybind11-dev python3-numpy python3-setuptools python3-wheel python3-dev python3-venv"


def missing_build_needs():
    """What this interpreter lacks of what the build needs."""
    missing = [module for module in ("pybind11", "numpy", "setuptools") if importlib.util.find_spec(module) is None]
    # pip builds a wheel: setuptools before 70.1 needs the wheel package for it.
    if importlib.util.find_spec("wheel") is None and (
        "setuptools" in missing or importlib.util.find_spec("setuptools.command.bdist_wheel") is None
    ):
        missing.append("wheel")
    if not (Path(sysconfig.get_paths()["include"]) / "Python.h").exists():
        missing.append("Python.h")
    return missing


def stop_without_build_needs():
    missing = missing_build_needs()
    if missing:
        sys.exit(
            f"adaptive_filters: cannot build with {sys.executable} (Python {sys.version.split()[0]}): "
            f"it has no {', '.join(missing)}.\n"
            "The package builds with Debian's /usr/bin/python3 and its packages, in a virtual\n"
            "environment that sees them, from the top of the source tree:\n"
            f"    sudo apt-get install {DEBIAN_PACKAGES}\n"
            "    /usr/bin/python3 -m venv --system-site-packages venv\n"
            "    venv/bin/pip install --no-build-isolation ."
        )


def project_version():
    """The version of project(adaptive VERSION x.y.z) in CMakeLists.txt."""
    text = (ROOT / "CMakeLists.txt").read_text()
    return re.search(r"project\(adaptive\s+VERSION\s+([0-9.]+)", text).group(1)


stop_without_build_needs()

from setuptools import Extension, setup  # noqa: E402 (after the check of what the build needs)
from setuptools.command.build_ext import build_ext  # noqa: E402
from setuptools.command.build_py import build_py  # noqa: E402


class FreshBuildPy(build_py):
    """The package's files copied into an emptied build/lib: a wheel packs all
    that directory holds, and a package renamed or a file removed since an
    earlier build would go along (the extension's CMake tree, in build/temp,
    stays, so that its build goes on from where it was)."""

    def run(self):
        shutil.rmtree(self.build_lib, ignore_errors=True)
        super().run()


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
            f"-DADAPTIVE_FILTERS_MODULE_DIR={module_dir}",
        ])
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", "2")
        subprocess.check_call(["cmake", "--build", str(build_dir), "--target", "_adaptive", "-j", jobs])


setup(
    version=project_version(),
    ext_modules=[CMakeExtension("adaptive_filters._adaptive")],
    cmdclass={"build_py": FreshBuildPy, "build_ext": CMakeBuild},
)
