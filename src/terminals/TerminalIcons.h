#pragma once
// The main window's image list: small pictures drawn at run time, looked up by the keys
// the menus, the toolbar and the terminal list use ("device", "connected", ...).

#include <QIcon>
#include <QString>
#include <QStringList>

class TerminalIcons
{
public:
    // The picture of a key; an empty icon for a key the set does not have.
    static QIcon icon(const QString& key);
    static QStringList keys();
};
