-- The race soak's Windows side (scripts/race-windows.sh): starts the Win32
-- stand-in client named by CHORISTER_STANDIN and, in bursts, feeds it moves,
-- renames, additions and removals of users and channels at a high rate while
-- the module reads it. The client carries each command out as it arrives, in
-- between the module's messages. After each burst comes a quiet period; then
-- the element tree must show the client's roster, every element whose item
-- stayed must keep its id and its metadata, and no pulse may move an element
-- more than once (there and back). Prints "race: ok ..." at the end, or
-- "race: FAILED ..." with the first fault.

local standin = assert(os.getenv("CHORISTER_STANDIN"), "CHORISTER_STANDIN names the stand-in client")
math.randomseed(tonumber(os.getenv("CHORISTER_RACE_SEED") or "1"))
local client = assert(io.popen('"' .. standin .. '"', "w"))

local kSettle, kBurst, kQuiet = 180, 30, 120  -- pulses, about 60 a second
local kChangesPerPulse = 3

local parent = {}   -- name -> parent name ("" for the server's top level)
local kind = {}     -- name -> "User" or "Channel"
local ident = {}    -- name -> the item's identity, kept across renames
local serial = 0
local changes, checks, pulses = 0, 0, 0
local failure = nil

local function send(line)
  client:write(line, "\n")
end

local function names(of)
  local list = {}
  for name, k in pairs(kind) do
    if k == of then
      list[#list + 1] = name
    end
  end
  table.sort(list)
  return list
end

local function pick(list)
  return list[math.random(#list)]
end

local function add(k, name, under)
  serial = serial + 1
  kind[name], parent[name], ident[name] = k, under, k .. serial
  send((k == "User" and "user " or "channel ") .. (under == "" and "-" or under) .. " " .. name)
end

local function change()
  local users, channels = names("User"), names("Channel")
  local roll = math.random(100)
  if roll <= 55 and #users > 0 then
    local user = pick(users)
    local to = pick(channels)
    if to ~= parent[user] then
      parent[user] = to
      send("move " .. user .. " " .. to)
    end
  elseif roll <= 63 then
    -- A channel moves with everything below it, never into its own subtree.
    local channel = pick(channels)
    local to = math.random(#channels + 1) > #channels and "" or pick(channels)
    local above = to
    while above ~= "" do
      if above == channel then
        return
      end
      above = parent[above]
    end
    if to == parent[channel] then
      return
    end
    parent[channel] = to
    send("move " .. channel .. " " .. (to == "" and "-" or to))
  elseif roll <= 70 and #users > 0 then
    local user = pick(users)
    serial = serial + 1
    local renamed = "User" .. serial
    kind[renamed], parent[renamed], ident[renamed] = kind[user], parent[user], ident[user]
    kind[user], parent[user], ident[user] = nil, nil, nil
    send("rename " .. user .. " " .. renamed)
  elseif roll <= 80 then
    serial = serial + 1
    add("User", "User" .. serial, pick(channels))
  elseif roll <= 90 and #users > 4 then
    local user = pick(users)
    kind[user], parent[user], ident[user] = nil, nil, nil
    send("remove " .. user)
  elseif roll <= 95 and #channels < 8 then
    serial = serial + 1
    add("Channel", "Room" .. serial, pick(channels))
  elseif #channels > 3 then
    -- A channel without channels below it goes with its users.
    local channel = pick(channels)
    for name, above in pairs(parent) do
      if above == channel and kind[name] == "Channel" then
        return
      end
    end
    for name, above in pairs(parent) do
      if above == channel then
        kind[name], parent[name], ident[name] = nil, nil, nil
      end
    end
    kind[channel], parent[channel], ident[channel] = nil, nil, nil
    send("remove " .. channel)
  else
    return
  end
  changes = changes + 1
end

local function fail(text)
  failure = failure or text
end

-- name -> element, for every element below the server; nil without one.
local function shown()
  local instance = Ventrilo.Instances
  local server = instance and instance.Children
  if not server then
    return nil
  end
  local elements = {}
  local function visit(element)
    for child in function(_, previous)
      if previous == nil then
        return element.Children
      end
      return previous.Next
    end do
      elements[child.Name] = child
      visit(child)
    end
  end
  visit(server)
  return elements, server
end

local ids = {}   -- identity -> element id when the burst began

local function tag()
  local elements = shown() or {}
  ids = {}
  for name, element in pairs(elements) do
    if ident[name] then
      element:SetMetadata("ident", ident[name])
      ids[ident[name]] = element.ID
    end
  end
end

local function check()
  checks = checks + 1
  local elements, server = shown()
  if not elements then
    return fail("no server element")
  end
  for name in pairs(kind) do
    local element = elements[name]
    if not element then
      local count, expected = 0, 0
      for _ in pairs(elements) do
        count = count + 1
      end
      for _ in pairs(kind) do
        expected = expected + 1
      end
      return fail(("%s (in '%s') is not shown, %d of %d elements are"):format(name, parent[name], count, expected))
    end
    local above = element.Parent == server and "" or element.Parent.Name
    if element.Type ~= kind[name] or above ~= parent[name] then
      return fail(name .. " shown as " .. element.Type .. " in '" .. above .. "', not in '" .. parent[name] .. "'")
    end
    local id = ids[ident[name]]
    if id and (element.ID ~= id or element("GetMetadata", "ident") ~= ident[name]) then
      return fail(name .. " has a new id or lost its metadata")
    end
  end
  for name in pairs(elements) do
    if not kind[name] then
      return fail(name .. " is shown but not in the client")
    end
  end
end

local joined = {}
on("Ventrilo.OnJoinedParent", function(element)
  joined[element.ID] = (joined[element.ID] or 0) + 1
  if joined[element.ID] == 2 then
    fail("one pulse moved " .. element.Name .. " twice")
  end
end)

send("server Race")
for c = 1, 4 do
  add("Channel", "Room" .. c, "")
end
for u = 1, 12 do
  add("User", "User" .. (serial + 1), "Room" .. (u % 4 + 1))
end
client:flush()

on("Host.OnPulse", function()
  joined = {}
  pulses = pulses + 1
  if failure or pulses < kSettle then
    return
  end
  local phase = (pulses - kSettle) % (kBurst + kQuiet)
  if phase == 0 then
    if pulses > kSettle then
      check()
    end
    tag()
  end
  if phase < kBurst then
    for _ = 1, kChangesPerPulse do
      change()
    end
    client:flush()
  end
end)

on("Host.OnStop", function()
  send("exit")
  client:close()
  if failure then
    print(("race: FAILED after %d changes: %s"):format(changes, failure))
  elseif checks == 0 then
    print("race: FAILED, no quiet period ended")
  else
    print(("race: ok, %d changes in %d bursts over %d pulses"):format(changes, checks, pulses))
  end
end)
