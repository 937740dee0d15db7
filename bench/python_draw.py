"""What a draw costs from Python: tessadox.draw() against the C library's
tessadox_draw for the same picture, and two Python threads drawing at once
against the same two draws one after the other (with the C library's own
two threads beside it, for what the machine allows at the moment).

    python3 bench/python_draw.py [--rounds N]

Run it with the Python that has the package installed (scripts/test-python
makes such an environment; so does `pip install ./python`). The C library
is the very one the extension loaded, called through ctypes, whose own cost
is a few microseconds against draws of milliseconds. Each figure is the
median of its rounds (a ratio also that of the fastest rounds), the two
sides of a comparison taken in turn so that a busy machine weighs on both
alike. Nothing here is a test: it prints figures, and checks only that
both sides drew the same pixels.
"""

import argparse
import ctypes
import statistics
import threading
import time

import tessadox

CHECKSUM = b"469369a0d4125559535c4c5062a3c303"
SEED = 1700000000


def loaded_library():
    """libtessadox as the extension loaded it, found in the process's map."""
    with open("/proc/self/maps", encoding="utf-8") as maps:
        for line in maps:
            if "libtessadox.so" in line:
                library = ctypes.CDLL(line.split()[-1])
                break
        else:
            raise SystemExit("python_draw: the extension loaded no libtessadox")
    library.tessadox_options_new.restype = ctypes.c_void_p
    library.tessadox_options_free.argtypes = [ctypes.c_void_p]
    library.tessadox_options_set.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_longlong]
    library.tessadox_option_by_name.argtypes = [ctypes.c_char_p]
    library.tessadox_draw.argtypes = [
        ctypes.c_char_p,
        ctypes.c_size_t,
        ctypes.c_void_p,
        ctypes.c_void_p,
        ctypes.c_void_p,
        ctypes.POINTER(ctypes.c_void_p),
    ]
    library.tessadox_picture_pixels.argtypes = [ctypes.c_void_p]
    library.tessadox_picture_pixels.restype = ctypes.POINTER(ctypes.c_ubyte)
    library.tessadox_picture_size.argtypes = [ctypes.c_void_p]
    library.tessadox_picture_free.argtypes = [ctypes.c_void_p]
    return library


def c_draw(library, options):
    """Seconds that tessadox_draw takes, and the pixels' bytes."""
    handle = library.tessadox_options_new()
    for name, value in options.items():
        library.tessadox_options_set(handle, library.tessadox_option_by_name(name.encode()), value)
    picture = ctypes.c_void_p()
    start = time.perf_counter()
    code = library.tessadox_draw(CHECKSUM, len(CHECKSUM), handle, None, None, ctypes.byref(picture))
    took = time.perf_counter() - start
    library.tessadox_options_free(handle)
    assert code == 0, code
    size = library.tessadox_picture_size(picture)
    pixels = ctypes.string_at(library.tessadox_picture_pixels(picture), size * size * 3)
    library.tessadox_picture_free(picture)
    return took, pixels


def python_draw(options):
    start = time.perf_counter()
    picture = tessadox.draw(CHECKSUM, **options)
    return time.perf_counter() - start, bytes(picture)


def compare_with_c(library, label, options, rounds):
    # The binding reads the checksum's own length unless told; the C side
    # is told the same explicitly.
    options = {"seed": SEED, "checksum_length": 0, **options}
    c_times, python_times = [], []
    for _ in range(rounds):
        c_took, c_pixels = c_draw(library, options)
        python_took, python_pixels = python_draw(options)
        assert c_pixels == python_pixels, "the two sides drew different pixels"
        c_times.append(c_took)
        python_times.append(python_took)
    c, python = statistics.median(c_times), statistics.median(python_times)
    print(
        f"{label:<22} C {c * 1000:8.2f} ms   Python {python * 1000:8.2f} ms   "
        f"Python/C {python / c:.3f}, of the best rounds {min(python_times) / min(c_times):.3f}"
        f"   ({rounds} rounds)"
    )


def one_after_the_other_and_at_once(draw, rounds):
    """Median seconds of draw(0) then draw(1), of both in two threads at
    once, and the CPU time per wall time of the latter: near 2 when both
    threads ran at once, near 1 when one waited, for the GIL or for a core
    that other programs held."""
    sequential, together, busy = [], [], []
    for _ in range(rounds):
        start = time.perf_counter()
        draw(0)
        draw(1)
        sequential.append(time.perf_counter() - start)
        threads = [threading.Thread(target=draw, args=(n,)) for n in range(2)]
        start, cpu = time.perf_counter(), time.process_time()
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        together.append(time.perf_counter() - start)
        busy.append((time.process_time() - cpu) / together[-1])
    return statistics.median(sequential), statistics.median(together), statistics.median(busy)


def two_threads(library, rounds, resolution):
    # The C library called through ctypes, which releases the GIL too, is
    # the control: what two threads gain on this machine at this moment.
    options = [dict(resolution=resolution, seed=SEED + n, threads=1) for n in range(2)]
    sides = {
        "Python": lambda n: tessadox.draw(CHECKSUM, **options[n]),
        "C": lambda n: c_draw(library, options[n]),
    }
    for side, draw in sides.items():
        one, both, busy = one_after_the_other_and_at_once(draw, rounds)
        print(
            f"two draws, resolution={resolution}, threads=1 each, {side:<6}: one after the "
            f"other {one * 1000:7.1f} ms, two threads at once {both * 1000:7.1f} ms, "
            f"ratio {both / one:.3f}, CPU per wall time at once {busy:.2f}   ({rounds} rounds)"
        )


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=15, help="rounds of each comparison")
    rounds = parser.parse_args().rounds
    library = loaded_library()
    print(f"tessadox {tessadox.__version__}, library {tessadox.library_version()}")
    compare_with_c(library, "default picture (300)", {}, rounds)
    compare_with_c(library, "resolution=1000", {"resolution": 1000}, max(3, rounds // 3))
    two_threads(library, max(3, rounds // 3), 600)


if __name__ == "__main__":
    main()
