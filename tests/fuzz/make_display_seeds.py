#!/usr/bin/env python3
"""Writes the small seed files of the display fuzz targets (BMPs of each depth, pop-up frame lists)."""
import os
import struct

here = os.path.dirname(os.path.abspath(__file__))


def bmp(width, height, bits, palette=b"", compression=0, masks=b"", header=40, top_down=False):
    stride = ((width * bits + 31) // 32) * 4
    pixels = bytes((i * 37) & 0xFF for i in range(stride * height))
    off = 14 + header + len(masks) + len(palette)
    if header == 12:
        info = struct.pack("<IhhHH", 12, width, height, 1, bits)
    else:
        info = struct.pack("<IiiHHIIiiII", header, width, -height if top_down else height, 1, bits, compression,
                           len(pixels), 2835, 2835, len(palette) // 4, 0)
        info += bytes(header - 40)
    return b"BM" + struct.pack("<IHHI", off + len(pixels), 0, 0, off) + info + masks + palette + pixels


def write(folder, name, data):
    with open(os.path.join(here, "corpus", folder, name), "wb") as f:
        f.write(data)


gray4 = b"".join(bytes((i * 80, i * 80, i * 80, 0)) for i in range(4))
write("bmp", "rgb24.bmp", bmp(5, 3, 24))
write("bmp", "topdown24.bmp", bmp(4, 2, 24, top_down=True))
write("bmp", "pal8.bmp", bmp(6, 2, 8, gray4))
write("bmp", "pal4.bmp", bmp(7, 2, 4, gray4))
write("bmp", "pal1.bmp", bmp(9, 2, 1, gray4[:8]))
write("bmp", "rgb565.bmp", bmp(3, 3, 16, compression=3, masks=struct.pack("<III", 0xF800, 0x07E0, 0x1F)))
write("bmp", "rgb32.bmp", bmp(2, 2, 32))
write("bmp", "v5.bmp", bmp(2, 2, 32, compression=3, header=124))
write("bmp", "core12.bmp", bmp(3, 2, 24, header=12))
write("popup_list", "list.txt", b"PopTop.bmp top\r\nPopBottom.bmp\r\nPopLine.bmp\r\nPopChecked.bmp\r\n"
      b"PopDisabled.bmp\r\nPopUnchecked.bmp\r\n")
write("popup_list", "short.txt", b"a.bmp\n\n b.bmp x\n")
