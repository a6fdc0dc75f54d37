"""Builds the abacor package from this source tree with CMake (offline).

    pip install --no-build-isolation ./python

The extension module links the reference host and the engine's shared library;
both are built here with the repository's own CMake build, and libabacor is
shipped next to the module (the module finds it through its $ORIGIN run path).
"""
import os
import pathlib
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

HERE = pathlib.Path(__file__).resolve().parent
ROOT = HERE.parent


class CMakeExtension(Extension):
    def __init__(self, name):
        super().__init__(name, sources=[])


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        build = pathlib.Path(self.build_temp).resolve() / "cmake"
        subprocess.check_call([
            "cmake", "-S", str(ROOT), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
            "-DABACOR_BUILD_TESTS=OFF", "-DABACOR_BUILD_SHOWCASE=OFF", "-DABACOR_BUILD_BENCH=OFF",
            "-DCMAKE_BUILD_WITH_INSTALL_RPATH=ON",  # the module finds libabacor beside itself
            f"-DPYTHON_EXECUTABLE={sys.executable}"])
        subprocess.check_call(["cmake", "--build", str(build), "--target", "abacor_python",
                               "-j", str(os.cpu_count() or 1)])
        target = pathlib.Path(self.get_ext_fullpath(ext.name)).resolve()
        target.parent.mkdir(parents=True, exist_ok=True)
        modules = sorted((build / "python" / "abacor").glob("_abacor*.so"))
        if not modules:
            raise RuntimeError("the CMake build made no abacor._abacor module (is pybind11-dev installed?)")
        shutil.copy2(modules[0], target)
        library = (build / "libabacor.so.0").resolve()
        shutil.copy2(library, target.parent / "libabacor.so.0")


setup(
    name="abacor",
    version="0.1.0",
    description="Abacor formulas over pandas DataFrames, live streams and market screens (threads or Dask)",
    packages=["abacor"],
    ext_modules=[CMakeExtension("abacor._abacor")],
    cmdclass={"build_ext": CMakeBuild},
    python_requires=">=3.9",
    zip_safe=False,
)
