-- The demo: every event as it happens, and the live roster of every client.
-- This is what chorister-host runs when no script is given.

local folder = debug.getinfo(1, "S").source:match("^@(.*/)") or "./"
dofile(folder .. "event-logger.lua")
dofile(folder .. "roster.lua")
