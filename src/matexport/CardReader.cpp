#include "matexport/CardReader.h"

namespace orv::matexport {

MaterialData readMaterial(const browse::CardEnvironment &env, int materialNo)
{
    browse::CardEnvironment quiet = env;
    quiet.autoSave = [] { return false; };
    quiet.economyMode = [] { return false; };
    browse::MaterialCard card(quiet);
    card.load(materialNo);
    return readMaterialData(card);
}

QList<MaterialData> readMaterials(const browse::CardEnvironment &env, const QList<int> &materials)
{
    QList<MaterialData> out;
    for (int m : materials)
        out << readMaterial(env, m);
    return out;
}

} // namespace orv::matexport
