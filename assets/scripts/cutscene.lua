-- A story cut-scene (the intro unless gCutsceneFile names another): it
-- waits at its stops for Continue, Space or Enter; Skip ends it; at its end
-- CloseCSWindow() closes the window.
ReadFile('scripts/common.lua')

function CloseCSWindow()
    CloseWindow()
end

MakeDialog {
    Bitmap { name = 'bmpBackground', image = 'gpx/menu/background.jpg', x = 0, y = 0 },
    wndCutscene {
        name = 'wndCutscene', x = 0, y = 0, w = 1024, h = 768,
        cutsceneFile = gCutsceneFile or 'anim/intro.xml', onFinish = true, speed = 1,
        LabelledButton('btnContinue', 'common_continue', 432, 660, false,
                       { default = true, command = function() cutsceneResume() end }),
        LabelledButton('btnSkip', 'common_skip', 840, 700, false,
                       { cancel = true, command = function() cutsceneSkip() end }),
    },
}
