#!/usr/bin/env python3
"""The golden vectors through the C API and through the command.

Each case of vectors.json is drawn by libtessadox, loaded as a program
loads it, with its options set by name; the PNG bytes and the pixels must
hash to the case's SHA-256s, and the command, given the same settings as
arguments and the seed as SOURCE_DATE_EPOCH, must write the very PNG bytes.

    vectors_test.py LIBRARY COMMAND [--write]

--write fills in the hashes of new cases (a case whose hashes are there
already must still match): the file is a contract, and a changed hash is a
breaking change, never an update.
"""
import ctypes
import hashlib
import json
import os
import subprocess
import sys

VECTORS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "vectors.json")
COLOR_MODE = 5
CHECKSUM_LENGTH = 4
SEED = 8


def load(path):
    lib = ctypes.CDLL(path)
    lib.tessadox_options_new.restype = ctypes.c_void_p
    lib.tessadox_options_free.argtypes = [ctypes.c_void_p]
    lib.tessadox_options_set.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_longlong]
    lib.tessadox_option_by_name.argtypes = [ctypes.c_char_p]
    lib.tessadox_option_value_by_name.argtypes = [
        ctypes.c_int, ctypes.c_char_p, ctypes.POINTER(ctypes.c_longlong)]
    lib.tessadox_draw.argtypes = [ctypes.c_char_p, ctypes.c_size_t, ctypes.c_void_p,
                                  ctypes.c_void_p, ctypes.c_void_p,
                                  ctypes.POINTER(ctypes.c_void_p)]
    lib.tessadox_picture_size.argtypes = [ctypes.c_void_p]
    lib.tessadox_picture_pixels.argtypes = [ctypes.c_void_p]
    lib.tessadox_picture_pixels.restype = ctypes.POINTER(ctypes.c_ubyte)
    lib.tessadox_picture_option.argtypes = [ctypes.c_void_p, ctypes.c_int,
                                            ctypes.POINTER(ctypes.c_longlong)]
    lib.tessadox_encode_png.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_void_p),
                                        ctypes.POINTER(ctypes.c_size_t)]
    lib.tessadox_picture_free.argtypes = [ctypes.c_void_p]
    lib.tessadox_png_free.argtypes = [ctypes.c_void_p]
    lib.tessadox_error_text.restype = ctypes.c_char_p
    return lib


def check(code, lib, what):
    if code != 0:
        raise AssertionError(f"{what}: {lib.tessadox_error_text(code).decode()} ({code})")


def draw(lib, case):
    """The case's PNG bytes, pixels and the checksum length the draw read."""
    options = lib.tessadox_options_new()
    try:
        for name, given in list(case["options"].items()) + [("seed", case["seed"])]:
            option = lib.tessadox_option_by_name(name.encode())
            assert option > 0, f"no option is called {name}"
            value = ctypes.c_longlong(given if isinstance(given, int) else 0)
            if isinstance(given, str):
                check(lib.tessadox_option_value_by_name(option, given.encode(),
                                                        ctypes.byref(value)), lib, name)
            # A clamped value (answer 1) is part of what a case may test.
            answer = lib.tessadox_options_set(options, option, value)
            assert answer in (0, 1), f"{name} = {given}: answer {answer}"
        checksum = case["checksum"].encode()
        picture = ctypes.c_void_p()
        check(lib.tessadox_draw(checksum, len(checksum), options, None, None,
                                ctypes.byref(picture)), lib, case["name"])
    finally:
        lib.tessadox_options_free(options)
    try:
        size = lib.tessadox_picture_size(picture)
        pixels = ctypes.string_at(lib.tessadox_picture_pixels(picture), 3 * size * size)
        length = ctypes.c_longlong()
        check(lib.tessadox_picture_option(picture, CHECKSUM_LENGTH, ctypes.byref(length)), lib,
              "checksum length")
        png, png_size = ctypes.c_void_p(), ctypes.c_size_t()
        check(lib.tessadox_encode_png(picture, ctypes.byref(png), ctypes.byref(png_size)), lib,
              "encode")
        png_bytes = ctypes.string_at(png, png_size.value)
        lib.tessadox_png_free(png)
    finally:
        lib.tessadox_picture_free(picture)
    return png_bytes, pixels, length.value


def command_line(options, length):
    """The command's arguments for the options; it has no length of its own, so the
    checksum length is the one the library's draw read."""
    args = []
    for name, letter in (("resolution", "-r"), ("background", "-b"), ("intensity", "-i")):
        if name in options:
            args += [letter, str(options[name])]
    args += ["-l", str(options["checksum_length"] or length)]
    args += {"gray": ["-g"], "areas": ["-a"]}.get(options.get("color_mode"), [])
    args += ["-c"] * options.get("flip_bgr", 0) + ["-t"] * options.get("transparent", 0)
    return args


def main():
    library, command = sys.argv[1], sys.argv[2]
    write = "--write" in sys.argv[3:]
    lib = load(library)
    with open(VECTORS) as f:
        vectors = json.load(f)
    failures = 0
    for case in vectors["cases"]:
        png, pixels, length = draw(lib, case)
        hashes = {"png_sha256": hashlib.sha256(png).hexdigest(),
                  "pixels_sha256": hashlib.sha256(pixels).hexdigest()}
        args = command_line(case["options"], length)
        run = subprocess.run([command] + args, input=case["checksum"].encode(),
                             capture_output=True,
                             env=dict(os.environ, SOURCE_DATE_EPOCH=str(case["seed"])))
        wrong = []
        if run.returncode != 0 or run.stdout != png:
            wrong.append(f"the command {' '.join(args)} wrote other bytes "
                         f"(status {run.returncode}, {run.stderr!r})")
        for key, value in hashes.items():
            if write and key not in case:
                case[key] = value
            elif case.get(key) != value:
                wrong.append(f"{key} is {value}, not {case.get(key)}")
        for what in wrong:
            print(f"FAIL {case['name']}: {what}")
        failures += bool(wrong)
    if write:
        with open(VECTORS, "w") as f:
            json.dump(vectors, f, indent=1)
            f.write("\n")
    cases = len(vectors["cases"])
    print(f"vectors: {cases - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
