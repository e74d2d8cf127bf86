' The class can be created and used. Exits 100 when it could.
Option Explicit
Dim o
Set o = CreateObject("Viruzedi11600.Viruzedi")
o.IdUt = 42
If o.IdUt <> 42 Then WScript.Quit 1
WScript.Quit 100
