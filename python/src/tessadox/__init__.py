"""Tessadox: a checksum drawn as a picture, the same shape for the same checksum.

    >>> import tessadox
    >>> picture = tessadox.draw("469369a0d4125559535c4c5062a3c303", resolution=200, seed=1700000000)
    >>> picture.size
    200
    >>> png = picture.png()             # what `SOURCE_DATE_EPOCH=1700000000 tessadox -r 200` writes
    >>> memoryview(picture).shape       # the pixels, the top row first
    (200, 200, 3)

The drawing is libtessadox's, so every client of the library (the command, C
programs, the npm package) draws the very same bytes.
"""

from tessadox._tessadox import (
    OptionRange,
    Picture,
    TessadoxError,
    __version__,
    draw,
    library_version,
    options,
)

__all__ = ["OptionRange", "Picture", "TessadoxError", "draw", "library_version", "options"]


def _described_options() -> str:
    """The options of the library that is running, as help(tessadox) shows them."""
    lines = ["", "The keywords of draw(), from the library's table:", ""]
    for name, option in options().items():
        names = [repr(value) for value in option.values]
        takes = (
            ", ".join(names[:-1]) + " or " + names[-1]
            if len(names) > 1
            else f"{option.lowest} to {option.highest}"
        )
        lines.append(f"    {name}: {takes}; the library's default {option.default!r}")
    return "\n".join(lines) + "\n"


__doc__ = (__doc__ or "") + _described_options()
