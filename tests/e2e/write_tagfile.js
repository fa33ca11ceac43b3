// The same through JScript: assignments to the properties, Save, and the values read back.
var tag = new ActiveXObject("Tarvik.TagFile");
var path = WScript.Arguments(0);
tag.Open(path);
tag.Artist = "JScript artist";
tag.Lyrics = "la la";
tag.Disc = 2;
tag.Save();
var again = new ActiveXObject("Tarvik.TagFile");
again.Open(path);
WScript.Echo(["jscript", again.Artist, again.Lyrics, again.Disc, again.Modified].join("|"));
