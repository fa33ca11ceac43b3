# Tags the reference files of the formats other than MP3 with mutagen, then reads back what
# mutagen makes of them and appends it to manifest.txt ("file<TAB>property<TAB>value"), the
# front cover's bytes to <file>.cover.  Runs in the fixtures' folder.
import base64

from mutagen.flac import FLAC, Picture
from mutagen.oggopus import OggOpus
from mutagen.oggvorbis import OggVorbis

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


def write_manifest(manifest, name, info, fields, cover):
    def put(key, value):
        manifest.write(f"{name}\t{key}\t{value}\n")
    put("Duration", f"{info.length:.6f}")
    # mutagen gives Opus no bitrate, and no rate but the 48 kHz every decoder plays at.
    if hasattr(info, "bitrate"):
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
                                     ("mono-48k.opus", OggOpus, "Opus", "Opus")]:
        cover = tag_ogg(name, cls) if cls is OggVorbis else None
        audio = cls(name)
        fields = vorbis_fields(audio.tags) if cover else {}
        fields.update({"Format": fmt, "TagTypes": tag_type})
        write_manifest(manifest, name, audio.info, fields, cover)
