#include "module/CWindowsThread.h"

#include "module/CWinLock.h"

CWindowsThread::CWindowsThread() { InitializeCriticalSection(&runLock_); }

CWindowsThread::~CWindowsThread() {
  if (running_.load() || handle_)
    StopThread();
  DeleteCriticalSection(&runLock_);
}

bool CWindowsThread::StartThread(LPTHREAD_START_ROUTINE entry, void* argument) {
  if (running_.load())
    return true;
  CloseEndedThread();
  argument_ = argument;
  started_.store(false);
  stop_.store(false);
  handle_ = CreateThread(nullptr, 0, entry, this, 0, &threadId_);
  if (!handle_) {
    threadId_ = 0;
    return false;
  }
  // The new thread may run before CreateThread returns, or only later.
  while (!started_.load())
    Sleep(0);
  return true;
}

void CWindowsThread::StopThread() {
  stop_.store(true);
  {
    CWinLock wait(&runLock_, true);
    threadId_ = 0;
  }
  CloseEndedThread();
}

bool CWindowsThread::KillThread() {
  const BOOL killed = handle_ ? TerminateThread(handle_, 0) : FALSE;
  running_.store(false);
  return killed != FALSE;
}

void CWindowsThread::Run(void (*body)()) {
  CWinLock runLock(&runLock_, true);
  running_.store(true);
  started_.store(true);
  body();
  running_.store(false);
}

// The body has ended once the run lock is free, but the thread still has to
// return from its start routine; waiting for the handle makes sure no code of
// ours runs on it afterwards (the library may be unloaded next).
void CWindowsThread::CloseEndedThread() {
  if (!handle_)
    return;
  if (waitForExit_)
    WaitForSingleObject(handle_, INFINITE);
  CloseHandle(handle_);
  handle_ = nullptr;
}
