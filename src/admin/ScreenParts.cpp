#include "ScreenParts.h"

#include "shell/FrmTagList.h"
#include "shell/Shared.h"
#include "shell/TagList.h"

#include <QApplication>
#include <QEvent>

#include <utility>

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

void FocusRefusal::refused(QWidget* next, Qt::FocusReason reason)
{
    // A focus change for the mouse comes from a press that is delivered right after it.
    if (reason != Qt::MouseFocusReason || !m_watched.contains(next))
        return;
    m_refusedFor = next;
    qApp->installEventFilter(this);
}

bool FocusRefusal::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if ((type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick) ||
        !watched->isWidgetType())
        return false;
    // The first press a widget gets after the refusal is the one that moved the focus.
    qApp->removeEventFilter(this);
    QWidget* target = std::exchange(m_refusedFor, nullptr);
    auto* widget = static_cast<QWidget*>(watched);
    return target && (widget == target || target->isAncestorOf(widget));
}
