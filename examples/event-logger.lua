-- Event logger: one line for every event of every client, as it happens,
-- with the element it is about and what changed.
--
--   chorister-host --script examples/event-logger.lua

local pulses = 0
on("Host.OnPulse", function() pulses = pulses + 1 end)

-- The member whose new value a change event reports.
local changed = {
  ["Ventrilo.OnDisplayTextChanged"] = "DisplayText",
  ["Ventrilo.OnPronunciationChanged"] = "Pronunciation",
  ["Ventrilo.OnNameChanged"] = "Name",
  ["Ventrilo.OnCommentChanged"] = "Comment",
  ["Ventrilo.OnCommentURLChanged"] = "CommentURL",
  ["Ventrilo.OnRankChanged"] = "Rank",
  ["Ventrilo.OnRankIDChanged"] = "RankID",
}

-- An element prints as its label: User "Bob" #6, Instance #1 (online).
local function label(element)
  return element == nil and "nothing" or tostring(element)
end

local function detail(event, element, previous)
  if changed[event] then
    return ("now %q"):format(tostring(element[changed[event]]))
  elseif event == "Ventrilo.OnFlagsChanged" then
    return ("flags 0x%x -> 0x%x"):format(previous, element.Flags)
  elseif event == "Ventrilo.OnIconChanged" then
    return ("icon %d -> %d (%s)"):format(previous, element.IconID, element.Icon)
  elseif event == "Ventrilo.OnJoinedParent" then
    return "into " .. label(element.Parent)
  elseif event == "Ventrilo.OnLeavingParent" then
    return "out of " .. label(element.Parent)
  end
  return ""
end

for _, event in ipairs(events()) do
  if event:match("^Ventrilo%.") then
    on(event, function(element, previous)
      print(("%6.2fs  %-32s %-32s %s"):format(pulses / 60, event, label(element), detail(event, element, previous)))
    end)
  end
end
