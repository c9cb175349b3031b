// The floor for the whole job: one GET over a plain socket, the body received 1 MiB at a time
// into one VirtualAlloc buffer of the announced size, one WriteFile into the temporary folder,
// the shell starts the file. No pumping, no progress, no redirects: only the job.
// job_floor IPV4 PORT PATH prints "result job transfer_ms save_ms" (save includes starting it).
#include <winsock2.h>
#include <windows.h>
#include <shellapi.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
constexpr std::size_t kReceiveStep = std::size_t{1} << 20;

double Ms(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency) {
  return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 /
         static_cast<double>(frequency.QuadPart);
}

// The value of the Content-Length field of a response head, or -1.
long long ContentLength(const char* head) {
  static constexpr char kField[] = "\r\ncontent-length:";
  for (const char* p = head; *p != '\0'; ++p) {
    std::size_t i = 0;
    while (kField[i] != '\0' && std::tolower(static_cast<unsigned char>(p[i])) == kField[i]) ++i;
    if (kField[i] == '\0') return std::strtoll(p + i, nullptr, 10);
  }
  return -1;
}

int Fail(const char* what) {
  std::fprintf(stderr, "job_floor: %s\n", what);
  return 1;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) return Fail("usage: job_floor IPV4 PORT PATH");
  LARGE_INTEGER frequency, start, received, saved;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  WSADATA wsa;
  if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return Fail("WSAStartup");
  char ip[64], path[1024];
  std::snprintf(ip, sizeof ip, "%ls", argv[1]);
  std::snprintf(path, sizeof path, "%ls", argv[3]);

  const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(_wtoi(argv[2])));
  address.sin_addr.s_addr = inet_addr(ip);
  if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
    return Fail("connect");
  const std::string request =
      std::string("GET ") + path + " HTTP/1.1\r\nHost: " + ip + "\r\nConnection: close\r\n\r\n";
  if (send(s, request.data(), static_cast<int>(request.size()), 0) !=
      static_cast<int>(request.size())) {
    return Fail("send");
  }

  char head[16384];
  std::size_t have = 0;
  const char* end = nullptr;
  while (end == nullptr) {
    if (have == sizeof head - 1) return Fail("head too long");
    const int n = recv(s, head + have, static_cast<int>(sizeof head - 1 - have), 0);
    if (n <= 0) return Fail("head");
    have += static_cast<std::size_t>(n);
    head[have] = '\0';
    end = std::strstr(head, "\r\n\r\n");
  }
  const long long announced = ContentLength(head);
  if (announced < 0) return Fail("no Content-Length");
  const auto length = static_cast<std::size_t>(announced);
  char* body =
      static_cast<char*>(VirtualAlloc(nullptr, length, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  if (body == nullptr) return Fail("VirtualAlloc");
  std::size_t got = have - static_cast<std::size_t>(end + 4 - head);
  std::memcpy(body, end + 4, got);
  while (got < length) {
    const std::size_t want = length - got < kReceiveStep ? length - got : kReceiveStep;
    const int n = recv(s, body + got, static_cast<int>(want), 0);
    if (n <= 0) return Fail("body");
    got += static_cast<std::size_t>(n);
  }
  closesocket(s);
  QueryPerformanceCounter(&received);

  wchar_t folder[MAX_PATH + 1];
  if (GetTempPathW(MAX_PATH + 1, folder) == 0) return Fail("GetTempPathW");
  const std::wstring target = std::wstring(folder) + L"marlek-tumo.exe";
  const HANDLE file = CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Fail("CreateFileW");
  DWORD written = 0;
  if (!WriteFile(file, body, static_cast<DWORD>(length), &written, nullptr) || written != length) {
    return Fail("WriteFile");
  }
  CloseHandle(file);
  ShellExecuteW(nullptr, L"open", target.c_str(), L"", L"", SW_SHOWNORMAL);
  QueryPerformanceCounter(&saved);
  std::printf("result job %.1f %.1f\n", Ms(start, received, frequency),
              Ms(received, saved, frequency));
  return 0;
}
