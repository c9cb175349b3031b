// wintool: looks at and pokes the top-level windows of another program, for tests under Wine.
//
//   wintool find SELECTOR                    print the window's state; exit 1 when there is none
//   wintool wait SELECTOR [MS]               wait until it exists and is visible (default 10000)
//   wintool wait-gone SELECTOR [MS]          wait until no visible such window is left
//   wintool post SELECTOR MESSAGE [WP [LP]]  PostMessageW
//   wintool send SELECTOR MESSAGE [WP [LP]]  SendMessageW; prints the result
//   wintool activate SELECTOR                SetForegroundWindow
//   wintool move SELECTOR X Y                moves the window (size unchanged)
//   wintool ask SELECTOR MS                  asks the window for its title (WM_GETTEXT, which
//                                            its thread must answer) every 100 ms for MS ms
//   wintool usage SELECTOR                   what the window's process holds
//   wintool squeeze SELECTOR MIB             reserves address space in the window's process
//                                            until no free block of MIB MiB is left in it
//   wintool access SELECTOR                  prints the accessible tree of the client area
//   wintool access-do SELECTOR CHILD         runs the default action of a child (by its id)
//   wintool access-events SELECTOR MS        records the accessibility events of the window's
//                                            process for MS ms, then prints them
//
// SELECTOR: class=NAME, title=TEXT (both may be given, comma-joined: class=NAME,title=TEXT)
// or hwnd=0xHEX. MESSAGE: WM_CLOSE, WM_QUERYENDSESSION, WM_ENDSESSION, WM_ACTIVATE or a
// number. Numbers are decimal or 0x-hexadecimal. `find` prints one key=value per line:
// hwnd, class, title, rect (left,top,right,bottom), client (width,height), style, exstyle,
// owner (0x0 if none), owner_class, visible, maximized, active (the active window of its
// thread), foreground, pid. `ask` prints asked (queries), answered, longest_ms (the slowest
// answer, a query unanswered after 5000 ms counts as 5000), median_ms and max_ms (of the
// answers, to the hundredth) and title. `usage` prints handles
// (GetProcessHandleCount, or the system's handle list where that reports none), user and gdi
// (GetGuiResources; "unavailable" under Wine), threads, private (bytes) and windows (the
// process's top-level and child windows). `squeeze` prints largest (the largest free block
// left, bytes) and reserved (bytes it took); the reservations stay. `access` prints
// client=NAME and count=N, then child.I=ID;ROLE;LEFT,TOP,WIDTH,HEIGHT;STATE;ACTION;VALUE;NAME per
// child (role text, text, link, button, graphic, progressbar or the number; the location in screen
// coordinates; state in hex). `access-events` prints event.I=EVENT;OBJECT;CHILD;NAME, the name
// read afterwards, so it is the name at the end of the recording. Exit codes: 0 done, 1 no such
// window or time-out, 2 bad usage.

#include <windows.h>
#include <oleacc.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "base/utf.h"
#include "base/handles_win.h"

