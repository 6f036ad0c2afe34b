-- The Ardour side of tools/hosts/ardour.sh, run by ardour7-lua, one step per process:
--
--   ardour7-lua ardour-session.lua create DIR NAME
--       a new session with an empty mono track and an empty stereo track, saved
--   ardour7-lua ardour-session.lua first DIR NAME FORMAT RED GREEN BLUE X2 MONO.wav STEREO.wav OUT
--       the two files embedded as clips on the two tracks, Tavine of FORMAT (LV2, LXVST or VST3)
--       inserted on each with its knobs set, each track bounced to OUT/mono.wav and
--       OUT/stereo.wav, the session saved
--   ardour7-lua ardour-session.lua again DIR NAME OUT RED GREEN BLUE X2
--       the saved session reopened and bounced again as it was saved; the knobs that it shows
--       otherwise than they were set are listed in OUT/knobs.txt
--
-- A step that finished its work writes OUT/STEP.done (DIR/create.done for create) before it
-- closes the session: Ardour 7.3 may crash while closing, and the caller tells that crash from a
-- failure by this file. Errors go to stderr and end the step with a non-zero status.

local step = arg[1]

local function say (...)
    io.stderr:write ("ardour: ", table.concat ({ ... }, " "), "\n")
end

local function fail (...)
    say ("FAILED:", ...)
    os.exit (1)
end

local function read_file (path)
    local file = io.open (path, "rb") or fail ("cannot read", path)
    local data = file:read ("a")
    file:close ()
    return data
end

local function write_file (path, data)
    local file = io.open (path, "wb") or fail ("cannot write", path)
    file:write (data)
    file:close ()
end

-- The channel count and length of a WAV file, from its fmt and data chunks.
local function wav_shape (path)
    local data = read_file (path)
    if data:sub (1, 4) ~= "RIFF" or data:sub (9, 12) ~= "WAVE" then
        fail (path, "is no WAV file")
    end
    local channels, block_align
    local at = 13
    while at + 8 <= #data do
        local id, size = data:sub (at, at + 3), string.unpack ("<I4", data, at + 4)
        if id == "fmt " then
            channels, block_align = string.unpack ("<I2", data, at + 10), string.unpack ("<I2", data, at + 20)
        elseif id == "data" then
            if not channels then fail (path, "has its data before its format") end
            return channels, size // block_align
        end
        at = at + 8 + size + size % 2
    end
    fail (path, "has no data")
end

