object A: TX
  Left = 1
  Left = 2
end
