#!/usr/bin/python3
"""Reads the files that the TagFile writing tests saved with mutagen, a reader nobody here
wrote, and compares each with what the test expected (<file>.expected: key=value lines;
"|" separates several values, or the lines of lyrics).  MP3 files name ID3v2 frames; the
other formats' files ("format=other") name the properties, looked up in each format's own
fields.  Usage: check-written-tags.py FOLDER"""
import base64
import pathlib
import sys

import mutagen
from mutagen.asf import ASF
from mutagen.flac import FLAC, Picture
from mutagen.id3 import ID3
from mutagen.mp3 import MP3
from mutagen.mp4 import MP4

# The properties in ID3v2 frames (WAV, AIFF), Vorbis comments, MP4 items and ASF attributes.
FIELDS = {
    "title": ("TIT2", "title", "\xa9nam", "Title"),
    "artist": ("TPE1", "artist", "\xa9ART", "Author"),
    "album": ("TALB", "album", "\xa9alb", "WM/AlbumTitle"),
    "albumartist": ("TPE2", "albumartist", "aART", "WM/AlbumArtist"),
    "composer": ("TCOM", "composer", "\xa9wrt", "WM/Composer"),
    "comment": ("COMM", "comment", "\xa9cmt", "Description"),
    "genre": ("TCON", "genre", "\xa9gen", "WM/Genre"),
    "year": ("TYER", "date", "\xa9day", "WM/Year"),
    "lyrics": ("USLT", "lyrics", "\xa9lyr", "WM/Lyrics"),
}


def values(tags, key):
    if key == "APIC":
        return [str(len(tags.getall("APIC")))]
    if key == "COMM":
        return [text for frame in tags.getall("COMM") if frame.desc == "" for text in frame.text][:1]
    if key == "USLT":
        lyrics = tags.getall("USLT")
        return [lyrics[0].text.replace("\n", "|")] if lyrics else []
    frames = tags.getall(key)
    return [str(text) for text in frames[0].text] if frames else []


def pair(text, index):
    parts = (str(text).split("/") + [""])[:2]
    return parts[index] if parts[index] else None


def other_values(audio, key):
    """The values of a property in a file of another format, as text."""
    tags = audio.tags
    if key == "picture":
        # The front covers (type 3): SetPicture replaces the front cover and keeps the
        # others. MP4 covers have no type: the first one stands for the front cover.
        if isinstance(audio, FLAC):
            types = [p.type for p in audio.pictures]
        elif isinstance(audio, MP4):
            types = [3][:len(tags.get("covr", []))]
        elif isinstance(audio, ASF):
            types = [bytes(v.value)[0] for v in tags.get("WM/Picture", [])]
        elif isinstance(tags, ID3):
            types = [frame.type for frame in tags.getall("APIC")]
        else:
            types = [Picture(base64.b64decode(v)).type for v in tags.get("metadata_block_picture", [])]
        return [str(types.count(3))]
    if isinstance(tags, ID3):
        if key in ("track", "trackcount", "disc", "disccount"):
            frame = tags.get("TRCK" if key.startswith("track") else "TPOS")
            return [pair(frame.text[0], key.endswith("count"))] if frame else []
        if key == "year":  # mutagen shows a 2.3 tag's TYER as 2.4's TDRC
            return [str(text)[:4] for text in tags["TDRC"].text] if "TDRC" in tags else values(tags, "TYER")
        return values(tags, FIELDS[key][0])
    if isinstance(audio, MP4):
        if key in ("track", "trackcount", "disc", "disccount"):
            number = tags.get("trkn" if key.startswith("track") else "disk")
            return [str(number[0][1 if key.endswith("count") else 0])] if number else []
        return [str(v) for v in tags.get(FIELDS[key][2], [])]
    if isinstance(audio, ASF):
        if key in ("track", "trackcount", "disc", "disccount"):
            number = tags.get("WM/TrackNumber" if key.startswith("track") else "WM/PartOfSet")
            return [pair(number[0], key.endswith("count"))] if number else []
        return [str(v) for v in tags.get(FIELDS[key][3], [])]
    if key in ("track", "disc"):
        return list(tags.get(key + "number", []))
    if key in ("trackcount", "disccount"):
        return list(tags.get(key[:-5] + "total", []))
    return list(tags.get(FIELDS[key][1], []))


def check_other(path, lines):
    failures = []
    audio = mutagen.File(str(path))
    if audio is None or audio.info.length <= 0:
        return ["no audio"]
    for key, expected in lines:
        found = "; ".join(v for v in other_values(audio, key) if v is not None)
        if key == "lyrics":
            found = found.replace("\r\n", "|").replace("\n", "|")
        if found != expected:
            failures.append(f"{key}: {found!r}, expected {expected!r}")
    return failures


def check(path):
    lines = [line.split("=", 1) for line in
             path.with_name(path.name + ".expected").read_text(encoding="utf-8").splitlines()]
    if lines and lines[0] == ["format", "other"]:
        return check_other(path, lines[1:])
    failures = []
    tags = ID3(str(path), translate=False)
    if MP3(str(path)).info.length <= 0:
        failures.append("no audio")
    for key, expected in lines:
        if key == "version":
            found = str(tags.version[1])
        else:
            found = "|".join(values(tags, key))
        if found != expected:
            failures.append(f"{key}: {found!r}, expected {expected!r}")
    return failures


def main():
    folder = pathlib.Path(sys.argv[1])
    files = sorted(p.with_name(p.name[:-len(".expected")]) for p in folder.glob("*.expected"))
    status = 0 if files else 1
    for path in files:
        failures = check(path)
        print(f"{path.name}: {'; '.join(failures) if failures else 'as written'}")
        status |= bool(failures)
    return status


if __name__ == "__main__":
    sys.exit(main())