-- 32-bit float WAV, which the comparison reads without a conversion of its own.
local function write_wav (path, rate, channels, frames, sample_at)
    local parts = {}
    for frame = 0, frames - 1 do
        for channel = 0, channels - 1 do
            parts[#parts + 1] = string.pack ("<f", sample_at (frame, channel))
        end
    end
    local samples = table.concat (parts)
    local header = "RIFF" .. string.pack ("<I4", 36 + #samples) .. "WAVE"
        .. "fmt " .. string.pack ("<I4I2I2I4I4I2I2", 16, 3, channels, rate, rate * channels * 4, channels * 4, 32)
        .. "data" .. string.pack ("<I4", #samples)
    write_file (path, header .. samples)
end

-- Ardour 7 writes positions and lengths in superclock ticks, 282240000 a second; "first" checks
-- the lengths it gets back after loading, so a version that counts otherwise fails loudly.
local superclock_rate = 282240000

-- Embeds FILE as a clip at the start of the playlist named TRACK in the saved session XML,
-- as the import dialog's "embed" does: the sources point at the file where it is, one per
-- channel, with a whole-file region and a region on the track's playlist.
local function embed_clip (xml, track, file, rate, next_id)
    local channels, frames = wav_shape (file)
    local path = file:gsub ("&", "&amp;"):gsub ("<", "&lt;"):gsub (">", "&gt;"):gsub ('"', "&quot;")
    local length = string.format ("a%d@a0", frames * (superclock_rate // rate))
    local sources, source_refs = {}, {}
    for channel = 0, channels - 1 do
        local id = next_id ()
        sources[#sources + 1] = string.format (
            '<Source name="%s" type="audio" flags="" id="%d" captured-for="" channel="%d" origin="%s" gain="1"/>',
            path, id, channel, path)
        source_refs[#source_refs + 1] = string.format ('source-%d="%d" master-source-%d="%d"', channel, id, channel, id)
    end
    local function region (whole_file)
        return string.format (
            '<Region name="%s" muted="0" opaque="1" locked="0" video-locked="0" automatic="0" whole-file="%d"'
                .. ' import="1" external="1" sync-marked="0" left-of-split="0" right-of-split="0" hidden="0"'
                .. ' position-locked="0" valid-transients="0" start="a0" length="%s" sync-position="a0"'
                .. ' ancestral-start="a0" ancestral-length="a0@a0" stretch="1" shift="1" layering-index="0"'
                .. ' tags="" contents="0" envelope-active="0" default-fade-in="1" default-fade-out="1"'
                .. ' fade-in-active="1" fade-out-active="1" scale-amplitude="1" id="%d" type="audio" %s channels="%d"/>',
            track .. "-clip", whole_file and 1 or 0, length, next_id (), table.concat (source_refs, " "), channels)
    end

    local function add_to (element, entries)
        local replaced
        entries = entries:gsub ("%%", "%%%%")
        xml, replaced = xml:gsub ("<" .. element .. "/>", "<" .. element .. ">\n" .. entries .. "\n</" .. element .. ">", 1)
        if replaced == 0 then
            xml = xml:gsub ("<" .. element .. ">", "<" .. element .. ">\n" .. entries, 1)
        end
    end
    add_to ("Sources", table.concat (sources, "\n"))
    add_to ("Regions", region (true))

    local pattern = '(<Playlist [^>]-name="' .. track .. '" [^>]-)/>'
    local found
    xml, found = xml:gsub (pattern, "%1>\n" .. region (false):gsub ("%%", "%%%%") .. "\n</Playlist>", 1)
    if found ~= 1 then fail ("no empty playlist for track", track, "in the session file") end
    return xml, frames, channels
end

local function track_named (session, name)
    local route = session:route_by_name (name)
    if route:isnil () or route:to_track ():isnil () then fail ("no track", name) end
    return route:to_track ()
end

local function find_plugin (format)
    for info in ARDOUR.LuaAPI.list_plugins ():iter () do
        if info.name == "Tavine" and info.type == ARDOUR.PluginType[format] then
            return info
        end
    end
    fail ("Ardour found no", format, "Tavine: is the plug-in path set and the scan cached?")
end

-- The controls of Tavine's parameter LABEL: one plug-in parameter for VST2 and VST3, one control
-- port for the LV2. Should another (a property) ever appear beside it, a user would see and
-- automate whichever Ardour lists: all of them must hold the value.
local function controls (insert, label)
    local automatable = insert:to_automatable ()
    local found = {}
    for parameter in automatable:all_automatable_params ():iter () do
        local c = automatable:automation_control (parameter, false)
        if not c:isnil () and c:desc ().label == label then
            found[#found + 1] = { control = c, kind = parameter:type () == ARDOUR.AutomationType.PluginPropertyAutomation and "property" or "port" }
        end
    end
    if #found == 0 then fail ("Tavine has no parameter", label) end
    return found
end

local knob_labels = { "red", "green", "blue", "x2" }

local format_names = {}
for _, name in ipairs ({ "LV2", "LXVST", "VST3" }) do
    format_names[ARDOUR.PluginType[name]] = name
end

-- Tavine as the only plug-in on TRACK. When VALUES are given, a description of every control
-- that does not hold its value, or nil.
local function tavine_on (track, values)
    local insert = track:nth_plugin (0)
    if insert:isnil () then fail ("no plug-in on track", track:name ()) end
    if insert:display_name () ~= "Tavine" then fail ("track", track:name (), "holds", insert:display_name (), "not Tavine") end
    if not track:nth_plugin (1):isnil () then fail ("more than one plug-in on track", track:name ()) end
    local plugin_insert = insert:to_plugininsert ()
    local shown, wrong = {}, {}
    for i, label in ipairs (knob_labels) do
        local found = controls (insert, label)
        for _, c in ipairs (found) do
            local value = c.control:get_value ()
            local name = #found > 1 and label .. " (" .. c.kind .. ")" or label
            shown[#shown + 1] = string.format ("%s %.3f", name, value)
            if values and math.abs (value - values[i]) > 1.0e-3 then
                wrong[#wrong + 1] = string.format ("%s %.3f, set %.3f", name, value, values[i])
            end
        end
    end
    say (string.format ("%s: Tavine %s, %d instance(s), %d in, %d out, latency %d; %s", track:name (),
        format_names[plugin_insert:type ()] or tostring (plugin_insert:type ()), plugin_insert:get_count (),
        insert:input_streams ():n_audio (), insert:output_streams ():n_audio (), insert:signal_latency (),
        table.concat (shown, ", ")))
    if #wrong > 0 then
        return track:name () .. ": " .. table.concat (wrong, "; ")
    end
end

-- The clip on TRACK as its playlist holds it.
local function clip_on (track)
    local regions = {}
    for region in track:playlist ():region_list ():iter () do
        regions[#regions + 1] = region
    end
    if #regions ~= 1 then fail ("track", track:name (), "holds", #regions, "regions, not its clip") end
    return regions[1]:to_audioregion ()
end

-- Bounces TRACK over its clip, with its plug-ins and fader but before its panner (what the
-- track makes, not how the master mixes it), and writes the result to PATH.
local function render (session, track, path)
    local clip = clip_on (track)
    local first = clip:position ():samples ()
    local frames = clip:length ():samples ()
    local bounced = track:bounce_range (first, first + frames, ARDOUR.InterThreadInfo (), track:main_outs (), false, track:name () .. "-render")
    if bounced:isnil () then fail ("Ardour could not bounce", track:name ()) end
    bounced = bounced:to_audioregion ()
    local channels = bounced:n_channels ()
    local readable = bounced:to_readable ()
    local length = bounced:length ():samples ()
    if length ~= frames then fail ("the bounce of", track:name (), "holds", length, "frames, not", frames) end

    local block = 8192
    local buffer = ARDOUR.DSP.DspShm (block)
    local samples = {}
    for channel = 0, channels - 1 do
        local column = {}
        for start = 0, frames - 1, block do
            local count = math.min (block, frames - start)
            local got = readable:read (buffer:to_float (0), start, count, channel)
            if got ~= count then fail ("read", got, "of", count, "bounced frames of", track:name ()) end
            local values = buffer:to_float (0):get_table (count)
            for i = 1, count do column[start + i] = values[i] end
        end
        samples[channel] = column
    end
    write_wav (path, session:nominal_sample_rate (), channels, frames, function (frame, channel) return samples[channel][frame + 1] end)
    say (string.format ("%s: bounced %d frames, %d channel(s)", track:name (), frames, channels))
end

local function done (marker)
    write_file (marker, "")
    say (step, "finished; closing the session")
    close_session ()
end

local function save_and_finish (session, marker)
    if session:save_state ("", false, false, false, false, false) ~= 0 then fail ("cannot save the session") end
    done (marker)
end

if step == "create" then
    local dir, name = arg[2], arg[3]
    local session = create_session (dir, name, 48000) or fail ("cannot create a session in", dir)
    for _, shape in ipairs ({ { "mono", 1 }, { "stereo", 2 } }) do
        local tracks = session:new_audio_track (shape[2], 2, nil, 1, shape[1], ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true)
        if tracks:size () ~= 1 then fail ("cannot add the", shape[1], "track") end
        -- Strict I/O is what Ardour's own dialog gives a new track: the track keeps its channel
        -- count through its plug-ins.
        tracks:front ():set_strict_io (true)
    end
    save_and_finish (session, dir .. "/create.done")

elseif step == "first" then
    local dir, name, format = arg[2], arg[3], arg[4]
    local values = { tonumber (arg[5]), tonumber (arg[6]), tonumber (arg[7]), tonumber (arg[8]) }
    local clips = { mono = arg[9], stereo = arg[10] }
    local out = arg[11]

    -- The clips go into the saved session file, as the import would have put them: a headless
    -- session has no import of its own.
    local session_file = dir .. "/" .. name .. ".ardour"
    local xml = read_file (session_file)
    local rate = tonumber (xml:match ('<Session [^>]-sample%-rate="(%d+)"')) or fail ("no sample rate in", session_file)
    local counter = tonumber (xml:match ('<Session [^>]-id%-counter="(%d+)"')) or fail ("no id counter in", session_file)
    local function next_id ()
        counter = counter + 1
        return counter
    end
    local expected = {}
    for _, track in ipairs ({ "mono", "stereo" }) do
        local frames, channels
        xml, frames, channels = embed_clip (xml, track, clips[track], rate, next_id)
        expected[track] = { frames = frames, channels = channels }
    end
    xml = xml:gsub ('(<Session [^>]-id%-counter=")%d+"', "%1" .. (counter + 1) .. '"', 1)
    write_file (session_file, xml)

    local session = load_session (dir, name) or fail ("cannot open the session in", dir)
    local info = find_plugin (format)

    for _, track_name in ipairs ({ "mono", "stereo" }) do
        local track = track_named (session, track_name)
        local clip = clip_on (track)
        if clip:length ():samples () ~= expected[track_name].frames or clip:n_channels () ~= expected[track_name].channels then
            fail ("the", track_name, "clip came back with", clip:length ():samples (), "frames and", clip:n_channels (), "channel(s)")
        end
        -- A new region fades in and out over 64 samples, which shapes the first and last
        -- frames of every render: the clips play as they are, as with the fades switched off
        -- by hand.
        clip:set_fade_in_active (false)
        clip:set_fade_out_active (false)
        local insert = ARDOUR.LuaAPI.new_plugin (session, info.unique_id, info.type, "")
        if insert:isnil () then fail ("Ardour could not load the", format, "Tavine") end
        if track:add_processor_by_index (insert, 0, nil, true) ~= 0 then fail ("cannot insert Tavine on", track_name) end
        for i, label in ipairs (knob_labels) do
            for _, c in ipairs (controls (insert, label)) do
                c.control:set_value (values[i], PBD.GroupControlDisposition.NoGroup)
            end
        end
    end
    -- Let the values reach the plug-ins through a few process cycles, as they would in a
    -- session that plays.
    ARDOUR.LuaAPI.wait_for_process_callback (4, 2000)

    for _, track_name in ipairs ({ "mono", "stereo" }) do
        local track = track_named (session, track_name)
        local wrong = tavine_on (track, values)
        if wrong then fail ("right after setting them,", wrong) end
        render (session, track, out .. "/" .. track_name .. ".wav")
    end
    save_and_finish (session, out .. "/first.done")

elseif step == "again" then
    local dir, name, out = arg[2], arg[3], arg[4]
    local values = { tonumber (arg[5]), tonumber (arg[6]), tonumber (arg[7]), tonumber (arg[8]) }
    local session = load_session (dir, name) or fail ("cannot reopen the session in", dir)
    if session:unknown_processors ():size () > 0 then
        fail ("the reopened session lost plug-ins:", session:unknown_processors ():front ())
    end
    -- A plug-in tells the host its restored values in its first process cycles, as it would in
    -- a session that plays.
    ARDOUR.LuaAPI.wait_for_process_callback (4, 2000)

    -- The knobs as the reopened session shows them are reported, not fatal here: the renders
    -- still tell whether the plug-in plays them.
    local wrong = {}
    for _, track_name in ipairs ({ "mono", "stereo" }) do
        local track = track_named (session, track_name)
        wrong[#wrong + 1] = tavine_on (track, values)
        render (session, track, out .. "/" .. track_name .. ".wav")
    end
    if #wrong > 0 then
        write_file (out .. "/knobs.txt", table.concat (wrong, "; ") .. "\n")
    end
    done (out .. "/again.done")

else
    fail ("unknown step", tostring (step), "(create, first or again)")
end
