#pragma once
// The list report the report benchmarks share: about 1,000 pages over 50,000 generated rows of
// an SQLite query, a page header and footer with the page number, one group with a header and
// a footer with a sum, a report footer with the grand total.

#include "db/Connection.h"
#include "db/DataSet.h"

#include <QStringList>
#include <QTemporaryDir>

namespace orv::benchsupport {

constexpr int kRows = 50000;
constexpr int kGroupSize = 100;

struct Data {
    QTemporaryDir dir;
    db::Connection conn;
    db::DataSet query{QStringLiteral("qList"), &conn};
    Data()
    {
        conn.openFile(dir.filePath(QStringLiteral("bench.sqlite")), db::OpenMode::Create);
        conn.exec(QStringLiteral("create table Items (Number integer, Grp varchar(20), Name varchar(40), Price float)"));
        db::Transaction tx(conn);
        db::Statement st(conn, QStringLiteral("insert into Items values (?,?,?,?)"));
        for (int i = 1; i <= kRows; ++i) {
            st.bind(1, i);
            st.bind(2, QStringLiteral("Skupina %1").arg((i - 1) / kGroupSize + 1, 4, 10, QLatin1Char('0')));
            st.bind(3, QStringLiteral("Ocel X%1CrNi18-%2 žárupevná").arg(i % 97).arg(i % 13));
            st.bind(4, (i % 1000) / 10.0);
            st.step();
            st.reset();
        }
        tx.commit();
        query.setSql(QStringLiteral("select Number, Grp, Name, Price from Items order by Number"));
        query.open();
    }
};

inline QStringList listTemplate()
{
    return {
        "I,0,\"Ceník\"", "I,1,5,50,0", "I,2,0,826,1169,50,50,70,70,1,0",
        "I,3,0,1,40,0", "I,3,1,1,30,0", "I,3,2,1,19,0", "I,3,3,1,30,0", "I,3,4,1,25,0",
        "I,4,0,\"#Grp\",1,20,1,20,0",
        "F,0,Suma,\"\",0,\"0\",2,\"#Price\",2,15,2,2",
        "F,1,Celkem,\"\",0,\"0\",0,\"#Price\",2,15,2,3",
        "Z,1,0,0,0,500,30,Arial,16,0,1,0,0,238,\"Ceník položek\",0,0,0,\"\",0,\"\"",
        "H,1,0,0,0,200,20,Arial,9,0,1,0,0,238,\"Číslo\",0,0,0,\"\",0,\"\"",
        "H,1,0,100,0,300,20,Arial,9,0,1,0,0,238,\"Název\",0,0,0,\"\",0,\"\"",
        "H,1,0,526,0,200,20,Arial,9,0,1,1,0,238,\"Cena\",0,0,0,\"\",0,\"\"",
        "S0,2,Grp,0,0,300,20,Arial,10,0,1,0,0,238,\"\",0,0,0,\"\",0,\"\"",
        "T,2,Number,0,0,90,19,Arial,9,0,0,1,0,238,\"\",0,0,0,\"\",0,\"\"",
        "T,2,Name,100,0,400,19,Arial,9,0,0,0,0,238,\"\",0,0,0,\"\",0,\"\"",
        "T,2,Price,526,0,200,19,Arial,9,0,0,1,0,238,\"\",0,0,0,\"#Price>50\",0,\"\"",
        "U0,6,Suma,526,0,200,20,Arial,9,0,1,1,0,238,\"\",0,0,0,\"\",0,\"\"",
        "K,6,Celkem,526,0,200,20,Arial,10,0,1,1,0,238,\"\",0,0,0,\"\",0,\"\"",
        "P,5,3,526,0,200,20,Arial,8,0,0,1,0,238,\"Strana %d\",0,0,0,\"\",0,\"\"",
    };
}

} // namespace orv::benchsupport
