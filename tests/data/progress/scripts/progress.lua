-- The progress screen: the current player's avatar, counters and quest
-- map text as stored, four avatar buttons ("gnf_changeAvatar"), Save
-- ("gfn_changeUserData": load, then save) and Quit. Each value is printed
-- too, so that the check can read what the screen shows.

local kButton = { 'gpx/ui/button_small_off.png', 'gpx/ui/button_small_on.png',
                  'gpx/ui/button_small_off_over.png' }
local kFont = { 'fonts/default.mvec', 22, { 0.20, 0.16, 0.30, 1 } }
local kSmallFont = { 'fonts/default.mvec', 14, { 0.20, 0.16, 0.30, 1 } }
local kButtonFont = { 'fonts/default.mvec', 22, { 1, 1, 1, 1 } }
local kLeft = kHAlignLeft + kVAlignCenter

local function ProgressButton(name, label, x, y, command)
    return Button { name = name, x = x, y = y, graphics = kButton, command = command,
        Text { name = 'label', label = '#' .. label, x = 0, y = 0, w = 160, h = 48,
               flags = kHAlignCenter + kVAlignCenter, font = kButtonFont },
    }
end

-- The quest map's text in lines of 60 characters: it has no spaces to
-- break at.
local function Lines(text)
    local lines = {}
    for i = 1, string.len(text), 60 do
        table.insert(lines, string.sub(text, i, i + 59))
    end
    return table.concat(lines, '\n')
end

local function Show(name, text)
    SetLabel(name, text)
    print(name .. ': ' .. text)
end

function ProgressRefresh()
    Show('avatar', gfn_getCurrentUserAvatar())
    Show('version', tostring(qvd_getCurrentUserInt('UserDataVersion', -1)))
    Show('bomb', tostring(qvd_getCurrentUserInt('UserBomb', -1)))
    local quest = qvd_getCurrentUserString('UserMetamap', '')
    SetLabel('quest', Lines(quest))
    print('quest: ' .. quest)
    print('progress shown')
end

local function Avatar(name)
    return function()
        gnf_changeAvatar(name)
        ProgressRefresh()
    end
end

local function Save()
    gfn_changeUserData()
    ProgressRefresh()
end

MakeDialog {
    Window { name = 'progress', x = 112, y = 84, w = 800, h = 600,
        Bitmap { name = 'backdrop', image = 'gpx/ui/panel_600x400.png', x = 100, y = 0 },
        Text { name = 'title', label = '#Stored progress', x = 0, y = 20, w = 800, h = 40,
               flags = kHAlignCenter + kVAlignCenter, font = kFont },
        Text { name = 'avatarTitle', label = '#Avatar:', x = 130, y = 80, w = 160, h = 32,
               flags = kLeft, font = kFont },
        Text { name = 'avatar', label = '#', x = 300, y = 80, w = 300, h = 32, flags = kLeft,
               font = kFont },
        Text { name = 'versionTitle', label = '#Version:', x = 130, y = 120, w = 160, h = 32,
               flags = kLeft, font = kFont },
        Text { name = 'version', label = '#', x = 300, y = 120, w = 300, h = 32, flags = kLeft,
               font = kFont },
        Text { name = 'bombTitle', label = '#Bombs:', x = 130, y = 160, w = 160, h = 32,
               flags = kLeft, font = kFont },
        Text { name = 'bomb', label = '#', x = 300, y = 160, w = 300, h = 32, flags = kLeft,
               font = kFont },
        Text { name = 'quest', label = '#', x = 130, y = 200, w = 540, h = 190,
               flags = kHAlignLeft + kVAlignTop, font = kSmallFont },
        ProgressButton('boy', 'boy', 40, 420, Avatar('boy')),
        ProgressButton('girl', 'girl', 230, 420, Avatar('girl')),
        ProgressButton('dog', 'dog', 420, 420, Avatar('dog')),
        ProgressButton('cat', 'cat', 610, 420, Avatar('cat')),
        ProgressButton('save', 'Save', 230, 500, Save),
        ProgressButton('quit', 'Quit', 420, 500,
                       function() PostMessage(CreateNamedMessage(kQuitNow, '')) end),
    },
}

ProgressRefresh()
