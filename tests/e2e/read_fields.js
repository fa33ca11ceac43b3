// The same reads from JScript; code units are printed so no console code page is involved.
function codes(text) {
    var out = [];
    for (var i = 0; i < text.length; i++) out.push(text.charCodeAt(i));
    return out.join(",");
}
var tag = new ActiveXObject("Tarvik.lumex");
for (var i = 0; i < WScript.Arguments.length; i++) {
    tag.LoadMP3Head(WScript.Arguments(i));
    tag.DoCutTailSp();
    WScript.Echo("jscript|" + tag.GetTitle + "|" + tag.GetArtist + "|" + tag.GetAlbum + "|" + tag.GetProYear + "|" +
                 tag.GetComment + "|" + tag.GetGenreNo + "|" + typeof tag.GetGenreNo + "|" + codes(tag.GetTitle));
}
try {
    tag.NoSuchMember();
    WScript.Echo("error|none");
} catch (e) {
    WScript.Echo("error|" + (e.number & 0xFFFF) + "|" + e.message);
}
