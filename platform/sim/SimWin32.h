// Win32 as the simulated desktop offers it: the types, constants and calls the
// module, the host and the stand-in client use, with Windows' names and
// semantics. Everything here is implemented by the simdesktop shared library,
// so the module, the host and the tests in one process share one desktop.
//
// The simulated clients are 32-bit programs: handles and addresses that enter a
// client's memory fit in 32 bits, and TVITEMA has the 40-byte 32-bit layout.
// Pointers into the caller's own memory (a WM_GETTEXT buffer, the local side of
// ReadProcessMemory) stay native.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#define SIMWIN_API __attribute__((visibility("default")))
#define WINAPI
#define CALLBACK

typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef unsigned int DWORD;
typedef unsigned int UINT;
typedef int LONG;
typedef unsigned int ULONG;
typedef char CHAR;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef DWORD* LPDWORD;
typedef std::uintptr_t UINT_PTR;
typedef std::intptr_t INT_PTR;
typedef std::intptr_t LONG_PTR;
typedef std::uintptr_t ULONG_PTR;
typedef std::uintptr_t DWORD_PTR;
typedef DWORD_PTR* PDWORD_PTR;
typedef std::size_t SIZE_T;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;
typedef void* HANDLE;
typedef struct HWND__* HWND;
typedef struct HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;
typedef struct _TREEITEM* HTREEITEM;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
#ifndef MAX_PATH
#define MAX_PATH 260
#endif

// A field of a structure that crosses into a 32-bit client: stored as 32 bits,
// read and written as the native type it stands for.
template <class T>
struct Win32Field {
  std::uint32_t bits;
  Win32Field& operator=(T value) {
    if constexpr (std::is_pointer_v<T>)
      bits = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(value));
    else
      bits = static_cast<std::uint32_t>(value);
    return *this;
  }
  operator T() const {
    if constexpr (std::is_pointer_v<T>)
      return reinterpret_cast<T>(static_cast<std::uintptr_t>(bits));
    else if constexpr (std::is_signed_v<T>)
      return static_cast<T>(static_cast<std::int32_t>(bits));
    else
      return static_cast<T>(bits);
  }
};

// ---------------------------------------------------------------- errors
#define ERROR_SUCCESS 0u
#define ERROR_ACCESS_DENIED 5u
#define ERROR_INVALID_HANDLE 6u
#define ERROR_NOT_ENOUGH_MEMORY 8u
#define ERROR_NOT_SUPPORTED 50u
#define ERROR_INVALID_PARAMETER 87u
#define ERROR_PARTIAL_COPY 299u
#define ERROR_NOACCESS 998u
#define ERROR_TIMEOUT 1460u
#define ERROR_INVALID_WINDOW_HANDLE 1400u

// ---------------------------------------------------------------- processes and memory
#define PROCESS_ALL_ACCESS_OLD 0x1F0FFFu
#define MEM_COMMIT 0x1000u
#define MEM_RESERVE 0x2000u
#define MEM_RELEASE 0x8000u
#define PAGE_NOACCESS 0x01u
#define PAGE_READONLY 0x02u
#define PAGE_READWRITE 0x04u
#define PAGE_GUARD 0x100u

// ---------------------------------------------------------------- threads
typedef DWORD(WINAPI* LPTHREAD_START_ROUTINE)(LPVOID);
#define GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT 0x00000002u
#define GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS 0x00000004u
typedef struct _SECURITY_ATTRIBUTES SECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;
#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0u
#define WAIT_TIMEOUT 258u
#define WAIT_FAILED 0xFFFFFFFFu

// A recursive lock, as Windows' critical section: its owner may enter again and
// leaves once per enter. The simulated one keeps its lock object behind a pointer.
typedef struct _RTL_CRITICAL_SECTION {
  void* Lock;
} CRITICAL_SECTION, *LPCRITICAL_SECTION;

// ---------------------------------------------------------------- windows and messages
typedef BOOL(CALLBACK* WNDENUMPROC)(HWND, LPARAM);

#define WM_NOTIFY 0x004Eu
#define WM_NULL 0x0000u
#define WM_GETTEXT 0x000Du
#define WM_GETTEXTLENGTH 0x000Eu
#define WM_SETTEXT 0x000Cu
#define WM_KEYDOWN 0x0100u
#define WM_KEYUP 0x0101u
#define WM_USER 0x0400u
#define VK_RETURN 0x0Du

#define SMTO_NORMAL 0x0000u
#define SMTO_BLOCK 0x0001u
#define SMTO_ABORTIFHUNG 0x0002u

#define MB_OK 0x00000000u
#define IDOK 1

typedef struct tagNMHDR {
  HWND hwndFrom;
  UINT_PTR idFrom;
  UINT code;
} NMHDR, *LPNMHDR;

// ---------------------------------------------------------------- tree view
#define WC_TREEVIEWA "SysTreeView32"
#define TV_FIRST 0x1100u
#define TVM_INSERTITEMA (TV_FIRST + 0)
#define TVM_DELETEITEM (TV_FIRST + 1)
#define TVM_GETNEXTITEM (TV_FIRST + 10)
#define TVM_SELECTITEM (TV_FIRST + 11)
#define TVM_GETITEMA (TV_FIRST + 12)
#define TVM_SETITEMA (TV_FIRST + 13)

#define TVGN_ROOT 0x0000u
#define TVGN_NEXT 0x0001u
#define TVGN_PREVIOUS 0x0002u
#define TVGN_PARENT 0x0003u
#define TVGN_CHILD 0x0004u
#define TVGN_CARET 0x0009u

