' Shows the registry library's About call through its programmatic name.
Dim o, icon, title, ver, years, topic
Set o = CreateObject("ZIZEZODEISTRY.ZIZEZODE")
icon = 0 : title = "Wexcal31" : ver = "1.10.0006" : years = "" : topic = ""
o.FormAboutShow icon, title, ver, years, topic
