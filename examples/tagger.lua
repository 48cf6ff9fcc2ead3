-- Tagger: marks every user that a query finds with metadata, once, and tells
-- when a marked user changes. The query is a Lua expression over a user's
-- members.
--
--   CHORISTER_TAG_QUERY='IsMuted or Rank == "Officer"' chorister-host --script examples/tagger.lua

local chorister = require("chorister")

local query = os.getenv("CHORISTER_TAG_QUERY") or 'IsMuted or Rank == "Officer"'
local tag = "tagged"
local dirty = true

-- Find gives the first match in the tree, so matches already tagged are left
-- out of the query until none is left.
local untagged = ('Type == "User" and self:GetMetadata(%q) == nil and (%s)'):format(tag, query)

local function tagAll()
  for instance in chorister.instances() do
    local user = instance:Find(untagged)
    while user and user:SetMetadata(tag, query) do
      print(("tagged %s in %s"):format(user, instance))
      user = instance:Find(untagged)
    end
  end
end

for _, event in ipairs(events()) do
  if event:match("^Ventrilo%.") then
    on(event, function(element)
      dirty = true
      if event ~= "Ventrilo.OnJoinedInstance" and element.Type == "User" and element:GetMetadata(tag) then
        print(("tagged user %s: %s"):format(element.Name, event))
      end
    end)
  end
end

on("Host.OnPulse", function()
  if dirty then
    dirty = false
    tagAll()
  end
end)
