// The few Win32 calls the modem dialler makes, under their Win32 names and with C linkage, so
// the dialler reads as it was written. One shared library: the program and the dialler must
// reach the same message-box service, debug hook and message queue.
#pragma once

#include <cstddef>
#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using BOOL = std::int32_t;
using UINT = std::uint32_t;
using SIZE_T = std::size_t;
using LPCSTR = const char*;
using LPSTR = char*;
using HWND = void*;
using HLOCAL = void*;
// A module instance handle travels as a 32-bit value (the program passes 0).
using HINSTANCE = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

struct POINT {
    LONG x;
    LONG y;
};

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};
using LPMSG = MSG*;

// Message boxes.
constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_ICONHAND = 0x00000010;
constexpr UINT MB_ICONERROR = MB_ICONHAND;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
constexpr UINT MB_ICONINFORMATION = 0x00000040;
constexpr int IDOK = 1;

// Local memory.
constexpr UINT LMEM_FIXED = 0x0000;
constexpr UINT LMEM_ZEROINIT = 0x0040;
constexpr UINT LPTR = LMEM_FIXED | LMEM_ZEROINIT;

// Message pump.
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;
constexpr UINT WM_APP = 0x8000;

// DllMain reasons.
constexpr DWORD DLL_PROCESS_DETACH = 0;
constexpr DWORD DLL_PROCESS_ATTACH = 1;
constexpr DWORD DLL_THREAD_ATTACH = 2;
constexpr DWORD DLL_THREAD_DETACH = 3;

extern "C" {

// Debug output: to standard error (as UTF-8) and to the capture hook (the bytes as given).
void OutputDebugStringA(LPCSTR text);
// Texts are Windows-1252 bytes; the installed service sees them as UTF-8.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
// Milliseconds of a monotonic clock; wraps after 49.7 days like the original.
DWORD GetTickCount(void);
void Sleep(DWORD milliseconds);

HLOCAL LocalAlloc(UINT flags, SIZE_T bytes);
SIZE_T LocalSize(HLOCAL block);
HLOCAL LocalFree(HLOCAL block);

BOOL PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg);
BOOL TranslateMessage(const MSG* msg);
LONG DispatchMessageA(const MSG* msg);

}  // extern "C"
