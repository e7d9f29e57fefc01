#pragma once
// What the fuzz targets share: a report model with a few fields, parameters and functions
// that loads no pictures, and a check that stops the run with a message.

#include "report/model/ReportModel.h"

#include <cstdio>
#include <cstdlib>

namespace fuzz {

class FuzzReport : public orv::TSestavaModel {
public:
    FuzzReport()
    {
        SetFieldNames({"Number", "Name", "Price", "Cena_2", "Note$"});
        FieldLabels = {"Číslo", "Název", "Cena", "Cena 2", "Pozn."};
        Parametry = {"12,5", "abc", "", "-3"};
        for (int i = 0; i < 3; ++i) {
            orv::TRadekFunkce *f = Functions.add();
            f->Expression = QStringLiteral("#%1").arg(i + 1);
            f->Aggregation = i + 1;
        }
    }
    bool LoadPicture(const QString &, QImage &picture) override
    {
        picture = QImage();
        return false;
    }
    orv::TCalcType FieldValue(int n) const override
    {
        orv::TCalcType v;
        if (n < 0 || n >= FieldCount())
            return orv::TSestavaModel::FieldValue(n);
        v.Kind = n == 1 ? orv::TCalcType::KindText : orv::TCalcType::KindNumber;
        v.Number = n * 1.5 - 2;
        v.Text = n == 1 ? QStringLiteral("Ocel 11 373") : QString::number(v.Number);
        v.IsNull = n == 4;
        return v;
    }
};

inline void check(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

} // namespace fuzz
