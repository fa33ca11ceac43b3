' Reads each file named on the command fields through Tarvik.TagFile, as a script that lists
' music would: one fields of fields a file, the path passed as a variable; member names in
' other case; then an Open that fails, whose error the script sees.
Option Explicit

Dim tag, i, path, saved, fields
Set tag = CreateObject("Tarvik.TagFile.1")
For i = 0 To WScript.Arguments.Count - 2
    path = WScript.Arguments(i)
    tag.Open path
    ' Wine's VBScript has no Join.
    fields = "vbscript|" & tag.Title & "|" & tag.ARTIST & "|" & tag.Album & "|" & tag.albumartist
    fields = fields & "|" & tag.Track & "|" & tag.TrackCount & "|" & tag.Year & "|" & tag.Genre
    fields = fields & "|" & Round(tag.Duration) & "|" & TypeName(tag.Duration) & "|" & tag.Bitrate
    fields = fields & "|" & tag.SampleRate & "|" & tag.Channels & "|" & tag.TagTypes
    WScript.Echo fields & "|" & tag.Text("TXXX:Mood") & "|" & tag.Text("tbpm")
Next
saved = tag.SavePicture(WScript.Arguments(WScript.Arguments.Count - 1))
WScript.Echo "saved|" & saved & "|" & TypeName(saved)
On Error Resume Next
tag.Open WScript.Arguments(0) & ".missing"
WScript.Echo "error|" & Hex(Err.Number) & "|" & Err.Description & "|" & Err.Source
On Error GoTo 0
WScript.Echo "after|" & tag.Title & "|" & tag.Duration & "|" & tag.SavePicture(WScript.Arguments(0) & ".none")
