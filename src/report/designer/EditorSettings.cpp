#include "report/designer/EditorSettings.h"

#include "report/output/Sestava.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <algorithm>

namespace orv {

namespace {

const QString kEditor = QStringLiteral("EditorSestav/");
const QString kDefaults = QStringLiteral("Oddily/");

// Integers as the settings file keeps them; a value that is not a number gives the default.
int readInt(const QSettings &ini, const QString &key, int def)
{
    const QVariant v = ini.value(key);
    if (!v.isValid())
        return def;
    bool ok = false;
    const int n = v.toString().trimmed().toInt(&ok);
    return ok ? n : def;
}

// Booleans: "1"/"0" as written, also "true"/"false" from a hand-edited file.
bool readBool(const QSettings &ini, const QString &key, bool def)
{
    const QVariant v = ini.value(key);
    if (!v.isValid())
        return def;
    const QString s = v.toString().trimmed().toLower();
    if (s == QLatin1String("true"))
        return true;
    if (s == QLatin1String("false"))
        return false;
    bool ok = false;
    const int n = s.toInt(&ok);
    return ok ? n != 0 : def;
}

} // namespace

int fontSizeFromStored(int stored)
{
    return stored < 0 ? stored * -72 / 100 : stored;
}

void TEditorSettings::normalise()
{
    if (RastrX < 1)
        RastrX = 8;
    if (RastrY < 1)
        RastrY = 8;
    PocetUndo = std::max(PocetUndo, 1);
    ImplSirka = std::max(ImplSirka, 1);
    ImplVyska = std::max(ImplVyska, 1);
    if (ImplZarovnani < 0 || ImplZarovnani > 2)
        ImplZarovnani = 0;
    if (ImplZarovnaniCi < 0 || ImplZarovnaniCi > 2)
        ImplZarovnaniCi = 1;
    if (UseUnits < 0 || UseUnits > 4)
        UseUnits = 0;
    ImplVyskaFontu = fontSizeFromStored(ImplVyskaFontu);
    if (ImplVyskaFontu < 1)
        ImplVyskaFontu = 10;
    ImplNazevFontu = ImplNazevFontu.trimmed().left(32);
    if (ImplNazevFontu.isEmpty())
        ImplNazevFontu = QStringLiteral("Arial");
}

void TEditorSettings::load(const QString &iniPath)
{
    *this = TEditorSettings();
    if (!QFileInfo::exists(iniPath))
        return;
    QSettings ini(iniPath, QSettings::IniFormat);
    ImplMeritko = readInt(ini, kEditor + "ImplMeritko", ImplMeritko);
    RastrX = readInt(ini, kEditor + "RastrX", RastrX);
    RastrY = readInt(ini, kEditor + "RastrY", RastrY);
    RastrZobrazovat = readBool(ini, kEditor + "RastrZobrazovat", RastrZobrazovat);
    RastrZarovnavat = readBool(ini, kEditor + "RastrZarovnavat", RastrZarovnavat);
    MazaniJedne = readBool(ini, kEditor + "MazaniJedne", MazaniJedne);
    MazaniVice = readBool(ini, kEditor + "MazaniVice", MazaniVice);
    PosunMimo = readBool(ini, kEditor + "PosunMimo", PosunMimo);
    PocetUndo = readInt(ini, kEditor + "PocetUndo", PocetUndo);
    UndoSave = readBool(ini, kEditor + "UndoSave", UndoSave);
    ShowTree = readBool(ini, kEditor + "ShowTree", ShowTree);
    ShowRulesLR = readBool(ini, kEditor + "ShowRulesLR", ShowRulesLR);
    ShowRulesTB = readBool(ini, kEditor + "ShowRulesTB", ShowRulesTB);
    TrackingH = readBool(ini, kEditor + "TrackingH", TrackingH);
    TrackingV = readBool(ini, kEditor + "TrackingV", TrackingV);
    UseUnits = readInt(ini, kEditor + "UseUnits", UseUnits);
    SledPodle = readBool(ini, kEditor + "SledPodle", SledPodle);
    PopisyPol = readBool(ini, kEditor + "PopisyPol", PopisyPol);
    PismaAbec = readBool(ini, kEditor + "PismaAbec", PismaAbec);
    Vodici = readBool(ini, kEditor + "Vodici", Vodici);

    ImplSirka = readInt(ini, kDefaults + "ImplSirka", ImplSirka);
    ImplVyska = readInt(ini, kDefaults + "ImplVyska", ImplVyska);
    ImplZarovnani = readInt(ini, kDefaults + "ImplZarovnani", ImplZarovnani);
    ImplZarovnaniCi = readInt(ini, kDefaults + "ImplZarovnaniCi", ImplZarovnaniCi);
    ImplBarvaFontu = readInt(ini, kDefaults + "ImplBarvaFontu", ImplBarvaFontu);
    ImplVyskaFontu = readInt(ini, kDefaults + "ImplVyskaFontu", ImplVyskaFontu);
    const QVariant name = ini.value(kDefaults + "ImplNazevFontu");
    if (name.isValid())
        ImplNazevFontu = name.toString();
    ImplStylFontu = readInt(ini, kDefaults + "ImplStylFontu", ImplStylFontu);
    ImplSkriptFontu = readInt(ini, kDefaults + "ImplSkriptFontu", ImplSkriptFontu);
    normalise();
}

bool TEditorSettings::save(const QString &iniPath) const
{
    TEditorSettings s = *this;
    s.normalise();
    const QFileInfo fi(iniPath);
    if (!QDir().mkpath(fi.absolutePath()))
        return false;
    QSettings ini(iniPath, QSettings::IniFormat);
    auto b = [](bool v) { return v ? 1 : 0; };
    ini.setValue(kEditor + "RastrX", s.RastrX);
    ini.setValue(kEditor + "RastrY", s.RastrY);
    ini.setValue(kEditor + "RastrZobrazovat", b(s.RastrZobrazovat));
    ini.setValue(kEditor + "RastrZarovnavat", b(s.RastrZarovnavat));
    ini.setValue(kEditor + "MazaniJedne", b(s.MazaniJedne));
    ini.setValue(kEditor + "MazaniVice", b(s.MazaniVice));
    ini.setValue(kEditor + "PosunMimo", b(s.PosunMimo));
    ini.setValue(kEditor + "PocetUndo", s.PocetUndo);
    ini.setValue(kEditor + "UndoSave", b(s.UndoSave));
    ini.setValue(kEditor + "ShowTree", b(s.ShowTree));
    ini.setValue(kEditor + "ShowRulesLR", b(s.ShowRulesLR));
    ini.setValue(kEditor + "ShowRulesTB", b(s.ShowRulesTB));
    ini.setValue(kEditor + "TrackingH", b(s.TrackingH));
    ini.setValue(kEditor + "TrackingV", b(s.TrackingV));
    ini.setValue(kEditor + "UseUnits", s.UseUnits);
    ini.setValue(kEditor + "SledPodle", b(s.SledPodle));
    ini.setValue(kEditor + "PopisyPol", b(s.PopisyPol));
    ini.setValue(kEditor + "PismaAbec", b(s.PismaAbec));
    ini.setValue(kEditor + "Vodici", b(s.Vodici));
    ini.setValue(kDefaults + "ImplSirka", s.ImplSirka);
    ini.setValue(kDefaults + "ImplVyska", s.ImplVyska);
    ini.setValue(kDefaults + "ImplZarovnani", s.ImplZarovnani);
    ini.setValue(kDefaults + "ImplZarovnaniCi", s.ImplZarovnaniCi);
    ini.setValue(kDefaults + "ImplBarvaFontu", s.ImplBarvaFontu);
    ini.setValue(kDefaults + "ImplVyskaFontu", s.ImplVyskaFontu);
    ini.setValue(kDefaults + "ImplNazevFontu", s.ImplNazevFontu);
    ini.setValue(kDefaults + "ImplStylFontu", s.ImplStylFontu);
    ini.setValue(kDefaults + "ImplSkriptFontu", s.ImplSkriptFontu);
    ini.sync();
    return ini.status() == QSettings::NoError;
}

QString reportSettingsPath(const QString &iniFileName)
{
    const QString name = iniFileName.isEmpty() ? QStringLiteral("SestDLL.ini") : iniFileName;
    if (QDir::isAbsolutePath(name))
        return name;
    QString dir = qEnvironmentVariable("ORVALIS_REPORT_SETTINGS_DIR");
    if (dir.isEmpty()) {
        QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
        if (config.isEmpty() || !QDir::isAbsolutePath(config))
            config = QDir::homePath() + QStringLiteral("/.config");
        dir = config + QStringLiteral("/orvalis");
    }
    return QDir(dir).filePath(name);
}

void loadEditorSettings(const TSestavaTyp *report, TEditorSettings &settings)
{
    if (report)
        settings.load(reportSettingsPath(report->IniFileName));
}

bool saveEditorSettings(const TSestavaTyp *report, const TEditorSettings &settings)
{
    return report && settings.save(reportSettingsPath(report->IniFileName));
}

} // namespace orv
