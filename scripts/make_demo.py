#!/usr/bin/env python3
"""Writes the demo folder that the demo command opens: subfolders, files of varied sizes,
a few text files with words to find, a PNG picture and a JPEG made from it."""
import os
import shutil
import struct
import subprocess
import sys
import zlib


def png(path, width, height):
    rows = []
    for y in range(height):
        row = bytearray([0])
        for x in range(width):
            # A sky over green hills with a sun: enough shape to see a preview work.
            sun = (x - width * 0.75) ** 2 + (y - height * 0.25) ** 2 < (height * 0.12) ** 2
            hill = y > height * 0.6 + 20 * ((x / width - 0.5) ** 2) * 4
            if sun:
                row += bytes((250, 210, 40))
            elif hill:
                row += bytes((40, 150 + (y * 60) // height, 60))
            else:
                row += bytes((90, 150, 230 - (y * 80) // height))
        rows.append(bytes(row))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(b"".join(rows), 9)))
        f.write(chunk(b"IEND", b""))


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def main():
    root = sys.argv[1]
    if os.path.isdir(root):
        shutil.rmtree(root)
    os.makedirs(root)
    write(os.path.join(root, "README.txt"), b"Trelvista demo folder.\nTry the search box: notes {total}\n")
    write(os.path.join(root, "notes.txt"), b"Shopping list\nmilk, bread\nThe grand total is 42.\n")
    write(os.path.join(root, "report-2026.txt"), b"Quarterly report\n\ntotal: 1234\n")
    write(os.path.join(root, "report-draft.txt"), b"Quarterly report (draft)\nno sums yet\n")
    write(os.path.join(root, "data.bin"), bytes(range(256)) * 4096)  # 1 MiB
    write(os.path.join(root, "small.dat"), b"x" * 999)
    for i, size in enumerate([10, 2048, 150_000, 3_500_000]):
        write(os.path.join(root, "Projects", "alpha", "part%d.bin" % i), b"\0" * size)
    write(os.path.join(root, "Projects", "beta", "todo.txt"), b"- finish the total\n- ship\n")
    write(os.path.join(root, "Music", "playlist.m3u"), b"#EXTM3U\n")
    for name in ("2024", "2025", "2026"):
        write(os.path.join(root, "Archive", name, "summary.txt"), ("Summary %s\n" % name).encode())
    picture = os.path.join(root, "Pictures", "landscape.png")
    os.makedirs(os.path.dirname(picture))
    png(picture, 640, 400)
    png(os.path.join(root, "Pictures", "thumb.png"), 64, 48)
    jpeg = os.path.join(root, "Pictures", "landscape.jpg")
    convert = shutil.which("convert")
    if convert:
        subprocess.run([convert, picture, jpeg], check=False)
    if not os.path.exists(jpeg):
        shutil.copy(picture, jpeg)  # a PNG under a .jpg name still previews
    print(root)


if __name__ == "__main__":
    main()
