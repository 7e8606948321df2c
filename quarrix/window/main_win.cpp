// Quarrix: the search program. One window, one thread.
#include "common/win/questions_win.h"
#include "common/zizezode_client_win.h"
#include "quarrix/window/form1_win.h"
#include "quarrix/window/startup.h"
#include <commctrl.h>
#include <objbase.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    // Apartment threaded: the registry class and the folder browser need it.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int rc = 0;
    {
        qx::ZizezodeClient registry;
        qx::win::PlatformQuestions questions;
        qx::quarrix::Form1 form(registry, questions);
        if (form.Create(qx::quarrix::ArgumentsOfCommandLine(::GetCommandLineW()))) {
            MSG msg;
            while (::GetMessageW(&msg, nullptr, 0, 0) > 0) form.Pump().Dispatch(msg);
            rc = static_cast<int>(msg.wParam);
        }
    }
    if (SUCCEEDED(com)) ::CoUninitialize();
    return rc;
}
