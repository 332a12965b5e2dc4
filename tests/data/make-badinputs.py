#!/usr/bin/env python3
"""Writes the corpus of bad picture files in badinputs/ (next to this script).

Every file is small on disk. Most are broken copies of small valid pictures
built here byte by byte: cut short in the header or in the pixel data, headers
that claim absurd sizes, a GIF with thousands of frames. The output is
committed; run this again only to change the corpus:

    python3 tests/data/make-badinputs.py
"""

import os
import random
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "badinputs")

# A 16 x 16 baseline JPEG (quality 50), as the editor's own writer makes one.
JPEG_16x16 = bytes.fromhex(
    "ffd8ffe000104a46494600010101006000600000ffdb004300100b0c0e0c0a100e0d0e1211101318281a181616183123"
    "251d283a333d3c3933383740485c4e404457453738506d51575f626768673e4d71797064785c656763ffdb0043011112"
    "121815182f1a1a2f63423842636363636363636363636363636363636363636363636363636363636363636363636363"
    "6363636363636363636363636363ffc00011080010001003012200021101031101ffc4001f0000010501010101010100"
    "000000000000000102030405060708090a0bffc400b5100002010303020403050504040000017d010203000411051221"
    "31410613516107227114328191a1082342b1c11552d1f02433627282090a161718191a25262728292a3435363738393a"
    "434445464748494a535455565758595a636465666768696a737475767778797a838485868788898a9293949596979899"
    "9aa2a3a4a5a6a7a8a9aab2b3b4b5b6b7b8b9bac2c3c4c5c6c7c8c9cad2d3d4d5d6d7d8d9dae1e2e3e4e5e6e7e8e9eaf1"
    "f2f3f4f5f6f7f8f9faffc4001f0100030101010101010101010000000000000102030405060708090a0bffc400b51100"
    "020102040403040705040400010277000102031104052131061241510761711322328108144291a1b1c109233352f015"
    "6272d10a162434e125f11718191a262728292a35363738393a434445464748494a535455565758595a63646566676869"
    "6a737475767778797a82838485868788898a92939495969798999aa2a3a4a5a6a7a8a9aab2b3b4b5b6b7b8b9bac2c3c4"
    "c5c6c7c8c9cad2d3d4d5d6d7d8d9dae2e3e4e5e6e7e8e9eaf2f3f4f5f6f7f8f9faffda000c03010002110311003f00e6"
    "6dac3a715a96da7f4e2b4ed6c3a715b16ba7f4e2b8233f6856031f6b6a7fffd9"
)

# An Apple icon file whose table of contents gives an entry a length of about
# 2.7 GB, found by fuzzing: the toolkit's ICNS reader asks for that much memory
# in one block before it reads the 187 bytes.
ICNS_HUGE_LENGTH = bytes.fromhex(
    "69636e73000000bb544f43200000001069637034a300690000637034000000a389504e470d0a1a0a0000000d49484452"
    "00000010000000100103000000253d6d2200000006504c5445ffffff00000055c2d37e000000097048597300000ec400"
    "000ec401952b0e1b0000003b494441540899013000cfff00aa9b00aacb00aaa400ab56005512002d5a00559500a4ad00"
    "b5550054a400aeb500ab8a00aa660054a900ab5500b53599a710c446533c4c0000000049454e44ae426082"
)


def write(name, data):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


def noise(count, seed):
    rng = random.Random(seed)
    return bytes(rng.randrange(256) for _ in range(count))


# --- PNG --------------------------------------------------------------------

def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png(width, height, bit_depth, colour_type, idat):
    ihdr = struct.pack(">IIBBBBB", width, height, bit_depth, colour_type, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", ihdr) + png_chunk(b"IDAT", idat)
            + png_chunk(b"IEND", b""))


def png_rgb_16x16():
    rows = b"".join(b"\x00" + noise(16 * 3, y) for y in range(16))
    return png(16, 16, 8, 2, zlib.compress(rows, 9))


# --- BMP --------------------------------------------------------------------

def bmp(width, height, bpp, pixels, colours_used=0, palette=b"", compression=0):
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bpp, compression, len(pixels),
                       2835, 2835,
                       colours_used, 0)
    offset = 14 + len(info) + len(palette)
    header = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
    return header + info + palette + pixels


def bmp_rle8(width, height):
    """8-bit run-length BMP whose only code ends the bitmap: a kilobyte that
    decodes to width x height pixels of colour 0."""
    palette = bytes([0, 0, 128, 0]) + bytes(4 * 255)
    return bmp(width, height, 8, b"\x00\x01", colours_used=256, palette=palette,
               compression=1)


def bmp_rgb_16x16(height=16):
    return bmp(16, height, 24, noise(16 * 3 * 16, 7))


# --- GIF --------------------------------------------------------------------

def gif_pixels(indices):
    """LZW data for 2-bit colour indices, written as plain literals: a clear code
    after every second literal keeps every code three bits wide."""
    codes = []
    for i, index in enumerate(indices):
        if i % 2 == 0:
            codes.append(4)  # clear
        codes.append(index)
    codes.append(5)  # end of information
    bits, count, out = 0, 0, bytearray()
    for code in codes:
        bits |= code << count
        count += 3
        while count >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            count -= 8
    if count:
        out.append(bits & 0xFF)
    blocks = bytearray([2])  # minimum code size
    for start in range(0, len(out), 255):
        piece = out[start:start + 255]
        blocks += bytes([len(piece)]) + piece
    return bytes(blocks) + b"\x00"


