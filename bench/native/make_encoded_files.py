#!/usr/bin/python3
"""Makes the native benchmark's encoded files with tools nobody here wrote: LAME encodes ten
seconds of tones and noise made here (CBR, VBR with its Xing header, ABR without one, MPEG-1
and MPEG-2 rates, mono and stereo), and mutagen tags each with ID3v2 (2.3 or 2.4, in
Latin-1, UTF-16 or UTF-8) with a 100 KB front cover, some with a back cover and an ID3v1.1
tag as well.  The names of the files are their kinds in the benchmark's listings.
Usage: make_encoded_files.py FOLDER"""
import math
import os
import random
import struct
import subprocess
import sys

from mutagen.id3 import (ID3, APIC, COMM, TALB, TCOM, TCON, TDRC, TIT2, TPE1, TPE2, TPOS, TRCK, PictureType)

SECONDS = 10
COVER_BYTES = 100 * 1024


def pcm(path, rate, channels, seed):
    """Three tones and some noise, 16-bit little-endian, so that VBR has something to vary."""
    noise = random.Random(seed)
    frames = bytearray()
    for n in range(SECONDS * rate):
        t = n / rate
        v = 6000 * math.sin(2 * math.pi * 220 * t) + 3000 * math.sin(2 * math.pi * 330 * t * (1 + t / 40))
        v += 2000 * math.sin(2 * math.pi * 880 * t) * (n // rate % 2) + noise.uniform(-1500, 1500)
        frames += struct.pack("<h", int(v)) * channels
    with open(path, "wb") as f:
        f.write(frames)


def jpeg_like(size, seed):
    """A JPEG's start and end markers around random bytes: what a reader passes over."""
    body = random.Random(seed).randbytes(size - 4)
    return b"\xff\xd8" + body + b"\xff\xd9"


def encode(folder, name, rate, channels, lame_options, seed):
    raw = os.path.join(folder, name + ".raw")
    mp3 = os.path.join(folder, name + ".mp3")
    pcm(raw, rate, channels, seed)
    subprocess.run(["lame", "-r", "--bitwidth", "16", "--signed", "--little-endian", "--quiet",
                    "-s", str(rate / 1000), "-m", "m" if channels == 1 else "j", *lame_options, raw, mp3],
                   check=True, stderr=subprocess.PIPE)
    os.remove(raw)
    return mp3


def tag(path, version, encoding, title, extra_pictures=(), v1=0):
    tags = ID3()
    frames = [TIT2(encoding=encoding, text=title), TPE1(encoding=encoding, text="Ensemble Kontrapunkt"),
              TALB(encoding=encoding, text="Field Recordings, Vol. 2"), TPE2(encoding=encoding, text="Various"),
              TCOM(encoding=encoding, text="M. Lindqvist"), TRCK(encoding=encoding, text="4/11"),
              TPOS(encoding=encoding, text="1/2"), TCON(encoding=encoding, text="(52)"),
              TDRC(encoding=encoding, text="2019"),
              COMM(encoding=encoding, lang="eng", desc="", text="Recorded live; mastered 2020"),
              APIC(encoding=encoding, mime="image/jpeg", type=PictureType.COVER_FRONT, desc="cover",
                   data=jpeg_like(COVER_BYTES, len(title)))]
    for frame in frames + list(extra_pictures):
        tags.add(frame)
    if version == 3:
        tags.update_to_v23()
    tags.save(path, v2_version=version, v1=v1)


def main(folder):
    os.makedirs(folder, exist_ok=True)
    back = APIC(encoding=0, mime="image/jpeg", type=PictureType.COVER_BACK, desc="back",
                data=jpeg_like(20 * 1024, 7))
    made = encode(folder, "cbr128-stereo-44k-id3v23-utf16-id3v1", 44100, 2, ["-b", "128", "--cbr"], 1)
    tag(made, 3, 1, "Nachtzug nach Kraków", v1=2)
    made = encode(folder, "vbr-v2-stereo-44k-id3v24-utf8", 44100, 2, ["-V", "2"], 2)
    tag(made, 4, 3, "Ünïcödé, ☃ and all")
    made = encode(folder, "cbr64-mono-22k-id3v23-latin1-two-pictures", 22050, 1, ["-b", "64", "--cbr"], 3)
    tag(made, 3, 0, "Café au lait", extra_pictures=[back])
    made = encode(folder, "abr160-stereo-48k-no-xing-id3v24-utf16-id3v1", 48000, 2, ["--abr", "160", "-t"], 4)
    tag(made, 4, 1, "Without a Xing header", v1=2)


if __name__ == "__main__":
    main(sys.argv[1])
