[General]
Hints=DefaultValue=True
HideOnVideo=DefaultValue=False
TrayCommands=DefaultValue=True
Language=DefaultValue=English
Player=DefaultValue=Default
Repeat=DefaultValue=True
Shuffle=DefaultValue=False
