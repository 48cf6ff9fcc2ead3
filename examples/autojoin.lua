-- Auto-join: follow a friend into whatever channel they enter, in every
-- client where both of you are on the same server.
--
--   CHORISTER_FRIEND=Bob chorister-host --script examples/autojoin.lua

local friend = os.getenv("CHORISTER_FRIEND") or "Bob"

on("Ventrilo.OnJoinedParent", function(user)
  if user.Type ~= "User" or user.Name ~= friend then
    return
  end
  local me = user.Instance.Me
  local channel = user.Parent
  if me == nil or me == user or me.Parent == channel then
    return
  end
  -- Join selects the channel in the client's tree and presses Enter on it;
  -- our own move shows up in a later pulse.
  if channel:Join() then
    print(("%s entered %s; following"):format(friend, channel.Name))
  else
    print(("%s entered %s, but the client did not let us select it"):format(friend, channel.Name))
  end
end)
