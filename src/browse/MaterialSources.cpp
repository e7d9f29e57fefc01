#include "browse/MaterialSources.h"

#include "db/Connection.h"

namespace orv::browse {

QStringList materialSources(db::Connection &catalogue, int materialNo)
{
    QStringList out;
    if (!catalogue.isOpen() || !catalogue.tableExists(QStringLiteral("MatSources")))
        return out;
    db::Statement st(catalogue, QStringLiteral("select Source from MatSources where MaterialNo=:m order by Number"));
    st.bind(QStringLiteral("m"), materialNo);
    while (st.step()) {
        const QString s = st.value(0).toString().trimmed();
        if (!s.isEmpty())
            out << s;
    }
    return out;
}

QString sourcesText(const QStringList &sources)
{
    if (sources.isEmpty())
        return QStringLiteral("Zdroj údajů není v katalogu uveden.");
    return sources.join(QLatin1Char('\n'));
}

} // namespace orv::browse
