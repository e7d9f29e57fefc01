select t.Name as Typ,
  (select Label from Norms where MaterialNo = m.Number order by Number limit 1) as Oznaceni,
  (select Name from Norms where MaterialNo = m.Number order by Number limit 1) as Norma,
  m.Name as Nazev, m.Purpose as Pouziti
from Mat m join MatTypes t on t.Number = m.TypeNo
order by t.Number, Oznaceni
