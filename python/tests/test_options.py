"""The keywords of draw(): each option of the library's table by its name,
its range and its type, the checksum's types, and the binding's defaults."""

import time

import pytest

import tessadox

E_RANGE = -3  # TESSADOX_E_RANGE
E_TOO_MUCH_WORK = -7  # TESSADOX_E_TOO_MUCH_WORK


def accepted(name, value):
    """Whether draw() takes the value, with the options it was drawn with
    (None when the draw was refused for its work after taking every value)."""
    # No plotting steps, so that even the largest picture is quick; an
    # intensity of its own is bounded to one step instead.
    keywords = {"resolution": 4, "intensity": 0, name: value}
    if name == "intensity":
        keywords["max_steps"] = 1
    try:
        return True, tessadox.draw("ab", **keywords).options
    except tessadox.TessadoxError as refusal:
        if refusal.code == E_TOO_MUCH_WORK:
            return True, None
        assert refusal.code == E_RANGE, refusal
        assert refusal.text in str(refusal)
        assert str(refusal).startswith(f"{name}={value!r}: "), refusal
        return False, None


def test_the_table_lists_every_option_of_the_library():
    table = tessadox.options()
    assert {"resolution", "color_mode", "checksum_length", "seed", "max_steps"} <= set(table)
    for option in table.values():
        assert option.lowest <= option.highest
    assert table["color_mode"].values == ("gray", "mixed", "areas")
    assert table["color_mode"].default in table["color_mode"].values


def test_each_option_takes_its_range_and_refuses_beyond_it():
    for name, option in tessadox.options().items():
        for value in (option.lowest, option.highest):
            taken, drawn = accepted(name, value)
            shown = option.values[value - option.lowest] if option.values else value
            assert taken and (drawn is None or drawn[name] == shown), (name, value)
        for beyond in (option.lowest - 1, option.highest + 1, 2**64, -(2**64)):
            taken, drawn = accepted(name, beyond)
            # The library replaces some values as the command does rather than
            # refusing them; the picture then tells the value it drew with.
            assert not taken or option.lowest <= drawn[name] <= option.highest, (name, beyond)


def test_the_clamps_of_the_command():
    assert tessadox.draw("ab", resolution=1001, intensity=0).size == 1000
    assert (
        tessadox.draw("ab", checksum_length=7, intensity=0, resolution=1).options["checksum_length"]
        == 32
    )


def test_an_option_whose_values_have_names_takes_each_name_and_its_number():
    for number, name in enumerate(tessadox.options()["color_mode"].values):
        by_name = tessadox.draw("ab", resolution=8, seed=1, color_mode=name)
        by_number = tessadox.draw("ab", resolution=8, seed=1, color_mode=number)
        assert by_name.options["color_mode"] == name
        assert bytes(by_name) == bytes(by_number)
    with pytest.raises(tessadox.TessadoxError, match=r"'gray', 'mixed' or 'areas'") as refusal:
        tessadox.draw("ab", color_mode="blue")
    assert refusal.value.code == E_RANGE
    assert isinstance(refusal.value, ValueError)


def test_a_value_of_the_wrong_type_is_a_type_error_naming_both():
    for name, option in tessadox.options().items():
        wrong = [1.5, None, [1]] + ([] if option.values else ["1"])
        for value in wrong:
            message = rf"'{name}' must be .*int, not {type(value).__name__}"
            with pytest.raises(TypeError, match=message):
                tessadox.draw("ab", **{name: value})


def test_integers_of_other_types_and_booleans_are_numbers():
    numpy = pytest.importorskip("numpy")
    picture = tessadox.draw("ab", resolution=numpy.int64(8), flip_bgr=True, transparent=False)
    assert picture.size == 8
    assert picture.options["flip_bgr"] == 1 and picture.options["transparent"] == 0


def test_unknown_keywords_and_checksums_of_no_bytes_are_type_errors():
    with pytest.raises(TypeError, match=r"unexpected keyword argument 'colour_mode'"):
        tessadox.draw("ab", colour_mode="gray")
    for checksum in (None, 12, 1.0, ["ab"]):
        with pytest.raises(
            TypeError,
            match=rf"'checksum' must be str or a bytes-like object, not {type(checksum).__name__}",
        ):
            tessadox.draw(checksum)
    with pytest.raises(TypeError, match=r"'progress' must be callable or None, not int"):
        tessadox.draw("ab", progress=1)
    with pytest.raises(TypeError):
        tessadox.draw()
    with pytest.raises(TypeError):
        tessadox.draw("ab", "cd")


def test_the_checksum_length_is_by_default_the_checksums_own():
    sha256 = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"
    cases = [
        (sha256, None, 64),
        (sha256[:40], None, 40),
        (sha256[:44], None, 40),
        (sha256 + "  file.txt\n", None, 64),
        ("", None, 8),
        (sha256, 32, 32),
    ]
    for checksum, length, read in cases:
        keywords = {} if length is None else {"checksum_length": length}
        picture = tessadox.draw(checksum, resolution=1, intensity=0, **keywords)
        assert picture.options["checksum_length"] == read, checksum


def test_the_seed_is_by_default_the_current_second():
    before = int(time.time())
    seed = tessadox.draw("ab", resolution=1, intensity=0).options["seed"]
    assert before <= seed <= int(time.time())
    assert tessadox.draw("ab", resolution=1, intensity=0, seed=7).options["seed"] == 7
