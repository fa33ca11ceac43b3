# Tags the reference files of the formats other than MP3 with mutagen, then reads back what
# mutagen makes of them and appends it to manifest.txt ("file<TAB>property<TAB>value"), the
# front cover's bytes to <file>.cover.  Runs in the fixtures' folder.
import base64
import json
import subprocess

import struct

from mutagen.aiff import AIFF
from mutagen.asf import ASF, ASFByteArrayAttribute, ASFDWordAttribute
from mutagen.flac import FLAC, Picture
from mutagen.mp4 import MP4, MP4Cover, MP4FreeForm
from mutagen.id3 import APIC, COMM, TALB, TCON, TDRC, TIT2, TPE1, TPOS, TRCK
from mutagen.oggflac import OggFLAC
from mutagen.oggopus import OggOpus
from mutagen.oggvorbis import OggVorbis
from mutagen.wave import WAVE

PNG = b"\x89PNG\r\n\x1a\n" + bytes(range(256)) * 4
JPEG = b"\xff\xd8\xff\xe0" + b"jpeg bytes " * 40


def flac_picture(kind, data, mime):
    picture = Picture()
    picture.type, picture.mime, picture.desc, picture.data = kind, mime, "desc", data
    return picture


# Vorbis comments: several artists, total tracks under a key of their own, names in any case,
# a described comment, lyrics, a field of the file's own; two pictures, the front cover second.
VORBIS = {"TITLE": "Grüße, ☃", "Artist": ["Artist One", "Artist Two"], "album": "Album",
          "ALBUMARTIST": "Album Artist", "COMPOSER": "Composer", "DESCRIPTION": "Beschreibung",
          "GENRE": "Rock", "DATE": "2003-04-05", "TRACKNUMBER": "3", "TRACKTOTAL": "12",
          "DISCNUMBER": "1/2", "LYRICS": "la la", "MOOD": "calm"}


def tag_flac(name):
    audio = FLAC(name)
    for key, value in VORBIS.items():
        audio[key] = value
    audio.add_picture(flac_picture(4, JPEG, "image/jpeg"))
    audio.add_picture(flac_picture(3, PNG, "image/png"))
    audio.save()
    return PNG


# The same comments in Ogg, the pictures as base64 METADATA_BLOCK_PICTURE fields; the front
# cover is large enough that the comment header spans several pages.
def tag_ogg(name, cls):
    audio = cls(name)
    for key, value in VORBIS.items():
        audio[key] = value
    cover = PNG * 12
    pictures = [flac_picture(4, JPEG, "image/jpeg"), flac_picture(3, cover, "image/png")]
    audio["METADATA_BLOCK_PICTURE"] = [base64.b64encode(p.write()).decode("ascii") for p in pictures]
    audio.save()
    return cover


# An ID3v2.3 chunk in WAV and AIFF, with a picture; only a title where INFO is there too.
def tag_id3_chunk(name, cls, title_only=False):
    audio = cls(name)
    audio.add_tags()
    frames = [TIT2(encoding=1, text="Chunk title")]
    if not title_only:
        frames += [TPE1(encoding=1, text="Chunk Artist"), TALB(encoding=3, text="Chunk Album"),
                   TCON(encoding=0, text="(8)"), TDRC(encoding=0, text="2012"), TRCK(encoding=0, text="2/9"),
                   TPOS(encoding=0, text="1"), COMM(encoding=1, lang="eng", desc="", text="chunk comment"),
                   APIC(encoding=0, mime="image/jpeg", type=3, desc="", data=JPEG)]
    for frame in frames:
        audio.tags.add(frame)
    audio.tags.update_to_v23()
    audio.save(v2_version=3)
    return None if title_only else JPEG


def id3_fields(tags):
    fields = {}
    for prop, frame_id in {"Title": "TIT2", "Artist": "TPE1", "Album": "TALB"}.items():
        if frame_id in tags:
            fields[prop] = "; ".join(str(t) for t in tags[frame_id].text)
    if "TCON" in tags:
        fields["Genre"] = "; ".join(tags["TCON"].genres)
    if "TDRC" in tags:
        fields["Year"] = str(tags["TDRC"].text[0])[:4]
    for frame_id, prop in [("TRCK", "Track"), ("TPOS", "Disc")]:
        if frame_id in tags:
            parts = str(tags[frame_id].text[0]).split("/")
            fields[prop], fields[prop + "Count"] = parts[0], parts[1] if len(parts) > 1 else "0"
    comments = tags.getall("COMM")
    if comments:
        fields["Comment"] = comments[0].text[0]
    return fields


def stream_bit_rate(name):
    probe = subprocess.run(["ffprobe", "-v", "error", "-show_entries", "stream=bit_rate", "-of",
                            "default=nw=1:nk=1", name], check=True, capture_output=True, text=True)
    return probe.stdout.split()[0]


