/* The smallest Win32 program of Lumra's kind: one hidden window and a message loop. The start
 * benchmark (bench/wine_start.py) runs it under the same Wine as lumra.exe, as the baseline its
 * figures are divided by. Built by bench/build_minimal.sh. */
#include <windows.h>

static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CLOSE) {
        DestroyWindow(hwnd);
        return 0;
    }
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE prev, LPSTR cmdline, int show) {
    (void)prev;
    (void)cmdline;
    (void)show;
    WNDCLASSA wc = {0};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.lpszClassName = "LumraMinimal";
    if (!RegisterClassA(&wc)) return 1;
    /* Not shown: like Lumra, it has no visible window of its own. */
    if (!CreateWindowExA(0, "LumraMinimal", "minimal", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                         CW_USEDEFAULT, 320, 200, NULL, NULL, instance, NULL))
        return 1;
    MSG m;
    while (GetMessageA(&m, NULL, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    return (int)m.wParam;
}
