#pragma once

class IChannel;

// Receives the channels directly under a server or channel; 1 stops.
class IChannelEnumerator {
 public:
  virtual int OnChannel(const char* name, IChannel* channel) = 0;

 protected:
  ~IChannelEnumerator() = default;
};
