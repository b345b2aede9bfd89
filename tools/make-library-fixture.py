#!/usr/bin/env python3
"""Writes the test library: tests/fixtures/iTunes Music Library.xml and the
artwork pictures it names in tests/fixtures/artwork/.

The file copies the layout the player writes (tabs, key order, entity and
location encoding), so that line-based readers can be tested on it too. The
"Artwork Files" key is our own: the simulated player reads the pictures from
there. Output is deterministic; run again after changing the tables below.
"""

import datetime
import hashlib
import os
import struct
import sys
import urllib.parse

# (artist, album, genre, year, bit rate, tracks); a compilation's tracks are
# (title, artist) pairs, and its artist is None.
ALBUMS = [
    ("Orla Finch", "Paper Boats", "Pop", 2010, 256, ["Paper Boats"]),
    ("The Paper Lanterns", "Harbour Lights", "Rock", 2007, 192,
     ["Harbour Lights", "Salt on the Window", "Lighthouse Keeper", "Low Tide", "Gull Song", "Last Ferry Home"]),
    ("The Paper Lanterns", "Night Ferry", "Rock", 2009, 192,
     ["Night Ferry", "Engine Room", "Starboard", "Fog Horn Blues", "Crossing"]),
    ("Mika Sorensen", "Northern Atlas", "Electronic", 2008, 256,
     ["Aurora", "Tromsø", "Polar Night", "Compass", "Midnight Sun"]),
    ("椎名 遥", "青い月", "J-Pop", 2006, 256,
     ["青い月", "夏の終わり", "星降る夜に", "さよならの手紙", "風のうた"]),
    ("Owen Castell", "Rivers & Roads", "Folk", 2005, 192,
     ["Morning Road", "Bread & Salt", "Willow Creek", "The Long Way Round", "Homeward"]),
    (None, "Summer Drive 2009", "Pop", 2009, 256,
     [("Open Windows", "The Paper Lanterns"), ("Coastline", "Mika Sorensen"), ("真夏のドライブ", "椎名 遥"),
      ("Dust and Diesel", "Owen Castell"), ("Sunday Radio", "Orla Finch")]),
    ("森山 健二", "夜明けのワルツ", "Jazz", 2004, 192,
     ["夜明けのワルツ", "雨の交差点", "Blue Hour", "眠れない街"]),
    ("Orla Finch", "Glass Orchard", "Pop", 2010, 256,
     ["Glass Orchard", "Apple Blossom", "Winter Bees", "Hollow Tree"]),
    ("森山 健二", "冬の駅", "Jazz", 2011, 192, ["冬の駅"]),
]

COMPOSERS = {"椎名 遥": "椎名 遥", "森山 健二": "高田 修"}
COMMENTS = {
    "Lighthouse Keeper": "Recorded live at the Harbour Inn",
    "星降る夜に": "ドラマ主題歌",
}
# (album, track number) -> picture files, relative to the library file's folder.
ARTWORK = {
    ("Harbour Lights", 1): ["artwork/harbour-lights.bmp", "artwork/harbour-lights-back.bmp"],
    ("Harbour Lights", 2): ["artwork/harbour-lights.bmp"],
    ("青い月", 1): ["artwork/aoi-tsuki.bmp"],
    ("青い月", 2): ["artwork/aoi-tsuki.bmp"],
}
# name -> (background, pattern) colours as (r, g, b)
PICTURES = {
    "harbour-lights": ((20, 60, 140), (250, 210, 60)),
    "harbour-lights-back": ((230, 230, 220), (20, 60, 140)),
    "aoi-tsuki": ((10, 20, 70), (240, 240, 200)),
}

FIRST_TRACK_ID = 201
FIRST_PLAYLIST_ID = 401
MUSIC_ROOT = "C:/Users/Public/Music/"
DATE_BASE = datetime.datetime(2009, 6, 1, 9, 30, 0)
MAC_EPOCH = datetime.datetime(1904, 1, 1)


class Numbers:
    """A small fixed generator, so that every run writes the same file."""

    def __init__(self, seed):
        self.state = seed

    def next(self, bound):
        self.state = (self.state * 1103515245 + 12345) % 2147483648
        return (self.state >> 8) % bound


def escape(text):
    # The player writes numeric references for the markup characters.
    return text.replace("&", "&#38;").replace("<", "&#60;").replace(">", "&#62;")


def location(path):
    # UTF-8, percent-encoded as the player does it; '&' stays and is escaped as XML.
    encoded = urllib.parse.quote(path.encode("utf-8"), safe="!$'()+,-.=_~:/@&")
    return "file://localhost/" + encoded


def iso(moment):
    return moment.strftime("%Y-%m-%dT%H:%M:%SZ")


def persistent_id(*parts):
    return hashlib.md5("/".join(parts).encode("utf-8")).hexdigest()[:16].upper()


