x = [[
ab]]
y = "c\" -- tail
