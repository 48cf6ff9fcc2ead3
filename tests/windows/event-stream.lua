-- The module's events, element by element, in a fixed format that does not
-- depend on the order of siblings or on element ids: the fidelity check
-- (scripts/check-fidelity.sh) runs it over the demo desktop on both systems
-- and compares what it prints.
--
-- Each element is named by its type and the name it had when it joined its
-- instance (an instance by its server's name); its events follow in the order
-- they came, with what changed (old and new values, the parent it joined or
-- left). Everything is printed once, when the run stops, after the line
-- "== event streams"; last comes the list of events that never came.

local kinds = {}      -- element id -> Type
local names = {}      -- element id -> name when it joined its instance
local servers = {}    -- instance id -> its first server's name
local last = {}       -- element id -> member -> last value seen
local streams = {}    -- element id -> lines
local order = {}      -- element ids in the order first seen
local seen = {}       -- event name -> true

local members = {
  ["Ventrilo.OnNameChanged"] = "Name",
  ["Ventrilo.OnDisplayTextChanged"] = "DisplayText",
  ["Ventrilo.OnPronunciationChanged"] = "Pronunciation",
  ["Ventrilo.OnCommentChanged"] = "Comment",
  ["Ventrilo.OnCommentURLChanged"] = "CommentURL",
  ["Ventrilo.OnRankChanged"] = "Rank",
  ["Ventrilo.OnRankIDChanged"] = "RankID",
}

local function show(value)
  if value == nil then
    return "(none)"
  end
  return type(value) == "string" and ("%q"):format(value) or tostring(value)
end

-- A parent is written as its id until the end, when every label is known.
local function parentMark(element)
  local parent = element.Parent
  return parent and ("\0" .. parent.ID .. "\0") or "nothing"
end

local function note(event, element, previous)
  local id = element.ID
  if not streams[id] then
    streams[id] = {}
    last[id] = {}
    order[#order + 1] = id
    kinds[id] = element.Type
  end
  local short = event:gsub("^Ventrilo%.", "")
  local line = short
  local member = members[event]
  if member then
    local now = element[member]
    line = ("%s %s -> %s"):format(short, show(last[id][member]), show(now))
    last[id][member] = now
  elseif event == "Ventrilo.OnFlagsChanged" then
    line = ("%s 0x%x -> 0x%x"):format(short, previous, element.Flags)
  elseif event == "Ventrilo.OnIconChanged" then
    line = ("%s %d -> %d %s"):format(short, previous, element.IconID, element.Icon)
  elseif event == "Ventrilo.OnJoinedParent" or event == "Ventrilo.OnLeavingParent" then
    line = short .. " " .. parentMark(element)
  end
  if event == "Ventrilo.OnJoinedInstance" then
    names[id] = element.Name
    if element.Type == "Server" and not servers[element.Instance.ID] then
      servers[element.Instance.ID] = element.Name
    end
  end
  table.insert(streams[id], line)
  seen[event] = true
end

local function label(id)
  if kinds[id] == "Instance" then
    return ("Instance of %q"):format(servers[id] or "no server")
  end
  return ("%s %q"):format(kinds[id] or "Element", names[id] or "never joined")
end

for _, event in ipairs(events()) do
  if event:match("^Ventrilo%.") then
    on(event, function(element, previous) note(event, element, previous) end)
  end
end

on("Host.OnStop", function()
  -- Elements of one label (a client that reconnects shows its roster anew)
  -- keep the order in which they appeared.
  local groups, labels = {}, {}
  for _, id in ipairs(order) do
    local name = label(id)
    if not groups[name] then
      groups[name] = {}
      labels[#labels + 1] = name
    end
    for _, line in ipairs(streams[id]) do
      table.insert(groups[name], (line:gsub("%z(%d+)%z", function(parent) return label(tonumber(parent)) end)))
    end
  end
  table.sort(labels)
  print("== event streams")
  for _, name in ipairs(labels) do
    print(name)
    for _, line in ipairs(groups[name]) do
      print("  " .. line)
    end
  end
  local unseen = {}
  for _, event in ipairs(events()) do
    if event:match("^Ventrilo%.") and not seen[event] then
      unseen[#unseen + 1] = event
    end
  end
  print("events that never came: " .. (#unseen > 0 and table.concat(unseen, ", ") or "none"))
end)
