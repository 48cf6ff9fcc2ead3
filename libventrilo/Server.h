#pragma once

#include "libventrilo/Channel.h"
#include "libventrilo/IServer.h"

// The root item of a snapshot's tree. It is built and filled as a channel (the
// items at the top of the client's tree are its children) and handed out as
// an IServer, whose every operation answers what the channel part answers.
class Server final : public Channel, public IServer {
 public:
  Server(TreeItemInfo&& info, HTREEITEM handle) : Channel(std::move(info), handle) {}

  int GetIconID() override { return Channel::GetIconID(); }
  HTREEITEM GetHandle() override { return Channel::GetHandle(); }
  std::uint32_t GetRecordAddress() override { return Channel::GetRecordAddress(); }
  const char* GetDisplayText() override { return Channel::GetDisplayText(); }
  const char* GetName() override { return Channel::GetName(); }
  const char* GetPronunciation() override { return Channel::GetPronunciation(); }
  const char* GetComment() override { return Channel::GetComment(); }
  const char* GetCommentURL() override { return Channel::GetCommentURL(); }
  const char* GetRank() override { return Channel::GetRank(); }
  std::uint32_t GetFlags() override { return Channel::GetFlags(); }
  std::uint32_t GetRankID() override { return Channel::GetRankID(); }
  const TreeItemInfo& GetInfo() override { return Channel::GetInfo(); }
  int EnumerateChannels(IChannelEnumerator* enumerator) override { return Channel::EnumerateChannels(enumerator); }
  int EnumerateUsers(IUserEnumerator* enumerator) override { return Channel::EnumerateUsers(enumerator); }
};
