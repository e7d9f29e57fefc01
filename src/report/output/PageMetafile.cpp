// A page of the store as a metafile, painted by the code that paints the page images.
#include "report/output/MetafileDevice.h"
#include "report/output/OutputStore.h"

#include <QPainter>

namespace orv {

bool TSestVystup::SavePageMetafile(QIODevice &stream, int index, bool enhanced)
{
    return SavePageMetafile(stream, index, enhanced, PrintBackground);
}

bool TSestVystup::SavePageMetafile(QIODevice &stream, int index, bool enhanced, bool withBackground)
{
    if (!Page(index))
        return false;
    RenderPage(index, withBackground);
    TMetafileDevice device(enhanced, PageWidth * 6, PageHeight * 6, 600);
    if (!device.ok())
        return false;
    {
        QPainter painter;
        if (!painter.begin(&device))
            return false;
        DrawPageContent(painter, index, withBackground);
        painter.end();
    }
    return device.write(stream);
}

} // namespace orv
