#!/usr/bin/python3
"""Draws the program's two pictures into res/:

  comparison-table.bmp  bitmap 139: the keyboard letters of the Kingsoft
                        phonetic font and the IPA symbols they stand for,
                        493 x 175 pixels, 24 bits per pixel
  Sonotag.ico           icon 128: one 32 x 32 image in 256 colours

Run it with Debian's python3 and python3-pil; the fonts are Debian's
fonts-dejavu-core. The same inputs give byte-identical files, which are
committed, so a build never needs this script.
"""

import struct
import sys
from pathlib import Path

from PIL import Image, ImageDraw, ImageFont

HERE = Path(__file__).resolve().parent
SERIF = "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf"
SANS_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"

# The comparison table: a grey sheet divided by white lines into 2 rows of
# 10 cells; each cell shows a key in black and its phonetic symbol in blue.
TABLE_SIZE = (493, 175)
GREY = (212, 208, 200)
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
BLUE = (0, 0, 255)
LINE_WIDTH = 2
COLUMN_LINES = [48 + 50 * k for k in range(9)]  # x = 48, 98, ..., 448
ROW_LINE = 85  # rows of 85 and 88 pixels
ROWS = [
    [("A", "æ"), ("B", "ɑ"), ("D", "ɒ"), ("F", "ʃ"), ("g", "ɡ"),
     ("I", "ɪ"), ("J", "ʊ"), ("N", "ŋ"), ("Q", "ʌ"), ("R", "ɔ")],
    [("T", "ð"), ("U", "u"), ("V", "ʒ"), ("W", "θ"), ("Z", "ɛ"),
     ("[", "ə"), ("\\", "ɜ"), ("5", "ˈ"), ("7", "ˌ"), (":", "ː")],
]


def cell_edges(lines, total):
    """The [start, end) spans between the dividing lines."""
    starts = [0] + [x + LINE_WIDTH for x in lines]
    ends = lines + [total]
    return list(zip(starts, ends))


def draw_centred(draw, font, text, colour, left, right, middle_y):
    """Draws text centred on (left..right, middle_y) by its ink box."""
    box = draw.textbbox((0, 0), text, font=font)
    width, height = box[2] - box[0], box[3] - box[1]
    x = left + (right - left - width) / 2 - box[0]
    y = middle_y - height / 2 - box[1]
    draw.text((round(x), round(y)), text, font=font, fill=colour)


def draw_symbol(draw, font, symbol, left, right, top, bottom):
    """Draws the phonetic symbol in the lower half of a cell. Stress and
    length marks are drawn at their place on a letter's height, so that
    their position (high, low, middle) reads as it does in a transcription."""
    middle = (left + right) / 2
    if symbol in "ˈˌː":
        baseline = top + (bottom - top) * 0.80
        font = font.font_variant(size=round(font.size * 1.4))
        box = draw.textbbox((0, 0), symbol, font=font, anchor="ls")
        x = middle - (box[0] + box[2]) / 2
        draw.text((round(x), round(baseline)), symbol, font=font, fill=BLUE, anchor="ls")
        return
    draw_centred(draw, font, symbol, BLUE, left, right, top + (bottom - top) * 0.70)


def comparison_table():
    image = Image.new("RGB", TABLE_SIZE, GREY)
    draw = ImageDraw.Draw(image)
    width, height = TABLE_SIZE
    for x in COLUMN_LINES:
        draw.rectangle([x, 0, x + LINE_WIDTH - 1, height - 1], fill=WHITE)
    draw.rectangle([0, ROW_LINE, width - 1, ROW_LINE + LINE_WIDTH - 1], fill=WHITE)

    key_font = ImageFont.truetype(SERIF, 24)
    symbol_font = ImageFont.truetype(SERIF, 30)
    columns = cell_edges(COLUMN_LINES, width)
    rows = cell_edges([ROW_LINE], height)
    for (top, bottom), cells in zip(rows, ROWS):
        for (left, right), (key, symbol) in zip(columns, cells):
            draw_centred(draw, key_font, key, BLACK, left, right, top + (bottom - top) * 0.28)
            draw_symbol(draw, symbol_font, symbol, left, right, top, bottom)
    return image


def icon_picture():
    """A blue rounded tile with a white schwa over a short underline: the
    program writes phonetic symbols under the user's words."""
    size = 32
    image = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    draw = ImageDraw.Draw(image)
    draw.rounded_rectangle([1, 1, size - 2, size - 2], radius=6, fill=(31, 78, 160, 255),
                           outline=(18, 46, 99, 255))
    font = ImageFont.truetype(SANS_BOLD, 24)
    box = draw.textbbox((0, 0), "ə", font=font)
    x = (size - (box[2] - box[0])) / 2 - box[0]
    y = 13 - (box[3] - box[1]) / 2 - box[1]
    draw.text((round(x), round(y)), "ə", font=font, fill=(255, 255, 255, 255))
    draw.rectangle([8, 25, 23, 26], fill=(255, 214, 64, 255))
    return image


def ico_bytes(picture):
    """One 32 x 32 image, 8 bits per pixel with a 256-colour palette and an
    AND mask for the transparent corners, in the classic icon layout.

    Windows draws an icon as (screen AND mask) XOR image, so under the
    mask's transparent bits the image must be black, or the screen shows
    through inverted: palette entry 0 is kept black for them and the
    picture is quantised into the other 255."""
    size = picture.width
    opaque = [a >= 128 for a in picture.getchannel("A").getdata()]
    rgb = Image.new("RGB", picture.size, (255, 255, 255))
    rgb.paste(picture, mask=picture.getchannel("A"))
    indexed = rgb.quantize(colors=255, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    palette = [0, 0, 0] + indexed.getpalette()[: 255 * 3]
    palette += [0] * (256 * 3 - len(palette))
    pixels = [index + 1 for index in indexed.getdata()]

    colour_table = b"".join(struct.pack("<BBBB", palette[i + 2], palette[i + 1], palette[i], 0)
                            for i in range(0, 256 * 3, 3))
    xor_rows = []
    and_rows = []
    for y in reversed(range(size)):  # bottom-up
        row = pixels[y * size:(y + 1) * size]
        mask = opaque[y * size:(y + 1) * size]
        xor_rows.append(bytes(index if keep else 0 for index, keep in zip(row, mask)))
        bits = 0
        for keep in mask:
            bits = (bits << 1) | (0 if keep else 1)
        and_rows.append(bits.to_bytes(size // 8, "big"))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0,
                         len(b"".join(xor_rows)) + len(b"".join(and_rows)), 0, 0, 256, 0)
    image_data = header + colour_table + b"".join(xor_rows) + b"".join(and_rows)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, 1, 8, len(image_data), 6 + 16)
    return directory + entry + image_data


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else HERE
    comparison_table().save(out / "comparison-table.bmp", format="BMP")
    (out / "Sonotag.ico").write_bytes(ico_bytes(icon_picture()))


if __name__ == "__main__":
    main()
