"""Picture files for the end-to-end tests, with nothing but the standard
library: reading and writing 8-bit PNG files (what --screenshot writes, and
the golden picture) and writing a DDS cube map of flat faces."""
import struct
import zlib


def _unfilter(kind, row, previous, step):
    out = bytearray(row)
    for i in range(len(out)):
        left = out[i - step] if i >= step else 0
        up = previous[i]
        corner = previous[i - step] if i >= step else 0
        if kind == 1:
            out[i] = (out[i] + left) & 255
        elif kind == 2:
            out[i] = (out[i] + up) & 255
        elif kind == 3:
            out[i] = (out[i] + (left + up) // 2) & 255
        elif kind == 4:
            p = left + up - corner
            pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
            out[i] = (out[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
    return out


def read_png(path):
    """(width, height, RGB bytes) of an 8-bit RGB or RGBA, non-interlaced PNG."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError(path + ": not a PNG file")
    at, idat, header = 8, b"", None
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        raise ValueError(path + ": only 8-bit RGB or RGBA PNG files are read here")
    step = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * step
    rgb = bytearray()
    previous = bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        row = _unfilter(raw[start], raw[start + 1:start + 1 + stride], previous, step)
        previous = row
        rgb += row if step == 3 else bytes(b for i, b in enumerate(row) if i % 4 != 3)
    return width, height, bytes(rgb)


def write_png(path, width, height, rgb):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    rows = b"".join(b"\0" + rgb[y * width * 3:(y + 1) * width * 3] for y in range(height))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(rows)))
        f.write(chunk(b"IEND", b""))


def write_cube_dds(path, colours, size=16):
    """A cube map of six flat faces (+X, -X, +Y, -Y, +Z, -Z), A8R8G8B8."""
    header = struct.pack("<4sIIIIIII44x", b"DDS ", 124, 0x100F, size, size, size * 4, 0, 1)
    pixel_format = struct.pack("<IIIIIIII", 32, 0x41, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000)
    caps = struct.pack("<IIIII", 0x1008, 0xFE00, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(header + pixel_format + caps)
        for r, g, b in colours:
            f.write(bytes((b, g, r, 255)) * (size * size))
