' A script host creates the control by ProgID, with no client site at all.
Option Explicit
Dim tray, picture
Set tray = CreateObject("Lumicon.SysTray")
tray.Caption = "Veilmark"
tray.Visible = True
If tray.Caption <> "Veilmark" Then WScript.Quit 1
If tray.Visible <> True Then WScript.Quit 2
Set picture = tray.GetDefaultIcon()
Set tray.Icon = picture
If tray.Icon.Type <> 3 Then WScript.Quit 3
tray.Visible = False
If tray.Visible <> False Then WScript.Quit 4
WScript.Echo "Lumicon.SysTray: " & tray.Caption
