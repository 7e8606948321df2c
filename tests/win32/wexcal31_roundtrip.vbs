' Late-bound use of the registry class: arguments are the key under HKEY_CURRENT_USER and a
' text. Writes the text, reads it back and writes what it read; the same for a 16-bit number.
Option Explicit
Const HKEY_CURRENT_USER = &H80000001
Dim registry, key, text
Set registry = CreateObject("ZIZEZODEISTRY.ZIZEZODE")
key = WScript.Arguments(0)
registry.RegSetSZ HKEY_CURRENT_USER, key, "Written", WScript.Arguments(1)
text = registry.RegGetSZ(HKEY_CURRENT_USER, key, "Written")
registry.RegSetSZ HKEY_CURRENT_USER, key, "ReadBack", text
registry.RegSetIntegerBINARY HKEY_CURRENT_USER, key, "Number", -1
registry.RegSetDWORD HKEY_CURRENT_USER, key, "NumberReadBack", _
    registry.RegGetBINARY(HKEY_CURRENT_USER, key, "Number")