def build_tracks():
    numbers = Numbers(20090601)
    tracks = []
    for artist, album, genre, year, bit_rate, titles in ALBUMS:
        for number, entry in enumerate(titles, 1):
            title, track_artist = entry if artist is None else (entry, artist)
            total_time = 120000 + numbers.next(240000)
            folder = "Compilations" if artist is None else track_artist
            index = len(tracks)
            played = [0, 0, 1, 3, 7, 12, 25][numbers.next(7)]
            track = {
                "id": FIRST_TRACK_ID + 2 * index,
                "name": title,
                "artist": track_artist,
                "composer": COMPOSERS.get(track_artist),
                "album": album,
                "genre": genre,
                "size": total_time * bit_rate // 8 + 2048 + numbers.next(4096),
                "total_time": total_time,
                "number": number,
                "count": len(titles),
                "year": year,
                "modified": DATE_BASE + datetime.timedelta(hours=index),
                "added": DATE_BASE + datetime.timedelta(days=1, hours=index),
                "bit_rate": bit_rate,
                "comments": COMMENTS.get(title),
                "played": played,
                "play_date": DATE_BASE + datetime.timedelta(days=200 + index, minutes=numbers.next(1440)),
                "rating": [0, 0, 20, 40, 60, 80, 100][numbers.next(7)],
                "compilation": artist is None,
                "artwork": ARTWORK.get((album, number), []),
                "location": location("%s%s/%s/%02d %s.mp3" % (MUSIC_ROOT, folder, album, number, title)),
            }
            tracks.append(track)
    return tracks


def track_lines(t):
    def key(name, element):
        lines.append("\t\t\t<key>%s</key>%s" % (name, element))

    lines = ["\t\t<key>%d</key>" % t["id"], "\t\t<dict>"]
    key("Track ID", "<integer>%d</integer>" % t["id"])
    key("Name", "<string>%s</string>" % escape(t["name"]))
    key("Artist", "<string>%s</string>" % escape(t["artist"]))
    if t["composer"]:
        key("Composer", "<string>%s</string>" % escape(t["composer"]))
    key("Album", "<string>%s</string>" % escape(t["album"]))
    key("Genre", "<string>%s</string>" % escape(t["genre"]))
    key("Kind", "<string>MPEG audio file</string>")
    key("Size", "<integer>%d</integer>" % t["size"])
    key("Total Time", "<integer>%d</integer>" % t["total_time"])
    key("Track Number", "<integer>%d</integer>" % t["number"])
    key("Track Count", "<integer>%d</integer>" % t["count"])
    key("Year", "<integer>%d</integer>" % t["year"])
    key("Date Modified", "<date>%s</date>" % iso(t["modified"]))
    key("Date Added", "<date>%s</date>" % iso(t["added"]))
    key("Bit Rate", "<integer>%d</integer>" % t["bit_rate"])
    key("Sample Rate", "<integer>44100</integer>")
    if t["comments"]:
        key("Comments", "<string>%s</string>" % escape(t["comments"]))
    if t["played"]:
        key("Play Count", "<integer>%d</integer>" % t["played"])
        key("Play Date", "<integer>%d</integer>" % int((t["play_date"] - MAC_EPOCH).total_seconds()))
        key("Play Date UTC", "<date>%s</date>" % iso(t["play_date"] - datetime.timedelta(hours=9)))
    if t["rating"]:
        key("Rating", "<integer>%d</integer>" % t["rating"])
    if t["compilation"]:
        key("Compilation", "<true/>")
    if t["artwork"]:
        key("Artwork Count", "<integer>%d</integer>" % len(t["artwork"]))
    key("Persistent ID", "<string>%s</string>" % persistent_id("track", t["album"], t["name"]))
    key("Track Type", "<string>File</string>")
    key("Location", "<string>%s</string>" % escape(t["location"]))
    key("File Folder Count", "<integer>-1</integer>")
    key("Library Folder Count", "<integer>-1</integer>")
    if t["artwork"]:
        lines.append("\t\t\t<key>Artwork Files</key>")
        lines.append("\t\t\t<array>")
        lines.extend("\t\t\t\t<string>%s</string>" % escape(f) for f in t["artwork"])
        lines.append("\t\t\t</array>")
    lines.append("\t\t</dict>")
    # Readers that keep only the last 32 lines of a track must still see its Track ID.
    assert len(lines) - 2 <= 32, t["name"]
    return lines


def build_playlists(tracks):
    by_name = {t["name"]: t["id"] for t in tracks}
    everything = [t["id"] for t in tracks]

    def album(name):
        return [t["id"] for t in tracks if t["album"] == name]

    return [
        ("Library", True, everything),
        ("Seaside", False, album("Harbour Lights")),
        ("Drive Mix", False, [by_name[n] for n in [
            "Open Windows", "Aurora", "Morning Road", "真夏のドライブ", "Engine Room", "Apple Blossom",
            "Coastline", "Bread & Salt", "夏の終わり", "Sunday Radio"]]),
        ("お気に入り", False, [t["id"] for t in tracks if t["rating"] == 100]),
        # A smart playlist: the player keeps its rules as opaque data.
        ("Jazz Picks", "smart", [t["id"] for t in tracks if t["genre"] == "Jazz"]),
        ("Lullaby", False, [by_name["風のうた"]]),
        ("Night Jazz", False, album("夜明けのワルツ") + album("冬の駅") + [by_name["Fog Horn Blues"]]),
    ]