namespace {

struct Selector {
  std::wstring cls;
  std::wstring title;
  bool hasClass = false;
  bool hasTitle = false;
  HWND hwnd = nullptr;
};

struct NamedMessage {
  const wchar_t* name;
  UINT id;
};

constexpr NamedMessage kMessages[] = {
    {L"WM_CLOSE", WM_CLOSE},
    {L"WM_QUERYENDSESSION", WM_QUERYENDSESSION},
    {L"WM_ENDSESSION", WM_ENDSESSION},
    {L"WM_ACTIVATE", WM_ACTIVATE},
};

bool ParseNumber(const wchar_t* text, unsigned long long& value) {
  wchar_t* end = nullptr;
  value = std::wcstoull(text, &end, 0);
  return end != text && *end == L'\0';
}

bool ParseSelector(const std::wstring& text, Selector& sel) {
  if (text.rfind(L"hwnd=", 0) == 0) {
    unsigned long long value = 0;
    if (!ParseNumber(text.c_str() + 5, value)) return false;
    sel.hwnd = reinterpret_cast<HWND>(static_cast<UINT_PTR>(value));
    return true;
  }
  std::size_t pos = 0;
  while (pos < text.size()) {
    // A title may hold commas, so it takes the rest of the selector.
    if (text.compare(pos, 6, L"title=") == 0) {
      sel.title = text.substr(pos + 6);
      sel.hasTitle = true;
      break;
    }
    if (text.compare(pos, 6, L"class=") != 0) return false;
    const std::size_t comma = text.find(L',', pos);
    sel.cls =
        text.substr(pos + 6, comma == std::wstring::npos ? std::wstring::npos : comma - pos - 6);
    sel.hasClass = true;
    if (comma == std::wstring::npos) break;
    pos = comma + 1;
  }
  return sel.hasClass || sel.hasTitle;
}

HWND Find(const Selector& sel) {
  if (sel.hwnd) return IsWindow(sel.hwnd) ? sel.hwnd : nullptr;
  return FindWindowW(sel.hasClass ? sel.cls.c_str() : nullptr,
                     sel.hasTitle ? sel.title.c_str() : nullptr);
}

bool ParseMessage(const wchar_t* text, UINT& id) {
  for (const NamedMessage& m : kMessages) {
    if (std::wcscmp(m.name, text) == 0) {
      id = m.id;
      return true;
    }
  }
  unsigned long long value = 0;
  if (!ParseNumber(text, value)) return false;
  id = static_cast<UINT>(value);
  return true;
}

void PrintUtf8(const char* key, const std::wstring& value) {
  std::printf("%s=%s\n", key, WideToUtf8(value).c_str());
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[256] = L"";
  if (hwnd) GetClassNameW(hwnd, name, 256);
  return name;
}

void PrintState(HWND hwnd) {
  wchar_t title[512] = L"";
  GetWindowTextW(hwnd, title, 512);
  RECT rect{}, client{};
  GetWindowRect(hwnd, &rect);
  GetClientRect(hwnd, &client);
  const HWND owner = GetWindow(hwnd, GW_OWNER);
  DWORD pid = 0;
  const DWORD thread = GetWindowThreadProcessId(hwnd, &pid);
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  const bool active = GetGUIThreadInfo(thread, &gui) && gui.hwndActive == hwnd;
  std::printf("hwnd=0x%llx\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hwnd)));
  PrintUtf8("class", ClassOf(hwnd));
  PrintUtf8("title", title);
  std::printf("rect=%ld,%ld,%ld,%ld\n", rect.left, rect.top, rect.right, rect.bottom);
  std::printf("client=%ld,%ld\n", client.right - client.left, client.bottom - client.top);
  std::printf("style=0x%08lx\n", static_cast<unsigned long>(GetWindowLongW(hwnd, GWL_STYLE)));
  std::printf("exstyle=0x%08lx\n", static_cast<unsigned long>(GetWindowLongW(hwnd, GWL_EXSTYLE)));
  std::printf("owner=0x%llx\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(owner)));
  PrintUtf8("owner_class", ClassOf(owner));
  std::printf("visible=%d\n", IsWindowVisible(hwnd) ? 1 : 0);
  std::printf("maximized=%d\n", IsZoomed(hwnd) ? 1 : 0);
  std::printf("active=%d\n", active ? 1 : 0);
  std::printf("foreground=%d\n", GetForegroundWindow() == hwnd ? 1 : 0);
  std::printf("pid=%lu\n", static_cast<unsigned long>(pid));
}

bool WaitFor(const Selector& sel, DWORD ms, bool present) {
  const ULONGLONG deadline = GetTickCount64() + ms;
  for (;;) {
    const HWND hwnd = Find(sel);
    if ((hwnd && IsWindowVisible(hwnd)) == present) return true;
    if (GetTickCount64() >= deadline) return false;
    Sleep(50);
  }
}

// Until the window is gone or ms have passed: how long its thread takes to answer a message.
int Ask(HWND hwnd, DWORD ms) {
  LARGE_INTEGER frequency{}, start{};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  auto elapsedMs = [&](const LARGE_INTEGER& from) {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - from.QuadPart) * 1000.0 /
           static_cast<double>(frequency.QuadPart);
  };
  int asked = 0, answered = 0;
  double longest = 0;
  std::vector<double> answers;
  wchar_t title[512] = L"";
  while (elapsedMs(start) < ms && IsWindow(hwnd)) {
    LARGE_INTEGER sent{};
    QueryPerformanceCounter(&sent);
    DWORD_PTR length = 0;
    const LRESULT ok = SendMessageTimeoutW(hwnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(title),
                                           SMTO_NORMAL, 5000, &length);
    const double took = elapsedMs(sent);
    ++asked;
    if (ok) {
      ++answered;
      answers.push_back(took);
    }
    if (ok || IsWindow(hwnd)) longest = std::max(longest, ok ? took : 5000.0);
    Sleep(100);
  }
  std::sort(answers.begin(), answers.end());
  const double median = answers.empty() ? 0 : answers[answers.size() / 2];
  std::printf("asked=%d\nanswered=%d\nlongest_ms=%.0f\nmedian_ms=%.2f\nmax_ms=%.2f\n", asked,
              answered, longest, median, answers.empty() ? 0 : answers.back());
  PrintUtf8("title", title);
  return 0;
}

FileHandle OpenWindowProcess(HWND hwnd, DWORD access) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  return FileHandle(OpenProcess(access, FALSE, pid));
}

BOOL CALLBACK CountWindow(HWND hwnd, LPARAM param) {
  auto* count = reinterpret_cast<std::pair<DWORD, int>*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == count->first) {
    ++count->second;
    EnumChildWindows(hwnd, CountWindow, param);
  }
  return TRUE;
}

