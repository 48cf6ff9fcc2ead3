#include "host/DemoDesktop.h"

#include "standin/StandinClient.h"

using standin::MakeChannel;
using standin::MakeUser;

namespace {

standin::Roster AlphaRoster() {
  standin::Roster roster;
  roster.server.name = "Guild Hall";
  roster.server.comment = "Raid night is Thursday";
  roster.localUser = "Alice";
  roster.channels = {
      MakeChannel("Lobby", {MakeUser("Alice", "A", "Officer", 2), MakeUser("Bob"), MakeUser("Eve")}),
      MakeChannel("Raid", {MakeUser("Dave", "M")}),
      MakeChannel("AFK", {}, {MakeChannel("Deep AFK", {})}),
  };
  return roster;
}

standin::Roster BravoRoster() {
  standin::Roster roster;
  roster.server.name = "Night Owls";
  roster.localUser = "Zed";
  roster.channels = {
      MakeChannel("General", {MakeUser("Zed"), MakeUser("Yuki")}),
      MakeChannel("Music", {MakeUser("Xavier", "", "[Guest]")}),
  };
  return roster;
}

}  // namespace

DemoDesktop::DemoDesktop(std::chrono::milliseconds runLength)
    : alpha_(std::make_unique<standin::StandinClient>(AlphaRoster())),
      bravo_(std::make_unique<standin::StandinClient>(BravoRoster())),
      scale_(runLength.count() > 0 ? static_cast<double>(runLength.count()) / kTimelineLength.count() : 1.0) {
  using std::chrono::milliseconds;
  standin::StandinClient& alpha = *alpha_;
  standin::StandinClient& bravo = *bravo_;
  steps_ = {
      {milliseconds(1000), [&] { alpha.AddUser("Lobby", MakeUser("Carol")); }},
      {milliseconds(2000), [&] { alpha.SetIcon("Bob", 3); }},  // starts talking
      {milliseconds(3000), [&] { alpha.SetIcon("Bob", 2); }},
      {milliseconds(4000), [&] { alpha.SetFlags("Dave", "GM"); }},  // globally muted too
      {milliseconds(5000), [&] { alpha.Move("Carol", "Raid"); }},
      {milliseconds(6000), [&] { bravo.SetIcon("Yuki", 3); }},
      {milliseconds(6500), [&] { bravo.SetIcon("Yuki", 2); }},
      {milliseconds(7000), [&] { alpha.Rename("Dave", "David"); }},
      {milliseconds(8000), [&] { alpha.SetComment("Bob", "back in 5", "http://example.org/bob"); }},
      {milliseconds(9000), [&] { alpha.SetRank("Carol", "Officer", 2); }},
      {milliseconds(10000), [&] { alpha.SetPronunciation("Alice", "Ah-leess"); }},
      {milliseconds(11000), [&] { bravo.Disconnect(); }},
      {milliseconds(13000), [&] { bravo.Reconnect(); }},
      {milliseconds(14000), [&] { alpha.Remove("Eve"); }},
      {milliseconds(15000), [&] { alpha.SetFlags("David", ""); }},
      {milliseconds(16000), [&] { alpha.SetSuffix("Alice", "(away)"); }},
      {milliseconds(17000), [&] { bravo.Exit(); }},
      {milliseconds(18000), [&] { alpha.Move("Bob", "AFK"); }},
  };
}

DemoDesktop::~DemoDesktop() = default;

void DemoDesktop::Advance(std::chrono::milliseconds elapsed) {
  while (next_ < steps_.size() && steps_[next_].at.count() * scale_ <= static_cast<double>(elapsed.count())) {
    steps_[next_++].change();
  }
}
