-- Headless Ardour 7 (ardour7-lua) check of one LV2 plug-in.
--
--   ardour7-lua -- ardour_session.lua render DIR NAME URI PORT SYMBOL VALUE IN_WAV NFRAMES OUT_DIR BINARY
--   ardour7-lua -- ardour_session.lua verify DIR NAME URI PORT SYMBOL
--
-- render: Dummy backend at 44100 Hz, new session NAME in DIR (must not exist),
--         one stereo track playing IN_WAV (stereo, NFRAMES long), plug-in URI
--         inserted pre-fader, LV2 port PORT (symbol SYMBOL) set to VALUE,
--         master exported as 32-bit float WAV to OUT_DIR/render.wav, session saved.
--         BINARY (the plug-in's .so) must be what Ardour dlopen()ed.
-- verify: reopens the saved session and prints the restored port value.
-- Prints PLUGIN_FOUND / PLUGIN_BINARY / PARAM / EXPORTED / SAVED / RESTORED
-- lines; any failure prints "FAIL <reason>" and raises a Lua error (exit 1).

local RATE  = 44100
local TRACK = "LV2 Test"

local function fail (msg)
	print ("FAIL " .. msg)
	error (msg, 0)
end

local function start_engine ()
	local backend = AudioEngine:set_backend ("None (Dummy)", "", "")
	if not backend or backend:isnil () then fail ("no 'None (Dummy)' audio backend") end
	backend:set_device_name ("Silence")
	backend:set_sample_rate (RATE)
	backend:set_buffer_size (1024)
	if AudioEngine:start (false) ~= 0 or not AudioEngine:running () then
		fail ("audio engine did not start: " .. AudioEngine:get_last_backend_error ())
	end
end

local function save ()
	-- save_state (snapshot_name, pending, switch_to_snapshot, template_only, for_archive, only_used_assets)
	if Session:save_state ("", false, false, false, false, false) ~= 0 then fail ("save_state") end
end

-- Ardour's "parameter" numbering counts control ports only; map LV2 port index -> that number
local function param_for_port (proc, port)
	local plug = proc:to_plugininsert ():plugin (0)
	for n = 0, plug:parameter_count () - 1 do
		local pid, refs = plug:nth_parameter (n, true)
		if not refs[2] then break end
		if pid == port then return n, plug end
	end
	fail ("LV2 port " .. port .. " is not a control port")
end

local function find_insert (route, uri)
	local i = 0
	while true do
		local proc = route:nth_plugin (i)
		if proc:isnil () then return nil end
		local pi = proc:to_plugininsert ()
		if not pi:isnil () and pi:plugin (0):unique_id () == uri then return proc end
		i = i + 1
	end
end

-- export format + preset: WAV, 32-bit float, session rate, no dither, no normalisation
local FMT_ID = "6c4d2b1e-6a0b-4c1e-9f43-1f0a3c7e5a01"
local PST_ID = "6c4d2b1e-6a0b-4c1e-9f43-1f0a3c7e5a02"
local function install_export_preset ()
	local dir = ARDOUR.user_config_directory (-1) .. "/export"
	os.execute ("mkdir -p '" .. dir .. "'")
	local f = assert (io.open (dir .. "/lv2test-float.format", "w"))
	f:write ([[<?xml version="1.0" encoding="UTF-8"?>
<ExportFormatSpecification name="lv2test float" id="]] .. FMT_ID .. [[" with-cue="false" with-toc="false" with-mp4chaps="false" command="" analyse="false" soundcloud-upload="false">
  <Encoding id="F_WAV" type="T_Sndfile" extension="wav" name="WAV" has-sample-format="true" channel-limit="256"/>
  <SampleRate rate="SR_Session"/>
  <SRCQuality quality="SRC_SincBest"/>
  <EncodingOptions>
    <Option name="sample-format" value="SF_Float"/>
    <Option name="dithering" value="D_None"/>
    <Option name="tag-metadata" value="false"/>
    <Option name="tag-support" value="false"/>
    <Option name="broadcast-info" value="false"/>
  </EncodingOptions>
  <Processing>
    <Normalize enabled="false" loudness="no" dbfs="0" lufs="-23" dbtp="-1"/>
    <Silence>
      <Start><Trim enabled="false"/><Add enabled="false"><Duration format="Timecode" hours="0" minutes="0" seconds="0" frames="0"/></Add></Start>
      <End><Trim enabled="false"/><Add enabled="false"><Duration format="Timecode" hours="0" minutes="0" seconds="0" frames="0"/></Add></End>
    </Silence>
  </Processing>
</ExportFormatSpecification>
]])
	f:close ()
	f = assert (io.open (dir .. "/lv2test-float.preset", "w"))
	f:write ([[<?xml version="1.0" encoding="UTF-8"?>
<ExportPreset id="]] .. PST_ID .. [[" name="lv2test float">
  <ExportFormat id="]] .. FMT_ID .. [["/>
</ExportPreset>
]])
	f:close ()
end

local mode = arg[1]
local dir, name, uri, port, symbol = arg[2], arg[3], arg[4], tonumber (arg[5]), arg[6]
if not (dir and name and uri and port and symbol) then fail ("usage: see header of ardour_session.lua") end

start_engine ()

-- Lua must not hold Route/Region/Processor references of a session that is
-- closed (luasession then hangs at exit): every phase keeps them in its own
-- function scope, and close () collects garbage before closing.
local function close ()
	collectgarbage ()
	close_session ()
end

local function create_with_placeholder (nframes)
	if not create_session (dir, name, RATE) then fail ("create_session " .. dir) end
	local tl = Session:new_audio_track (2, 2, nil, 1, TRACK, ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true)
	if tl:size () ~= 1 then fail ("new_audio_track") end
	local track = tl:front ()
	-- 7.3's Lua API cannot import files: bounce a silent placeholder region of
	-- the right length; import_wav () then points its sources at the WAV.
	local reg = track:bounce_range (0, nframes, ARDOUR.InterThreadInfo (), track:main_outs (), false, "lv2test_input")
	if reg:isnil () then fail ("bounce_range") end
	reg:to_audioregion ():set_fade_in_active (false)
	reg:to_audioregion ():set_fade_out_active (false)
	track:playlist ():add_region (reg, Temporal.timepos_t (0), 1, false, 0, 0, false)
	save ()
end

-- re-point the placeholder's two mono sources at channel 0/1 of in_wav
-- (an "embedded" source: absolute path, read in place)
local function import_wav (in_wav)
	if in_wav:find ('[&<>"%%]') then fail ("unsupported characters in " .. in_wav) end
	local file = dir .. "/" .. name .. ".ardour"
	local f = assert (io.open (file)); local xml = f:read ("a"); f:close ()
	local nl, nr
	xml, nl = xml:gsub ('name="lv2test_input%%L%.wav"([^>]-)channel="0"', 'name="' .. in_wav .. '"%1channel="0"')
	xml, nr = xml:gsub ('name="lv2test_input%%R%.wav"([^>]-)channel="0"', 'name="' .. in_wav .. '"%1channel="1"')
	if nl ~= 1 or nr ~= 1 then fail ("could not re-point placeholder sources") end
	f = assert (io.open (file, "w")); f:write (xml); f:close ()
end

local function insert_set_export (value, nframes, out_dir, binary)
	local route = Session:route_by_name (TRACK)
	if route:isnil () then fail ("track lost") end
	for r in route:to_track ():playlist ():region_list ():iter () do
		local ar = r:to_audioregion ()
		print (string.format ("REGION %s frames=%d channels=%d peak=%.4f", ar:source (0):name (),
			ar:length ():samples (), ar:n_channels (), ar:maximum_amplitude (nil)))
	end

	-- find the plug-in by URI, instantiate, insert pre-fader, set the port
	local found = false
	for pi in ARDOUR.LuaAPI.list_plugins ():iter () do
		if pi.type == ARDOUR.PluginType.LV2 and pi.unique_id == uri then found = true; break end
	end
	if not found then fail ("plug-in not known to Ardour: " .. uri) end
	print ("PLUGIN_FOUND " .. uri)
	local proc = ARDOUR.LuaAPI.new_plugin (Session, uri, ARDOUR.PluginType.LV2, "")
	if proc:isnil () then fail ("could not instantiate " .. uri) end
	if route:add_processor_by_index (proc, 0, nil, true) ~= 0 then fail ("add_processor_by_index") end
	-- is the expected shared object mapped into this process?
	local mapped = false
	for line in io.lines ("/proc/self/maps") do
		if line:match ("%s(/%S+)$") == binary then mapped = true; break end
	end
	if not mapped then fail ("Ardour did not load " .. binary) end
	print ("PLUGIN_BINARY " .. binary)
	local n, plug = param_for_port (proc, port)
	if not plug:parameter_is_input (port) then fail ("port " .. symbol .. " is not an input") end
	if not ARDOUR.LuaAPI.set_processor_param (proc, n, value) then fail ("set_processor_param (out of range?)") end
	local now = ARDOUR.LuaAPI.get_processor_param (proc, n, true)
	if math.abs (now - value) > 1e-5 * math.max (1, math.abs (value)) then fail ("value did not stick: " .. now) end
	print (string.format ("PARAM %s %.6f label=%s instances=%d", symbol, now, plug:parameter_label (port),
		proc:to_plugininsert ():get_count ()))

	-- export the master bus
	local ex = Session:simple_export ()
	ex:set_folder (out_dir)
	ex:set_name ("render")
	ex:set_range (0, nframes)
	if not ex:set_preset (PST_ID) then fail ("export preset not found") end
	if not ex:check_outputs () then fail ("export: master has no outputs") end
	if not ex:run_export () then fail ("run_export") end
	local out = out_dir .. "/render.wav"
	if not ARDOUR.LuaAPI.file_test (out, ARDOUR.LuaAPI.FileTest.Exists) then fail ("no " .. out) end
	print ("EXPORTED " .. out)
	save ()
	print ("SAVED " .. dir .. "/" .. name .. ".ardour")
end

local function print_restored ()
	local route = Session:route_by_name (TRACK)
	if route:isnil () then fail ("track missing after reload") end
	local proc = find_insert (route, uri)
	if not proc then fail ("plug-in missing after reload (stub/unknown processor?)") end
	local n = param_for_port (proc, port)
	print (string.format ("RESTORED %s %.6f", symbol, ARDOUR.LuaAPI.get_processor_param (proc, n, true)))
end

if mode == "render" then
	local value, in_wav, nframes, out_dir, binary = tonumber (arg[7]), arg[8], tonumber (arg[9]), arg[10], arg[11]
	if not (value and in_wav and nframes and out_dir and binary) then fail ("usage: render needs 11 arguments") end
	install_export_preset ()
	create_with_placeholder (nframes)
	close ()
	import_wav (in_wav)
	if not load_session (dir, name) then fail ("load_session after import") end
	insert_set_export (value, nframes, out_dir, binary)
	close ()
elseif mode == "verify" then
	if not load_session (dir, name) then fail ("load_session " .. dir) end
	print_restored ()
	close ()
else
	fail ("mode must be render or verify")
end
