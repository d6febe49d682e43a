"""Ogg page reading: counts a stream's packets, to check clips' frame counts after encoding."""
import struct


def pages(data):
    """Yields (serial, flags, granulepos, segment table, page bytes) of each page."""
    pos = 0
    while pos + 27 <= len(data):
        if data[pos:pos + 4] != b"OggS":
            raise ValueError(f"no Ogg page at byte {pos}")
        flags, granule, serial = data[pos + 5], *struct.unpack("<qI", data[pos + 6:pos + 18])
        count = data[pos + 26]
        table = data[pos + 27:pos + 27 + count]
        end = pos + 27 + count + sum(table)
        yield serial, flags, granule, table, data[pos:end]
        pos = end


def packets_per_stream(data):
    """{serial: number of complete packets}; a packet ends at a lacing value below 255."""
    counts = {}
    for serial, _, _, table, _ in pages(data):
        counts[serial] = counts.get(serial, 0) + sum(1 for v in table if v < 255)
    return counts


def theora_frames(data):
    """Frames of the Theora stream: its packets minus the three header packets."""
    first = {}
    for serial, flags, _, _, page in pages(data):
        if flags & 0x02:
            first[serial] = page[27 + page[26]:]
    serial = next(s for s, body in first.items() if body[:7] == b"\x80theora")
    return packets_per_stream(data)[serial] - 3


def _stream_clock(first_packet):
    """granulepos -> seconds for a Theora or Vorbis stream, from its identification header."""
    if first_packet[:7] == b"\x80theora":
        fps_num, fps_den = struct.unpack(">II", first_packet[22:30])
        shift = ((first_packet[40] & 0x03) << 3) | (first_packet[41] >> 5)
        mask = (1 << shift) - 1
        return lambda g: ((g >> shift) + (g & mask)) * fps_den / fps_num
    if first_packet[:7] == b"\x01vorbis":
        rate = struct.unpack("<I", first_packet[12:16])[0]
        return lambda g: g / rate
    raise ValueError("neither Theora nor Vorbis")


def mux(*files):
    """Interleaves the pages of single-stream Ogg files into one multiplexed file.

    Beginning-of-stream pages come first, then every header page, then data pages in time
    order. Pages are copied unchanged, so no packet (not even Theora's empty repeat-frame
    packets, which ffmpeg's stream copy drops) is lost.
    """
    bos, headers, data_pages = [], [], []
    for order, blob in enumerate(files):
        clock, packets, last_time = None, 0, 0.0
        for serial, flags, granule, table, page in pages(blob):
            if flags & 0x02:
                clock = _stream_clock(page[27 + page[26]:])
                bos.append(page)
                packets += sum(1 for v in table if v < 255)
                continue
            packets += sum(1 for v in table if v < 255)
            if granule != -1:
                last_time = clock(granule)
            if packets <= 3:
                headers.append(page)
            else:
                data_pages.append((last_time, order, len(data_pages), page))
    data_pages.sort()
    return b"".join(bos + headers + [p for _, _, _, p in data_pages])
