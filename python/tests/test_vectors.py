"""The golden vectors: the bytes that the command, the C API and the npm
package draw, through the Python package."""

import array
import hashlib

import tessadox


def drawn(case, checksum):
    return tessadox.draw(checksum, seed=case["seed"], **case["options"])


def test_every_case_draws_the_golden_png_and_pixels(vectors):
    assert len(vectors) >= 30
    for case in vectors:
        picture = drawn(case, case["checksum"])
        assert hashlib.sha256(picture.png()).hexdigest() == case["png_sha256"], case["name"]
        assert hashlib.sha256(memoryview(picture)).hexdigest() == case["pixels_sha256"], case[
            "name"
        ]


def test_a_checksum_as_bytes_draws_what_its_text_draws(vectors):
    for case in vectors[:: max(1, len(vectors) // 8)]:
        encoded = case["checksum"].encode("utf-8")
        for checksum in (
            encoded,
            bytearray(encoded),
            memoryview(encoded),
            array.array("B", encoded),
        ):
            assert hashlib.sha256(drawn(case, checksum).png()).hexdigest() == case["png_sha256"]
