#include "ScreenParts.h"

#include "shell/FrmTagList.h"
#include "shell/Shared.h"
#include "shell/TagList.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QPushButton>

void ShowTerminalPicker()
{
    SharedState& s = shared();
    s.TagColCaptions = {QStringLiteral("Device ID"), QStringLiteral("Device Description")};
    s.TagColWidths = {1100, 3000};
    FrmTagList::form().setTagListSize(QString());
    s.StrSQL =
        QStringLiteral("Select DeviceID,DeviceDescription From Tbl_DeviceMaster Order By DeviceID");
    ShowTagList(s.StrSQL, 1, QStringLiteral("Device List Not Available"),
                QStringLiteral("DeviceDescription"), QStringLiteral("Device List"), QString());
}

void FocusRefusal::watch(QWidget* widget)
{
    widget->installEventFilter(this);
}

bool FocusRefusal::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick)
        return false;
    // The press gave the focus before it reached here.
    auto* widget = static_cast<QWidget*>(watched);
    auto* view = qobject_cast<QAbstractScrollArea*>(widget->parentWidget());
    QWidget* target = view && view->viewport() == widget ? view : widget;
    const bool refused = m_refusedFor == target;
    m_refusedFor = nullptr;
    return refused;
}
