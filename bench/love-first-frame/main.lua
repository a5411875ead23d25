-- A trivial scene for the start-up bench: one coloured rectangle. Right
-- after its first frame is presented it prints "first frame" and flushes,
-- then waits to be stopped.
function love.run()
  local presented = false
  return function()
    love.event.pump()
    for name in love.event.poll() do
      if name == "quit" then return 0 end
    end
    love.graphics.origin()
    love.graphics.clear(0.2, 0.3, 0.4, 1)
    love.graphics.setColor(0.9, 0.6, 0.2, 1)
    love.graphics.rectangle("fill", 100, 100, 300, 200)
    love.graphics.present()
    if not presented then
      presented = true
      io.stdout:write("first frame\n")
      io.stdout:flush()
    end
    love.timer.sleep(0.1)
  end
end
