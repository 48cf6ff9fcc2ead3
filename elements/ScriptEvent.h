// The module's script events, in the order they are declared to the host.
#pragma once

enum class ScriptEvent : int {
  LeavingParent,
  JoinedParent,
  DisplayTextChanged,
  PronunciationChanged,
  NameChanged,
  CommentChanged,
  CommentURLChanged,
  RankChanged,
  RankIDChanged,
  FlagsChanged,
  IconChanged,
  Online,
  Offline,
  LeavingInstance,
  JoinedInstance,
  InstanceOpened,
  InstanceClosed,
};

inline constexpr int kScriptEventCount = 17;
