-- JSON lines: every event of every client as one JSON object per line on
-- standard output, and nothing else there, for a program in any language:
--
--   chorister-host --script examples/json-lines.lua | python3 reader.py
--
-- Each line has "event" (the full name), "id", "kind" ("Instance", "Server",
-- "Channel" or "User"), "name" and "parent" (the parent's id, or null), and
-- for a change of one attribute "value" (the new one); "old" is the previous
-- value where the event gives one (flags and icon, as numbers). The module's
-- own lines and the host's messages go to standard error.
--
-- Texts come from the client as 8-bit bytes of the Windows code page
-- Windows-1252; they are written as that text in JSON: ASCII as it is, every
-- other character as a \uXXXX escape (so the output is plain ASCII and valid
-- UTF-8), quotes, backslashes and control characters escaped.

-- The characters that Windows-1252 puts at 0x80..0x9F; the five bytes it
-- leaves undefined stay U+0080..U+009F, as in Latin-1.
local cp1252 = {
  [0x80] = 0x20AC, [0x82] = 0x201A, [0x83] = 0x0192, [0x84] = 0x201E, [0x85] = 0x2026,
  [0x86] = 0x2020, [0x87] = 0x2021, [0x88] = 0x02C6, [0x89] = 0x2030, [0x8A] = 0x0160,
  [0x8B] = 0x2039, [0x8C] = 0x0152, [0x8E] = 0x017D, [0x91] = 0x2018, [0x92] = 0x2019,
  [0x93] = 0x201C, [0x94] = 0x201D, [0x95] = 0x2022, [0x96] = 0x2013, [0x97] = 0x2014,
  [0x98] = 0x02DC, [0x99] = 0x2122, [0x9A] = 0x0161, [0x9B] = 0x203A, [0x9C] = 0x0153,
  [0x9E] = 0x017E, [0x9F] = 0x0178,
}

local short = {[0x22] = '\\"', [0x5C] = "\\\\", [0x08] = "\\b", [0x0C] = "\\f", [0x0A] = "\\n", [0x0D] = "\\r",
               [0x09] = "\\t"}

local function escape(byte)
  if short[byte] then
    return short[byte]
  end
  return ("\\u%04x"):format(cp1252[byte] or byte)
end

local function quote(text)
  return '"' .. text:gsub('[%c"\\\128-\255]', function(c) return escape(c:byte()) end) .. '"'
end

local function value(v)
  if v == nil then
    return "null"
  elseif type(v) == "string" then
    return quote(v)
  end
  return tostring(v)
end

-- The attribute whose new value a change event reports.
local changed = {
  ["Ventrilo.OnNameChanged"] = "Name",
  ["Ventrilo.OnDisplayTextChanged"] = "DisplayText",
  ["Ventrilo.OnPronunciationChanged"] = "Pronunciation",
  ["Ventrilo.OnCommentChanged"] = "Comment",
  ["Ventrilo.OnCommentURLChanged"] = "CommentURL",
  ["Ventrilo.OnRankChanged"] = "Rank",
  ["Ventrilo.OnRankIDChanged"] = "RankID",
  ["Ventrilo.OnFlagsChanged"] = "Flags",
  ["Ventrilo.OnIconChanged"] = "IconID",
}

local function line(event, element, old)
  local parent = element.Parent
  local fields = {
    '"event":' .. quote(event),
    '"id":' .. element.ID,
    '"kind":' .. quote(element.Type),
    '"name":' .. quote(element.Name),
    '"parent":' .. (parent and parent.ID or "null"),
  }
  if changed[event] then
    fields[#fields + 1] = '"value":' .. value(element[changed[event]])
  end
  if old ~= nil then
    fields[#fields + 1] = '"old":' .. value(old)
  end
  print("{" .. table.concat(fields, ",") .. "}")
end

for _, event in ipairs(events()) do
  if event:match("^Ventrilo%.") then
    on(event, function(element, old) line(event, element, old) end)
  end
end
