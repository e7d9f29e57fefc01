#include "report/model/Posuvy.h"

#include "report/model/ReportElement.h"

namespace orv {

bool TPosuvy::Add(TSiReportElement *element)
{
    const int t = element->Top;
    const int b = element->Top + element->Height - 1;
    if (!Bands.empty() && t < Bands.back().End) {
        for (auto it = Bands.begin(); it != Bands.end(); ++it) {
            if (it->Start == t) {
                it->Elements.push_back(element);
                if (b > it->End)
                    it->End = b;
                return true;
            }
            if (it->Start > t) {
                TPosuv band;
                band.Elements.push_back(element);
                band.Start = t;
                band.End = b;
                Bands.insert(it, std::move(band));
                return true;
            }
        }
        // Inside the last band's range but not at any band's start: no band takes it.
        return false;
    }
    TPosuv band;
    band.Elements.push_back(element);
    band.Start = t;
    band.End = b;
    Bands.push_back(std::move(band));
    return true;
}

int TPosuvy::SegmentStart(int i) const
{
    if (i <= 0 || Bands.empty())
        return 0;
    return Bands[size_t(i - 1)].End;
}

int TPosuvy::SegmentHeight(int i) const
{
    const int n = bandCount();
    if (n == 0)
        return SectionHeight;
    if (i <= 0)
        return Bands[0].End;
    if (i < n)
        return Bands[size_t(i)].End - Bands[size_t(i - 1)].End;
    return SectionHeight - Bands.back().End;
}

int TPosuvy::SegmentOf(int top) const
{
    for (int i = 0; i < bandCount(); ++i)
        if (Bands[size_t(i)].End > top)
            return i;
    return bandCount();
}

} // namespace orv
