' Lumicon from a scripting host: cscript //nologo tray.vbs
' The control is created by its ProgID. With no form around it, it acts as
' at run time: Visible = True puts the icon into the notification area.
Option Explicit
Dim tray, picture, shown
Set tray = CreateObject("Lumicon.SysTray")
tray.Caption = "Veilmark"
Set picture = tray.GetDefaultIcon()
Set tray.Icon = picture
tray.Visible = True
If tray.Caption <> "Veilmark" Then WScript.Quit 1
If tray.Visible <> True Then WScript.Quit 2
If tray.Icon.Type <> 3 Then WScript.Quit 3

' A balloon: message, title, icon kind (1 = tbfInfo), time-out in ms. The
' result is True or False as the shell answered, or Empty on shells before 5.0.
shown = tray.ShowBaloon("Forwarding through Tor is on", "Veilmark", 1, 5000)
WScript.Echo "balloon answered: " & TypeName(shown)

tray.Visible = False
If tray.Visible <> False Then WScript.Quit 4
WScript.Echo "Lumicon.SysTray: " & tray.Caption
