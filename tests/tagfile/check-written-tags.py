#!/usr/bin/python3
"""Reads the files that the TagFile writing tests saved with mutagen, a reader nobody here
wrote, and compares each with what the test expected (<file>.expected: key=value lines;
"|" separates several values, or the lines of lyrics).  Usage: check-written-tags.py FOLDER"""
import pathlib
import sys

from mutagen.id3 import ID3
from mutagen.mp3 import MP3


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


def check(path):
    failures = []
    tags = ID3(str(path), translate=False)
    if MP3(str(path)).info.length <= 0:
        failures.append("no audio")
    for line in path.with_name(path.name + ".expected").read_text(encoding="utf-8").splitlines():
        key, expected = line.split("=", 1)
        if key == "version":
            found = str(tags.version[1])
        else:
            found = "|".join(values(tags, key))
        if found != expected:
            failures.append(f"{key}: {found!r}, expected {expected!r}")
    return failures


def main():
    folder = pathlib.Path(sys.argv[1])
    files = sorted(folder.glob("*.mp3"))
    status = 0 if files else 1
    for path in files:
        failures = check(path)
        print(f"{path.name}: {'; '.join(failures) if failures else 'as written'}")
        status |= bool(failures)
    return status


if __name__ == "__main__":
    sys.exit(main())