// The handles a process holds, from the system's handle list: Wine's GetProcessHandleCount
// reports none.
ULONG CountHandles(DWORD pid) {
  struct Entry {
    ULONG pid;
    UCHAR type;
    UCHAR flags;
    USHORT handle;
    PVOID object;
    ULONG access;
  };
  struct List {
    ULONG count;
    Entry entries[1];
  };
  using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  constexpr ULONG kSystemHandleInformation = 16;
  const auto query = reinterpret_cast<Query>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return 0;
  for (ULONG size = 1 << 16; size <= (1u << 26); size *= 2) {
    std::vector<unsigned char> buffer(size);
    ULONG needed = 0;
    if (query(kSystemHandleInformation, buffer.data(), size, &needed) < 0) continue;
    const auto* list = reinterpret_cast<const List*>(buffer.data());
    ULONG count = 0;
    for (ULONG i = 0; i < list->count; ++i) count += list->entries[i].pid == pid ? 1 : 0;
    return count;
  }
  return 0;
}

struct RoleName {
  LONG role;
  const char* name;
};

constexpr RoleName kRoles[] = {
    {ROLE_SYSTEM_CLIENT, "client"},   {ROLE_SYSTEM_STATICTEXT, "text"},
    {ROLE_SYSTEM_LINK, "link"},       {ROLE_SYSTEM_PUSHBUTTON, "button"},
    {ROLE_SYSTEM_GRAPHIC, "graphic"}, {ROLE_SYSTEM_PROGRESSBAR, "progressbar"},
};

// Holds one COM reference.
template <typename T>
struct ComRef {
  T* p = nullptr;
  ComRef() = default;
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ~ComRef() {
    if (p) p->Release();
  }
};

struct Bstr {
  BSTR s = nullptr;
  Bstr() = default;
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { SysFreeString(s); }
  std::wstring Text() const { return s ? std::wstring(s, SysStringLen(s)) : std::wstring(); }
};

VARIANT Child(LONG id) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = id;
  return v;
}

std::wstring NameOf(IAccessible* object, LONG id) {
  Bstr name;
  object->get_accName(Child(id), &name.s);
  return name.Text();
}

void PrintChild(IAccessible* client, int index, LONG id) {
  const VARIANT child = Child(id);
  VARIANT role, state;
  VariantInit(&role);
  VariantInit(&state);
  client->get_accRole(child, &role);
  client->get_accState(child, &state);
  long left = 0, top = 0, width = 0, height = 0;
  client->accLocation(&left, &top, &width, &height, child);
  Bstr action, value;
  client->get_accDefaultAction(child, &action.s);
  client->get_accValue(child, &value.s);
  std::string roleName = std::to_string(role.vt == VT_I4 ? role.lVal : -1);
  for (const RoleName& r : kRoles)
    if (role.vt == VT_I4 && r.role == role.lVal) roleName = r.name;
  std::printf("child.%d=%ld;%s;%ld,%ld,%ld,%ld;0x%lx;%s;%s;%s\n", index, id, roleName.c_str(), left,
              top, width, height, state.vt == VT_I4 ? static_cast<unsigned long>(state.lVal) : 0ul,
              WideToUtf8(action.Text()).c_str(), WideToUtf8(value.Text()).c_str(),
              WideToUtf8(NameOf(client, id)).c_str());
}

