' Lists every music file under a folder (MP3, FLAC, MP4/M4A, Ogg Vorbis, Opus, WAV, AIFF, WMA,
' known by their bytes whatever their names) as a table of artist, album, track, title and
' playing time, through the registered Tarvik.TagFile.
' Usage: cscript //nologo listmusic.vbs folder
Option Explicit

Dim files, tag
Set files = CreateObject("Scripting.FileSystemObject")
Set tag = CreateObject("Tarvik.TagFile")
If WScript.Arguments.Count <> 1 Then
    WScript.Echo "usage: cscript //nologo listmusic.vbs folder"
    WScript.Quit 2
End If
WScript.Echo "Artist" & vbTab & "Album" & vbTab & "Track" & vbTab & "Title" & vbTab & "Time"
ListFolder files.GetFolder(WScript.Arguments(0))

Sub ListFolder(folder)
    Dim file, subfolder
    For Each file In folder.Files
        ListFile file.Path
    Next
    For Each subfolder In folder.SubFolders
        ListFolder subfolder
    Next
End Sub

Sub ListFile(path)
    On Error Resume Next
    tag.Open path
    If Err.Number <> 0 Then
        WScript.Echo "(" & Err.Description & ")"
        Exit Sub
    End If
    On Error GoTo 0
    ' Open takes any file; Format names the ones it recognised.
    If tag.Format = "" Then Exit Sub
    Dim title
    title = tag.Title
    If title = "" Then title = files.GetBaseName(path)
    WScript.Echo tag.Artist & vbTab & tag.Album & vbTab & tag.Track & vbTab & title & vbTab & PlayingTime(tag.Duration)
End Sub

' Minutes and seconds, as 3:07.
Function PlayingTime(seconds)
    Dim whole
    whole = Int(seconds + 0.5)
    PlayingTime = (whole \ 60) & ":" & Right("0" & (whole Mod 60), 2)
End Function
