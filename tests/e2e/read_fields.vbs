' Reads every field of the files given, once as properties through the
' version-independent ProgID and once as method calls through the versioned one.
Option Explicit

Dim byName, byVersion, i, path
Set byName = CreateObject("Tarvik.lumex")
Set byVersion = CreateObject("Tarvik.lumex.1")
For i = 0 To WScript.Arguments.Count - 1
    path = WScript.Arguments(i)
    byName.LoadMP3Head path
    WScript.Echo "property|" & byName.GetTitle & "|" & byName.GetArtist & "|" & byName.GetAlbum & "|" & _
        byName.GetProYear & "|" & byName.GetComment & "|" & byName.GetGenreNo & "|" & TypeName(byName.GetGenreNo)
    byVersion.LoadMP3Head(path)
    byVersion.DoCutTailSp()
    WScript.Echo "method|" & byVersion.GetTitle() & "|" & byVersion.GetArtist() & "|" & byVersion.GetAlbum() & "|" & _
        byVersion.GetProYear() & "|" & byVersion.GetComment() & "|" & byVersion.GetGenreNo() & "|" & TypeName(byVersion.GetTitle())
Next
On Error Resume Next
byName.NoSuchMember
WScript.Echo "error|" & Err.Number & "|" & Err.Description
