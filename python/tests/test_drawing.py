"""How a draw runs: the progress callable and what stops the draw, the work
bound, Ctrl-C in a process of its own, and threads drawing at once."""

import hashlib
import signal
import subprocess
import sys
import threading
import time

import pytest

import tessadox
from conftest import run_python

E_STOPPED = -6  # TESSADOX_E_STOPPED
E_TOO_MUCH_WORK = -7  # TESSADOX_E_TOO_MUCH_WORK
# Seconds of work (a billion steps), were nothing to stop it: a draw that
# does not stop fails its test rather than hanging it.
LONG = dict(resolution=1000, intensity=1000, seed=1)
# Hours of work, for a process of its own that is killed if it goes on.
ENDLESS = dict(resolution=1000, intensity=2_000_000, seed=1)


def test_progress_is_told_how_far_and_changes_no_pixel():
    calls = []
    picture = tessadox.draw(
        "ab" * 16, resolution=400, seed=3, progress=lambda *told: calls.append(told)
    )
    assert calls, "the progress callable was never called"
    steps = calls[0][1]
    assert steps > 0 and all(total == steps for _, total in calls)
    done = [done for done, _ in calls]
    assert done == sorted(done) and done[-1] <= steps
    assert bytes(picture) == bytes(tessadox.draw("ab" * 16, resolution=400, seed=3))


def test_a_true_answer_stops_the_draw_with_the_librarys_code():
    calls = []
    with pytest.raises(tessadox.TessadoxError) as stopped:
        tessadox.draw(
            "ab", **LONG, progress=lambda done, steps: calls.append(done) or len(calls) == 3
        )
    assert stopped.value.code == E_STOPPED and len(calls) == 3


def test_an_exception_of_the_progress_callable_stops_the_draw_and_comes_out():
    calls = []

    def refuse(done, steps):
        calls.append(done)
        raise LookupError("enough")

    with pytest.raises(LookupError, match="enough"):
        tessadox.draw("ab", **LONG, progress=refuse)
    assert len(calls) == 1


def test_max_steps_refuses_a_draw_before_it_starts():
    calls = []
    with pytest.raises(tessadox.TessadoxError) as refused:
        tessadox.draw("ab", **ENDLESS, max_steps=10**9, progress=lambda *told: calls.append(told))
    assert refused.value.code == E_TOO_MUCH_WORK and calls == []
    assert tessadox.draw("ab", resolution=10, intensity=1, max_steps=10**6).size == 10


@pytest.mark.parametrize("keywords", ["", ", threads=1", ", progress=lambda done, steps: None"])
def test_ctrl_c_stops_a_long_draw_within_a_second(keywords):
    code = f"""
import tessadox
print("drawing", flush=True)
tessadox.draw("ab", resolution={ENDLESS['resolution']}, intensity={ENDLESS['intensity']}{keywords})
print("finished", flush=True)
"""
    child = subprocess.Popen(
        [sys.executable, "-c", code], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True
    )
    try:
        assert child.stdout.readline() == "drawing\n"
        time.sleep(0.3)  # into the draw's plotting pass
        sent = time.monotonic()
        child.send_signal(signal.SIGINT)
        out, err = child.communicate(timeout=10)
        took = time.monotonic() - sent
    finally:
        child.kill()
        child.wait()
    assert err.rstrip().endswith("KeyboardInterrupt"), err
    assert out == "" and child.returncode != 0
    assert took < 1.0, f"the draw went on for {took:.2f} s after SIGINT"


def test_threads_draw_at_once_what_each_draws_alone():
    checksums = [hashlib.md5(str(n).encode()).hexdigest() for n in range(6)]
    keywords = [dict(resolution=160, seed=n, threads=1 + n % 2) for n in range(6)]
    alone = [tessadox.draw(c, **k).png() for c, k in zip(checksums, keywords)]
    together = [None] * 6
    start = threading.Barrier(6)

    def draw(n):
        start.wait()
        together[n] = tessadox.draw(checksums[n], **keywords[n]).png()

    threads = [threading.Thread(target=draw, args=(n,)) for n in range(6)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert together == alone


def test_a_draw_in_another_thread_is_stopped_by_its_progress_callable():
    outcome = []

    def draw():
        try:
            tessadox.draw("ab", **LONG, progress=lambda done, steps: done > 0)
        except tessadox.TessadoxError as stopped:
            outcome.append(stopped.code)

    thread = threading.Thread(target=draw)
    thread.start()
    thread.join(timeout=60)
    assert outcome == [E_STOPPED]


def test_the_module_imports_in_a_fresh_interpreter_with_every_name_documented():
    done = run_python(
        "import tessadox\n"
        "names = tessadox.__all__ + ['__version__']\n"
        "undocumented = [n for n in tessadox.__all__ if not (getattr(tessadox, n).__doc__ or '').strip()]\n"
        "members = [getattr(tessadox.Picture, n) for n in ('png', 'to_pil', 'size', 'options')]\n"
        "undocumented += [m for m in members if not (m.__doc__ or '').strip()]\n"
        "print(undocumented, all(hasattr(tessadox, n) for n in names))\n"
    )
    assert done.stdout == "[] True\n", done.stderr
