# Checks the shipped files in BIN_DIR: each is a 32-bit x86 PE file that imports only the
# system's own DLLs (the C and C++ runtimes are linked in), and Wexcal31.dll exports the four
# entry points of a self-registering library and carries its version resource.
#   cmake -DBIN_DIR=... -DOBJDUMP=i686-w64-mingw32-objdump -DWINDRES=i686-w64-mingw32-windres -P
cmake_minimum_required(VERSION 3.25)

set(shipped Wexcal31.dll Quarrix.exe Setup.exe Ridwell.exe)
set(required Wexcal31.dll)
set(system_dlls
    advapi32.dll comctl32.dll comdlg32.dll gdi32.dll imm32.dll kernel32.dll msvcrt.dll
    ole32.dll oleaut32.dll shell32.dll shlwapi.dll user32.dll uxtheme.dll version.dll
    winmm.dll)

set(failures "")
macro(fail text)
    string(APPEND failures "  ${text}\n")
endmacro()

foreach(name IN LISTS shipped)
    set(file ${BIN_DIR}/${name})
    if(NOT EXISTS ${file})
        if(name IN_LIST required)
            fail("${name}: missing from ${BIN_DIR} (build it first)")
        endif()
        continue()
    endif()
    execute_process(COMMAND ${OBJDUMP} -p ${file} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        fail("${name}: objdump could not read it")
        continue()
    endif()
    if(NOT dump MATCHES "file format pei-i386" OR NOT dump MATCHES "Magic[ \t]+010b")
        fail("${name}: not a PE32 i386 file")
    endif()
    string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
    foreach(line IN LISTS imports)
        string(REGEX REPLACE "DLL Name: " "" dll "${line}")
        string(STRIP "${dll}" dll)
        string(TOLOWER "${dll}" dll)
        if(NOT dll IN_LIST system_dlls)
            fail("${name}: imports ${dll}, which is no system DLL")
        endif()
    endforeach()
    string(REPLACE "DLL Name: " "" imported "${imports}")
    message(STATUS "${name}: imports ${imported}")

    if(name STREQUAL "Wexcal31.dll")
        foreach(export DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer)
            if(NOT dump MATCHES "\\[ *[0-9]+\\] ${export}\n")
                fail("${name}: does not export ${export}")
            endif()
        endforeach()
        execute_process(COMMAND ${WINDRES} -i ${file} -O rc OUTPUT_VARIABLE rc_text
                        RESULT_VARIABLE rc)
        if(NOT rc EQUAL 0)
            fail("${name}: windres could not read its resources")
        endif()
        foreach(pattern
                "FILEVERSION 1, 10, 0, 6" "PRODUCTVERSION 1, 10, 0, 6" "FILETYPE 0x2"
                "BLOCK \"040904B0\"" "VALUE \"CompanyName\", \"VELDO\""
                "VALUE \"FileVersion\", \"1.10.0006\"" "VALUE \"ProductVersion\", \"1.10.0006\""
                "VALUE \"ProductName\", \"ZIZEZODEISTRY\"" "VALUE \"InternalName\", \"Wexcal31\""
                "VALUE \"OriginalFilename\", \"Wexcal31.dll\"" "VALUE \"OLESelfRegister\", \"\""
                "VALUE \"Translation\", 0x409, 1200" "1 \"TYPELIB\"")
            string(FIND "${rc_text}" "${pattern}" at)
            if(at EQUAL -1)
                fail("${name}: its resources lack ${pattern}")
            endif()
        endforeach()
    endif()
endforeach()

if(failures)
    message(FATAL_ERROR "shipped files:\n${failures}")
endif()
