/* first_window PROGRAM [ARGS...]: starts a Windows program and prints the milliseconds from just
 * before CreateProcessW to the first visible top-level window of the new process, with the
 * window's class and title:
 *
 *   412.7 ms  #32770 "skbench Setup"
 *
 * The time includes the start of the process (under Wine: a new Wine process, its loader and
 * DLLs). The windows are looked for every millisecond, so a window that shows for only a moment
 * (the no-options window of a setup of one small file) is caught too. The program is then ended
 * (TerminateProcess), unless it ends by itself first. Exit status: 0 when a window was seen, 1
 * when the program ended without one, 2 when it could not be started.
 *
 * Built for Windows with mingw by bench_wine_install.sh; not part of any test. */
#define __USE_MINGW_ANSI_STDIO 1
#include <stdio.h>
#include <wchar.h>
#include <windows.h>

struct search {
  DWORD pid;
  HWND found;
};

static BOOL CALLBACK look(HWND w, LPARAM param) {
  struct search* s = (struct search*)param;
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid != s->pid || !IsWindowVisible(w)) return TRUE;
  s->found = w;
  return FALSE;
}

/* The command line of the program: what follows the first argument of our own, as typed. */
static wchar_t* rest_of_command_line(void) {
  wchar_t* p = GetCommandLineW();
  int quoted = 0;
  for (; *p && (quoted || (*p != L' ' && *p != L'\t')); ++p) {
    if (*p == L'"') quoted = !quoted;
  }
  while (*p == L' ' || *p == L'\t') ++p;
  return p;
}

int wmain(int argc, wchar_t** argv) {
  (void)argv;
  if (argc < 2) {
    fprintf(stderr, "usage: first_window PROGRAM [ARGS...]\n");
    return 2;
  }
  wchar_t* command = rest_of_command_line();
  STARTUPINFOW si;
  ZeroMemory(&si, sizeof si);
  si.cb = sizeof si;
  PROCESS_INFORMATION pi;
  LARGE_INTEGER freq, t0, t1;
  QueryPerformanceFrequency(&freq);
  timeBeginPeriod(1);
  QueryPerformanceCounter(&t0);
  if (!CreateProcessW(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
    fprintf(stderr, "first_window: cannot start %ls (error %lu)\n", command, GetLastError());
    return 2;
  }
  struct search s = {pi.dwProcessId, NULL};
  int ended = 0;
  for (;;) {
    EnumWindows(look, (LPARAM)&s);
    if (s.found) break;
    if (WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0) {
      ended = 1;
      EnumWindows(look, (LPARAM)&s);
      break;
    }
  }
  QueryPerformanceCounter(&t1);
  int status = 1;
  if (s.found) {
    wchar_t cls[256] = L"", title[256] = L"";
    GetClassNameW(s.found, cls, 256);
    GetWindowTextW(s.found, title, 256);
    char cls8[1024], title8[1024];  // UTF-8, whatever the code page of the session
    WideCharToMultiByte(CP_UTF8, 0, cls, -1, cls8, sizeof cls8, NULL, NULL);
    WideCharToMultiByte(CP_UTF8, 0, title, -1, title8, sizeof title8, NULL, NULL);
    printf("%.1f ms  %s \"%s\"\n",
           1000.0 * (double)(t1.QuadPart - t0.QuadPart) / (double)freq.QuadPart, cls8, title8);
    status = 0;
  } else {
    printf("no window: the program ended without showing one\n");
  }
  if (!ended && WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0) {
    TerminateProcess(pi.hProcess, 1);
    WaitForSingleObject(pi.hProcess, 10000);
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  timeEndPeriod(1);
  return status;
}
