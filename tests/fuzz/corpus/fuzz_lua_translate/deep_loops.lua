local n = 0
while n < 1000 do
  for i1 = 1, 2 do
    repeat
      while n < 1000 do
        for i4 = 1, 2 do
          repeat
            while n < 1000 do
              for i7 = 1, 2 do
                repeat
                  while n < 1000 do
                    for i10 = 1, 2 do
                      repeat
                        while n < 1000 do
                          for i13 = 1, 2 do
                            repeat
                              while n < 1000 do
                                for i16 = 1, 2 do
                                  repeat
                                    while n < 1000 do
                                      for i19 = 1, 2 do
                                        repeat
                                          while n < 1000 do
                                            for i22 = 1, 2 do
                                              repeat
                                                while n < 1000 do
                                                  for i25 = 1, 2 do
                                                    repeat
                                                      while n < 1000 do
                                                        for i28 = 1, 2 do
                                                          repeat
                                                            while n < 1000 do
                                                              for i31 = 1, 2 do
                                                                repeat
                                                                  while n < 1000 do
                                                                    for i34 = 1, 2 do
                                                                      repeat
                                                                        while n < 1000 do
                                                                          for i37 = 1, 2 do
                                                                            repeat
                                                                              while n < 1000 do
                                                                                n = n + 1 if n == 3 then continue 7 end if n > 9 then break 40 end
                                                                              end
                                                                            until n > 0
                                                                          end
                                                                        end
                                                                      until n > 0
                                                                    end
                                                                  end
                                                                until n > 0
                                                              end
                                                            end
                                                          until n > 0
                                                        end
                                                      end
                                                    until n > 0
                                                  end
                                                end
                                              until n > 0
                                            end
                                          end
                                        until n > 0
                                      end
                                    end
                                  until n > 0
                                end
                              end
                            until n > 0
                          end
                        end
                      until n > 0
                    end
                  end
                until n > 0
              end
            end
          until n > 0
        end
      end
    until n > 0
  end
end
return n & 255 | 1 << 2
