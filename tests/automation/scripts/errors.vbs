' Automation errors as a script meets them: Scarica2 and Scarica_ZidoriVovi
' on a missing database end in 3024 with the component's description and
' source; a value that is no number is 13. Literals and variables (passed
' by reference) alike. Argument 0: the missing database's path.
' Exits 100 when all held (an uncaught error ends a script with 0), else
' the number of the first check that failed.
Option Explicit
Dim o, database, readerFile, port, timeout, result
database = WScript.Arguments(0)
readerFile = "C:\lettore.txt"
Set o = CreateObject("Viruzedi11600.Viruzedi")

On Error Resume Next
o.Scarica2 database, readerFile
If Err.Number <> 3024 Then WScript.Echo "Scarica2: " & Err.Number & " " & Err.Description : WScript.Quit 1
If Err.Source <> "Viruzedi11600.Viruzedi" Then WScript.Echo "source: " & Err.Source : WScript.Quit 2
If Len(Err.Description) = 0 Then WScript.Quit 3
WScript.Echo Err.Number & " | " & Err.Source & " | " & Err.Description
Err.Clear

' Literals only, every parameter; the port as text, the time-out a Long.
timeout = CLng(5)
o.Scarica2 "C:\nessuna\altro.mdb", "C:\lettore.txt", "3", 2, 1, True, False, False, False, False, timeout
If Err.Number <> 3024 Then WScript.Echo "Scarica2 literals: " & Err.Number : WScript.Quit 4
Err.Clear

port = 3
o.Scarica_ZidoriVovi database, readerFile, port
If Err.Number <> 3024 Then WScript.Echo "Scarica_ZidoriVovi: " & Err.Number : WScript.Quit 5
If Err.Source <> "Viruzedi11600.Viruzedi" Then WScript.Quit 6
Err.Clear
' The script's variables are as they were.
If database <> WScript.Arguments(0) Or port <> 3 Then WScript.Quit 7

o.Scarica2 database, readerFile, "COM3"
If Err.Number <> 13 Then WScript.Echo "PortaCOM COM3: " & Err.Number : WScript.Quit 8
Err.Clear
o.Scarica2 database, readerFile, 1, 1, 1, True, True, False, False, False, "dieci"
If Err.Number <> 13 Then WScript.Echo "Timeout dieci: " & Err.Number : WScript.Quit 9
Err.Clear
o.IdUt = "tre"
If Err.Number <> 13 Then WScript.Echo "IdUt tre: " & Err.Number : WScript.Quit 10
Err.Clear
If o.IdUt <> 0 Then WScript.Quit 11
On Error GoTo 0

' A result is Empty, also after a failure shown in a box (port 0 has no
' device).
result = o.Scarica()
If TypeName(result) <> "Empty" Then WScript.Echo TypeName(result) : WScript.Quit 12
result = o.Upload1()
If TypeName(result) <> "Empty" Then WScript.Quit 13
Set o = Nothing
WScript.Quit 100
