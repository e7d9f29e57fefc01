#pragma once
// The wizard "Průvodce převodu dat ze starší verze": four pages shown one at a time (a
// question, the old data's folder, the conversion with its progress, the end), which carries
// the previous version's own materials and user notes over (see UpgradeConversion.h).

#include "ui/HelpContexts.h"
#include "userdata/UpgradeConversion.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QStackedWidget;

namespace orv::db {
class OwnDataModule;
}

namespace orv::userdata {

struct UpgradeEnvironment {
    // The previous version's installation folder; empty: orv::previousVersionFolder().
    QString standardFolder;
    // The stored "Data na CD" value; default: read from the machine registry.
    std::function<int()> dataOnMedium;
    std::function<bool()> helpInstalled;
    std::function<void(int context)> showHelp;
    // Messages (default: the plain message dialog for the wrong folder, the standard Czech
    // message dialog for a failed conversion).
    std::function<void(const QString &text)> wrongFolder;
    std::function<void(const QString &text)> conversionFailed;
    // The folder chooser (default: the Qt folder dialog); returns "" when cancelled.
    std::function<QString(const QString &start)> chooseFolder;
};

class TfUpgrade : public QDialog {
    Q_OBJECT
public:
    enum Page { QuestionPage, FolderPage, ConversionPage, FinishedPage };
    static constexpr int helpContext = help::UpgradeWizard;

    TfUpgrade(db::OwnDataModule &own, UpgradeEnvironment env = UpgradeEnvironment(), QWidget *parent = nullptr);
    ~TfUpgrade() override;

    static QString caption() { return QStringLiteral("Průvodce převodu dat ze starší verze"); }
    static QString wrongFolderMessage();

    int page() const;
    // The folder chosen on page 2 (its text box).
    QString chosenFolder() const;
    void chooseFolder(const QString &folder);
    // The old data folder P the conversion reads.
    const QString &oldDataFolder() const { return m_oldData; }
    const UpgradeResult &conversionResult() const { return m_result; }
    bool converting() const { return m_converting; }

    // Page 1
    QCheckBox *dontShowAgain = nullptr;
    QPushButton *yesButton = nullptr;
    QPushButton *noButton = nullptr;
    // Page 2
    QComboBox *drives = nullptr;
    QListWidget *folders = nullptr;
    QListWidget *files = nullptr;
    QLineEdit *folderText = nullptr;
    QPushButton *browseButton = nullptr;
    QPushButton *folderConvertButton = nullptr;
    QPushButton *folderCloseButton = nullptr;
    QPushButton *folderBackButton = nullptr;
    // Page 3
    QLabel *progressText = nullptr;
    QProgressBar *progressBar = nullptr;
    QPushButton *convertButton = nullptr;
    QPushButton *convertCloseButton = nullptr;
    QPushButton *convertBackButton = nullptr;
    // Page 4
    QLabel *summary = nullptr;
    QPushButton *okButton = nullptr;
    // The "Nápověda" button of each page.
    QList<QPushButton *> helpButtons;

public slots:
    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void fillEnvironmentDefaults();
    void addQuestionPage();
    void addFolderPage();
    void addConversionPage();
    void addFinishedPage();
    void addStepPage(const QString &title, QWidget *body, QPushButton *&convert, QPushButton *&close, QPushButton *&back);
    void connectHelpButtons();
    QWidget *makePage(const QString &title, QWidget *body, const QList<QPushButton *> &buttons);
    QPushButton *makeHelpButton(const QString &caption);
    void showPage(Page p);
    void yes();
    void folderChosen();
    void back();
    void convert();
    void finish();
    bool standardHoldsData() const;
    void fillFolderLists();

    db::OwnDataModule &m_own;
    UpgradeEnvironment m_env;
    QStackedWidget *m_pages = nullptr;
    QString m_folder;
    QString m_oldData;
    UpgradeResult m_result;
    bool m_converting = false;
};

// Shows the wizard modally over `owner` (start-up calls this when the previous version is found).
void showUpgradeWizard(db::OwnDataModule &own, UpgradeEnvironment env, QWidget *owner);

} // namespace orv::userdata
