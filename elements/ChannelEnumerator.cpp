#include "elements/ChannelEnumerator.h"

#include "elements/VentriloChannel.h"
#include "elements/VentriloInstance.h"
#include "libventrilo/IChannel.h"

int ChannelEnumerator::OnChannel(const char*, IChannel* channel) {
  VentriloChannel* element = instance_->UpsertChannel(pass_, channel->GetRecordAddress(), parent_, channel);
  if (element)
    VisitChildren(instance_, element, pass_, channel);
  return 0;
}