# What ffprobe reads back of the INFO chunk that ffmpeg wrote (mutagen does not read INFO).
def info_fields(name):
    probe = subprocess.run(["ffprobe", "-v", "error", "-show_format", "-of", "json", name], check=True,
                           capture_output=True, text=True)
    tags = json.loads(probe.stdout)["format"]["tags"]
    return {"Title": tags["title"], "Artist": tags["artist"], "Album": tags["album"], "Comment": tags["comment"],
            "Genre": tags["genre"], "Year": tags["date"], "Track": tags["track"], "Text:ISFT": tags["encoder"]}


# MP4 items: every property, a freeform item, a number item; two covers, the PNG first.
MP4_ITEMS = {"\xa9nam": "MP4 title", "\xa9ART": ["Artist One", "Artist Two"], "\xa9alb": "Album ∞",
             "aART": "Album Artist", "\xa9wrt": "Composer", "\xa9cmt": "MP4 comment", "\xa9gen": "Ambient",
             "\xa9day": "2019-06-01T00:00:00Z", "trkn": [(5, 11)], "disk": [(2, 3)], "\xa9lyr": "lyrics",
             "tmpo": [96], "----:com.apple.iTunes:MusicBrainz Album Id": MP4FreeForm(b"a1b2c3")}


def tag_mp4(name):
    audio = MP4(name)
    audio.update(MP4_ITEMS)
    audio["covr"] = [MP4Cover(PNG, imageformat=MP4Cover.FORMAT_PNG), MP4Cover(JPEG, imageformat=MP4Cover.FORMAT_JPEG)]
    audio.save()
    return PNG


def mp4_fields(tags):
    def get(key):
        return "; ".join(str(v) for v in tags[key])
    fields = {"Title": get("\xa9nam"), "Artist": get("\xa9ART"), "Album": get("\xa9alb"), "AlbumArtist": get("aART"),
              "Composer": get("\xa9wrt"), "Comment": get("\xa9cmt"), "Genre": get("\xa9gen"),
              "Year": get("\xa9day")[:4], "Track": tags["trkn"][0][0], "TrackCount": tags["trkn"][0][1],
              "Disc": tags["disk"][0][0], "DiscCount": tags["disk"][0][1], "Text:\xa9lyr": get("\xa9lyr"),
              "Text:\xa9TOO": get("\xa9too"), "Text:tmpo": get("tmpo")}
    key = "----:com.apple.iTunes:MusicBrainz Album Id"
    fields["Text:" + key] = bytes(tags[key][0]).decode("utf-8")
    return fields


# ASF: the content description's title and author, extended attributes of text and number
# types, a WM/Picture (type, length, UTF-16 MIME type and description, image).
def asf_picture(kind, mime, data):
    texts = (mime + "\0").encode("utf-16-le") + "cover\0".encode("utf-16-le")
    return ASFByteArrayAttribute(struct.pack("<BI", kind, len(data)) + texts + data)


def tag_asf(name):
    audio = ASF(name)
    audio.update({"Title": "WMA title", "Author": "WMA Artist", "Description": "WMA comment",
                  "WM/AlbumTitle": "WMA Album", "WM/AlbumArtist": "Album Artist", "WM/Composer": "Composer ∂",
                  "WM/Genre": ["Pop", "Rock"], "WM/Year": "2007", "WM/TrackNumber": [ASFDWordAttribute(7)],
                  "WM/PartOfSet": "1/2", "WM/Lyrics": "words", "WM/Mood": "bright"})
    audio["WM/Picture"] = [asf_picture(4, "image/jpeg", JPEG), asf_picture(3, "image/png", PNG)]
    audio.save()
    return PNG


def asf_fields(tags):
    def get(key):
        return "; ".join(str(v) for v in tags[key])
    fields = {"Title": get("Title"), "Artist": get("Author"), "Comment": get("Description"),
              "Album": get("WM/AlbumTitle"), "AlbumArtist": get("WM/AlbumArtist"), "Composer": get("WM/Composer"),
              "Genre": get("WM/Genre"), "Year": get("WM/Year"), "Track": get("WM/TrackNumber"),
              "Disc": get("WM/PartOfSet").split("/")[0], "DiscCount": get("WM/PartOfSet").split("/")[1]}
    for key in ("WM/Lyrics", "wm/mood", "WM/EncodingSettings"):
        fields["Text:" + key] = get(key if key in tags else "WM/Mood")
    return fields


