// Control and menu identifiers of the main window. The tests and the end-to-end driver find
// the controls by these numbers, so they never change.
#pragma once

namespace qx::quarrix::id {

enum Control : int {
    Combo1 = 1001,
    Command6 = 1002,
    Label2 = 1003,
    Check3 = 1004,
    Combo2 = 1005,
    Label8 = 1006,
    chkASCII = 1007,
    chkUTF8 = 1008,
    Label1 = 1009,
    Check1 = 1010,
    Text1 = 1011,
    Label5 = 1012,
    Check2 = 1013,
    Text2 = 1014,
    Frame2 = 1015,
    Label6 = 1016,
    Text3 = 1017,
    Label7 = 1018,
    Command2 = 1019,
    Command4 = 1020,
    Command3 = 1021,
    Label3 = 1022,
    Frame1 = 1023,
    Command7 = 1024,
    Command8 = 1025,
    Command9 = 1026,
    List2 = 1027,
    Label4 = 1028,
    LstError = 1029,
};

enum Menu : int {
    mnuNotepadName = 2001,
    mnuAbout = 2002,
    // result list pop-up
    mnuPUOpen = 2101,
    mnuPUOpenWith,
    mnuPUOpenWithStandart,
    mnuPUOpenwithNotepad,
    mnuPUExplorer,
    mnuFilenameCopy,
    mnuPUSelectAll,
    mnuPUProperties,
    // error list pop-up
    mnuPUOpen2 = 2201,
    mnuPUOpenWith2,
    mnuPUOpenWithStandart2,
    mnuPUOpenwithNotepad2,
    mnuPUExplorer2,
    mnuFilenameCopy2,
    mnuPUProperties2,
};

} // namespace qx::quarrix::id
