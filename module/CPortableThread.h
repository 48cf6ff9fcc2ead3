// A background thread the module owns: started once, asked to stop, and waited
// for.
#pragma once

#include "platform/Win32.h"

class CPortableThread {
 public:
  // Starts a thread running `entry` with the thread object as its parameter
  // and returns once it has begun running. False when the platform cannot
  // create the thread; nothing runs then.
  virtual bool StartThread(LPTHREAD_START_ROUTINE entry, void* argument) = 0;
  // Asks the thread to stop and returns once its body has ended.
  virtual void StopThread() = 0;
  // Ends the thread at once, wherever it is; the platform's success flag.
  virtual bool KillThread() = 0;

 protected:
  ~CPortableThread() = default;
};