def write_manifest(manifest, name, info, fields, cover):
    def put(key, value):
        manifest.write(f"{name}\t{key}\t{value}\n")
    put("Duration", f"{info.length:.6f}")
    # mutagen gives Opus no bitrate, and no rate but the 48 kHz every decoder plays at.
    if hasattr(info, "bitrate") and "Bitrate" not in fields:
        put("Bitrate", round(info.bitrate / 1000))
    put("SampleRate", getattr(info, "sample_rate", 48000))
    put("Channels", info.channels)
    for key, value in fields.items():
        put(key, value)
    if cover is not None:
        with open(name + ".cover", "wb") as out:
            out.write(cover)


def vorbis_fields(tags):
    """The properties as mutagen reads the comments back (keys in any case)."""
    def get(*keys):
        for key in keys:
            if key in tags:
                return "; ".join(tags[key])
        return None
    fields = {"Title": get("title"), "Artist": get("artist"), "Album": get("album"),
              "AlbumArtist": get("albumartist"), "Composer": get("composer"),
              "Comment": get("comment", "description"), "Genre": get("genre")}
    fields = {k: v for k, v in fields.items() if v is not None}
    fields["Year"] = get("date")[:4]
    track = get("tracknumber").split("/")
    fields["Track"], fields["TrackCount"] = track[0], get("tracktotal", "totaltracks")
    disc = get("discnumber").split("/")
    fields["Disc"], fields["DiscCount"] = disc[0], disc[1]
    for key in ("lyrics", "mood", "Tracktotal"):
        fields["Text:" + key] = get(key)
    return fields


with open("manifest.txt", "a", encoding="utf-8") as manifest:
    for name in ["stereo-44k.flac", "mono-48k.flac"]:
        cover = tag_flac(name) if name.startswith("stereo") else None
        audio = FLAC(name)
        fields = vorbis_fields(audio.tags) if cover else {}
        fields.update({"Format": "FLAC", "TagTypes": "FLAC" if audio.tags is not None else ""})
        write_manifest(manifest, name, audio.info, fields, cover)
    for name, cls, fmt, tag_type in [("stereo-44k.ogg", OggVorbis, "Ogg Vorbis", "Vorbis"),
                                     ("mono-48k.opus", OggOpus, "Opus", "Opus"),
                                     ("stereo-44k.oga", OggFLAC, "FLAC", "FLAC")]:
        cover = tag_ogg(name, cls) if cls is OggVorbis else None
        if cls is OggFLAC:
            audio = cls(name)
            audio.update(VORBIS)
            audio.save()
        audio = cls(name)
        fields = vorbis_fields(audio.tags) if cover or cls is OggFLAC else {}
        fields.update({"Format": fmt, "TagTypes": tag_type})
        write_manifest(manifest, name, audio.info, fields, cover)

    for name, cls, fmt in [("stereo-44k-id3.wav", WAVE, "WAV"), ("stereo-44k.aiff", AIFF, "AIFF")]:
        cover = tag_id3_chunk(name, cls)
        audio = cls(name)
        fields = id3_fields(audio.tags)
        fields.update({"Format": fmt, "TagTypes": "ID3v2.3"})
        write_manifest(manifest, name, audio.info, fields, cover)
    fields = info_fields("mono-22k-info.wav")
    tag_id3_chunk("mono-22k-info-id3.wav", WAVE, title_only=True)
    both = dict(fields, Title=WAVE("mono-22k-info-id3.wav").tags["TIT2"].text[0], TagTypes="RIFF INFO ID3v2.3")
    for name, values in [("mono-22k-info.wav", dict(fields, TagTypes="RIFF INFO")), ("mono-22k-info-id3.wav", both)]:
        write_manifest(manifest, name, WAVE(name).info, dict(values, Format="WAV"), None)
    write_manifest(manifest, "mono-48k.aifc", AIFF("mono-48k.aifc").info, {"Format": "AIFF", "TagTypes": ""}, None)
    for name in ["stereo-44k-aac.m4a", "mono-22k-alac.m4a"]:
        cover = tag_mp4(name) if "aac" in name else None
        audio = MP4(name)
        fields = mp4_fields(audio.tags) if cover else {"Text:\xa9too": audio.tags["\xa9too"][0]}
        if "alac" in name:
            # mutagen gives the PCM rate that ALAC's configuration states; ffprobe the
            # average of what the samples hold.
            fields["Bitrate"] = round(int(stream_bit_rate(name)) / 1000)
        fields.update({"Format": "MP4", "TagTypes": "MP4"})
        write_manifest(manifest, name, audio.info, fields, cover)
    for name in ["stereo-44k.wma", "mono-22k.wma"]:
        cover = tag_asf(name) if name.startswith("stereo") else None
        audio = ASF(name)
        fields = asf_fields(audio.tags) if cover else {"Text:WM/EncodingSettings": str(audio.tags["WM/EncodingSettings"][0])}
        fields.update({"Format": "WMA", "TagTypes": "ASF"})
        write_manifest(manifest, name, audio.info, fields, cover)
