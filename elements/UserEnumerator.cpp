#include "elements/UserEnumerator.h"

#include "elements/VentriloInstance.h"
#include "libventrilo/IUser.h"

int UserEnumerator::OnUser(const char*, IUser* user) {
  instance_->UpsertUser(pass_, user->GetRecordAddress(), parent_, user);
  return 0;
}
