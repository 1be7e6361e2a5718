#include "cToolTip.h"

#include <QApplication>
#include <QBuffer>
#include <QColor>
#include <QCursor>
#include <QEvent>
#include <QFileInfo>
#include <QHelpEvent>
#include <QPalette>
#include <QStyle>
#include <QTimer>
#include <QToolTip>
#include <QWidget>

namespace {
quintptr g_lastHandle = 0;

// The label Qt shows a tooltip in, while one is up.
QWidget* visibleTipLabel()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String("qtooltip_label") && w->isVisible())
            return w;
    }
    return nullptr;
}

QString iconHtml(int icon)
{
    QStyle::StandardPixmap kind;
    switch (icon) {
    case 1:
        kind = QStyle::SP_MessageBoxInformation;
        break;
    case 2:
        kind = QStyle::SP_MessageBoxWarning;
        break;
    case 3:
        kind = QStyle::SP_MessageBoxCritical;
        break;
    default:
        return {};
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QApplication::style()->standardIcon(kind).pixmap(16, 16).save(&buffer, "PNG");
    return QStringLiteral("<img src=\"data:image/png;base64,%1\" width=\"16\" height=\"16\">&nbsp;")
        .arg(QString::fromLatin1(png.toBase64()));
}
} // namespace

QColor OleColour(quint32 value)
{
    if (value & 0x80000000u) {
        const QPalette app = QApplication::palette();
        const QPalette tip = QToolTip::palette();
        switch (value & 0xFFu) {
        case 16: // button shadow
            return app.color(QPalette::Dark);
        case 18: // button text
            return app.color(QPalette::ButtonText);
        case 20: // 3-D highlight
            return app.color(QPalette::Light);
        case 23: // tooltip text
            return tip.color(QPalette::ToolTipText);
        case 24: // tooltip background
            return tip.color(QPalette::ToolTipBase);
        default:
            return app.color(QPalette::WindowText);
        }
    }
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

quint32 OleRgb(const QColor& colour)
{
    return quint32(colour.red()) | (quint32(colour.green()) << 8) | (quint32(colour.blue()) << 16);
}

cToolTip::cToolTip(QObject* parent) : QObject(parent)
{
    Class_Initialize();
}

cToolTip::~cToolTip()
{
    Class_Terminate();
}

void cToolTip::Class_Initialize()
{
    m_style = -1;
}

void cToolTip::Class_Terminate()
{
    if (m_handle && m_control) {
        m_control->removeEventFilter(this);
        m_control->setStyleSheet(m_controlStyleSheet);
        m_control->setAttribute(Qt::WA_AlwaysShowToolTips, m_controlAlwaysShowed);
        if (QWidget* label = visibleTipLabel(); label && label->parentWidget() == m_control)
            QToolTip::hideText();
    }
    if (m_hoverTimer)
        m_hoverTimer->stop();
    m_handle = 0;
    m_control.clear();
    m_style = -1;
}

quintptr cToolTip::Create(QWidget* control, const QString& text, int style, bool centred, int icon,
                          const QString& title, quint32 foreCol, quint32 backCol, int hoverTime,
                          int popupTime)
{
    Class_Terminate();
    if (!control)
        return 0;
    if (style != 0 && style != 1 && style != 64 && style != 65)
        return 0;
    if (icon < 0 || icon > 3)
        return 0;

    m_centred = centred;
    m_title = title;
    if (m_initialTitle.toString().isEmpty())
        m_initialTitle = title;
    m_text = QString(text).replace(QLatin1Char('|'), QStringLiteral("\r\n"));
    if (m_title.isEmpty())
        m_text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    if (m_initialText.toString().isEmpty())
        m_initialText = m_text;

    QColor fore = OleColour(foreCol);
    QColor back = OleColour(backCol);
    if (fore == back) {
        // An invisible text helps nobody: take the colours the system gives tooltips.
        fore = QToolTip::palette().color(QPalette::ToolTipText);
        back = QToolTip::palette().color(QPalette::ToolTipBase);
    }
    m_foreCol = OleRgb(fore);
    m_backCol = OleRgb(back);
    m_style = style;
    m_icon = icon;
    m_hoverTime = hoverTime;
    m_popupTime = popupTime;

    m_control = control;
    m_controlStyleSheet = control->styleSheet();
    m_controlAlwaysShowed = control->testAttribute(Qt::WA_AlwaysShowToolTips);
    // Qt's tooltip label is a child of the control, so the control's sheet styles it.
    const bool balloon = (style & 64) != 0;
    control->setStyleSheet(
        m_controlStyleSheet +
        QStringLiteral("\nQToolTip { color: %1; background-color: %2; border: 1px solid %1;"
                       " border-radius: %3px; padding: 4px; }")
            .arg(fore.name(), back.name(), QString::number(balloon ? 8 : 0)));
    if (style & 1)
        control->setAttribute(Qt::WA_AlwaysShowToolTips, true);
    control->installEventFilter(this);

    m_handle = ++g_lastHandle;
    return m_handle;
}

QString cToolTip::tipHtml() const
{
    if (!m_handle)
        return {};
    QString html = QStringLiteral("<qt><p style=\"white-space:pre\">");
    if (!m_title.isEmpty())
        html += iconHtml(m_icon) + QStringLiteral("<b>") + m_title.toHtmlEscaped() +
                QStringLiteral("</b><br>");
    QStringList lines = m_text.split(QStringLiteral("\r\n"));
    for (QString& line : lines)
        line = line.toHtmlEscaped();
    html += lines.join(QStringLiteral("<br>")) + QStringLiteral("</p></qt>");
    return html;
}

bool cToolTip::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_control || !m_handle)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::ToolTip:
        // Our tip replaces the control's own; with a hover time of our own the timer shows it.
        if (m_hoverTime < 0)
            showTip(static_cast<QHelpEvent*>(event)->globalPos());
        return true;
    case QEvent::Enter:
        if (m_hoverTime >= 0) {
            if (!m_hoverTimer) {
                m_hoverTimer = new QTimer(this);
                m_hoverTimer->setSingleShot(true);
                connect(m_hoverTimer, &QTimer::timeout, this, [this] { showTip(QCursor::pos()); });
            }
            m_hoverTimer->start(m_hoverTime);
        }
        break;
    case QEvent::Leave:
        if (m_hoverTimer)
            m_hoverTimer->stop();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void cToolTip::showTip(const QPoint& globalPos)
{
    if (!m_control)
        return;
    // A tip still up for another control would be reused with that control's style.
    if (QWidget* label = visibleTipLabel(); label && label->parentWidget() != m_control)
        QToolTip::hideText();
    QToolTip::showText(globalPos, tipHtml(), m_control, m_control->rect(),
                       m_popupTime < 0 ? -1 : m_popupTime);
    if (m_centred) {
        if (QWidget* label = visibleTipLabel()) {
            const QPoint below =
                m_control->mapToGlobal(QPoint(m_control->width() / 2, m_control->height()));
            label->move(below.x() - label->width() / 2, below.y());
        }
    }
}

QMap<QString, QPointer<cToolTip>>& ToolTips()
{
    static QMap<QString, QPointer<cToolTip>> tips;
    return tips;
}

QString ProperCase(const QString& text)
{
    QString result = text.toLower();
    bool wordStart = true;
    for (QChar& c : result) {
        if (c.isSpace() || c == QLatin1Char('|') || c.isNull()) {
            wordStart = true;
            continue;
        }
        if (wordStart)
            c = c.toUpper();
        wordStart = false;
    }
    return result;
}

void AttachToolTip(QWidget* control, const QString& text, QString& title, int icon, int style,
                   quint32 foreCol, quint32 backCol)
{
    auto* tip = new cToolTip(control);
    if (title.isEmpty()) {
        title = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
        if (title.isEmpty())
            title = QCoreApplication::applicationName();
    }
    const bool textBox = control && control->inherits("QLineEdit");
    if (!tip->Create(control, ProperCase(text), style, textBox, icon, title, foreCol, backCol, -1,
                     -1)) {
        delete tip;
        return;
    }
    ToolTips().insert(QString::number(ToolTips().size() + 1), tip);
    control->setToolTip(QString());
}
