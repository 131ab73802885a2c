// Keyboard access: every key goes through the same dispatch as a click on the
// skin object or the menu item it stands for, so the same rules (a running job,
// the focused list) apply.
#include "app/mainwindow.h"

#include <QAction>
#include <QKeySequence>

namespace brisklet::app {

namespace {

struct SkinKey {
    const char* name; // the skin object the key clicks
    QKeySequence::StandardKey standard;
    QKeyCombination key; // used when `standard` gives no keys here
};

const SkinKey skinKeys[] = {
    {"addfile", QKeySequence::Open, {}},
    {"Remove", QKeySequence::Delete, {}},
    {"Clear", QKeySequence::UnknownKey, Qt::SHIFT | Qt::Key_Delete},
    {"Up", QKeySequence::UnknownKey, Qt::CTRL | Qt::Key_Up},
    {"Down", QKeySequence::UnknownKey, Qt::CTRL | Qt::Key_Down},
    {"play", QKeySequence::UnknownKey, Qt::Key_Space},
    {"hou", QKeySequence::UnknownKey, Qt::CTRL | Qt::Key_Left},
    {"qian", QKeySequence::UnknownKey, Qt::CTRL | Qt::Key_Right},
    {"Begin", QKeySequence::UnknownKey, Qt::CTRL | Qt::Key_B},
    {"End", QKeySequence::UnknownKey, Qt::CTRL | Qt::Key_E},
    {"Ok", QKeySequence::UnknownKey, Qt::CTRL | Qt::Key_Return},
    {"Stop", QKeySequence::UnknownKey, Qt::Key_Escape},
    {"Split", QKeySequence::UnknownKey, Qt::CTRL | Qt::Key_S},
    {"Join", QKeySequence::UnknownKey, Qt::CTRL | Qt::Key_J},
    {"Settings", QKeySequence::Preferences, Qt::CTRL | Qt::Key_Comma},
    {"helpfile", QKeySequence::HelpContents, Qt::Key_F1},
};

} // namespace

void Tfm_main::createShortcuts()
{
    for (const SkinKey& entry : skinKeys) {
        auto* action = new QAction(QString::fromLatin1(entry.name), this);
        action->setObjectName(QStringLiteral("key_") + QString::fromLatin1(entry.name));
        QList<QKeySequence> keys;
        if (entry.standard != QKeySequence::UnknownKey)
            keys = QKeySequence::keyBindings(entry.standard);
        if (keys.isEmpty())
            keys.append(QKeySequence(entry.key));
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        const QString name = action->text();
        connect(action, &QAction::triggered, this, [this, name] { Skin1Click(name); });
        addAction(action);
    }
    // Menu items without a skin button of their own: the key is shown in the
    // menu and works with the menu closed.
    auto menuKey = [this](QMenu* menu, const char* caption, const QKeySequence& key) {
        if (QAction* item = menuItem(menu, QString::fromLatin1(caption))) {
            item->setShortcut(key);
            item->setShortcutContext(Qt::WindowShortcut);
            addAction(item);
        }
    };
    menuKey(m_pFile, "Add Folder", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    menuKey(m_pFile, "Exit", QKeySequence(Qt::CTRL | Qt::Key_Q));
    menuKey(m_pAction, "ID3 info", QKeySequence(Qt::CTRL | Qt::Key_I));
    menuKey(m_pAction, "Segment Editor", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));

    // Menu items that do what a skin key does show that key. It works through
    // the window's key; in the menu it only acts while the menu has the focus.
    const struct {
        QMenu* menu;
        const char* caption;
        const char* key; // the skin object, or the menu item of another menu
    } shown[] = {
        {m_pFile, "Add File", "addfile"},
        {m_pFile, "Remove", "Remove"},
        {m_pAction, "File Up", "Up"},
        {m_pAction, "File Down", "Down"},
        {m_pAction, "Remove", "Remove"},
        {m_pAction, "Clear", "Clear"},
        {m_pAction, "Split", "Split"},
        {m_pAction, "Join", "Join"},
        {m_pAction, "Stop", "Stop"},
        {m_pLv, "Add File", "addfile"},
        {m_pLv, "Add Path", "Add Folder"},
        {m_pLv, "Clear", "Clear"},
        {m_pLv, "Remove", "Remove"},
        {m_pLv, "ID3 info", "ID3 info"},
        {m_pLv, "UP", "Up"},
        {m_pLv, "Down", "Down"},
        {m_pLv, "Play", "play"},
        {m_pLv, "Stop", "Stop"},
        {m_pHelp, "Content", "helpfile"},
    };
    for (const auto& item : shown) {
        QAction* menuAction = menuItem(item.menu, QString::fromLatin1(item.caption));
        const QString key = QString::fromLatin1(item.key);
        QAction* keyAction = findChild<QAction*>(QStringLiteral("key_") + key);
        for (QMenu* owner : {m_pFile, m_pAction}) // a menu item's own key: Ctrl+Shift+O, Ctrl+I
            keyAction = keyAction ? keyAction : menuItem(owner, key);
        if (!menuAction || !keyAction)
            continue;
        menuAction->setShortcuts(keyAction->shortcuts());
        menuAction->setShortcutContext(Qt::WidgetShortcut);
    }
}

} // namespace brisklet::app
