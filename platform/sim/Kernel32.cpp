// The kernel calls of the simulated desktop: errors, processes and their
// memory, threads, critical sections and time. The caller is always the host
// process; every other process is reached through a handle.
#include "platform/sim/Desktop.h"

#include <chrono>
#include <mutex>
#include <thread>

using sim::AddressSpace;
using sim::Call;
using sim::CallRecord;
using sim::Desktop;

namespace {

thread_local DWORD lastError = ERROR_SUCCESS;

constexpr DWORD kCreateSuspended = 0x4;

// The one loaded image of the simulated process.
const HMODULE kTheModule = reinterpret_cast<HMODULE>(std::uintptr_t{0x10000000});

std::optional<std::chrono::steady_clock::time_point> DeadlineAfter(DWORD milliseconds) {
  if (milliseconds == INFINITE)
    return std::nullopt;
  return std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
}

// Addresses inside a client are 32-bit; anything wider lies outside its space.
bool FitsClient(LPCVOID address) { return reinterpret_cast<std::uintptr_t>(address) <= 0xFFFFFFFFu; }

std::uint32_t ClientAddress(LPCVOID address) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(address));
}

BOOL Fail(DWORD error) {
  lastError = error;
  return FALSE;
}

bool ValidProtection(DWORD protect) {
  return protect == PAGE_NOACCESS || protect == PAGE_READONLY || protect == PAGE_READWRITE;
}

// Records a cross-process copy and reports its outcome: the whole size on
// success, else the error.
BOOL FinishTransfer(Call call, const sim::SimProcess* target, LPCVOID address, SIZE_T size, DWORD error, SIZE_T* done) {
  Desktop::Get().Recording().Record({.call = call,
                                     .processId = target ? target->GetID() : 0,
                                     .address = ClientAddress(address),
                                     .size = static_cast<std::uint32_t>(size),
                                     .ok = error == ERROR_SUCCESS});
  if (error != ERROR_SUCCESS)
    return Fail(error);
  if (done)
    *done = size;
  return TRUE;
}

LPVOID Allocate(sim::SimProcess* process, LPVOID address, SIZE_T size, DWORD allocationType, DWORD protect) {
  if (!process) {
    lastError = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  if (Desktop::Get().Injected().TakeVirtualAllocFailure()) {
    lastError = ERROR_NOT_ENOUGH_MEMORY;
    return nullptr;
  }
  const DWORD known = MEM_COMMIT | MEM_RESERVE;
  if ((allocationType & known) == 0 || (allocationType & ~known) != 0 || !ValidProtection(protect) || size == 0 ||
      size > 0xFFFFFFFFu || !FitsClient(address)) {
    lastError = ERROR_INVALID_PARAMETER;
    return nullptr;
  }
  if (!process->IsAlive()) {
    lastError = ERROR_ACCESS_DENIED;
    return nullptr;
  }
  const std::uint32_t at = process->Memory().Allocate(ClientAddress(address), static_cast<std::uint32_t>(size), protect,
                                                      (allocationType & MEM_COMMIT) != 0);
  if (at == 0)
    lastError = ERROR_NOT_ENOUGH_MEMORY;
  return reinterpret_cast<LPVOID>(static_cast<std::uintptr_t>(at));
}

}  // namespace

