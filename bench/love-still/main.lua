-- One still picture the size of the window, drawn again every 12 ms, as a
-- program at rest that redraws its whole screen would. After a warm-up of
-- STILL_WARMUP seconds (2) it counts the frames and the processor time (every
-- thread) over STILL_SECONDS seconds (10) and prints one line:
--   love: N frames in T s, processor C s = X ms/frame
local warmup = tonumber(os.getenv("STILL_WARMUP") or "2")
local seconds = tonumber(os.getenv("STILL_SECONDS") or "10")
local cadence = 0.012

function love.run()
  local w, h = love.graphics.getDimensions()
  local data = love.image.newImageData(w, h)
  data:mapPixel(function(x, y) return x / w, y / h, 0.5, 1 end)
  local picture = love.graphics.newImage(data)
  local start = love.timer.getTime()
  local next = start
  local frames, t0, c0 = 0, nil, nil
  return function()
    love.event.pump()
    for name in love.event.poll() do
      if name == "quit" then return 0 end
    end
    love.graphics.origin()
    love.graphics.clear(0, 0, 0, 1)
    love.graphics.draw(picture, 0, 0)
    love.graphics.present()
    local now = love.timer.getTime()
    if t0 then
      frames = frames + 1
      if now - t0 >= seconds then
        local cpu = os.clock() - c0
        print(string.format("love: %d frames in %.2f s, processor %.3f s = %.3f ms/frame",
                            frames, now - t0, cpu, cpu * 1000 / frames))
        return 0
      end
    elseif now - start >= warmup then
      t0, c0 = now, os.clock()
    end
    next = next + cadence
    if next > now then love.timer.sleep(next - now) else next = now end
  end
end