int Access(HWND hwnd, LONG doChild) {
  ComRef<IAccessible> client;
  if (FAILED(AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                        reinterpret_cast<void**>(&client.p))) ||
      !client.p) {
    std::fputs("wintool: the window offers no accessible client area\n", stderr);
    return 1;
  }
  if (doChild > 0) {
    const HRESULT hr = client.p->accDoDefaultAction(Child(doChild));
    std::printf("result=0x%lx\n", static_cast<unsigned long>(hr));
    return SUCCEEDED(hr) ? 0 : 1;
  }
  long count = 0;
  client.p->get_accChildCount(&count);
  PrintUtf8("client", NameOf(client.p, CHILDID_SELF));
  std::printf("count=%ld\n", count);
  // Numbered children, as a reader without an enumerator of the object's own walks them.
  std::vector<VARIANT> children(static_cast<std::size_t>(count));
  LONG got = 0;
  AccessibleChildren(client.p, 0, count, children.data(), &got);
  for (LONG i = 0; i < got; ++i) {
    if (children[static_cast<std::size_t>(i)].vt == VT_I4)
      PrintChild(client.p, i + 1, children[static_cast<std::size_t>(i)].lVal);
    VariantClear(&children[static_cast<std::size_t>(i)]);
  }
  return 0;
}

// A USER or GDI object count, or "unavailable" where GetGuiResources is not implemented (Wine).
std::string GuiResources(HANDLE process, DWORD flags) {
  SetLastError(0);
  const DWORD count = GetGuiResources(process, flags);
  if (count == 0 && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) return "unavailable";
  return std::to_string(count);
}

int PrintUsage(HWND hwnd) {
  FileHandle process = OpenWindowProcess(hwnd, PROCESS_QUERY_INFORMATION | PROCESS_VM_READ);
  if (!process) return 1;
  const DWORD pid = GetProcessId(process.get());
  DWORD handles = 0;
  if (!GetProcessHandleCount(process.get(), &handles) || handles == 0) handles = CountHandles(pid);
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(process.get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                       sizeof memory);
  // Wine leaves PrivateUsage at 0 and reports the private commit as the page-file usage.
  const SIZE_T privateBytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
  int threads = 0;
  FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = snapshot && Thread32First(snapshot.get(), &entry); more;
       more = Thread32Next(snapshot.get(), &entry))
    threads += entry.th32OwnerProcessID == pid ? 1 : 0;
  std::pair<DWORD, int> windows{pid, 0};
  EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&windows));
  std::printf("handles=%lu\nuser=%s\ngdi=%s\nthreads=%d\nprivate=%llu\nwindows=%d\n",
              static_cast<unsigned long>(handles),
              GuiResources(process.get(), GR_USEROBJECTS).c_str(),
              GuiResources(process.get(), GR_GDIOBJECTS).c_str(), threads,
              static_cast<unsigned long long>(privateBytes), windows.second);
  return 0;
}

// Reserves blocks of mib MiB in the process until none fits: what is left free is smaller.
int Squeeze(HWND hwnd, unsigned long long mib) {
  FileHandle process = OpenWindowProcess(hwnd, PROCESS_VM_OPERATION | PROCESS_QUERY_INFORMATION);
  if (!process) return 1;
  const SIZE_T block = static_cast<SIZE_T>(mib) << 20;
  SIZE_T reserved = 0;
  // Bounded for a 64-bit process, whose address space has no end in practice.
  for (int i = 0;
       i < 4096 && VirtualAllocEx(process.get(), nullptr, block, MEM_RESERVE, PAGE_NOACCESS); ++i)
    reserved += block;
  SIZE_T largest = 0;
  MEMORY_BASIC_INFORMATION info{};
  for (char* p = nullptr;
       VirtualQueryEx(process.get(), p, &info, sizeof info) == sizeof info && info.RegionSize;
       p = static_cast<char*>(info.BaseAddress) + info.RegionSize)
    if (info.State == MEM_FREE) largest = std::max(largest, info.RegionSize);
  std::printf("largest=%llu\nreserved=%llu\n", static_cast<unsigned long long>(largest),
              static_cast<unsigned long long>(reserved));
  return largest < block ? 0 : 1;
}

struct WinEvent {
  DWORD event;
  HWND hwnd;
  LONG object;
  LONG child;
};

std::vector<WinEvent>* g_events = nullptr;

// Only records: a cross-process call from here would be re-entered by the next event.
void CALLBACK RecordEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD,
                          DWORD) {
  if (g_events) g_events->push_back({event, hwnd, object, child});
}

