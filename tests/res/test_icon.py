"""The committed program icon, read the way Windows draws it: each pixel is
(screen AND mask) XOR image, so a transparent pixel has its mask bit set and
black beneath it, and an opaque one a clear mask bit."""

import struct
import unittest
from pathlib import Path

ICON = Path(__file__).resolve().parents[2] / "res" / "Sonotag.ico"


def read_icon(data):
    """The directory's image count and entry, the bitmap header, and the one
    image as rows of (colour, transparent) pixels, top row first."""
    _, _, count = struct.unpack_from("<HHH", data)
    entry = struct.unpack_from("<BBBBHHII", data, 6)
    offset = entry[7]
    header = struct.unpack_from("<IiiHHIIiiII", data, offset)
    size, bits = header[1], header[4]
    palette_at = offset + header[0]
    xor_at = palette_at + 4 * 256
    and_at = xor_at + size * size
    and_stride = (size + 31) // 32 * 4
    rows = []
    for y in reversed(range(size)):  # stored bottom-up
        mask = int.from_bytes(data[and_at + y * and_stride:and_at + (y + 1) * and_stride], "big")
        row = []
        for x in range(size):
            index = data[xor_at + y * size + x]
            blue, green, red = data[palette_at + 4 * index:palette_at + 4 * index + 3]
            row.append(((red, green, blue), bool(mask >> (and_stride * 8 - 1 - x) & 1)))
        rows.append(row)
    return count, entry, (size, header[2], bits, header[9]), rows


class Icon(unittest.TestCase):
    count, entry, header, rows = read_icon(ICON.read_bytes())

    def test_one_32_pixel_image_in_256_colours(self):
        self.assertEqual(self.count, 1)
        self.assertEqual(self.entry[:3], (32, 32, 0))  # 0 colours: 256
        self.assertEqual(self.header, (32, 64, 8, 256))  # the height counts both masks

    def test_corners_show_the_screen_and_the_tile_covers_it(self):
        cases = [((0, 0), True), ((31, 0), True), ((0, 31), True), ((31, 31), True),
                 ((2, 2), True), ((0, 16), True), ((1, 16), False), ((16, 16), False),
                 ((16, 1), False), ((6, 6), False)]
        for (x, y), transparent in cases:
            with self.subTest(x=x, y=y):
                self.assertEqual(self.rows[y][x][1], transparent)

    def test_screen_shows_through_unchanged(self):
        for y, row in enumerate(self.rows):
            for x, (colour, transparent) in enumerate(row):
                if transparent:
                    with self.subTest(x=x, y=y):
                        self.assertEqual(colour, (0, 0, 0))  # XOR with anything else inverts


if __name__ == "__main__":
    unittest.main()
