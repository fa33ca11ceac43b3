' Reads each file named on the command line through Tarvik.TagFile, as a script that lists
' music would: one line of fields a file, the path passed as a variable; member names in
' other case; then an Open that fails, whose error the script sees.
Option Explicit

Dim tag, i, path, saved
Set tag = CreateObject("Tarvik.TagFile.1")
For i = 0 To WScript.Arguments.Count - 2
    path = WScript.Arguments(i)
    tag.Open path
    WScript.Echo Join(Array("vbscript", tag.Title, tag.ARTIST, tag.Album, tag.albumartist, tag.Track, _
        tag.TrackCount, tag.Year, tag.Genre, Round(tag.Duration), TypeName(tag.Duration), tag.Bitrate, _
        tag.SampleRate, tag.Channels, tag.TagTypes, tag.Text("TXXX:Mood"), tag.Text("tbpm")), "|")
Next
saved = tag.SavePicture(WScript.Arguments(WScript.Arguments.Count - 1))
WScript.Echo "saved|" & saved & "|" & TypeName(saved)
On Error Resume Next
tag.Open WScript.Arguments(0) & ".missing"
WScript.Echo "error|" & Hex(Err.Number) & "|" & Err.Description & "|" & Err.Source
On Error GoTo 0
WScript.Echo "after|" & tag.Title & "|" & tag.Duration & "|" & tag.SavePicture(WScript.Arguments(0) & ".none")
