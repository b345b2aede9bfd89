' AddToPlaylist.vbs: adds the playing track to the playlist named by the
' argument, making that playlist first when there is none of that name. A
' sample script of Kolibrix, run by the action RunScript; it works on its own
' as well:
'
'   wscript AddToPlaylist.vbs [/quiet] "playlist name"
'
' Run by hand it tells what went wrong in a message box. With /quiet (the
' sample action list passes it) it shows nothing and only sets its exit code:
' 0 done (also when the track was there already), 1 iTunes could not be
' reached, 2 nothing is playing, 3 the playlist could not be made or refused
' the track, 4 no playlist name was given.
' Its texts follow Kolibrix's language ([Lang] Id in Option.ini, two folders up).
Option Explicit

Dim quiet, listName, i, arg
quiet = False
listName = ""
For i = 0 To WScript.Arguments.Count - 1
    arg = WScript.Arguments(i)
    If LCase(arg) = "/quiet" Then
        quiet = True
    ElseIf listName = "" Then
        listName = arg
    End If
Next

' Text with \uXXXX escapes, so that the file stays ASCII whatever the code page.
Function U(text)
    Dim out, p
    out = ""
    p = 1
    Do While p <= Len(text)
        If Mid(text, p, 2) = "\u" Then
            out = out & ChrW(CLng("&H" & Mid(text, p + 2, 4)))
            p = p + 6
        Else
            out = out & Mid(text, p, 1)
            p = p + 1
        End If
    Loop
    U = out
End Function

' Kolibrix's language: Japanese unless Option.ini says otherwise.
Function Language()
    Dim fso, ini, file, line, inLang, id, first
    id = "ja"
    On Error Resume Next
    Set fso = CreateObject("Scripting.FileSystemObject")
    ini = fso.BuildPath(fso.GetParentFolderName(fso.GetParentFolderName( _
        fso.GetParentFolderName(WScript.ScriptFullName))), "Option.ini")
    If fso.FileExists(ini) Then
        Set file = fso.OpenTextFile(ini, 1)
        inLang = False
        first = True
        Do While Not file.AtEndOfStream
            line = Trim(file.ReadLine())
            ' The file may begin with a UTF-8 byte order mark, read here as a few characters.
            If first And InStr(line, "[") > 1 And InStr(line, "[") <= 4 Then line = Mid(line, InStr(line, "["))
            first = False
            If Left(line, 1) = "[" Then
                inLang = (LCase(line) = "[lang]")
            ElseIf inLang And LCase(Left(line, 3)) = "id=" Then
                id = LCase(Trim(Mid(line, 4)))
            End If
        Loop
        file.Close
    End If
    If id <> "ja" Then id = "en"
    Language = id
End Function

Function Text(key)
    Dim ja
    ja = (Language() = "ja")
    Select Case key
        Case "title"
            If ja Then Text = U("\u30D7\u30EC\u30A4\u30EA\u30B9\u30C8\u306B\u8FFD\u52A0") Else Text = "Add to Playlist"
        Case "noName"
            If ja Then
                Text = U("\u30D7\u30EC\u30A4\u30EA\u30B9\u30C8\u540D\u3092\u5F15\u6570\u3067\u6307\u5B9A\u3057\u3066\u304F\u3060\u3055\u3044\u3002")
            Else
                Text = "Give the playlist's name as the argument."
            End If
        Case "noPlayer"
            If ja Then Text = U("iTunes \u306B\u63A5\u7D9A\u3067\u304D\u307E\u305B\u3093\u3002") Else Text = "iTunes could not be reached."
        Case "nothing"
            If ja Then Text = U("\u518D\u751F\u4E2D\u306E\u66F2\u304C\u3042\u308A\u307E\u305B\u3093\u3002") Else Text = "Nothing is playing."
        Case "noList"
            If ja Then
                Text = U("\u30D7\u30EC\u30A4\u30EA\u30B9\u30C8\u300C%1\u300D\u3092\u4F5C\u6210\u3067\u304D\u307E\u305B\u3093\u3002")
            Else
                Text = "The playlist ""%1"" could not be made."
            End If
        Case "notAdded"
            If ja Then
                Text = U("\u30D7\u30EC\u30A4\u30EA\u30B9\u30C8\u300C%1\u300D\u306B\u66F2\u3092\u8FFD\u52A0\u3067\u304D\u307E\u305B\u3093\u3002")
            Else
                Text = "The track could not be added to ""%1""."
            End If
    End Select
End Function

Sub Fail(code, key)
    If Not quiet Then MsgBox Replace(Text(key), "%1", listName), vbExclamation, Text("title")
    WScript.Quit code
End Sub

Dim app, track, playlist, t, high, low, same
If listName = "" Then Fail 4, "noName"

On Error Resume Next
Set app = CreateObject("iTunes.Application")
If Err.Number <> 0 Then Fail 1, "noPlayer"
Set track = app.CurrentTrack
If Err.Number <> 0 Then Fail 1, "noPlayer"
If track Is Nothing Then Fail 2, "nothing"

Set playlist = app.LibrarySource.Playlists.ItemByName(listName)
If Err.Number <> 0 Then Fail 1, "noPlayer"
If playlist Is Nothing Then
    Set playlist = app.CreatePlaylist(listName)
    If Err.Number <> 0 Then Fail 3, "noList"
End If

' Already there? The persistent id names a track in every playlist. (A failed
' test must not count as a match, so it is kept out of the If.)
high = app.ITObjectPersistentIDHigh(track)
low = app.ITObjectPersistentIDLow(track)
For Each t In playlist.Tracks
    same = False
    same = (app.ITObjectPersistentIDHigh(t) = high And app.ITObjectPersistentIDLow(t) = low)
    If Err.Number = 0 And same Then WScript.Quit 0
    Err.Clear
Next
Err.Clear
playlist.AddTrack track
If Err.Number <> 0 Then Fail 3, "notAdded"
WScript.Quit 0
