"""Builds the tessadox package: the C extension over libtessadox, which
pkg-config finds (an installed libtessadox-dev, or PKG_CONFIG_PATH pointed
at the pkgconfig folder of a prefix that `cmake --install` filled). The
package's version is the library's, which CMake's project version sets.

No pyproject.toml on purpose: without one, `pip install ./python` builds
with the setuptools and wheel already installed (Debian's python3-setuptools
and python3-wheel) instead of fetching them into an isolated environment,
so it works offline; `python3 -m build --no-isolation` does the same."""

import subprocess

from setuptools import Extension, setup

LIBRARY = "tessadox >= 3"


def pkg_config(*arguments: str) -> list[str]:
    """pkg-config's answer for the library, split into words."""
    try:
        done = subprocess.run(
            ["pkg-config", *arguments, LIBRARY], check=True, capture_output=True, text=True
        )
    except FileNotFoundError:
        raise SystemExit("setup.py: pkg-config is not installed (Debian: apt install pkg-config)")
    except subprocess.CalledProcessError as failure:
        raise SystemExit(
            "setup.py: pkg-config finds no libtessadox 3 or later: install libtessadox-dev, or "
            "set PKG_CONFIG_PATH to the pkgconfig folder of the prefix tessadox is installed "
            "in\n" + failure.stderr
        )
    return done.stdout.split()


setup(
    name="tessadox",
    version=pkg_config("--modversion")[0],
    description="Draw a checksum as a fractal picture, as the tessadox command does",
    long_description=open("README.md", encoding="utf-8").read(),
    long_description_content_type="text/markdown",
    license="MIT",
    url="https://tessadox.example",
    python_requires=">=3.10",
    package_dir={"": "src"},
    packages=["tessadox"],
    package_data={"tessadox": ["py.typed", "__init__.pyi"]},
    ext_modules=[
        Extension(
            "tessadox._tessadox",
            sources=[f"src/tessadox/{name}.c" for name in ("module", "keywords", "picture")],
            depends=["src/tessadox/binding.h"],
            extra_compile_args=[*pkg_config("--cflags"), "-Wall", "-Wextra", "-std=c11"],
            # Debian's hardening: relocations resolved at load, then read-only.
            extra_link_args=[*pkg_config("--libs"), "-Wl,-z,relro", "-Wl,-z,now"],
        )
    ],
    zip_safe=False,
)
