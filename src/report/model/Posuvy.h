#pragma once
// Stretch bands of one section being printed. Elements that grow with their text (and the
// detail placeholders of a body) are grouped into bands by their common top; the bands cut
// the section into segments, and every fixed element travels with the segment its top lies
// in, so that everything below a growing element is pushed down by as much as it grew.

#include <vector>

namespace orv {

class TSiReportElement;

struct TPosuv {
    std::vector<TSiReportElement *> Elements;   // the stretching elements starting at Start
    int Start = 0;
    int End = 0;                                 // the largest bottom (top + height - 1)
};

class TPosuvy {
public:
    explicit TPosuvy(int sectionHeight = 0) : SectionHeight(sectionHeight) {}

    std::vector<TPosuv> Bands;   // sorted by Start
    int SectionHeight = 0;

    bool isEmpty() const { return Bands.empty(); }
    int bandCount() const { return int(Bands.size()); }
    // Segments: one more than there are bands.
    int segmentCount() const { return bandCount() + 1; }

    // Adds a stretching element. Returns false when it could not be placed in a band: its
    // top lies inside the range of the last band without being the start of a band. Such an
    // element is then printed as a fixed one.
    bool Add(TSiReportElement *element);

    int SegmentStart(int i) const;
    int SegmentHeight(int i) const;
    // The segment a fixed element with this top belongs to.
    int SegmentOf(int top) const;
};

} // namespace orv
