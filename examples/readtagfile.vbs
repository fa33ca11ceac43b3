' Prints what Tarvik.TagFile reads from each file named on the command line: the tags, the
' playing time and the audio properties.  Usage: cscript //nologo readtagfile.vbs file.mp3 ...
Option Explicit

Dim tag, i
Set tag = CreateObject("Tarvik.TagFile")
For i = 0 To WScript.Arguments.Count - 1
    tag.Open WScript.Arguments(i)
    WScript.Echo WScript.Arguments(i) & " (TagFile: " & tag.Format & ", " & tag.TagTypes & ")"
    WScript.Echo "Title        " & tag.Title
    WScript.Echo "Artist       " & tag.Artist
    WScript.Echo "Album        " & tag.Album
    WScript.Echo "Album artist " & tag.AlbumArtist
    WScript.Echo "Composer     " & tag.Composer
    WScript.Echo "Genre        " & tag.Genre
    WScript.Echo "Year         " & tag.Year
    WScript.Echo "Track        " & tag.Track & "/" & tag.TrackCount
    WScript.Echo "Disc         " & tag.Disc & "/" & tag.DiscCount
    WScript.Echo "Comment      " & tag.Comment
    WScript.Echo "Time         " & FormatNumber(tag.Duration, 2) & " s, " & tag.Bitrate & " kbit/s, " & _
        tag.SampleRate & " Hz, " & tag.Channels & " channel(s)"
Next
