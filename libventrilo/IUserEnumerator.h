#pragma once

class IUser;

// Receives the users directly under a server or channel; 1 stops.
class IUserEnumerator {
 public:
  virtual int OnUser(const char* name, IUser* user) = 0;

 protected:
  ~IUserEnumerator() = default;
};
