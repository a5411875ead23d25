#include "framework/ui/script/ScreenInitLibrary.h"

const char kScreenInitLibraryName[] = "=gScreenInit";

const char kScreenInitLibrary[] = R"lua(
LUA_PATH = "?;../?;../../?"

kHAlignLeft = 0
kHAlignCenter = 1
kHAlignRight = 2
kVAlignTop = 0
kVAlignCenter = 4
kVAlignBottom = 8

kPush = 0
kToggle = 1
kRadio = 2

kAllLayers = -1
kCenter = 80000
kMax = 160000
kDefault = 128

kPushButtonAlignment = kHAlignCenter + kVAlignCenter
kRadioButtonAlignment = kHAlignLeft + kVAlignCenter
kToggleButtonAlignment = kHAlignCenter + kVAlignCenter

kGeneric = 0
kCloseWindow = kGeneric + 1
kDefaultAction = kCloseWindow + 1
kButtonPress = kDefaultAction + 1
kPressAnyKey = kButtonPress + 1
kQuitNow = kPressAnyKey + 1
kModalClosed = kQuitNow + 1
kTextEditChanged = kModalClosed + 1
kCommandOnly = kTextEditChanged + 1
kSliderValChanged = kCommandOnly + 1
kSliderMouseUp = kSliderValChanged + 1
kSliderPageUp = kSliderMouseUp + 1
kSliderPageDown = kSliderPageUp + 1
kUserMessageBase = 1000

kCmdLine = "cmdline"
kLevel = "level"
kSubLevel = "sublevel"
kPause = "pause"
kMute = "mute"
kBreakNow = "breaknow"
kScore = "score"
kGameMode = "gamemode"
kGameOver = "gameover"
kNoMoreContent = "nomorecontent"
kDownloadButton = "downloadbutton"
kUpsellFrequency = "upsellfrequency"
kRestartButton = "restartbutton"
kSystemMode = "systemmode"
kMaxLevel = "maxlevel"

gReturnValue = nil

kCheatMode = "cheatmode"
kComputerId = "computerid"
kInstallKey = "installkey"
kGameName = "gamename"
kGameVersion = "version"
kEncryptionKey = "encryptionkey"
kHiscoreLocalOnly = "hiscorelocal"
kHiscoreAnonymous = "hiscoreanon"

idtable = {}
gParent = {}
gCurrentDefaultStyle = {}
gCurID = 100
gBeginGroup = 0
gClosedWindows = {}
gCommandQueue = {}
gMessageQueue = {}
gDialogTable = {}

function Color(r, g, b, a)
    if not a then a = 255 end
    return { r / 255, g / 255, b / 255, a / 255 }
end

function FColor(r, g, b, a)
    if not a then a = 1 end
    return { r, g, b, a }
end

function Push(w)
    table.insert(gParent, 1, w)
end

function Pop()
    table.remove(gParent, 1)
end

function DoWindow(t)
    t.beginGroup = gBeginGroup
    gBeginGroup = 0
    -- A type without a creator makes nothing: its children and name must
    -- not land on the window that would have been its parent.
    if GenericCreate(t) then
        MakeDialog(t)
        PopWindow()
    end
end

function DoDialogCommand(index, command)
    command()
end

function MakeDialog(t)
    local style = gCurrentDefaultStyle
    if type(t.name) == "string" and t.name ~= "" then
        SetWindowName(t.name)
    end
    table.foreachi(t, DoDialogCommand)
    typename = t.typename
    gCurrentDefaultStyle = style
    if typename then
        PostCreate(t, typename)
    end
end

function Creating(name, t)
end

function SetBeginGroup()
    gBeginGroup = 1
end

function BeginGroup()
    return function() SetBeginGroup() end
end

function GetTag(t, key, ...)
    local value = t[key]
    if value ~= nil and value ~= false then
        return value
    end
    if arg.n == 0 then
        return GetTag(gCurrentDefaultStyle, key, true)
    end
    if t.parent then
        return GetTag(t.parent, key, true)
    end
    return nil
end

function SetDefaultStyle(s)
    gCurrentDefaultStyle = s
end

function SetStyle(s)
    return function() SetDefaultStyle(s) end
end

function AppendStyle(s)
    return function()
        s.parent = gCurrentDefaultStyle
        SetDefaultStyle(s)
    end
end

function SetFocus(w)
    RealSetFocus(w)
end

function SetDefault(x)
    return function() end
end

function DistributeX(n)
    local positions = {}
    divisor = n + 1
    for i = 1, n do
        d = i / divisor
        positions[i] = d * gDialogWidth
    end
    return positions
end

function DistributeY(n)
    local positions = {}
    local divisor = n + 1
    for i = 1, n do
        positions[i] = i / divisor * gDialogHeight
    end
    return positions
end

