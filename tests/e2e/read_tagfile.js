// The same through JScript and the version-independent ProgID: the fields of the first
// file, and the error of an Open that fails.
var tag = new ActiveXObject("Tarvik.TagFile");
var path = WScript.Arguments(0);
tag.Open(path);
WScript.Echo(["jscript", tag.Artist, tag.Disc, tag.DiscCount, tag.Comment,
              Math.round(tag.Duration), typeof tag.Duration, tag.TagTypes].join("|"));
try {
    tag.Open(path + ".missing");
} catch (e) {
    WScript.Echo("error|" + (e.number >>> 0).toString(16).toUpperCase() + "|" + e.description);
}