# The rules of the smart playlist (Genre is "Jazz"), as opaque as the player's.
SMART_INFO = "AQEAAwAAAAIAAAAZAAAAAAAAAAcAAAABAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"
SMART_CRITERIA = "U0xzdAABAAEAAAABAAAACAAAAAAAAAAAAAAAAAAAAAAAAAAASmF6eg=="


def playlist_lines(index, name, master, ids):
    lines = ["\t\t<dict>", "\t\t\t<key>Name</key><string>%s</string>" % escape(name)]
    if master is True:
        lines.append("\t\t\t<key>Master</key><true/>")
    lines.append("\t\t\t<key>Playlist ID</key><integer>%d</integer>" % (FIRST_PLAYLIST_ID + 2 * index))
    lines.append("\t\t\t<key>Playlist Persistent ID</key><string>%s</string>" % persistent_id("playlist", name))
    if master is True:
        lines.append("\t\t\t<key>Visible</key><false/>")
    lines.append("\t\t\t<key>All Items</key><true/>")
    if master == "smart":
        for key, data in (("Smart Info", SMART_INFO), ("Smart Criteria", SMART_CRITERIA)):
            lines.append("\t\t\t<key>%s</key>" % key)
            lines.append("\t\t\t<data>")
            lines.append("\t\t\t%s" % data)
            lines.append("\t\t\t</data>")
    if ids:
        lines.append("\t\t\t<key>Playlist Items</key>")
        lines.append("\t\t\t<array>")
        for track_id in ids:
            lines.append("\t\t\t\t<dict>")
            lines.append("\t\t\t\t\t<key>Track ID</key><integer>%d</integer>" % track_id)
            lines.append("\t\t\t\t</dict>")
        lines.append("\t\t\t</array>")
    lines.append("\t\t</dict>")
    return lines


def library_text():
    tracks = build_tracks()
    lines = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        '<!DOCTYPE plist PUBLIC "-//Apple Computer//DTD PLIST 1.0//EN" '
        '"http://www.apple.com/DTDs/PropertyList-1.0.dtd">',
        '<plist version="1.0">',
        "<dict>",
        "\t<key>Major Version</key><integer>1</integer>",
        "\t<key>Minor Version</key><integer>1</integer>",
        "\t<key>Application Version</key><string>9.2.1.5</string>",
        "\t<key>Features</key><integer>5</integer>",
        "\t<key>Show Content Ratings</key><true/>",
        "\t<key>Music Folder</key><string>file://localhost/C:/Users/Public/Music/iTunes/iTunes%20Media/</string>",
        "\t<key>Library Persistent ID</key><string>%s</string>" % persistent_id("library"),
        "\t<key>Tracks</key>",
        "\t<dict>",
    ]
    for t in tracks:
        lines.extend(track_lines(t))
    lines.append("\t</dict>")
    lines.append("\t<key>Playlists</key>")
    lines.append("\t<array>")
    for index, (name, master, ids) in enumerate(build_playlists(tracks)):
        lines.extend(playlist_lines(index, name, master, ids))
    lines.append("\t</array>")
    lines.append("</dict>")
    lines.append("</plist>")
    return "\n".join(lines) + "\n"


def bmp(size, background, pattern):
    """A 24-bit bottom-up BMP: a solid square with a border, a cross and a diagonal."""
    row_bytes = (size * 3 + 3) // 4 * 4
    rows = []
    for y in range(size - 1, -1, -1):
        row = bytearray()
        for x in range(size):
            edge = x < 3 or y < 3 or x >= size - 3 or y >= size - 3
            cross = abs(x - size // 2) < 2 or abs(y - size // 2) < 2
            r, g, b = pattern if edge or cross or x == y else background
            row += bytes((b, g, r))
        row += b"\0" * (row_bytes - len(row))
        rows.append(bytes(row))
    pixels = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, size, size, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + pixels


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = os.path.join(root, "tests", "fixtures")
    if len(sys.argv) > 1:
        out = sys.argv[1]
    os.makedirs(os.path.join(out, "artwork"), exist_ok=True)
    with open(os.path.join(out, "iTunes Music Library.xml"), "w", encoding="utf-8", newline="\n") as f:
        f.write(library_text())
    for name, (background, pattern) in PICTURES.items():
        with open(os.path.join(out, "artwork", name + ".bmp"), "wb") as f:
            f.write(bmp(64, background, pattern))


if __name__ == "__main__":
    main()
