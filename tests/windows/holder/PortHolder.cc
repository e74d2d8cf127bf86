// port-holder.exe PATH SECONDS: another Windows program that has a port.
// Opens PATH as the component opens a serial port (read and write, no
// sharing), says "held" on standard output, keeps it for SECONDS (or until
// it is ended) and closes it. It asks nothing of the port's line, so PATH
// may be a plain file: Wine refuses a second opener of a held file as
// Windows refuses one of a held port, while it lets any number open the
// same pseudo-terminal.
#include <windows.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fputs("usage: port-holder.exe PATH SECONDS\n", stderr);
    return 2;
  }
  HANDLE port = CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OVERLAPPED, nullptr);
  if (port == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "port-holder: cannot open %ls (error %lu)\n", argv[1], GetLastError());
    return 1;
  }
  std::puts("held");
  std::fflush(stdout);
  Sleep(static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)) * 1000);
  CloseHandle(port);
  return 0;
}
