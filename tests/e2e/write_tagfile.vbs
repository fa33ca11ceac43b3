' Sets fields of the file it is given through Tarvik.TagFile as a script would (property
' assignments, a number given as a string, SetText), saves, opens the file again in a new
' object and prints what it reads; then a save that is refused, as the script sees it.
Option Explicit

Dim tag, again, path
path = WScript.Arguments(0)
Set tag = CreateObject("Tarvik.TagFile")
tag.Open path
tag.Title = "Vbscript title"
tag.Year = "2024"
tag.Track = 4
tag.TrackCount = 9
tag.SetText "TXXX:Mood", "written"
WScript.Echo "modified|" & tag.Modified & "|" & tag.Format
tag.Save
Set again = CreateObject("Tarvik.TagFile")
again.Open path
WScript.Echo "vbscript|" & again.Title & "|" & again.Year & "|" & again.Track & "/" & again.TrackCount & "|" & _
    again.Text("TXXX:Mood") & "|" & tag.Modified
again.Comment = "not saved"
CreateObject("Scripting.FileSystemObject").GetFile(path).Attributes = 1
On Error Resume Next
again.Save
WScript.Echo "error|" & Hex(Err.Number) & "|" & Err.Description & "|" & again.Modified
