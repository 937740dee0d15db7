"""What is delivered: one version everywhere, the Debian package
python3-tessadox, and the example server of avatars."""

import ast
import hashlib
import importlib.metadata
import os
import pathlib
import re
import subprocess
import sys
import urllib.error
import urllib.request

import pytest

import tessadox
from conftest import SOURCE_TREE


def project_version():
    cmake = (SOURCE_TREE / "CMakeLists.txt").read_text(encoding="utf-8")
    return re.search(r"project\(tessadox VERSION ([0-9.]+)", cmake).group(1)


def test_the_version_is_cmakes_project_version_everywhere():
    version = project_version()
    assert tessadox.__version__ == version
    assert tessadox.library_version() == version
    assert importlib.metadata.version("tessadox") == version


def test_type_hints_ship_with_the_package():
    folder = pathlib.Path(tessadox.__file__).parent
    assert (folder / "py.typed").is_file()
    stub = (folder / "__init__.pyi").read_text(encoding="utf-8")
    ast.parse(stub)
    for name in tessadox.__all__:
        assert re.search(rf"^(class|def) {name}\b", stub, re.MULTILINE), name


@pytest.fixture(scope="module")
def package():
    """The .deb that scripts/build-python-deb made, as scripts/test-python names it."""
    deb = os.environ.get("TESSADOX_PYTHON_DEB")
    if not deb:
        pytest.skip("TESSADOX_PYTHON_DEB names no package (scripts/test-python sets it)")
    return pathlib.Path(deb)


def field(deb, name):
    return subprocess.run(
        ["dpkg-deb", "-f", deb, name], capture_output=True, text=True, check=True
    ).stdout.strip()


def test_the_debian_package_depends_on_the_library_and_its_python(package, tmp_path):
    version = project_version()
    major = version.split(".")[0]
    python = "%d.%d" % sys.version_info[:2]
    assert field(package, "Package") == "python3-tessadox"
    assert field(package, "Version") == version
    assert field(package, "Section") == "python"
    depends = [item.strip() for item in field(package, "Depends").split(",")]
    assert f"libtessadox{major} (>= {version})" in depends
    assert f"python3 (>= {python}~)" in depends
    assert any(re.fullmatch(r"python3 \(<< 3\.\d+\)", item) for item in depends), depends
    assert any(item.startswith("libc6") for item in depends), depends

    listing = subprocess.run(
        ["dpkg-deb", "-c", package], capture_output=True, text=True, check=True
    ).stdout
    files = sorted(line.split()[-1] for line in listing.splitlines() if not line.startswith("d"))
    modules = "./usr/lib/python3/dist-packages/"
    assert [f for f in files if not f.startswith(modules)] == [
        "./usr/share/doc/python3-tessadox/changelog.gz",
        "./usr/share/doc/python3-tessadox/copyright",
    ]
    names = {f[len(modules) :] for f in files if f.startswith(modules)}
    assert {
        "tessadox/__init__.py",
        "tessadox/__init__.pyi",
        "tessadox/py.typed",
        f"tessadox-{version}.dist-info/METADATA",
    } <= names
    assert any(re.fullmatch(r"tessadox/_tessadox\.cpython-3\d+-.*\.so", n) for n in names), names
    assert not any("RECORD" in n or "__pycache__" in n for n in names), names


def test_the_debian_package_is_lintian_clean(package):
    done = subprocess.run(
        ["lintian", "--display-level", ">=pedantic", "--fail-on", "error,warning", package],
        capture_output=True,
        text=True,
    )
    assert done.returncode == 0, done.stdout + done.stderr
    notes = [line for line in done.stdout.splitlines() if line.startswith(("E:", "W:"))]
    assert notes == []


def test_the_installed_package_draws_the_golden_vectors(package, vectors, tmp_path):
    subprocess.run(["dpkg-deb", "-x", package, tmp_path], check=True)
    modules = tmp_path / "usr/lib/python3/dist-packages"
    case = vectors[0]
    code = (
        "import hashlib, json, sys\n"
        f"sys.path.insert(0, {str(modules)!r})\n"
        "import tessadox\n"
        f"case = json.loads({__import__('json').dumps(case)!r})\n"
        "picture = tessadox.draw(case['checksum'], seed=case['seed'], **case['options'])\n"
        "print(tessadox.__file__, hashlib.sha256(picture.png()).hexdigest())\n"
    )
    environment = dict(os.environ, LD_LIBRARY_PATH=os.environ.get("TESSADOX_LIBRARY_DIR", ""))
    done = subprocess.run(
        [sys.executable, "-S", "-c", code], capture_output=True, text=True, env=environment
    )
    assert done.returncode == 0, done.stderr
    location, digest = done.stdout.split()
    assert location.startswith(str(modules)) and digest == case["png_sha256"]


@pytest.fixture(scope="module")
def avatar_server():
    server = subprocess.Popen(
        [sys.executable, str(SOURCE_TREE / "examples" / "avatar_server.py"), "0"],
        stdout=subprocess.PIPE,
        text=True,
    )
    try:
        line = server.stdout.readline()
        address = re.search(r"http://127\.0\.0\.1:\d+/", line)
        assert address, line
        yield address.group(0)
    finally:
        server.terminate()
        server.wait(timeout=10)


def test_the_example_server_answers_avatars_and_refusals(avatar_server):
    checksum = "5d41402abc4b2a76b9719d911017c592"
    with urllib.request.urlopen(
        f"{avatar_server}{checksum}.png?resolution=48&color_mode=areas"
    ) as answer:
        assert answer.status == 200 and answer.headers["Content-Type"] == "image/png"
        assert "immutable" in answer.headers["Cache-Control"]
        body = answer.read()
    expected = tessadox.draw(checksum, resolution=48, color_mode="areas", seed=0).png()
    assert hashlib.sha256(body).digest() == hashlib.sha256(expected).digest()
    for query, said in (
        ("resolution=0", "resolution=0"),
        ("colour=gray", "colour"),
        ("seed=5", "seed"),
        ("intensity=100000", "steps"),
    ):
        with pytest.raises(urllib.error.HTTPError) as refused:
            urllib.request.urlopen(f"{avatar_server}{checksum}.png?{query}")
        assert refused.value.code == 400
        assert said in refused.value.read().decode(), query