extern "C" {

DWORD WINAPI GetLastError(void) { return lastError; }

void WINAPI SetLastError(DWORD error) { lastError = error; }

DWORD WINAPI GetCurrentProcessId(void) { return Desktop::Get().HostProcessID(); }

// The old all-access mask 0x1F0FFF is accepted like any other: the desktop
// checks no rights except a per-process refusal.
HANDLE WINAPI OpenProcess(DWORD, BOOL, DWORD processId) {
  Desktop& desktop = Desktop::Get();
  const auto process = desktop.FindProcess(processId);
  HANDLE handle = nullptr;
  if (!process)
    lastError = ERROR_INVALID_PARAMETER;
  else if (process->IsOpenRefused())
    lastError = ERROR_ACCESS_DENIED;
  else if (!(handle = desktop.OpenProcess(processId)))
    lastError = ERROR_INVALID_PARAMETER;
  desktop.Recording().Record({.call = Call::OpenProcess, .processId = processId, .ok = handle != nullptr});
  return handle;
}

DWORD WINAPI GetProcessId(HANDLE process) {
  const auto found = Desktop::Get().ProcessOf(process);
  if (!found)
    return Fail(ERROR_INVALID_HANDLE);
  return found->GetID();
}

BOOL WINAPI CloseHandle(HANDLE object) {
  Desktop& desktop = Desktop::Get();
  DWORD processId = 0;
  const bool ok = desktop.CloseHandle(object, &processId);
  desktop.Recording().Record({.call = Call::CloseHandle, .processId = processId, .ok = ok});
  return ok ? TRUE : Fail(ERROR_INVALID_HANDLE);
}

// MEM_COMMIT alone works when the address is null: the region is reserved on
// the 64 KiB granularity as well, and comes zero-filled.
LPVOID WINAPI VirtualAllocEx(HANDLE process, LPVOID address, SIZE_T size, DWORD allocationType, DWORD protect) {
  Desktop& desktop = Desktop::Get();
  const auto target = desktop.ProcessOf(process);
  LPVOID at = Allocate(target.get(), address, size, allocationType, protect);
  desktop.Recording().Record({.call = Call::AllocMemory,
                              .processId = target ? target->GetID() : 0,
                              .address = ClientAddress(at),
                              .size = static_cast<std::uint32_t>(size)});
  return at;
}

// Only MEM_RELEASE of a whole region: size 0 and the region's exact base,
// else ERROR_INVALID_PARAMETER, as Windows demands.
BOOL WINAPI VirtualFreeEx(HANDLE process, LPVOID address, SIZE_T size, DWORD freeType) {
  Desktop& desktop = Desktop::Get();
  const auto target = desktop.ProcessOf(process);
  DWORD error = ERROR_SUCCESS;
  if (!target)
    error = ERROR_INVALID_HANDLE;
  else if (freeType != MEM_RELEASE || size != 0 || !FitsClient(address))
    error = ERROR_INVALID_PARAMETER;
  else if (!target->IsAlive())
    error = ERROR_ACCESS_DENIED;
  else if (!target->Memory().Release(ClientAddress(address)))
    error = ERROR_INVALID_PARAMETER;
  desktop.Recording().Record({.call = Call::FreeMemory,
                              .processId = target ? target->GetID() : 0,
                              .address = ClientAddress(address),
                              .ok = error == ERROR_SUCCESS});
  return error == ERROR_SUCCESS ? TRUE : Fail(error);
}

// All or nothing: a range that touches any unreadable byte copies nothing,
// reports 0 bytes and fails with ERROR_PARTIAL_COPY, as on Windows.
BOOL WINAPI ReadProcessMemory(HANDLE process, LPCVOID baseAddress, LPVOID buffer, SIZE_T size, SIZE_T* bytesRead) {
  Desktop& desktop = Desktop::Get();
  if (bytesRead)
    *bytesRead = 0;
  const auto target = desktop.ProcessOf(process);
  DWORD error = ERROR_SUCCESS;
  if (!target)
    error = ERROR_INVALID_HANDLE;
  else if (!buffer && size != 0)
    error = ERROR_NOACCESS;
  else if (!FitsClient(baseAddress) ||
           target->Memory().Read(ClientAddress(baseAddress), buffer, size) != AddressSpace::Access::Ok)
    error = ERROR_PARTIAL_COPY;
  return FinishTransfer(Call::ReadMemory, target.get(), baseAddress, size, error, bytesRead);
}

// The first page decides between ERROR_NOACCESS (it is not writable) and
// ERROR_PARTIAL_COPY (a later page is not); either way nothing is written.
BOOL WINAPI WriteProcessMemory(HANDLE process, LPVOID baseAddress, LPCVOID buffer, SIZE_T size, SIZE_T* bytesWritten) {
  Desktop& desktop = Desktop::Get();
  if (bytesWritten)
    *bytesWritten = 0;
  const auto target = desktop.ProcessOf(process);
  DWORD error = ERROR_SUCCESS;
  if (!target)
    error = ERROR_INVALID_HANDLE;
  else if ((!buffer && size != 0) || !FitsClient(baseAddress))
    error = ERROR_NOACCESS;
  else {
    switch (target->Memory().Write(ClientAddress(baseAddress), buffer, size)) {
      case AddressSpace::Access::Ok:
        break;
      case AddressSpace::Access::FirstPageDenied:
        error = ERROR_NOACCESS;
        break;
      case AddressSpace::Access::LaterPageDenied:
        error = ERROR_PARTIAL_COPY;
        break;
    }
  }
  return FinishTransfer(Call::WriteMemory, target.get(), baseAddress, size, error, bytesWritten);
}

// The thread id is stored before the thread starts, so the new thread may
// read it at once. A suspended start is not offered.
HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE start, LPVOID parameter,
                           DWORD creationFlags, LPDWORD threadId) {
  Desktop& desktop = Desktop::Get();
  if (!start || (creationFlags & kCreateSuspended) != 0) {
    lastError = ERROR_INVALID_PARAMETER;
    return nullptr;
  }
  if (desktop.Injected().TakeCreateThreadFailure()) {
    lastError = ERROR_NOT_ENOUGH_MEMORY;
    return nullptr;
  }
  auto thread = std::make_shared<sim::SimThread>();
  if (threadId)
    *threadId = thread->GetID();
  HANDLE handle = desktop.AddThread(thread);
  if (!thread->Start(start, parameter)) {
    DWORD ignored = 0;
    desktop.CloseHandle(handle, &ignored);
    lastError = ERROR_NOT_ENOUGH_MEMORY;
    return nullptr;
  }
  return handle;
}

