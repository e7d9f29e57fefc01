#pragma once
// The paper formats a report can be laid out on: the standard sizes and the formats the
// user defines, kept in the report generator's settings file (section "FormatyPapiru").

#include <QString>

#include <vector>

namespace orv {

struct TFormatPapiru {
    QString Name;          // at most 31 characters
    int Width = 0;         // hundredths of an inch, portrait
    int Height = 0;
};

class TListFormatu {
public:
    static constexpr int PredefinedCount = 17;
    static constexpr int MaxNameLength = 31;

    // The predefined formats only.
    TListFormatu();

    // The predefined formats, then the user formats of the settings file.
    void Load(const QString &settingsFile);
    // Writes "PocetFormatu" and a "Format<n>" key per user format; false when the file
    // cannot be written (the file is replaced as a whole, other sections are kept).
    bool Save(const QString &settingsFile) const;

    int count() const { return int(m_items.size()); }
    bool isUserFormat(int index) const { return index >= PredefinedCount && index < count(); }
    TFormatPapiru &Format(int index) { return m_items.at(size_t(index)); }
    const TFormatPapiru &Format(int index) const { return m_items.at(size_t(index)); }
    QString Name(int index) const { return index >= 0 && index < count() ? Format(index).Name : QString(); }

    // The first format within 1 % of the size in both directions, else a new (unsaved)
    // entry "uživ. formát" of that size.
    int FindOrAdd(int width, int height);
    // Appends a user format; the name is cut to 31 characters. Returns its index.
    int Add(const QString &name, int width, int height);
    // Removes a user format; predefined ones stay.
    bool Delete(int index);

    // One settings value: name,width,height, the name quoted when it holds a comma.
    static QString encode(const TFormatPapiru &format);
    static TFormatPapiru decode(const QString &value);

private:
    std::vector<TFormatPapiru> m_items;
};

// The name of a new user format.
QString UserFormatName();   // "uživ. formát"

// Raw access to one value of an INI file. Values are taken as the text after "=" (trimmed),
// without any list or quote processing, so that the caller's own parsing applies.
bool ReadIniValue(const QString &file, const QString &section, const QString &key, QString &value);
// Sets the keys of one section, keeping every other line of the file; written to a
// temporary name and renamed over the file.
bool WriteIniValues(const QString &file, const QString &section,
                    const std::vector<std::pair<QString, QString>> &values);
// All key=value lines of a section, in file order.
std::vector<std::pair<QString, QString>> ReadIniSection(const QString &file, const QString &section);

} // namespace orv
