#include "ui/ActionUpdater.h"

#include "ui/CaughtError.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QCoreApplication>
#include <QThread>

namespace orv::ui {

ActionUpdater &ActionUpdater::instance()
{
    static ActionUpdater *updater = new ActionUpdater(QCoreApplication::instance());
    return *updater;
}

ActionUpdater::ActionUpdater(QObject *parent)
    : QObject(parent)
{
    if (QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance(QThread::currentThread()))
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &ActionUpdater::idle);
}

void ActionUpdater::add(QAction *action, std::function<bool()> rule)
{
    if (!action)
        return;
    if (!m_rules.contains(action))
        connect(action, &QObject::destroyed, this, [this, action] { m_rules.remove(action); });
    m_rules.insert(action, std::move(rule));
}

void ActionUpdater::remove(QAction *action)
{
    if (m_rules.remove(action))
        disconnect(action, &QObject::destroyed, this, nullptr);
}

void ActionUpdater::idle()
{
    updateNow();
}

void ActionUpdater::updateNow()
{
    // A rule may process events (and so come back here); one pass at a time.
    if (m_running)
        return;
    m_running = true;
    // Rules may register or drop actions; walk a copy.
    const auto rules = m_rules;
    for (auto it = rules.constBegin(); it != rules.constEnd(); ++it) {
        if (!m_rules.contains(it.key()))
            continue;
        bool enabled = false;
        try {
            enabled = it.value() && it.value()();
        } catch (...) {
            // A rule that cannot answer leaves its action off rather than stopping the pass.
            logCaughtError("ActionUpdater::updateNow (the rule of an action)");
            enabled = false;
        }
        if (it.key()->isEnabled() != enabled)
            it.key()->setEnabled(enabled);
    }
    m_running = false;
}

void enableWhen(QAction *action, std::function<bool()> rule)
{
    ActionUpdater::instance().add(action, std::move(rule));
}

} // namespace orv::ui
