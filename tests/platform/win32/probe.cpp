// A small Win32 program for the tests that need a process of their own: the runtime start-up,
// window creation without a display, text without a font, and message boxes written to stderr.
// The first word of the command line picks what it does.
#include <cstdio>
#include <cstring>

#include "platform/portable/win32/win32.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nShowCmd)
{
    if (std::strncmp(lpCmdLine, "window", 6) == 0 || std::strncmp(lpCmdLine, "text", 4) == 0) {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DefWindowProcA;
        wc.lpszClassName = "probe";
        RegisterClassExA(&wc);
        HWND window = CreateWindowExA(0, "probe", "probe", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600,
                                      nullptr, nullptr, hInstance, nullptr);
        std::printf("window %s\n", window != nullptr ? "created" : "failed");
        if (lpCmdLine[0] == 't')
            std::printf("TextOutA %s\n",
                        TextOutA(GetDC(window), 0, 0, "wx = 0", 6) ? "TRUE" : "FALSE");
        return 0;
    }
    if (std::strncmp(lpCmdLine, "box", 3) == 0) {
        // "Xファイルの読み込みに失敗しました" in code page 932, captioned with the file name; then the
        // retry text with its line feed and no caption.
        MessageBoxA(nullptr,
                    "\x58\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xcc\x93\xc7\x82\xdd\x8d\x9e\x82\xdd"
                    "\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd",
                    "crs.x", MB_OK);
        MessageBoxA(nullptr,
                    "\x48\x41\x4c\x83\x82\x81\x5b\x83\x68\x82\xc5\x44\x49\x52\x45\x43\x54\x33\x44"
                    "\x83\x66\x83\x6f\x83\x43\x83\x58\x82\xf0\x8d\xec\x90\xac\x82\xc5\x82\xab\x82"
                    "\xdc\x82\xb9\x82\xf1\x0a\x52\x45\x46\x83\x82\x81\x5b\x83\x68\x82\xc5\x8d\xc4"
                    "\x8e\x8e\x8d\x73\x82\xb5\x82\xdc\x82\xb7",
                    nullptr, MB_OK);
        return 0;
    }
    std::printf("instance %s, previous %s, command line [%s], show %d\n",
                hInstance != nullptr ? "set" : "null", hPrevInstance != nullptr ? "set" : "null",
                lpCmdLine, nShowCmd);
    return 3;
}
