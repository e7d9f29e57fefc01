#pragma once
// Shared by the designer window tests: messages captured instead of shown, and a settings
// folder of the test's own.

#include "report/designer/DesignerDoc.h"
#include "report/designer/DesignerQuestion.h"
#include "report/model/SestavaMessages.h"

#include <QLineEdit>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

namespace designertest {

// Collects every message of the report generator while it lives; questions get `answer`.
struct MessageCatcher {
    QStringList Texts;
    QStringList Captions;
    orv::TAnswer Answer = orv::TAnswer::Yes;
    int Questions = 0;

    MessageCatcher()
    {
        orv::setSestMessageHandler([this](orv::TSestMessageKind, const QString &caption,
                                          const QString &text) {
            Captions << caption;
            Texts << text;
            return false;
        });
        orv::setDesignerQuestionHandler([this](const QString &caption, const QString &text) {
            Captions << caption;
            Texts << text;
            ++Questions;
            return Answer;
        });
    }
    ~MessageCatcher()
    {
        orv::setSestMessageHandler({});
        orv::setDesignerQuestionHandler({});
    }
};

// Answers the designer's questions in turn (Cancel once the script is used up) and keeps
// their texts.
struct ScriptedAnswers {
    QList<orv::TAnswer> Script;
    QStringList Texts;
    explicit ScriptedAnswers(QList<orv::TAnswer> script) : Script(std::move(script))
    {
        orv::setDesignerQuestionHandler([this](const QString &, const QString &text) {
            Texts << text;
            return Script.isEmpty() ? orv::TAnswer::Cancel : Script.takeFirst();
        });
    }
    ~ScriptedAnswers() { orv::setDesignerQuestionHandler({}); }
};

// The Save As file chooser of the designer, replaced while it lives.
struct ChooserGuard {
    explicit ChooserGuard(orv::TSaveAsChooser c) { orv::saveAsChooser() = std::move(c); }
    ~ChooserGuard() { orv::saveAsChooser() = {}; }
};

// Replaces the text of a line edit by typing, as a user selecting all and typing over it.
inline void typeOver(QLineEdit *edit, const QString &text)
{
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

} // namespace designertest
