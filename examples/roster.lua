-- Live roster: every client's server, channels and users as an indented tree,
-- drawn again (at most twice a second) whenever an event says it changed.
--
--   chorister-host --script examples/roster.lua

local chorister = require("chorister")

local dirty, pulses, drawnAt = true, 0, -math.huge

for _, event in ipairs(events()) do
  if event:match("^Ventrilo%.") then
    on(event, function() dirty = true end)
  end
end

local function describe(element, me)
  if element.Type == "Server" then
    local comment = element.Comment ~= "" and ("  -- " .. element.Comment) or ""
    return "[" .. element.Name .. "]" .. comment
  elseif element.Type == "Channel" then
    return "#" .. element.Name
  end
  local marks = {}
  if element.Icon == "voiceon.ico" then marks[#marks + 1] = "talking" end
  if element.IsMuted then marks[#marks + 1] = "muted" end
  if element.IsAdmin then marks[#marks + 1] = "admin" end
  if element.IsPhantom then marks[#marks + 1] = "phantom" end
  local text = element.Name
  if element.Rank ~= "" then text = element.Rank .. " " .. text end
  if #marks > 0 then text = text .. " (" .. table.concat(marks, ", ") .. ")" end
  if element.Comment ~= "" then text = text .. "  \"" .. element.Comment .. "\"" end
  if element == me then text = text .. "  <- me" end
  return text
end

local function depth(element, instance)
  local levels = 0
  local parent = element.Parent
  while parent and parent ~= instance do
    levels = levels + 1
    parent = parent.Parent
  end
  return levels
end

local function draw()
  print("---------------- roster ----------------")
  if not Ventrilo.Instances then
    print("(no Ventrilo client is running)")
  end
  for instance in chorister.instances() do
    local server = instance.Children
    print(("client #%d: %s"):format(instance.ID, server and "connected" or "not connected"))
    local me = instance.Me
    for element in chorister.descendants(instance) do
      print(("  "):rep(depth(element, instance) + 1) .. describe(element, me))
    end
  end
end

on("Host.OnPulse", function()
  pulses = pulses + 1
  if dirty and pulses - drawnAt >= 30 then
    dirty, drawnAt = false, pulses
    draw()
  end
end)

on("Host.OnStop", draw)
