#pragma once
// The value of a report expression, a reference or a report function. Every value carries
// both a number and a text; which of them counts depends on the kind and the operation.

#include <QString>

namespace orv {

struct TCalcType {
    enum : int { KindOther = 0, KindNumber = 1, KindText = 2, KindList = 5 };

    int Kind = KindOther;     // 0 other / no value, 1 number, 2 text, 5 list literal
    double Number = 0.0;
    QString Text;
    bool IsNull = false;

    // The empty value: kind 0, number 0, empty text, not null.
    static TCalcType empty() { return {}; }
    bool isEmptyValue() const { return Kind == KindOther && Number == 0.0 && Text.isEmpty(); }

    bool operator==(const TCalcType &o) const
    {
        return Kind == o.Kind && Number == o.Number && Text == o.Text && IsNull == o.IsNull;
    }
};

} // namespace orv
