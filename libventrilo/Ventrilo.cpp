#include "libventrilo/Ventrilo.h"

#include "libventrilo/IChannel.h"
#include "libventrilo/IServer.h"
#include "libventrilo/IUser.h"
#include "libventrilo/Snapshot.h"

#include <algorithm>
#include <iterator>

namespace {

// Walks of one capture at most, the first included, when items go missing.
constexpr int kConfirmingWalks = 3;

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

// Gathers the item keys of a snapshot's tree, server included.
class KeyCollector final : public IChannelEnumerator, public IUserEnumerator {
 public:
  explicit KeyCollector(std::vector<std::uint32_t>* keys) : keys_(keys) {}

  template <class Parent>
  void Visit(Parent* parent) {
    keys_->push_back(parent->GetRecordAddress());
    parent->EnumerateUsers(this);
    parent->EnumerateChannels(this);
  }
  int OnChannel(const char*, IChannel* channel) override {
    Visit(channel);
    return 0;
  }
  int OnUser(const char*, IUser* user) override {
    keys_->push_back(user->GetRecordAddress());
    return 0;
  }

 private:
  std::vector<std::uint32_t>* keys_;
};

// The snapshot's item keys, ascending and each once.
std::vector<std::uint32_t> KeysOf(ISnapshot* snapshot) {
  std::vector<std::uint32_t> keys;
  IServer* server = nullptr;
  if (snapshot->GetServer(&server))
    KeyCollector(&keys).Visit(server);
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  return keys;
}

// The keys of `before` that `after` lacks; both ascending.
std::vector<std::uint32_t> Missing(const std::vector<std::uint32_t>& before, const std::vector<std::uint32_t>& after) {
  std::vector<std::uint32_t> missing;
  std::set_difference(before.begin(), before.end(), after.begin(), after.end(), std::back_inserter(missing));
  return missing;
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
  if (!OpenClientProcess() || !memory_->Allocate())
    return false;
  Snapshot* snapshot = CaptureOnce();
  if (snapshot == nullptr)
    return false;
  std::vector<std::uint32_t> keys = KeysOf(snapshot);
  std::vector<std::uint32_t> missing = Missing(shownKeys_, keys);
  // Items that the last snapshot showed are missing. They may have left, or
  // the client moved or deleted items under the walk (a moved item is
  // deleted and inserted again, possibly where the walk has already been,
  // and a deleted item ends its list early): the walk is repeated until one
  // misses nothing that the walk before it did not miss too, so that only
  // items missing from two walks in a row count as gone. When no walk
  // confirms the one before, this cycle has no snapshot.
  bool confirmed = missing.empty();
  for (int walk = 1; !confirmed && walk < kConfirmingWalks; ++walk) {
    snapshot->Release();
    snapshot = CaptureOnce();
    if (snapshot == nullptr)
      return false;
    keys = KeysOf(snapshot);
    std::vector<std::uint32_t> stillMissing = Missing(shownKeys_, keys);
    confirmed = std::includes(missing.begin(), missing.end(), stillMissing.begin(), stillMissing.end());
    missing = std::move(stillMissing);
  }
  if (!confirmed) {
    snapshot->Release();
    return false;
  }
  shownKeys_ = std::move(keys);
  *out = snapshot;
  return true;
}

Snapshot* Ventrilo::CaptureOnce() {
  Snapshot* snapshot = new Snapshot(memory_.get());
  snapshot->AddRef();
  Capture capture = {snapshot, true};
  EnumChildWindows(window_, CaptureChildWindow, reinterpret_cast<LPARAM>(&capture));
  if (!capture.answered || !snapshot->IsComplete()) {
    snapshot->Release();
    return nullptr;
  }
  snapshot->CompleteCapture();
  return snapshot;
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
  return true;
}
