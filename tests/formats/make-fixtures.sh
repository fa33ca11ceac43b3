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
