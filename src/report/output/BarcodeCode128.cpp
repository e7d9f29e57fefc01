// Code 128 in the character sets A, B and C.
#include "report/output/BarcodeEncoders.h"

namespace orv::barcode {
namespace {

// Module counts, bar first, of the values 0..105 and the stop.
const char *const kCode128[107] = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312",
    "132212", "221213", "221312", "231212", "112232", "122132", "122231", "113222",
    "123122", "123221", "223211", "221132", "221231", "213212", "223112", "312131",
    "311222", "321122", "321221", "312212", "322112", "322211", "212123", "212321",
    "232121", "111323", "131123", "131321", "112313", "132113", "132311", "211313",
    "231113", "231311", "112133", "112331", "132131", "113123", "113321", "133121",
    "313121", "211331", "231131", "213113", "213311", "213131", "311123", "311321",
    "331121", "312113", "312311", "332111", "314111", "221411", "431111", "111224",
    "111422", "121124", "121421", "141122", "141221", "112214", "112412", "122114",
    "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111",
    "111242", "121142", "121241", "114212", "124112", "124211", "411212", "421112",
    "421211", "212141", "214121", "412121", "111143", "111341", "131141", "114113",
    "114311", "411113", "411311", "113141", "114131", "311141", "411131", "211412",
    "211214", "211232", "2331112"};

} // namespace

TBarcodePattern encodeCode128(int symbology, const QString &dataIn)
{
    TBarcodePattern p;
    std::vector<int> values;
    QString data = dataIn;
    if (symbology == bcCode128C) {
        if (data.size() % 2)
            data.prepend(u'0');
        values.push_back(105);
        for (int i = 0; i + 1 < data.size(); i += 2) {
            const int a = data.at(i).digitValue(), b = data.at(i + 1).digitValue();
            values.push_back(a < 0 || b < 0 ? 0 : a * 10 + b);
        }
        p.text = data;
    } else if (symbology == bcCode128A) {
        data = data.toUpper();
        values.push_back(103);
        for (QChar &c : data) {
            const int u = c.unicode();
            if (u >= 32 && u <= 95) {
                values.push_back(u - 32);
            } else if (u < 32) {
                values.push_back(u + 64);
            } else {
                values.push_back(0);
                c = u' ';
            }
        }
        p.text = data;
    } else {
        values.push_back(104);
        for (QChar &c : data) {
            const int u = c.unicode();
            if (u >= 32 && u <= 127) {
                values.push_back(u - 32);
            } else {
                values.push_back(0);
                c = u' ';
            }
        }
        p.text = data;
    }
    int sum = values.front();
    for (size_t i = 1; i < values.size(); ++i)
        sum += int(i) * values[i];
    values.push_back(sum % 103);
    values.push_back(106);
    for (int v : values)
        p.pattern += fromModules(kCode128[v]);
    return p;
}

} // namespace orv::barcode
