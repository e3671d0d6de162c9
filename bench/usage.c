/* usage.exe PID...: one line of JSON per Windows process id with what the system counts
 * against it: working set (current and peak), private bytes, USER and GDI objects, handles.
 * 64-bit, so under Wine it runs without the emulator; the soak test and benchmarks start it
 * beside the process they watch. A figure the system cannot give is null. */
#include <windows.h>
#include <psapi.h>
#include <stdio.h>
#include <stdlib.h>

static void report(DWORD pid) {
    HANDLE h = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!h) h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!h) {
        printf("{\"pid\":%lu,\"ok\":false,\"error\":%lu}\n", pid, GetLastError());
        return;
    }
    PROCESS_MEMORY_COUNTERS_EX mem;
    ZeroMemory(&mem, sizeof mem);
    mem.cb = sizeof mem;
    const BOOL mem_ok = K32GetProcessMemoryInfo(h, (PROCESS_MEMORY_COUNTERS*)&mem, sizeof mem);
    /* 0 is also what a failure returns: the error code tells them apart. */
    SetLastError(0);
    const DWORD gdi = GetGuiResources(h, GR_GDIOBJECTS);
    const DWORD gdi_err = GetLastError();
    SetLastError(0);
    const DWORD user = GetGuiResources(h, GR_USEROBJECTS);
    const DWORD user_err = GetLastError();
    DWORD handles = 0;
    const BOOL handles_ok = GetProcessHandleCount(h, &handles);
    FILETIME created, ended, kernel, usr;
    const BOOL times_ok = GetProcessTimes(h, &created, &ended, &kernel, &usr);
    printf("{\"pid\":%lu,\"ok\":true", pid);
    if (mem_ok)
        printf(",\"working_set\":%llu,\"peak_working_set\":%llu,\"private_bytes\":%llu",
               (unsigned long long)mem.WorkingSetSize, (unsigned long long)mem.PeakWorkingSetSize,
               (unsigned long long)mem.PrivateUsage);
    else
        printf(",\"working_set\":null,\"peak_working_set\":null,\"private_bytes\":null");
    printf(",\"gdi_objects\":%lu,\"gdi_error\":%lu,\"user_objects\":%lu,\"user_error\":%lu", gdi,
           gdi_err, user, user_err);
    if (handles_ok) printf(",\"handles\":%lu", handles);
    else printf(",\"handles\":null");
    if (times_ok) {
        const ULONGLONG k = ((ULONGLONG)kernel.dwHighDateTime << 32) | kernel.dwLowDateTime;
        const ULONGLONG u = ((ULONGLONG)usr.dwHighDateTime << 32) | usr.dwLowDateTime;
        printf(",\"cpu_seconds\":%.3f", (double)(k + u) / 1e7);
    } else {
        printf(",\"cpu_seconds\":null");
    }
    printf("}\n");
    CloseHandle(h);
}

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) report((DWORD)strtoul(argv[i], NULL, 0));
    fflush(stdout);
    return argc > 1 ? 0 : 2;
}
