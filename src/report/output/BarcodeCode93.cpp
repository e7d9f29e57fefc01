// Code 93 and its full-ASCII form.
#include "report/output/BarcodeEncoders.h"

#include <cstring>

namespace orv::barcode {
namespace {

const char kCode93Chars[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";

// Module counts, bar first, of the values 0..46: kCode93Chars, then the shifts ($) (%) (/) (+).
const char *const kCode93[47] = {
    "131112", "111213", "111312", "111411", "121113", "121212", "121311", "111114",
    "131211", "141111", "211113", "211212", "211311", "221112", "221211", "231111",
    "112113", "112212", "112311", "122112", "132111", "111123", "111222", "111321",
    "121122", "131121", "212112", "212211", "211122", "211221", "221121", "222111",
    "112122", "112221", "122121", "123111", "121131", "311112", "311211", "321111",
    "112131", "113121", "211131", "121221", "312111", "311121", "122211"};
const char kStartStop[] = "111141";

// Values of a full-ASCII character: the Code 39 full-ASCII sequence with its shift
// characters "$", "%", "/", "+" turned into the shift values of Code 93.
void fullValues(QChar c, std::vector<int> &values)
{
    const QString seq = code39FullAscii(c);
    if (seq.size() == 2) {
        const char *shifts = "$%/+";
        values.push_back(43 + int(std::strchr(shifts, char(seq.at(0).unicode())) - shifts));
        values.push_back(int(std::strchr(kCode93Chars, char(seq.at(1).unicode())) - kCode93Chars));
    } else if (seq.size() == 1) {
        values.push_back(int(std::strchr(kCode93Chars, char(seq.at(0).unicode())) - kCode93Chars));
    }
}

int checkValue(const std::vector<int> &values, int maxWeight)
{
    int sum = 0;
    int weight = 1;
    for (auto it = values.rbegin(); it != values.rend(); ++it) {
        sum += *it * weight;
        weight = weight == maxWeight ? 1 : weight + 1;
    }
    return sum % 47;
}

} // namespace

TBarcodePattern encodeCode93(const QString &data, bool full)
{
    TBarcodePattern p;
    std::vector<int> values;
    for (QChar c : data) {
        const size_t before = values.size();
        if (full) {
            fullValues(c, values);
        } else if (c.unicode() > 0 && c.unicode() < 128) {
            if (const char *at = std::strchr(kCode93Chars, char(c.unicode())))
                values.push_back(int(at - kCode93Chars));
        }
        // A character outside the set is skipped.
        if (values.size() > before)
            p.text.append(c);
    }
    values.push_back(checkValue(values, 20));
    values.push_back(checkValue(values, 15));
    p.pattern = fromModules(kStartStop);
    for (int v : values)
        p.pattern += fromModules(kCode93[v]);
    p.pattern += fromModules(kStartStop);
    p.pattern += u'5';   // termination bar
    return p;
}

} // namespace orv::barcode
