function love.conf(t)
  t.window.width = 1024
  t.window.height = 768
  t.modules.audio = false
  t.modules.sound = false
end
