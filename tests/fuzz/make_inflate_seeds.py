#!/usr/bin/env python3
# Writes the seeds of the inflate target: real zlib streams of a saved game, a game message and a data file, and
# the streams a damaged or foreign sender gives (cut, stored, with a dictionary, other headers, too large).
# Each seed is the expected size / 4 (uint16, little-endian) followed by the stream.
import os
import struct
import zlib

here = os.path.dirname(os.path.abspath(__file__))
root = os.path.dirname(os.path.dirname(here))
corpus = os.path.join(here, 'corpus', 'inflate')


def put(name, data, expected):
    os.makedirs(corpus, exist_ok=True)
    quarter = min((expected + 3) // 4, 0xFFFF)
    with open(os.path.join(corpus, name), 'wb') as out:
        out.write(struct.pack('<H', quarter) + data)


def read(*path):
    with open(os.path.join(root, *path), 'rb') as f:
        return f.read()


def deflate(data, level=-1, wbits=15, zdict=None, flush=zlib.Z_FINISH):
    z = zlib.compressobj(level, zlib.DEFLATED, wbits, 8, zlib.Z_DEFAULT_STRATEGY, zdict) if zdict else \
        zlib.compressobj(level, zlib.DEFLATED, wbits)
    return z.compress(data) + z.flush(flush)


save = read('tests', 'fuzz', 'corpus', 'savedata_load', 'demo_played.zrd')
# A squad synchronisation message: its header and 40 records of 52 bytes, the size messages are sent at.
sync = struct.pack('<hhi', 44, 0, 40) + b''.join(
    struct.pack('<i2f2fi4i3fi2i', n, 100.0 + n, 200.0 - n, 1.5, -0.5, 3, n % 5, 0, -1, 1000 + n, 0.75, 0.1, 0.0, 7,
                n * 3, 0) for n in range(40))
csv = read('data', 'Millbrook.csv')

# Whole streams as the game sends them: default level, Huffman codes made for the data.
put('save_default', deflate(save), len(save))
put('sync_message', deflate(sync), 25000)
put('data_file', deflate(csv), len(csv))
put('save_best', deflate(save, 9), len(save))
put('save_fastest', deflate(save, 1), len(save))
# Stored blocks (level 0), and fixed Huffman codes (a short text).
put('save_stored', deflate(save, 0), len(save))
put('short_text_fixed', deflate(b'Chief: the east road is closed'), 64)
# A stream followed by bytes that belong to no stream.
put('trailing_bytes', deflate(sync) + b'\x00\xffgarbage', 25000)

# Cut short: inside the header, inside a block, before the checksum; a sync-flushed stream with no last block.
whole = deflate(save)
put('cut_in_header', whole[:1], len(save))
put('cut_in_block', whole[:len(whole) // 2], len(save))
put('cut_before_checksum', whole[:-4], len(save))
put('sync_flush_unfinished', deflate(sync, flush=zlib.Z_SYNC_FLUSH), 25000)
# The checksum changed, a bit of a block changed.
put('bad_checksum', whole[:-1] + bytes([whole[-1] ^ 0x55]), len(save))
flipped = bytearray(whole)
flipped[len(flipped) // 3] ^= 0x10
put('bad_block', bytes(flipped), len(save))

# Header variants: a preset dictionary, a bad check value, a window too large, raw deflate and gzip framing.
put('needs_dictionary', deflate(sync, zdict=sync[:512]), 25000)
put('bad_header_check', bytes([0x78, 0x9D]) + whole[2:], len(save))
put('window_too_large', bytes([0x88, 0x98]) + whole[2:], len(save))
put('raw_deflate', deflate(save, wbits=-15), len(save))
put('gzip_framing', deflate(save, wbits=31), len(save))
put('small_window', deflate(save, wbits=9), len(save))

# Sizes: more than one 128 KiB round of output, output past the expected size within the block's slack, and
# output past the whole block (the expected size promised too little).
put('two_rounds_out', deflate(bytes(200000)), 200000)
put('past_expected_in_slack', deflate(bytes(100000)), 0)
put('past_the_block', deflate(bytes(1 << 20)), 4096)
put('empty_stream', deflate(b''), 0)
