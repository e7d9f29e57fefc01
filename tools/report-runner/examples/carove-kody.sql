select (select Label from Norms where MaterialNo = m.Number order by Number limit 1) as Oznaceni,
  m.Name as Nazev
from Mat m
order by m.Number
