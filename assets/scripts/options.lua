-- The options: full screen, mute and the two volumes. The sliders act at
-- once; OK stores the volumes.

ReadFile('scripts/common.lua')

local function VolumeSlider(name, x, y)
    return Slider { name = name, x = x, y = y, w = 300, h = 34, hslider = true,
                    railtop = 'gpx/ui/slider_rail_top.png', railmid = 'gpx/ui/slider_rail_mid.png',
                    railbot = 'gpx/ui/slider_rail_bottom.png',
                    sliderimage = 'gpx/ui/slider_knob_h.png',
                    sliderrollimage = 'gpx/ui/slider_knob_h_over.png' }
end

local left = kHAlignLeft + kVAlignCenter

MakeDialog {
    vlkOptionsDialog {
        name = 'dlgOptions', x = 212, y = 150, w = 600, h = 400,
        Bitmap { name = 'bmpPanel', image = 'gpx/ui/panel_600x400.png', x = 0, y = 0 },
        Label('lblTitle', 'options_title', 20, 16, 560, 50, kTitleFont),
        Button { name = 'chkFullScreen', type = kToggle, graphics = kCheckBox, x = 60, y = 90,
                 command = function() qvd_toggleFullScreen() end },
        Label('lblFullScreen', 'options_full_screen', 104, 86, 200, 40, nil, left),
        Button { name = 'chkAudioMute', type = kToggle, graphics = kCheckBox, x = 330, y = 90,
                 command = function() qvd_toggleSoundMute() end },
        Label('lblMute', 'options_mute', 374, 86, 200, 40, nil, left),
        Label('lblSound', 'options_sound', 60, 160, 160, 40, nil, left),
        VolumeSlider('sliderSoundLevel', 230, 163),
        Label('lblMusic', 'options_music', 60, 230, 160, 40, nil, left),
        VolumeSlider('sliderMusicLevel', 230, 233),
        LabelledButton('btnOk', 'common_ok', 220, 320, false, {
            default = true,
            command = function()
                gfn_saveVolumeLevels()
                CloseWindow()
            end,
        }),
    },
}