#define TVIF_TEXT 0x0001u
#define TVIF_IMAGE 0x0002u
#define TVIF_PARAM 0x0004u
#define TVIF_STATE 0x0008u
#define TVIF_HANDLE 0x0010u
#define TVIF_SELECTEDIMAGE 0x0020u
#define TVIF_CHILDREN 0x0040u

#define TVI_ROOT (reinterpret_cast<HTREEITEM>(static_cast<ULONG_PTR>(0xFFFF0000u)))
#define TVI_FIRST (reinterpret_cast<HTREEITEM>(static_cast<ULONG_PTR>(0xFFFF0001u)))
#define TVI_LAST (reinterpret_cast<HTREEITEM>(static_cast<ULONG_PTR>(0xFFFF0002u)))

#define NM_FIRST 0u
#define NM_RETURN (NM_FIRST - 4u)
#define TVN_FIRST (0u - 400u)
#define TVN_KEYDOWN (TVN_FIRST - 12u)

// The 32-bit TVITEMA: 40 bytes, pszText at 16, iImage at 24, lParam at 36.
typedef struct tagTVITEMA {
  UINT mask;
  Win32Field<HTREEITEM> hItem;
  UINT state;
  UINT stateMask;
  Win32Field<LPSTR> pszText;
  int cchTextMax;
  int iImage;
  int iSelectedImage;
  int cChildren;
  Win32Field<LPARAM> lParam;
} TVITEMA, *LPTVITEMA;
static_assert(sizeof(TVITEMA) == 40, "32-bit TVITEMA layout");
static_assert(offsetof(TVITEMA, pszText) == 16 && offsetof(TVITEMA, iImage) == 24 && offsetof(TVITEMA, lParam) == 36,
              "32-bit TVITEMA offsets");

typedef struct tagNMTVKEYDOWN {
  NMHDR hdr;
  WORD wVKey;
  UINT flags;
} NMTVKEYDOWN;

// ---------------------------------------------------------------- calls
extern "C" {
SIMWIN_API DWORD WINAPI GetLastError(void);
SIMWIN_API void WINAPI SetLastError(DWORD error);

SIMWIN_API DWORD WINAPI GetCurrentProcessId(void);
SIMWIN_API HANDLE WINAPI OpenProcess(DWORD desiredAccess, BOOL inheritHandle, DWORD processId);
SIMWIN_API DWORD WINAPI GetProcessId(HANDLE process);
SIMWIN_API BOOL WINAPI CloseHandle(HANDLE object);
SIMWIN_API LPVOID WINAPI VirtualAllocEx(HANDLE process, LPVOID address, SIZE_T size, DWORD allocationType,
                                        DWORD protect);
SIMWIN_API BOOL WINAPI VirtualFreeEx(HANDLE process, LPVOID address, SIZE_T size, DWORD freeType);
SIMWIN_API BOOL WINAPI ReadProcessMemory(HANDLE process, LPCVOID baseAddress, LPVOID buffer, SIZE_T size,
                                         SIZE_T* bytesRead);
SIMWIN_API BOOL WINAPI WriteProcessMemory(HANDLE process, LPVOID baseAddress, LPCVOID buffer, SIZE_T size,
                                          SIZE_T* bytesWritten);

SIMWIN_API HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                                      LPVOID parameter, DWORD creationFlags, LPDWORD threadId);
SIMWIN_API BOOL WINAPI TerminateThread(HANDLE thread, DWORD exitCode);
SIMWIN_API DWORD WINAPI WaitForSingleObject(HANDLE object, DWORD milliseconds);
SIMWIN_API DWORD WINAPI GetCurrentThreadId(void);
SIMWIN_API void WINAPI Sleep(DWORD milliseconds);
SIMWIN_API DWORD WINAPI GetTickCount(void);

// One loaded image stands for every module of the process: the calls keep
// its reference count, which a test reads with sim::ModuleReferences.
SIMWIN_API BOOL WINAPI GetModuleHandleExA(DWORD flags, LPCSTR name, HMODULE* module);
SIMWIN_API BOOL WINAPI FreeLibrary(HMODULE module);
// Only on a thread made by CreateThread: the thread ends there (its stack is
// unwound, which Windows does not do, so no destructor of the thread's own
// objects is skipped on the simulated desktop).
[[noreturn]] SIMWIN_API void WINAPI FreeLibraryAndExitThread(HMODULE module, DWORD exitCode);

SIMWIN_API void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION section);
SIMWIN_API void WINAPI EnterCriticalSection(LPCRITICAL_SECTION section);
SIMWIN_API void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION section);
SIMWIN_API void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION section);

SIMWIN_API BOOL WINAPI EnumWindows(WNDENUMPROC callback, LPARAM lParam);
SIMWIN_API BOOL WINAPI EnumChildWindows(HWND parent, WNDENUMPROC callback, LPARAM lParam);
SIMWIN_API DWORD WINAPI GetWindowThreadProcessId(HWND window, LPDWORD processId);
SIMWIN_API int WINAPI GetWindowTextA(HWND window, LPSTR text, int maxCount);
SIMWIN_API UINT WINAPI RealGetWindowClassA(HWND window, LPSTR className, UINT maxCount);
SIMWIN_API int WINAPI GetClassNameA(HWND window, LPSTR className, int maxCount);
SIMWIN_API BOOL WINAPI IsWindow(HWND window);
SIMWIN_API HWND WINAPI GetParent(HWND window);
SIMWIN_API LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
SIMWIN_API LRESULT WINAPI SendMessageTimeoutA(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT flags,
                                              UINT timeoutMs, PDWORD_PTR result);
SIMWIN_API int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
}
