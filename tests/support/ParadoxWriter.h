#pragma once
// Writes Paradox tables with pxlib for tests: the fixtures are made by the outside library,
// never committed binaries. Alpha cells are encoded in windows-1250; a Null cell leaves the
// field's bytes zero, which Paradox reads as an empty value.

#include "core/CodePage.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstring>
#include <variant>
#include <vector>

extern "C" {
#include <paradox.h>
}

namespace orv::test {

struct PxField {
    const char *name;
    char type; // pxfLong, pxfShort, pxfNumber, pxfAlpha, pxfLogical, pxfMemoBLOb (text in the .MB file beside)
    int length;
};

struct PxNull {};
using PxCell = std::variant<PxNull, long, double, QString, bool>;

// Returns false when pxlib refuses the table or a record.
inline bool writeParadoxTable(const QString &path, const std::vector<PxField> &fields,
                              const std::vector<std::vector<PxCell>> &rows)
{
    pxdoc_t *doc = PX_new();
    if (!doc)
        return false;
    auto *pxf = static_cast<pxfield_t *>(doc->malloc(doc, fields.size() * sizeof(pxfield_t), "fields"));
    for (size_t i = 0; i < fields.size(); ++i) {
        const size_t n = std::strlen(fields[i].name) + 1;
        pxf[i].px_fname = static_cast<char *>(doc->malloc(doc, n, "name"));
        std::memcpy(pxf[i].px_fname, fields[i].name, n);
        pxf[i].px_ftype = fields[i].type;
        pxf[i].px_flen = fields[i].length;
        pxf[i].px_fdc = 0;
    }
    if (PX_create_file(doc, pxf, int(fields.size()), QFile::encodeName(path).constData(), pxfFileTypNonIndexDB) != 0) {
        PX_delete(doc);
        return false;
    }
    PX_set_value(doc, "codepage", 1250);
    // Memo texts go into "<name>.MB" beside the table, as the old program wrote them.
    pxblob_t *blob = nullptr;
    for (const PxField &f : fields)
        if (f.type == pxfMemoBLOb && !blob) {
            blob = PX_new_blob(doc);
            const QString mb = path.left(path.lastIndexOf(u'.')) + QStringLiteral(".MB");
            if (!blob || PX_create_blob_file(blob, QFile::encodeName(mb).constData()) < 0) {
                PX_delete(doc);
                return false;
            }
            doc->px_blob = blob;
        }
    bool ok = true;
    std::vector<char> data(size_t(PX_get_recordsize(doc)));
    for (const std::vector<PxCell> &row : rows) {
        std::fill(data.begin(), data.end(), 0);
        int offset = 0;
        for (size_t i = 0; i < fields.size(); ++i) {
            char *p = data.data() + offset;
            offset += fields[i].length;
            const PxCell &c = row[i];
            if (std::holds_alternative<PxNull>(c))
                continue;
            switch (fields[i].type) {
            case pxfLong: PX_put_data_long(doc, p, 4, int(std::get<long>(c))); break;
            case pxfShort: PX_put_data_short(doc, p, 2, short(std::get<long>(c))); break;
            case pxfNumber: PX_put_data_double(doc, p, 8, std::get<double>(c)); break;
            case pxfLogical: PX_put_data_byte(doc, p, 1, std::get<bool>(c) ? 1 : 0); break;
            case pxfAlpha: {
                QByteArray b = orv::encode(std::get<QString>(c), orv::CodePage::Cp1250);
                b.truncate(fields[i].length);
                PX_put_data_alpha(doc, p, fields[i].length, b.data());
                break;
            }
            case pxfMemoBLOb: {
                QByteArray b = orv::encode(std::get<QString>(c), orv::CodePage::Cp1250);
                ok = PX_put_data_blob(doc, p, fields[i].length, b.data(), int(b.size())) >= 0 && ok;
                break;
            }
            default: break;
            }
        }
        ok = PX_put_record(doc, data.data()) >= 0 && ok;
    }
    if (blob) {
        PX_close_blob(blob);
        doc->px_blob = nullptr;
        PX_delete_blob(blob);
    }
    PX_close(doc);
    PX_delete(doc);
    return ok;
}

} // namespace orv::test
