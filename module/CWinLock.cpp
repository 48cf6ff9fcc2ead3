#include "module/CWinLock.h"

CWinLock::CWinLock(CRITICAL_SECTION* section, bool lockNow) : section_(section) {
  if (lockNow)
    Enter();
}

CWinLock::~CWinLock() { Leave(); }

void CWinLock::SetSection(CRITICAL_SECTION* section) {
  Leave();
  section_ = section;
}

void CWinLock::Enter() {
  if (!section_ || held_)
    return;
  EnterCriticalSection(section_);
  held_ = true;
}

void CWinLock::Leave() {
  if (!held_)
    return;
  LeaveCriticalSection(section_);
  held_ = false;
}
