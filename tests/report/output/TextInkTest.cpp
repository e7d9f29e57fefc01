// Text drawn on a page stays inside its element: the glyphs go where the layout measured them,
// so nothing of a left-aligned or justified paragraph is drawn past the element's right edge.
// The texts are those of the example report's first page, some of whose lines ("součásti s",
// "800 až") used to run over.

#include "RunTestSupport.h"

#include <QImage>

using namespace orv;
using namespace runtest;

namespace {

const QStringList kTexts = {
    QStringLiteral("Nejrozšířenější prokalitelná ložisková ocel: kuličky, válečky a kroužky "
                   "valivých ložisek menších průřezů (stěna kroužků asi do 17 mm), vodicí "
                   "lišty, trny, měřidla, válce pro válcování za studena a součásti s velkou "
                   "tvrdostí a odolností proti opotřebení."),
    QStringLiteral("Cementované součásti s velkou houževnatostí jádra i při nízkých "
                   "teplotách: ozubená kola, hřídele a čepy pro letecký a automobilový "
                   "průmysl, vřetena, rázově namáhané díly strojů."),
    QStringLiteral("Nejpoužívanější legovaná ocel k cementování pro součásti s pevností "
                   "jádra asi 800 až 1100 MPa a velkou odolností povrchu proti opotřebení: "
                   "ozubená kola převodovek, hřídele, pístní čepy, vačkové hřídele, páky, "
                   "šrouby a další součásti automobilů a strojů."),
    QStringLiteral("Cementované součásti s vysokými požadavky na houževnatost jádra (pevnost "
                   "jádra asi 700 až 900 MPa) v automobilovém průmyslu a převodovkách: "
                   "kuželová a talířová kola, pastorky, ozubená kola, hřídele, čepy. Vhodná "
                   "pro přímé kalení z cementační teploty."),
    QStringLiteral("Prokalitelná ložisková ocel s vyšší prokalitelností než 100Cr6 pro "
                   "kroužky a valivá tělesa ložisek větších průřezů, velké kuličky a "
                   "válečky, součásti namáhané valivým tlakem."),
    QStringLiteral("Ložisková ocel s molybdenem pro kroužky a valivá tělesa ložisek se "
                   "silnější stěnou, kde prokalitelnost oceli 100Cr6 nestačí; vhodná i pro "
                   "bainitické kalení."),
};

// Columns of ink (anything darker than light grey) right of x in the rows top..bottom.
int inkRightOf(const QImage &image, int x, int top, int bottom)
{
    int found = 0;
    for (int yy = std::max(top, 0); yy < std::min(bottom, image.height()); ++yy)
        for (int xx = std::max(x, 0); xx < image.width(); ++xx)
            if (qGray(image.pixel(xx, yy)) < 200)
                found = std::max(found, xx - x + 1);
    return found;
}

} // namespace

TEST(TextInk, NoGlyphPastTheRightEdgeOfItsElement)
{
    ensureApp();
    MemoryBridge data;
    data.Columns = {"Pouziti"};
    for (const QString &t : kTexts)
        data.Rows.push_back({t});
    int checkedLines = 0;
    // Arial as in the example, and faces that are substituted by wider or narrower ones.
    for (const QString face : {"Arial", "Tahoma", "Times New Roman"}) {
    for (int style : {0, 2}) {
    for (int alignment : {0, 3}) {
        for (int width : {300, 331, 362, 393, 426}) {
            // Size 8 as in the example, growing with its text; the page is wider than the
            // element, so ink past its edge would show.
            Template t;
            t.section(2, true, 20);
            t.Lines << QStringLiteral("T,2,Pouziti,100,0,%1,14,%2,8,0,%3,%4,0,238,\"\",0,0,0,\"\",0,\"\"")
                           .arg(width).arg(face).arg(style).arg(0x50 | alignment);
            TSestava rep;
            rep.IsStored = true;
            rep.Predloha = t.Lines;
            rep.DataSource = &data;
            ASSERT_EQ(rep.Run(), seOk);
            for (int dpi : {96, 150, 300}) {
                for (int page = 0; page < rep.Vystup.PageCount(); ++page) {
                    const QImage image = rep.Vystup.PageToImage(page, dpi, false);
                    for (const TVystPrvek *item : items(rep.Vystup, page)) {
                        const int right = (item->Left + item->Width) * dpi / 100;
                        const int top = item->Top * dpi / 100;
                        const int bottom = (item->Top + item->Height) * dpi / 100;
                        // One pixel of anti-aliasing beyond the edge is allowed.
                        EXPECT_EQ(inkRightOf(image, right + 2, top, bottom), 0)
                            << face.toStdString() << " style " << style << " width " << width
                            << " alignment " << alignment << " dpi " << dpi << ": "
                            << itemText(*item).toStdString();
                        checkedLines += item->Lines ? item->Lines->count() : 0;
                    }
                }
            }
        }
    }
    }
    }
    EXPECT_GT(checkedLines, 200);
}