def gif_frame(width, height, indices, left=0, top=0):
    return (b"\x2c" + struct.pack("<HHHHB", left, top, width, height, 0) + gif_pixels(indices))


def gif(screen_width, screen_height, frames):
    palette = bytes([0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255])
    head = b"GIF89a" + struct.pack("<HHBBB", screen_width, screen_height, 0x81, 0, 0) + palette
    return head + b"".join(frames) + b"\x3b"


def gif_16x16():
    return gif(16, 16, [gif_frame(16, 16, [(x + y) % 4 for y in range(16) for x in range(16)])])


def gif_many_frames(count):
    # Netscape loop extension, then count 1 x 1 frames, each with a short delay.
    loop = b"\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00"
    frames = []
    for i in range(count):
        control = b"\x21\xf9\x04\x00" + struct.pack("<H", 1) + b"\x00\x00"
        frames.append(control + gif_frame(1, 1, [i % 4]))
    palette = bytes([0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255])
    head = b"GIF89a" + struct.pack("<HHBBB", 1, 1, 0x81, 0, 0) + palette
    return head + loop + b"".join(frames) + b"\x3b"


# --- TIFF -------------------------------------------------------------------

def tiff(width, height, pixels):
    """Little-endian, uncompressed 8-bit RGB in one strip."""
    entries = [
        (256, 4, 1, width),            # ImageWidth
        (257, 4, 1, height),           # ImageLength
        (258, 3, 1, 8),                # BitsPerSample (8, as one value for all samples)
        (259, 3, 1, 1),                # Compression: none
        (262, 3, 1, 2),                # Photometric: RGB
        (273, 4, 1, 0),                # StripOffsets, set below
        (277, 3, 1, 3),                # SamplesPerPixel
        (278, 4, 1, height),           # RowsPerStrip
        (279, 4, 1, width * height * 3),  # StripByteCounts
    ]
    ifd_offset = 8
    data_offset = ifd_offset + 2 + 12 * len(entries) + 4
    ifd = struct.pack("<H", len(entries))
    for tag, kind, count, value in entries:
        if tag == 273:
            value = data_offset
        if kind == 3:
            ifd += struct.pack("<HHIHH", tag, kind, count, value, 0)
        else:
            ifd += struct.pack("<HHII", tag, kind, count, value & 0xFFFFFFFF)
    ifd += struct.pack("<I", 0)
    return b"II*\x00" + struct.pack("<I", ifd_offset) + ifd + pixels


def main():
    os.makedirs(OUT, exist_ok=True)

    write("empty.png", b"")

    good_png = png_rgb_16x16()
    write("truncated-signature.png", good_png[:5])
    write("truncated-header.png", good_png[:20])
    write("truncated-data.png", good_png[:len(good_png) - 12 - 40])
    # Headers that claim 100000 x 100000 pixels, followed by a few rows of data.
    few_rows = zlib.compress(b"\x00" * 4000, 9)
    write("bomb-rgb.png", png(100000, 100000, 8, 2, few_rows))
    write("bomb-mono.png", png(100000, 100000, 1, 0, few_rows))
    # 30000 x 30000 at one bit per pixel passes the reader's allocation limit.
    write("bomb-mono-small.png", png(30000, 30000, 1, 0, few_rows))

    write("truncated-header.jpg", JPEG_16x16[:100])
    write("truncated-data.jpg", JPEG_16x16[:len(JPEG_16x16) - 30])

    good_bmp = bmp_rgb_16x16()
    write("truncated-header.bmp", good_bmp[:30])
    write("truncated-data.bmp", good_bmp[:len(good_bmp) - 300])
    write("negative-height.bmp", bmp_rgb_16x16(-16))
    write("min-height.bmp", bmp(16, -2**31, 24, noise(768, 8)))
    write("absurd-height.bmp", bmp(16, 2**31 - 1, 24, noise(768, 9)))
    write("absurd-size.bmp", bmp(2**31 - 1, 2**31 - 1, 32, noise(64, 10)))
    write("negative-width.bmp", bmp(-16, 16, 24, noise(768, 11)))
    write("bomb-rle.bmp", bmp_rle8(8000, 8000))
    # 2097159 x 49 at one bit per pixel from 26 bytes of pixel data: too wide to
    # shrink to 768 pixels by a whole percentage.
    write("bomb-wide.bmp", bmp(2097159, 49, 1, bytes(26), palette=bytes(8)))
    write("bad-depth.bmp", bmp(16, 16, 7, noise(768, 12)))
    write("absurd-palette.bmp", bmp(16, 16, 8, noise(256, 13), colours_used=2**31 - 1,
                                    palette=noise(64, 14)))

    good_gif = gif_16x16()
    write("truncated-header.gif", good_gif[:10])
    write("truncated-data.gif", good_gif[:len(good_gif) - 40])
    write("many-frames.gif", gif_many_frames(3000))
    write("huge-screen.gif", gif(65535, 65535, [gif_frame(1, 1, [1], 65534, 65534)]))

    good_tiff = tiff(16, 16, noise(16 * 16 * 3, 15))
    write("truncated-header.tif", good_tiff[:12])
    write("truncated-data.tif", good_tiff[:len(good_tiff) - 400])
    write("huge.tif", tiff(100000, 100000, noise(300, 16)))

    write("icns-huge-length.icns", ICNS_HUGE_LENGTH)

    # Text in a picture's clothing: an XPM comment heading prose.
    write("xpm-text.png", b"/* XPM */\nstatic char *x[] = {\n\"this is not\", \"a picture\"\n")


if __name__ == "__main__":
    main()
