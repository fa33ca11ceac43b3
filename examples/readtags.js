// Prints the ID3v1 tag of each MP3 file named on the command line, through the
// registered tarvik control.  Usage: cscript //nologo readtags.js file.mp3 ...
var tag = new ActiveXObject("Tarvik.lumex");
for (var i = 0; i < WScript.Arguments.length; i++) {
    tag.LoadMP3Head(WScript.Arguments(i));
    tag.DoCutTailSp();
    WScript.Echo(WScript.Arguments(i));
    WScript.Echo("Title    " + tag.GetTitle);
    WScript.Echo("Artist   " + tag.GetArtist);
    WScript.Echo("Album    " + tag.GetAlbum);
    WScript.Echo("Year     " + tag.GetProYear);
    WScript.Echo("Comment  " + tag.GetComment);
    WScript.Echo("Genre    " + tag.GetGenreNo);
}