int AccessEvents(HWND hwnd, DWORD ms) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  std::vector<WinEvent> events;
  g_events = &events;
  const HWINEVENTHOOK hook =
      SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, RecordEvent, pid, 0, WINEVENT_OUTOFCONTEXT);
  if (!hook) return 1;
  std::puts("recording=1");
  std::fflush(stdout);
  const ULONGLONG deadline = GetTickCount64() + ms;
  for (ULONGLONG now = GetTickCount64(); now < deadline; now = GetTickCount64()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  UnhookWinEvent(hook);
  g_events = nullptr;
  int i = 0;
  for (const WinEvent& e : events) {
    if (e.hwnd != hwnd || e.object != OBJID_CLIENT) continue;
    std::wstring name;
    ComRef<IAccessible> object;
    VARIANT child;
    VariantInit(&child);
    if (e.child != CHILDID_SELF &&
        SUCCEEDED(AccessibleObjectFromEvent(e.hwnd, static_cast<DWORD>(e.object),
                                            static_cast<DWORD>(e.child), &object.p, &child)) &&
        object.p)
      name = NameOf(object.p, child.vt == VT_I4 ? child.lVal : CHILDID_SELF);
    std::printf("event.%d=0x%lx;%ld;%ld;%s\n", ++i, static_cast<unsigned long>(e.event), e.object,
                e.child, WideToUtf8(name).c_str());
  }
  return 0;
}

int Usage() {
  std::fputs(
      "usage: wintool find|wait|wait-gone|post|send|activate|move|ask|usage|squeeze|access|"
      "access-do|access-events SELECTOR [ARGS]\n",
      stderr);
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return Usage();
  const std::wstring command = argv[1];
  Selector sel;
  if (!ParseSelector(argv[2], sel)) return Usage();

  if (command == L"wait" || command == L"wait-gone") {
    unsigned long long ms = 10000;
    if (argc > 3 && !ParseNumber(argv[3], ms)) return Usage();
    const bool ok = WaitFor(sel, static_cast<DWORD>(ms), command == L"wait");
    if (!ok) std::fputs("wintool: timed out\n", stderr);
    return ok ? 0 : 1;
  }

  const HWND hwnd = Find(sel);
  if (!hwnd) {
    std::fputs("wintool: no such window\n", stderr);
    return 1;
  }
  if (command == L"find") {
    PrintState(hwnd);
    return 0;
  }
  if (command == L"post" || command == L"send") {
    UINT msg = 0;
    unsigned long long wp = 0, lp = 0;
    if (argc < 4 || !ParseMessage(argv[3], msg) || (argc > 4 && !ParseNumber(argv[4], wp)) ||
        (argc > 5 && !ParseNumber(argv[5], lp)))
      return Usage();
    if (command == L"post")
      return PostMessageW(hwnd, msg, static_cast<WPARAM>(wp), static_cast<LPARAM>(lp)) ? 0 : 1;
    const LRESULT result =
        SendMessageW(hwnd, msg, static_cast<WPARAM>(wp), static_cast<LPARAM>(lp));
    std::printf("result=%lld\n", static_cast<long long>(result));
    return 0;
  }
  if (command == L"ask") {
    unsigned long long ms = 0;
    if (argc < 4 || !ParseNumber(argv[3], ms)) return Usage();
    return Ask(hwnd, static_cast<DWORD>(ms));
  }
  if (command == L"access" || command == L"access-do" || command == L"access-events") {
    unsigned long long n = 0;
    if (command != L"access" && (argc < 4 || !ParseNumber(argv[3], n))) return Usage();
    CoInitialize(nullptr);
    const int result = command == L"access-events" ? AccessEvents(hwnd, static_cast<DWORD>(n))
                                                   : Access(hwnd, static_cast<LONG>(n));
    CoUninitialize();
    return result;
  }
  if (command == L"activate") return SetForegroundWindow(hwnd) ? 0 : 1;
  if (command == L"usage") return PrintUsage(hwnd);
  if (command == L"squeeze") {
    unsigned long long mib = 0;
    if (argc < 4 || !ParseNumber(argv[3], mib) || mib == 0) return Usage();
    return Squeeze(hwnd, mib);
  }
  if (command == L"move") {
    if (argc < 5) return Usage();
    const int x = static_cast<int>(std::wcstol(argv[3], nullptr, 10));
    const int y = static_cast<int>(std::wcstol(argv[4], nullptr, 10));
    return SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) ? 0
                                                                                               : 1;
  }
  return Usage();
}
