' A new object, its three properties written and read back, and released
' without any operation: no port is opened (the box file stays empty).
' Exits 100 when all held (an uncaught error ends a script with 0), else
' the number of the first check that failed.
Option Explicit
Dim o, accented
Set o = CreateObject("Viruzedi11600.Viruzedi")
If o.Porta <> 0 Or TypeName(o.Porta) <> "Long" Then WScript.Quit 1
If o.DbPath <> "" Or TypeName(o.DbPath) <> "String" Then WScript.Quit 2
If o.IdUt <> 0 Or TypeName(o.IdUt) <> "Integer" Then WScript.Quit 3
o.Porta = 12
o.IdUt = -1
' No AscW/ChrW in this VBScript: the accents are written as they are.
accented = "C:\Letture più\àèìòù €.mdb"
o.DbPath = accented
If o.Porta <> 12 Then WScript.Quit 4
If o.IdUt <> -1 Then WScript.Quit 5
If o.DbPath <> accented Or Len(o.DbPath) <> Len(accented) Then WScript.Quit 6
' Text that is a number is taken as the number.
o.Porta = "3"
If o.Porta <> 3 Then WScript.Quit 7
Set o = Nothing
' The versioned ProgID makes the same class.
Set o = CreateObject("Viruzedi11600.Viruzedi.1")
If o.Porta <> 0 Then WScript.Quit 8
Set o = Nothing
WScript.Quit 100
