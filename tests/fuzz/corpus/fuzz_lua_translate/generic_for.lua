local t = {a = 1, 2}
for k, v in t do
  if k == 1 then continue end
  for i, w in t, nil, 1 do break 2 end
end
for k in next, t do end
