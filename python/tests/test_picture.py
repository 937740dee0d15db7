"""The picture: its pixels through the buffer protocol, shaped rows by
columns by channels from the top left, against the PNG that it encodes, and
as numpy and Pillow take them."""

import ctypes
import gc
import io

import pytest

import tessadox
from conftest import run_python

CHECKSUM = "9e107d9d372bb6826bd81d3542a419d6"
LOOKS = [
    {},
    {"flip_bgr": 1},
    {"color_mode": "areas", "background": 255},
    {"transparent": 1, "background": 40, "color_mode": "gray"},
]


def test_the_buffer_is_read_only_bytes_shaped_by_the_size():
    picture = tessadox.draw(CHECKSUM, resolution=37, seed=1)
    view = memoryview(picture)
    assert (picture.size, view.shape, view.strides) == (37, (37, 37, 3), (111, 3, 1))
    assert (view.format, view.itemsize, view.ndim, view.nbytes) == ("B", 1, 3, 37 * 37 * 3)
    assert view.readonly and view.c_contiguous
    assert len(bytes(picture)) == view.nbytes
    with pytest.raises((TypeError, BufferError)):
        (ctypes.c_char * view.nbytes).from_buffer(picture)


def test_the_pixels_are_those_of_the_png_from_the_top_left():
    image_module = pytest.importorskip("PIL.Image")
    for look in LOOKS:
        picture = tessadox.draw(CHECKSUM, resolution=23, seed=1700000000, **look)
        decoded = image_module.open(io.BytesIO(picture.png()))
        assert decoded.mode == "RGB" and decoded.size == (23, 23)
        assert decoded.tobytes() == bytes(picture), look
        view = memoryview(picture)
        for x, y in ((0, 0), (22, 0), (0, 22), (5, 17)):
            assert decoded.getpixel((x, y)) == tuple(view[y, x, c] for c in range(3))
        image = picture.to_pil()
        assert (image.mode, image.size, image.tobytes()) == ("RGB", (23, 23), decoded.tobytes())
        assert image.info.get("transparency") == decoded.info.get("transparency"), look


def test_numpy_reads_the_pixels_where_they_lie():
    numpy = pytest.importorskip("numpy")
    picture = tessadox.draw(CHECKSUM, resolution=16, seed=1, color_mode="areas")
    pixels = numpy.asarray(picture)
    assert pixels.shape == (16, 16, 3) and pixels.dtype == numpy.uint8
    assert not pixels.flags.writeable and not pixels.flags.owndata
    assert pixels.tobytes() == bytes(picture)
    assert numpy.array_equal(
        pixels[3, 9], numpy.frombuffer(bytes(picture), numpy.uint8)[(3 * 16 + 9) * 3 :][:3]
    )


def test_the_pixels_outlive_the_picture_that_a_view_holds():
    picture = tessadox.draw(CHECKSUM, resolution=64, seed=1)
    expected = bytes(picture)
    view = memoryview(picture)
    del picture
    gc.collect()
    tessadox.draw(CHECKSUM, resolution=64, seed=2)  # reuses freed memory, were it freed
    assert view.tobytes() == expected


def test_the_png_and_the_options_the_picture_was_drawn_with():
    picture = tessadox.draw(CHECKSUM, resolution=20, seed=5, color_mode="gray", background=255)
    png = picture.png()
    assert png.startswith(b"\x89PNG\r\n\x1a\n") and png == picture.png()
    options = picture.options
    assert set(options) == set(tessadox.options())
    assert options["resolution"] == 20 and options["seed"] == 5 and options["color_mode"] == "gray"
    assert options["checksum_length"] == 32
    assert repr(picture) == "<tessadox.Picture 20 x 20>"


def test_pictures_come_from_draw_alone():
    with pytest.raises(TypeError):
        tessadox.Picture()


def test_neither_numpy_nor_pillow_is_needed_but_for_to_pil():
    done = run_python(
        "import sys\n"
        "sys.modules['numpy'] = sys.modules['PIL'] = None  # as if not installed\n"
        "import tessadox\n"
        "picture = tessadox.draw('ab', resolution=8, seed=1)\n"
        "print(len(picture.png()) > 0, memoryview(picture).shape)\n"
        "try:\n"
        "    picture.to_pil()\n"
        "except ImportError:\n"
        "    print('to_pil needs Pillow')\n"
    )
    assert done.stdout == "True (8, 8, 3)\nto_pil needs Pillow\n", done.stderr