function WaitForCloseMessage(name)
    while true do
        local m = WaitForMessage()
        if m then
            gLastMessage = m
            if m.type == kModalClosed then
                if m.name == name then
                    return
                end
                gClosedWindows[m.name] = true
            end
        end
        if gClosedWindows[name] then
            gClosedWindows[name] = nil
            return
        end
    end
end

function DoModal(file)
    local name = PushModal(file)
    ReadFile(file)
    DoFitToChildren()
    WaitForCloseMessage(name)
    local value = gReturnValue
    gReturnValue = nil
    return value
end

function DoMainWindow(file)
    PushModal(file)
    local depth = GetWindowDepth()
    ReadFile(file)
    DoFitToChildren()
    while true do
        local m = WaitForMessage()
        if m then
            gLastMessage = m
            if GetWindowDepth() < depth then
                return
            end
        end
    end
end

function ModalReturn(v)
    gReturnValue = v
end

function DisplaySplash(movie, image, time)
    local name = PushModal("DisplaySplash")
    local translate = GetTag(gCurrentDefaultStyle, "translate") or false
    local allowInput = GetTag(gCurrentDefaultStyle, "allowInput") or false
    inMovie = StartMovie(movie, translate, allowInput)
    local finish = GetTimer() + time
    local disableAbort = GetTag(gCurrentDefaultStyle, "disableAbort")
    local showLoop = true
    if not inMovie then
        local overlay = GetTag(gCurrentDefaultStyle, "splashoverlay")
        if not overlay then
            overlay = Group {}
        end
        if not image then
            return
        end
        MakeDialog { Bitmap { name = "splashimage", image = image, autoscale = true, overlay } }
        UpdateWindow()
        Pause(50)
        UpdateWindow()
        Pause(50)
        showLoop = ImageLoaded("splashimage")
    end
    while showLoop do
        local m = WaitForMessage(1)
        if not inMovie and GetTimer() > finish then
            break
        end
        if m then
            if m.type == kCloseWindow then
                break
            end
            if m.type == kModalClosed then
                if m.name == name then
                    break
                end
                gClosedWindows[m.name] = true
            end
            if not disableAbort and m.type == kPressAnyKey then
                break
            end
        end
        if inMovie and not IsMoviePlaying() then
            break
        end
    end
    if IsMoviePlaying() then
        StopMovie()
    end
    PopModal(name)
end

function FlushMessages()
    while true do
        local m = HandleGetMessage(1)
        if not m then
            break
        end
    end
    gCommandQueue = {}
    gMessageQueue = {}
end

function WaitForMessage(timeout, skipQueue)
    if not skipQueue and table.getn(gMessageQueue) > 0 then
        message = table.remove(gMessageQueue)
        return message
    end
    local m, f
    if timeout then
        m, f = HandleGetMessage(timeout)
    else
        m, f = HandleGetMessage()
    end
    if f then
        gYieldResult = f()
    elseif table.getn(gCommandQueue) > 0 then
        local command = table.remove(gCommandQueue)
        gYieldResult = command()
    end
    return m
end

function Yield()
    return coroutine.yield()
end

function ReadFile(name)
    return dofile("assets/" .. name)
end

function CloseWindow(v)
    PostMessage(CreateCloseMessage())
    if v ~= nil then
        ModalReturn(v)
    end
end

function CustomCreator(x)
end

function GetString(id, a1, a2, a3, a4, a5)
    return _GetString(id, a1 or "", a2 or "", a3 or "", a4 or "", a5 or "")
end

function SetBitmap(a, b, c)
    if not c then c = 1 end
    _SetBitmap(a, b, c)
end

function PopModal(name)
    DoPopModal(name)
end

function SwapToModal(file)
    ClearModalChildren()
    ReadFile(file)
    DoFitToChildren()
end

function DisplayDialog(t)
    local file = t[1]
    if not file or file == "" then
        DebugOut("DisplayDialog called with empty script; aborting")
        return
    end
    local name = PushModal(file)
    gDialogTable = t
    ReadFile(file)
    WaitForCloseMessage(name)
    local value = gReturnValue
    gReturnValue = nil
    return value
end

function SelectLayer(n)
    return function() DoSelectLayer(n) end
end

function Group(t)
    return function() MakeDialog(t) end
end

function FitToChildren()
    return function() DoFitToChildren() end
end

function Pause(ms, breakOnKey)
    local finish = GetTimer() + ms
    while GetTimer() < finish do
        local m = WaitForMessage(finish - GetTimer(), true)
        if m then
            if breakOnKey and m.type == kPressAnyKey then
                return
            end
            table.insert(gMessageQueue, m)
        end
    end
end

function SetState(name, value)
    if type(value) == "boolean" then
        if value then value = 1 else value = 0 end
    end
    _SetState(tostring(name), tostring(value))
end

function RegisterHotkey(key, button)
    if key and button then
        _RegisterHotkey(key, button)
    end
end
)lua";

const size_t kScreenInitLibrarySize = sizeof(kScreenInitLibrary) - 1;
