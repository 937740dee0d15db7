"""Type hints of the tessadox package.

The keywords of draw() are the options of the library's table, read when the
call is made, so a newer library's options work without a new stub; their
values are ints, or for an option whose values have names (color_mode) one of
those names.
"""

from typing import Any, Callable, Final, Union

from _typeshed import ReadableBuffer

__version__: Final[str]

class TessadoxError(ValueError):
    """A refusal of the library, with its code and sentence."""

    code: int
    """The library's error code, negative."""
    text: str
    """The library's sentence for the code."""

class OptionRange(tuple[Union[int, str], int, int, tuple[str, ...]]):
    """An option of the library's table."""

    @property
    def default(self) -> Union[int, str]:
        """The library's default value (a name where the values have names)."""
    @property
    def lowest(self) -> int:
        """The lowest value the option takes."""
    @property
    def highest(self) -> int:
        """The highest value the option takes."""
    @property
    def values(self) -> tuple[str, ...]:
        """The names of the option's values, lowest first; () where they have none."""

class Picture:
    """A drawn picture; its pixels are a read-only (size, size, 3) buffer of bytes."""

    @property
    def size(self) -> int:
        """The picture's width and height in pixels."""
    @property
    def options(self) -> dict[str, Union[int, str]]:
        """The options the picture was drawn with, as the library resolved them."""
    def png(self) -> bytes:
        """The picture as PNG bytes, as the tessadox command writes them."""
    def to_pil(self) -> Any:
        """The picture as a PIL.Image.Image in RGB (needs Pillow, which the
        package does not require, hence Any)."""
    def __buffer__(self, flags: int, /) -> memoryview:
        """The pixels, shaped (size, size, 3), the top row first."""

def draw(
    checksum: Union[str, ReadableBuffer],
    /,
    *,
    progress: Union[Callable[[int, int], object], None] = None,
    **options: Union[int, str],
) -> Picture:
    """Draws the picture of a checksum; see help(tessadox.draw)."""

def options() -> dict[str, OptionRange]:
    """The library's table of options, by name."""

def library_version() -> str:
    """The version of the libtessadox that is running."""
