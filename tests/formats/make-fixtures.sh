#!/usr/bin/env bash
# Makes the reference files of the format tests with tools nobody here wrote: LAME encodes
# tones made here as raw PCM (CBR and VBR, mono and stereo, MPEG-1, 2 and 2.5 rates, with
# its Xing/Info header), mutagen tags them (ID3v2.3 in UTF-16, ID3v2.4 in UTF-8, ID3v1.1)
# and then reads back what it wrote into manifest.txt: one "file<TAB>property<TAB>value"
# line each, UTF-8.  Each front cover's bytes go to <file>.cover.
# Usage: make-fixtures.sh FOLDER
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=${1:?folder}
python=/usr/bin/python3
rm -rf "$out"
mkdir -p "$out"
cd "$out"

# Two seconds of a 440 Hz tone at the given rate and channel count, 16-bit little-endian.
tone() {
    "$python" - "$@" <<'PY'
import math, struct, sys
rate, channels, path = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
with open(path, "wb") as f:
    for n in range(2 * rate):
        v = int(12000 * math.sin(2 * math.pi * 440 * n / rate))
        f.write(struct.pack("<h", v) * channels)
PY
}
tone 44100 2 stereo-44k.raw
tone 22050 1 mono-22k.raw
tone 44100 1 mono-44k.raw
tone 8000 1 mono-8k.raw
raw="-r --bitwidth 16 --signed --little-endian --quiet"
lame $raw -s 44.1 -m j -b 128 --cbr stereo-44k.raw cbr-stereo-44k.mp3
lame $raw -s 22.05 -m m -V 2 mono-22k.raw vbr-mono-22k.mp3
lame $raw -s 44.1 -m m -V 4 mono-44k.raw vbr-mono-44k.mp3
lame $raw -s 22.05 -m m -b 32 --cbr mono-22k.raw cbr-mono-22k.mp3
lame $raw -s 8 -m m -b 16 --cbr mono-8k.raw cbr-mono-8k.mp3
rm -f ./*.raw

"$python" - <<'PY'
from mutagen.id3 import (ID3, APIC, COMM, TALB, TCOM, TCON, TDRC, TIT2, TPE1, TPE2, TPOS, TRCK, TXXX, TBPM,
                         Encoding, PictureType)
from mutagen.mp3 import MP3

def picture(kind, data, desc):
    return APIC(encoding=Encoding.UTF16, mime="image/png", type=kind, desc=desc, data=data)

# ID3v2.3, UTF-16: every property, two comments (one described), two pictures (the front
# cover second), ISO-8859-1 text with a byte of the C1 range; 2.3 joins values with "/".
tags = ID3()
for frame in [TIT2(encoding=1, text="Grüße, ☃"), TPE1(encoding=1, text=["Artist One", "Artist Two"]),
              TALB(encoding=1, text="Album"), TPE2(encoding=1, text="Album Artist"),
              TCOM(encoding=0, text="Comp\x93ser"),
              TRCK(encoding=1, text="3/12"), TPOS(encoding=1, text="1/2"), TCON(encoding=1, text="(17)"),
              TDRC(encoding=1, text="2003"), TBPM(encoding=0, text="120"),
              COMM(encoding=1, lang="eng", desc="note", text="not this one"),
              COMM(encoding=1, lang="deu", desc="", text="Kommentar"),
              TXXX(encoding=1, desc="Mood", text="calm"),
              picture(PictureType.COVER_BACK, b"back cover bytes" * 10, "back"),
              picture(PictureType.COVER_FRONT, bytes(range(256)) * 3, "front")]:
    tags.add(frame)
# mutagen keeps the frames as given until asked to turn them into 2.3 ones (TDRC into TYER).
tags.update_to_v23()
tags.save("cbr-stereo-44k.mp3", v2_version=3)

# ID3v2.4, UTF-8, two artists, a genre given by name after its reference, a full date,
# and an ID3v1.1 tag.
tags = ID3()
for frame in [TIT2(encoding=3, text="Ünïcödé title"), TPE1(encoding=3, text=["Artist", "Guest"]),
              TALB(encoding=3, text="Album 24"), TRCK(encoding=3, text="7"), TCON(encoding=3, text="(17)Rock"),
              TDRC(encoding=3, text="2011-04-05"), COMM(encoding=3, lang="eng", desc="", text="UTF-8 comment"),
              picture(PictureType.OTHER, b"only picture", "")]:
    tags.add(frame)
tags.save("vbr-mono-22k.mp3", v2_version=4, v1=2)

# ID3v1.1 alone: mutagen writes it beside an ID3v2 tag, which is then removed.
tags = ID3()
for frame in [TIT2(encoding=0, text="Only v1"), TPE1(encoding=0, text="Old Artist"), TALB(encoding=0, text="Old Album"),
              TDRC(encoding=0, text="1987"), TRCK(encoding=0, text="5"), TCON(encoding=0, text="(8)"),
              COMM(encoding=0, lang="eng", desc="", text="v1 comment")]:
    tags.add(frame)
tags.update_to_v23()
tags.save("vbr-mono-44k.mp3", v2_version=3, v1=2)
ID3("vbr-mono-44k.mp3").delete("vbr-mono-44k.mp3", delete_v1=False, delete_v2=True)

# cbr-mono-22k.mp3 and cbr-mono-8k.mp3 (MPEG-2.5) keep no tags at all.

properties = {"Title": "TIT2", "Artist": "TPE1", "Album": "TALB", "AlbumArtist": "TPE2", "Composer": "TCOM"}
with open("manifest.txt", "w", encoding="utf-8") as manifest:
    def put(name, key, value):
        manifest.write(f"{name}\t{key}\t{value}\n")
    for name in ["cbr-stereo-44k.mp3", "vbr-mono-22k.mp3", "vbr-mono-44k.mp3", "cbr-mono-22k.mp3",
                 "cbr-mono-8k.mp3"]:
        audio = MP3(name)
        info = audio.info
        put(name, "Duration", f"{info.length:.6f}")
        put(name, "Bitrate", round(info.bitrate / 1000))
        put(name, "SampleRate", info.sample_rate)
        put(name, "Channels", info.channels)
        put(name, "Format", "MP3")
        tags = audio.tags or {}
        for prop, frame_id in properties.items():
            if frame_id in tags:
                put(name, prop, "; ".join(str(t) for t in tags[frame_id].text))
        if "TCON" in tags:
            put(name, "Genre", "; ".join(tags["TCON"].genres))
        if "TDRC" in tags:
            put(name, "Year", str(tags["TDRC"].text[0])[:4])
        for frame_id, prop in [("TRCK", "Track"), ("TPOS", "Disc")]:
            if frame_id in tags:
                parts = str(tags[frame_id].text[0]).split("/")
                put(name, prop, parts[0])
                put(name, prop + "Count", parts[1] if len(parts) > 1 else "0")
        # mutagen names the ID3v1 comment's description so.
        comments = [c for c in tags.getall("COMM") if c.desc in ("", "ID3v1 Comment")] if tags else []
        if comments:
            put(name, "Comment", "; ".join(comments[0].text))
        for frame in (tags.values() if tags else []):
            if frame.FrameID == "TXXX":
                put(name, "Text:TXXX:" + frame.desc, "; ".join(frame.text))
            elif frame.FrameID == "TBPM":
                put(name, "Text:TBPM", "; ".join(str(t) for t in frame.text))
        pictures = tags.getall("APIC") if tags else []
        fronts = [p for p in pictures if p.type == PictureType.COVER_FRONT] or pictures
        if fronts:
            with open(name + ".cover", "wb") as cover:
                cover.write(fronts[0].data)
PY

# Streams of every MPEG version, layer, bitrate and sample rate in both channel modes, and
# with a Xing header frame in every Layer III version: each header field and table entry as
# mutagen reads it, into mpeg-manifest.txt ("file<TAB>bitrate<TAB>rate<TAB>channels<TAB>
# seconds"); mutagen's list of the genres that ID3v1 numbers, one a line, in genres.txt; and
# its 2.3/2.4 names of the 2.2 frame identifiers in frame-ids-22.txt ("TT2<TAB>TIT2").
# mutagen sizes Layer I frames four times too long and finds no stream there: those lines
# come from the standard's tables below, which mutagen confirms for the other layers.
"$python" - <<'PY'
import struct
from mutagen.mp3 import MP3
from mutagen._constants import GENRES
from mutagen.id3 import _frames

with open("genres.txt", "w", encoding="utf-8", newline="\n") as out:
    out.write("".join(name + "\n" for name in GENRES))
with open("frame-ids-22.txt", "w", encoding="utf-8", newline="\n") as out:
    for old, frame in sorted(_frames.Frames_2_2.items()):
        out.write("%s\t%s\n" % (old, frame.__mro__[1].__name__))

VERSIONS = {1: 3, 2: 2, 25: 0}  # the version bits of MPEG-1, 2 and 2.5
RATES = {1: (44100, 48000, 32000), 2: (22050, 24000, 16000), 25: (11025, 12000, 8000)}
BITRATES = {(1, 1): (32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448),
            (1, 2): (32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384),
            (1, 3): (32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320),
            (2, 1): (32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256),
            (2, 2): (8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160)}

def frame_length(version, layer, kbps, rate):
    if layer == 1:
        return (12 * kbps * 1000 // rate) * 4
    samples = 576 if layer == 3 and version != 1 else 1152
    return samples // 8 * kbps * 1000 // rate

def header(version, layer, index, rate_index, mono):
    return bytes([0xFF, 0xE0 | VERSIONS[version] << 3 | (4 - layer) << 1 | 1, index << 4 | rate_index << 2,
                  0xC0 if mono else 0x40])

def xing(version, mono, frames, length):
    side = (17 if mono else 32) if version == 1 else (9 if mono else 17)
    body = b"\0" * side + b"Xing" + struct.pack(">II", 1, frames)
    return body + b"\0" * (length - 4 - len(body))

with open("mpeg-manifest.txt", "w", encoding="utf-8", newline="\n") as manifest:
    for version in (1, 2, 25):
        for layer in (1, 2, 3):
            table = BITRATES[(1 if version == 1 else 2, layer if version == 1 or layer == 1 else 2)]
            for index, kbps in enumerate(table, start=1):
                for rate_index, rate in enumerate(RATES[version]):
                    mono = (index + rate_index) % 2 == 0
                    length = frame_length(version, layer, kbps, rate)
                    frame = header(version, layer, index, rate_index, mono) + b"\0" * (length - 4)
                    files = [("mpeg-%d-%d-%d-%d.mp3" % (version, layer, index, rate_index), frame * 6)]
                    if layer == 3 and index == 9 and rate_index == 0:
                        for channels_mono in (True, False):
                            first = header(version, layer, index, rate_index, channels_mono)
                            files.append(("mpeg-%d-3-xing-%s.mp3" % (version, "mono" if channels_mono else "stereo"),
                                          first + xing(version, channels_mono, 40, length) +
                                          (first + b"\0" * (length - 4)) * 5))
                    for name, data in files:
                        with open(name, "wb") as f:
                            f.write(data)
                        expected = (kbps, rate, 1 if mono else 2, len(data) * 8 / (kbps * 1000))
                        if layer != 1:
                            info = MP3(name).info
                            read = (info.bitrate // 1000, info.sample_rate, info.channels, info.length)
                            assert read[:3] == expected[:3] or "xing" in name, (name, read, expected)
                            expected = read
                        manifest.write("%s\t%d\t%d\t%d\t%.6f\n" % ((name,) + expected))
PY

# The other formats: sox makes the tones, each format's own tool encodes them, and
# tag-fixtures.py tags them with mutagen and adds what mutagen reads back to the manifest.
sox -n -r 44100 -c 2 -b 16 stereo-44k.wav synth 2 sine 440 vol 0.5
sox -n -r 48000 -c 1 -b 24 mono-48k.wav synth 1.5 sine 440 vol 0.5
flac --silent -o stereo-44k.flac stereo-44k.wav
flac --silent -o mono-48k.flac mono-48k.wav
flac --silent --ogg -o stereo-44k.oga stereo-44k.wav
oggenc --quiet -o stereo-44k.ogg stereo-44k.wav
sox -n -r 44100 -c 2 -b 16 stereo-44k-id3.wav synth 0.5 sine 440 vol 0.5
sox -n -r 22050 -c 1 -b 16 mono-22k.wav synth 1 sine 440 vol 0.5
ffmpeg -loglevel error -i mono-22k.wav -metadata title="Info Title" -metadata artist="Info Artist" \
    -metadata album="Info Album" -metadata comment="Info comment" -metadata genre="Jazz" -metadata date="1999" \
    -metadata track="4" -c copy mono-22k-info.wav
cp mono-22k-info.wav mono-22k-info-id3.wav
sox stereo-44k-id3.wav stereo-44k.aiff
ffmpeg -loglevel error -i stereo-44k-id3.wav -c:a aac -b:a 96k stereo-44k-aac.m4a
ffmpeg -loglevel error -i mono-22k.wav -c:a alac mono-22k-alac.m4a
ffmpeg -loglevel error -i stereo-44k-id3.wav -c:a wmav2 -b:a 64k stereo-44k.wma
ffmpeg -loglevel error -i mono-22k.wav -c:a wmav2 -b:a 32k mono-22k.wma
sox mono-48k.wav -e signed-integer -b 16 mono-48k.aifc trim 0 0.5
opusenc --quiet mono-48k.wav mono-48k.opus
"$python" "$here/tag-fixtures.py"
rm -f stereo-44k.wav mono-48k.wav mono-22k.wav
