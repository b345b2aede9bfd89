// RateAlbum.js: gives every track of the playing track's album (same album
// and artist) the playing track's rating. A sample script of Kolibrix, run by
// the action RunScript; it works on its own as well:
//
//   wscript RateAlbum.js [/quiet]
//
// Run by hand it tells what went wrong in a message box. With /quiet (the
// sample action list passes it) it shows nothing and only sets its exit
// code: 0 done, 1 iTunes could not be reached, 2 nothing is playing or the
// track has no album, 3 some tracks refused the rating.
// Its texts follow Kolibrix's language ([Lang] Id in Option.ini, two folders up).

var quiet = false;
for (var i = 0; i < WScript.Arguments.length; i++) {
    if (WScript.Arguments.Item(i).toLowerCase() == "/quiet") quiet = true;
}

var texts = {
    en: {
        title: "Rate the Album",
        noPlayer: "iTunes could not be reached.",
        nothing: "Nothing is playing.",
        noAlbum: "The playing track has no album.",
        notRated: "%1 of %2 tracks could not be rated."
    },
    ja: {
        title: "\u30A2\u30EB\u30D0\u30E0\u3092\u8A55\u4FA1",
        noPlayer: "iTunes \u306B\u63A5\u7D9A\u3067\u304D\u307E\u305B\u3093\u3002",
        nothing: "\u518D\u751F\u4E2D\u306E\u66F2\u304C\u3042\u308A\u307E\u305B\u3093\u3002",
        noAlbum: "\u518D\u751F\u4E2D\u306E\u66F2\u306B\u306F\u30A2\u30EB\u30D0\u30E0\u540D\u304C\u3042\u308A\u307E\u305B\u3093\u3002",
        notRated: "%2 \u66F2\u306E\u3046\u3061 %1 \u66F2\u3092\u8A55\u4FA1\u3067\u304D\u307E\u305B\u3093\u3067\u3057\u305F\u3002"
    }
};

// Kolibrix's language: Japanese unless Option.ini says otherwise.
function language() {
    var id = "ja";
    try {
        var fso = new ActiveXObject("Scripting.FileSystemObject");
        var folder = fso.GetParentFolderName(WScript.ScriptFullName);
        var ini = fso.BuildPath(fso.GetParentFolderName(fso.GetParentFolderName(folder)), "Option.ini");
        if (!fso.FileExists(ini)) return id;
        var file = fso.OpenTextFile(ini, 1);
        var inLang = false, first = true;
        while (!file.AtEndOfStream) {
            var line = file.ReadLine().replace(/^\s+|\s+$/g, "");
            // The file may begin with a UTF-8 byte order mark, read here as a few characters.
            if (first) line = line.replace(/^[^\[]{1,3}\[/, "[");
            first = false;
            if (line.charAt(0) == "[") inLang = line.toLowerCase() == "[lang]";
            else if (inLang && /^id\s*=/i.test(line)) id = line.replace(/^id\s*=\s*/i, "").toLowerCase();
        }
        file.Close();
    } catch (e) {
    }
    return texts[id] ? id : "en";
}

function fail(code, key, a, b) {
    if (!quiet) {
        var t = texts[language()];
        var message = t[key].replace("%1", a).replace("%2", b);
        new ActiveXObject("WScript.Shell").Popup(message, 0, t.title, 48);
    }
    WScript.Quit(code);
}

var app, playing;
try {
    app = WScript.CreateObject("iTunes.Application");
} catch (e) {
    fail(1, "noPlayer");
}
try {
    playing = app.CurrentTrack;
} catch (e) {
    fail(1, "noPlayer");
}
if (!playing) fail(2, "nothing");
var album = playing.Album, artist = playing.Artist, rating = playing.Rating;
if (album == "") fail(2, "noAlbum");

// The library's search narrows the walk; the exact test picks the album.
var found = app.LibraryPlaylist.Search(album, 3);  // 3: album names
var total = 0, failed = 0;
if (found) {
    for (var e = new Enumerator(found); !e.atEnd(); e.moveNext()) {
        var track = e.item();
        if (track.Album != album || track.Artist != artist) continue;
        total++;
        try {
            if (track.Rating != rating) track.Rating = rating;
        } catch (x) {
            failed++;
        }
    }
}
if (failed > 0) fail(3, "notRated", failed, total);
WScript.Quit(0);
