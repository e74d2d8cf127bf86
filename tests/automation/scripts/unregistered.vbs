' After unregistering, CreateObject fails with 429. Exits 100 when it did.
Option Explicit
Dim o
On Error Resume Next
Set o = CreateObject("Viruzedi11600.Viruzedi")
If Err.Number <> 429 Then WScript.Echo "CreateObject: " & Err.Number : WScript.Quit 1
WScript.Quit 100
