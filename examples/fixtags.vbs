' Sets the album artist of every music file under a folder (MP3, FLAC, MP4/M4A, Ogg Vorbis,
' Opus, WAV, AIFF, WMA, known by their bytes whatever their names) through Tarvik.TagFile,
' and says what it changed: each file whose album artist was different, with the old value,
' and each file it could not change, with the reason.  Files that already say so, and files
' of no format TagFile knows, are left untouched.
' Usage: cscript //nologo fixtags.vbs folder "album artist"
Option Explicit

Dim files, tag, changed, failed
Set files = CreateObject("Scripting.FileSystemObject")
Set tag = CreateObject("Tarvik.TagFile")
If WScript.Arguments.Count <> 2 Then
    WScript.Echo "usage: cscript //nologo fixtags.vbs folder ""album artist"""
    WScript.Quit 2
End If
changed = 0
failed = 0
FixFolder files.GetFolder(WScript.Arguments(0)), WScript.Arguments(1)
WScript.Echo changed & " changed, " & failed & " failed"
If failed > 0 Then WScript.Quit 1

Sub FixFolder(folder, albumArtist)
    Dim file, subfolder
    For Each file In folder.Files
        FixFile file.Path, albumArtist
    Next
    For Each subfolder In folder.SubFolders
        FixFolder subfolder, albumArtist
    Next
End Sub

Sub FixFile(path, albumArtist)
    Dim before
    On Error Resume Next
    tag.Open path
    If Err.Number = 0 Then
        ' Open takes any file; Format names the ones it recognised.
        If tag.Format = "" Then Exit Sub
        before = tag.AlbumArtist
        If before <> albumArtist Then
            tag.AlbumArtist = albumArtist
            tag.Save
        End If
    End If
    If Err.Number <> 0 Then
        WScript.Echo "failed: " & Err.Description
        failed = failed + 1
    ElseIf before <> albumArtist Then
        WScript.Echo "changed: " & path & " (was """ & before & """)"
        changed = changed + 1
    End If
    On Error GoTo 0
End Sub
