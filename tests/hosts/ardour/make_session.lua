-- Creates a session (dummy audio backend) with a stereo track "EQ" carrying the stereo plug-in,
-- sets "Gain 10" to +6 dB and "Output" to -3 dB, lets the engine run so the plug-in takes them,
-- and saves.   ardour7-lua make_session.lua SESSION_DIR
local dir = arg[1]
assert(AudioEngine:set_backend("None (Dummy)", "", ""), "no dummy backend")
local session = create_session(dir, "session", 48000)
assert(session, "the session was not created")
local track = session:new_audio_track(2, 2, nil, 1, "EQ", ARDOUR.PresentationInfo.max_order,
  ARDOUR.TrackMode.Normal, true):front()
local plugin = ARDOUR.LuaAPI.new_plugin(session, "https://vantor.audio/plugins/kestrune#stereo",
  ARDOUR.PluginType.LV2, "")
assert(not plugin:isnil(), "Ardour does not find the plug-in")
assert(track:add_processor_by_index(plugin, 0, nil, true) == 0, "the plug-in was not added")
-- Control inputs in port order: the 31 gains first, "Output" is the 43rd.
assert(ARDOUR.LuaAPI.set_processor_param(plugin, 10, 6.0))
assert(ARDOUR.LuaAPI.set_processor_param(plugin, 42, -3.0))
ARDOUR.LuaAPI.usleep(500000)
session:save_state("")
print("created " .. dir .. " with " .. plugin:to_insert():plugin(0):name())
close_session()
