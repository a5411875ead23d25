-- a screen script
MakeDialog {
  Window { name = 'panel', w = 100, h = 50 },
}
for i = 1, 3 do if i == 2 then continue end x = i & 3 end
return function() WaitForMessage() end
