#pragma once
// Enabling rules of actions, evaluated whenever the user interface is idle: each time the
// event loop has handled everything pending and is about to wait, every registered rule runs
// and its action is enabled or disabled accordingly. Windows register their actions once and
// never enable or disable them by hand.

#include <QHash>
#include <QObject>
#include <QPointer>

#include <functional>

class QAction;

namespace orv::ui {

class ActionUpdater : public QObject
{
    Q_OBJECT
public:
    // The one instance of the process (created on first use; needs the application object).
    static ActionUpdater &instance();

    // Registers `rule` for `action`; a later call replaces it. The rule is dropped with the action.
    void add(QAction *action, std::function<bool()> rule);
    void remove(QAction *action);
    int count() const { return int(m_rules.size()); }

    // Runs every rule now. A rule that throws disables its action.
    void updateNow();

private:
    explicit ActionUpdater(QObject *parent = nullptr);
    void idle();

    QHash<QAction *, std::function<bool()>> m_rules;
    bool m_running = false;
};

// Shorthand for ActionUpdater::instance().add(action, rule).
void enableWhen(QAction *action, std::function<bool()> rule);

} // namespace orv::ui
