#include "libventrilo/Ventrilo.h"

#include "libventrilo/IChannel.h"
#include "libventrilo/IServer.h"
#include "libventrilo/IUser.h"
#include "libventrilo/Snapshot.h"
#include "libventrilo/VentSendMessage.h"

#include <algorithm>
#include <iterator>

namespace {

// Walks of one capture at most, the first included.
constexpr int kWalks = 3;

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

// The snapshot's item keys, ascending; false when a key was met twice (the
// walk met a moving item before and after its move).
bool KeysOf(ISnapshot* snapshot, std::vector<std::uint32_t>* keys) {
  keys->clear();
  IServer* server = nullptr;
  if (snapshot->GetServer(&server))
    KeyCollector(keys).Visit(server);
  std::sort(keys->begin(), keys->end());
  return std::adjacent_find(keys->begin(), keys->end()) == keys->end();
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
  if (process_) {
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
  // Every pair abandoned: the client is read again once it answers a message
  // that needs no buffer, as it then has handled every queued request.
  LRESULT answer = 0;
  if (memory_->IsExhausted() && VentSendMessage(window_, WM_NULL, 0, 0, &answer))
    memory_->Drained();
  if (!memory_->Allocate())
    return false;
  // A walk that does not hold together is not handed over: the client moved
  // or deleted items under it (a move deletes the item and inserts a new one
  // with the same record, possibly where the walk has already been, and a
  // deleted item's handle may already mean another item under another
  // parent). Such a walk met a key twice, could not read an item it was
  // given, or misses keys that the last snapshot showed and the walk before
  // it did not miss too, so that only keys missing from two walks in a row
  // count as gone. It is repeated at once; a move normally completes between
  // two of our messages, so the next walk sees it whole.
  std::vector<HTREEITEM> unanswered;
  std::vector<std::uint32_t> keys;
  std::vector<std::uint32_t> missing;
  bool missedBefore = false;
  std::vector<std::uint32_t> missingBefore;
  Snapshot* snapshot = nullptr;
  for (int walk = 0; walk < kWalks && !snapshot; ++walk) {
    Snapshot* walked = new Snapshot(memory_.get(), unanswered);
    walked->AddRef();
    Capture capture = {walked, true};
    EnumChildWindows(window_, CaptureChildWindow, reinterpret_cast<LPARAM>(&capture));
    if (walked->Stopped() || (!capture.answered && !walked->Torn())) {
      walked->Release();
      return false;
    }
    if (walked->Torn()) {
      unanswered = walked->Unanswered();
      walked->Release();
      continue;
    }
    unanswered.clear();
    const bool once = KeysOf(walked, &keys);
    missing = Missing(shownKeys_, keys);
    const bool confirmed =
        missing.empty() || (missedBefore && std::includes(missingBefore.begin(), missingBefore.end(), missing.begin(),
                                                          missing.end()));
    if (once && confirmed) {
      snapshot = walked;
    } else {
      walked->Release();
      missedBefore = true;
      missingBefore = std::move(missing);
    }
  }
  if (!snapshot)
    return false;
  // A capture that lacks what the last snapshot showed (a control, the root,
  // part of the tree) may have caught the client tearing itself down
  // (DestroyWindow destroys the children before the parent) or clearing its
  // tree to refill it, and the walks of one capture, milliseconds apart, do
  // not tell. It is held back and handed over only when the next cycle's
  // capture removes nothing it did not remove too and the main window still
  // exists. A root showing the client disconnected is taken at once.
  // A client that loses someone in every cycle would keep each capture back
  // by that rule alone, and with it every other change. So a capture that
  // still shows the server and misses all that the held one missed is taken
  // too: the held removals are then confirmed, and its own further ones are
  // ordinary leaves, each missed by two walks in a row.
  if (!missing.empty() && !snapshot->ShowsDisconnected()) {
    IServer* server = nullptr;
    const bool removesNoMore = std::includes(heldMissing_.begin(), heldMissing_.end(), missing.begin(), missing.end());
    const bool confirmsHeld = snapshot->GetServer(&server) && server &&
                              std::includes(missing.begin(), missing.end(), heldMissing_.begin(), heldMissing_.end());
    const bool agrees = heldBack_ && (removesNoMore || confirmsHeld);
    if (!agrees || !IsWindow(window_)) {
      heldBack_ = true;
      heldMissing_ = std::move(missing);
      snapshot->Release();
      return false;
    }
  }
  heldBack_ = false;
  heldMissing_.clear();
  snapshot->CompleteCapture();
  shownKeys_ = std::move(keys);
  *out = snapshot;
  return true;
}

HWND Ventrilo::GetWindow() { return window_; }

bool Ventrilo::Reserved1() { return false; }

bool Ventrilo::Reserved2(DWORD) { return false; }

bool Ventrilo::Reserved3(DWORD) { return false; }

bool Ventrilo::OpenClientProcess() {
  if (process_)
    return true;
  process_ = OpenProcess(kProcessAccess, FALSE, processId_);
  if (!process_)
    return false;
  memory_ = std::make_unique<VentRemoteMemory>(process_);
  return true;
}
