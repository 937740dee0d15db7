"""No leak over many draws: neither of Python's objects (tracemalloc) nor of
the library's pictures and PNG bytes (the process's peak memory)."""

import gc
import tracemalloc

import tessadox
from conftest import run_python


def draw_every_way(n):
    picture = tessadox.draw("ab" * n, resolution=24, intensity=2, seed=n, color_mode=n % 3)
    picture.png(), picture.options, bytes(memoryview(picture)), repr(picture)
    for refused in ({"resolution": 0}, {"color_mode": "blue"}, {"max_steps": 1}):
        try:
            tessadox.draw("ab", **refused)
        except tessadox.TessadoxError as refusal:
            refusal.code, refusal.text
    try:
        tessadox.draw("ab", resolution=64, progress=lambda done, steps: 1 / 0)
    except ZeroDivisionError:
        pass


def test_python_objects_do_not_pile_up():
    # The same draws before: what Python keeps once (interned strings, caches)
    # is kept by then.
    for n in range(400):
        draw_every_way(n)
    gc.collect()
    tracemalloc.start()
    try:
        before = tracemalloc.get_traced_memory()[0]
        for n in range(800):
            draw_every_way(n % 400)
        gc.collect()
        grown = tracemalloc.get_traced_memory()[0] - before
    finally:
        tracemalloc.stop()
    # What Python itself keeps varies by a few KB; one int kept by each
    # draw would be 25 KB, a Picture 50 KB.
    assert grown < 10_000, f"{grown} bytes more after 800 rounds of draws"


PEAK = """
import resource, tessadox
def batch(n):
    for seed in range(n):
        picture = tessadox.draw("ab", resolution=1000, intensity=1, seed=seed)
        if seed % 4 == 0:
            picture.png()
        memoryview(picture).tobytes()
batch(6)
warm = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss
batch(40)
print(warm, resource.getrusage(resource.RUSAGE_SELF).ru_maxrss)
"""


def test_the_peak_memory_stays_over_many_large_draws():
    done = run_python(PEAK, timeout=120)
    assert done.returncode == 0, done.stderr
    warm, last = map(int, done.stdout.split())
    # Each picture is 3 MB of pixels; 40 of them kept would be 120 MB.
    assert last - warm < 12_000, f"the peak grew from {warm} KB to {last} KB"
