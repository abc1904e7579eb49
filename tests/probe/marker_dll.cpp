// A DLL planted beside a copy of zentrilo.exe under a system DLL's name (gdiplus.dll, oleacc.dll,
// uxtheme.dll): loading it leaves NAME.dll.loaded beside it. It exports every name of the DLL it stands in
// for, each one this stub, so that the loader would take it for the real one.
#include <windows.h>

#include <cstring>

extern "C" int MarkerStub() {
    return 0;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char path[MAX_PATH + 8] = {};
    GetModuleFileNameA(instance, path, MAX_PATH);
    std::strcat(path, ".loaded");
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return TRUE;
}
