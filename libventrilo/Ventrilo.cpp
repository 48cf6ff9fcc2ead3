#include "libventrilo/Ventrilo.h"

#include "libventrilo/Snapshot.h"

namespace {

struct Capture {
  Snapshot* snapshot;
  bool answered;
};

// EnumChildWindows reports every descendant, grandchildren included; the
// enumeration ends early only when the client stops answering.
BOOL CALLBACK CaptureChildWindow(HWND window, LPARAM context) {
  Capture* capture = reinterpret_cast<Capture*>(context);
  capture->answered = capture->snapshot->CaptureWindow(window);
  return capture->answered ? TRUE : FALSE;
}

}  // namespace

Ventrilo::Ventrilo(DWORD processId, HWND window) : processId_(processId), window_(window) {}

Ventrilo::~Ventrilo() {
  if (process_ != nullptr) {
    // The buffers go back to the client before the handle they need closes.
    memory_.reset();
    CloseHandle(process_);
  }
}

DWORD Ventrilo::GetProcessID() { return processId_; }

bool Ventrilo::IsProcessOpen() { return process_ != nullptr && GetProcessId(process_) != 0; }

bool Ventrilo::TakeSnapshot(ISnapshot** out) {
  if (!OpenClientProcess())
    return false;
  Snapshot* snapshot = new Snapshot(this);
  snapshot->AddRef();
  Capture capture = {snapshot, true};
  EnumChildWindows(window_, CaptureChildWindow, reinterpret_cast<LPARAM>(&capture));
  if (!capture.answered) {
    snapshot->Release();
    return false;
  }
  snapshot->CompleteCapture();
  *out = snapshot;
  return true;
}

HWND Ventrilo::GetWindow() { return window_; }

bool Ventrilo::Reserved1() { return false; }

bool Ventrilo::Reserved2(DWORD) { return false; }

bool Ventrilo::Reserved3(DWORD) { return false; }

bool Ventrilo::OpenClientProcess() {
  if (process_ != nullptr)
    return true;
  process_ = OpenProcess(kProcessAccess, FALSE, processId_);
  if (process_ == nullptr)
    return false;
  memory_ = std::make_unique<VentRemoteMemory>(process_);
  memory_->Allocate();
  return true;
}
