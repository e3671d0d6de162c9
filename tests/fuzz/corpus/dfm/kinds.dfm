object A: TX
  I = -19
  S = 'it''s'#13#10'x' +
    'y'
  E = ''
  N = clBlack
  Z = []
  T = [fsBold, fsItalic]
  B = {
    0A0B
    FF}
  object C: TY
    F.Name = 'q'
  end
end