// A std::thread cannot be stopped from outside without corrupting the state
// it holds, so the desktop refuses; the module never terminates its thread.
BOOL WINAPI TerminateThread(HANDLE thread, DWORD) {
  return Fail(Desktop::Get().ThreadOf(thread) ? ERROR_NOT_SUPPORTED : ERROR_INVALID_HANDLE);
}

// A thread handle is signalled when its thread has ended, a process handle
// when its process has.
DWORD WINAPI WaitForSingleObject(HANDLE object, DWORD milliseconds) {
  Desktop& desktop = Desktop::Get();
  const auto deadline = DeadlineAfter(milliseconds);
  if (const auto thread = desktop.ThreadOf(object))
    return thread->Wait(deadline) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
  if (const auto process = desktop.ProcessOf(object))
    return process->Thread().AwaitGone(deadline) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
  lastError = ERROR_INVALID_HANDLE;
  return WAIT_FAILED;
}

DWORD WINAPI GetCurrentThreadId(void) { return sim::SimThread::CurrentID(); }

void WINAPI Sleep(DWORD milliseconds) {
  if (milliseconds == 0)
    std::this_thread::yield();
  else
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// Milliseconds of a monotonic clock, wrapping at 2^32 as Windows' does.
DWORD WINAPI GetTickCount(void) {
  const auto elapsed = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

BOOL WINAPI GetModuleHandleExA(DWORD flags, LPCSTR, HMODULE* module) {
  if (!module)
    return Fail(ERROR_INVALID_PARAMETER);
  if ((flags & GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT) == 0)
    Desktop::Get().AddModuleReference(1);
  *module = kTheModule;
  return TRUE;
}

BOOL WINAPI FreeLibrary(HMODULE module) {
  if (module != kTheModule)
    return Fail(ERROR_INVALID_HANDLE);
  Desktop::Get().AddModuleReference(-1);
  return TRUE;
}

void WINAPI FreeLibraryAndExitThread(HMODULE module, DWORD exitCode) {
  FreeLibrary(module);
  throw sim::ThreadExit{exitCode};
}

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION section) {
  if (section)
    section->Lock = new std::recursive_mutex;
}

void WINAPI EnterCriticalSection(LPCRITICAL_SECTION section) {
  if (section && section->Lock)
    static_cast<std::recursive_mutex*>(section->Lock)->lock();
}

void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION section) {
  if (section && section->Lock)
    static_cast<std::recursive_mutex*>(section->Lock)->unlock();
}

void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION section) {
  if (section) {
    delete static_cast<std::recursive_mutex*>(section->Lock);
    section->Lock = nullptr;
  }
}

}  // extern "C"
