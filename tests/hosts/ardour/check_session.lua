-- Loads the session make_session.lua wrote and prints the plug-in and its values as Ardour
-- restored them.   ardour7-lua check_session.lua SESSION_DIR
local dir = arg[1]
assert(AudioEngine:set_backend("None (Dummy)", "", ""), "no dummy backend")
local session = load_session(dir, "session")
assert(session, "the session did not load")
local route = session:route_by_name("EQ")
assert(not route:isnil(), "no track EQ")
local plugin = route:nth_plugin(0)
assert(not plugin:isnil(), "no plug-in on the track")
ARDOUR.LuaAPI.usleep(200000)
print("plugin: " .. plugin:to_insert():plugin(0):name())
for _, which in ipairs({10, 17, 42}) do
  print(string.format("param %d: %g", which, ARDOUR.LuaAPI.get_processor_param(plugin, which, true)))
end
close_session()
