-- chorister: what scripts over the Chorister module use again and again.
-- chorister-host loads it before the script (as the global `chorister`), and
-- any script may ask for it by name:
--
--   local chorister = require("chorister")
--   for instance in chorister.instances() do
--     for user in chorister.users(instance) do print(user) end
--   end
--
-- It also tells the host what the host cannot learn from the module's types:
-- how many arguments the members and methods that take some want (so that
-- user:SetMetadata("k") is an argument error, not a silent false), and how an
-- instance and the top-level object print (Instance #1 (online),
-- Ventrilo (2 instances)).

local chorister = {}

-- An iterator that gives `first`, then step(previous) until that is nil.
local function chain(first, step)
  local nextOne = first
  return function()
    local current = nextOne
    if current ~= nil then
      nextOne = step(current)
    end
    return current
  end
end

-- instances(): every client instance, oldest first.
function chorister.instances()
  return chain(Ventrilo and Ventrilo.Instances, function(instance) return instance.NextInstance end)
end

-- children(element): the element's children in their order (name order when
-- each joined).
function chorister.children(element)
  return chain(element.Children, function(child) return child.Next end)
end

-- descendants(element): every element below `element`, each before its own
-- children, as WalkTree goes (for an instance: the server first).
function chorister.descendants(element)
  local pending = {element.Children}
  return function()
    while #pending > 0 do
      local current = pending[#pending]
      if current ~= nil then
        pending[#pending] = current.Next
        pending[#pending + 1] = current.Children
        return current
      end
      pending[#pending] = nil
    end
  end
end

-- users(element): the users below `element` (an instance, server or channel).
function chorister.users(element)
  local all = chorister.descendants(element)
  return function()
    for candidate in all do
      if candidate.Type == "User" then
        return candidate
      end
    end
  end
end

-- The module's events, when this is the module the host runs.
local declared = {}
for _, name in ipairs(events()) do
  declared[name] = true
end
local ventrilo = declared["Ventrilo.OnJoinedParent"] ~= nil

-- moved(f): calls f(element, from, to) each time an element moves from one
-- parent to another. A move is an "OnLeavingParent" then an "OnJoinedParent"
-- of the same element in the same pulse; an element that leaves the instance
-- leaves its parent and joins none, and one that arrives joins its parent
-- without leaving one: neither is a move.
function chorister.moved(f)
  assert(ventrilo, "moved() needs the Chorister module")
  local from = setmetatable({}, {__mode = "k"})
  on("Ventrilo.OnLeavingParent", function(element) from[element] = element.Parent end)
  on("Ventrilo.OnJoinedParent", function(element)
    local previous = from[element]
    from[element] = nil
    if previous ~= nil then
      f(element, previous, element.Parent)
    end
  end)
  on("Host.OnPulse", function()
    -- What left without coming back this pulse was no move.
    for element in pairs(from) do from[element] = nil end
  end)
  return f
end

if ventrilo and describe then
  -- Whether each instance is online, as its events tell; an instance met
  -- before them is online when it has a server.
  local online = setmetatable({}, {__mode = "k"})
  on("Ventrilo.OnOnline", function(instance) online[instance] = true end)
  on("Ventrilo.OnOffline", function(instance) online[instance] = false end)

  describe("ventriloelement", {arguments = {GetMetadata = 1, SetMetadata = 2, UnsetMetadata = 1}})
  describe("ventriloinstance", {
    arguments = {Find = 1},
    text = function(instance, label)
      local state = online[instance]
      if state == nil then
        state = instance.Children ~= nil
      end
      return label .. (state and " (online)" or " (offline)")
    end,
  })
  describe("ventrilo", {
    text = function(_, label)
      local count = 0
      for _ in chorister.instances() do
        count = count + 1
      end
      return ("%s (%d instance%s)"):format(label, count, count == 1 and "" or "s")
    end,
  })
end

return chorister
