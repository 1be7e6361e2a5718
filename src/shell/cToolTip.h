#pragma once
// A balloon tooltip over one control: a title with an optional icon above the tip's lines,
// in chosen colours. Qt draws it (QToolTip, styled by a style sheet on the control); this
// object decides when and what, from an event filter on the control.
//
//     QString title = "Search";
//     AttachToolTip(TxtEmpId, "type the number|or part of the name", title, 1, 65, 0,
//                   0x80000018);

#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

class QColor;
class QTimer;
class QWidget;

class cToolTip : public QObject
{
    Q_OBJECT
public:
    explicit cToolTip(QObject* parent = nullptr);
    ~cToolTip() override;

    quint32 BackCol() const { return m_backCol; }
    // True when the tip is centred under the control instead of placed at the pointer.
    bool Centered() const { return m_centred; }
    void Class_Initialize();
    void Class_Terminate();
    // Puts the tooltip over control, replacing one this object made before. Returns the
    // tooltip's id, or 0 (nothing made) for a missing control, a style other than 0, 1
    // (always shown), 64 (balloon) or 65, or an icon other than 0 (none), 1 (information),
    // 2 (warning) or 3 (error). "|" in text starts a new line; without a title the tip is
    // one line. Equal colours fall back to the system's tooltip colours. Negative times
    // mean the system's delays.
    quintptr Create(QWidget* control, const QString& text, int style, bool centred, int icon,
                    const QString& title, quint32 foreCol, quint32 backCol, int hoverTime,
                    int popupTime);
    QString Text() const { return m_text; }
    QString Title() const { return m_title; }
    quint32 ForeCol() const { return m_foreCol; }
    int HoverTime() const { return m_hoverTime; }
    int Icon() const { return m_icon; }
    QVariant InitialText() const { return m_initialText; }
    QVariant InitialTitle() const { return m_initialTitle; }
    int PopupTime() const { return m_popupTime; }
    int Style() const { return m_style; }

    // The tip as Qt shows it (rich text); empty while no tooltip exists.
    QString tipHtml() const;
    // The tip's id from the last Create, 0 while none exists.
    quintptr handle() const { return m_handle; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showTip(const QPoint& globalPos);

    QPointer<QWidget> m_control;
    quintptr m_handle = 0;
    int m_style = -1;
    int m_icon = 0;
    quint32 m_foreCol = 0;
    quint32 m_backCol = 0;
    int m_hoverTime = -1;
    int m_popupTime = -1;
    bool m_centred = false;
    QString m_title;
    QString m_text;
    QVariant m_initialTitle;
    QVariant m_initialText;
    QString m_controlStyleSheet;
    bool m_controlAlwaysShowed = false;
    QTimer* m_hoverTimer = nullptr;
};

// Puts a balloon tooltip over control and keeps it in ToolTips for the rest of the run.
// The text is put in proper case; an empty title becomes the program's name, in the
// caller's variable too. Text boxes get a centred tip. The control's own tooltip text is
// emptied so that it does not show beside the balloon.
void AttachToolTip(QWidget* control, const QString& text, QString& title, int icon, int style,
                   quint32 foreCol, quint32 backCol);

// Every tooltip AttachToolTip made, under the keys "1", "2", ... in order of making.
QMap<QString, QPointer<cToolTip>>& ToolTips();

// "First Letter Of Every Word": words are separated by white space and "|".
QString ProperCase(const QString& text);

// A colour as the system writes it: 0x00BBGGRR, or with the top bit set, the index of a
// system colour (0x80000010 button shadow, 0x80000012 button text, 0x80000014 3-D
// highlight, 0x80000017 tooltip text, 0x80000018 tooltip background).
QColor OleColour(quint32 value);
// The 0x00BBGGRR value of a colour.
quint32 OleRgb(const QColor& colour);
