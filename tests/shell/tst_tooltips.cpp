#include "support/TestSupport.h"

#include "shell/FrmReport.h"
#include "shell/cToolTip.h"
#include "shell/ctrlLiner.h"

#include <QHelpEvent>
#include <QImage>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QToolTip>
#include <QVBoxLayout>
#include <QtTest>

class TestToolTips : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void createRefusesUnknownStyleAndIcon_data();
    void createRefusesUnknownStyleAndIcon();
    void linesAndTitle();
    void equalColoursFallBackToTooltipColours();
    void attachToolTipProperCaseAndTitle();
    void hoverShowsTitleAndLines();
    void linerStaysTwoPixelsEtched();
    void reportGridFollowsFormAndEscCloses();
};

void TestToolTips::createRefusesUnknownStyleAndIcon_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("icon");
    QTest::addColumn<bool>("made");
    QTest::newRow("style 0") << 0 << 0 << true;
    QTest::newRow("style 1") << 1 << 1 << true;
    QTest::newRow("style 64") << 64 << 2 << true;
    QTest::newRow("style 65") << 65 << 3 << true;
    QTest::newRow("style 2") << 2 << 1 << false;
    QTest::newRow("style 66") << 66 << 1 << false;
    QTest::newRow("icon 4") << 65 << 4 << false;
    QTest::newRow("icon -1") << 65 << -1 << false;
}

void TestToolTips::createRefusesUnknownStyleAndIcon()
{
    QFETCH(int, style);
    QFETCH(int, icon);
    QFETCH(bool, made);
    QLineEdit edit;
    cToolTip tip;
    const QString before = edit.styleSheet();
    const quintptr handle = tip.Create(&edit, QStringLiteral("text"), style, false, icon,
                                       QStringLiteral("T"), 0, 0xFFFFFF, -1, -1);
    QCOMPARE(handle != 0, made);
    QCOMPARE(tip.Style(), made ? style : -1);
    if (!made)
        QCOMPARE(edit.styleSheet(), before);
    QCOMPARE(tip.Create(nullptr, QStringLiteral("text"), 0, false, 0, {}, 0, 1, -1, -1),
             quintptr(0));
}

void TestToolTips::linesAndTitle()
{
    QLineEdit edit;
    cToolTip tip;
    const quintptr first = tip.Create(&edit, QStringLiteral("First line|second line"), 65, true, 1,
                                      QStringLiteral("Search"), 0, 0x80000018, -1, -1);
    QVERIFY(first);
    QCOMPARE(tip.Text(), QStringLiteral("First line\r\nsecond line"));
    QCOMPARE(tip.Title(), QStringLiteral("Search"));
    QVERIFY(tip.Centered());
    QCOMPARE(tip.HoverTime(), -1);

    const quintptr second = tip.Create(&edit, QStringLiteral("First line|second line"), 64, false,
                                       0, QString(), 0, 0xFFFFFF, 500, 3000);
    QVERIFY(second && second != first);
    QCOMPARE(tip.Text(), QStringLiteral("First line second line"));
    QVERIFY(!tip.Centered());
    QCOMPARE(tip.PopupTime(), 3000);
    // The first values stay.
    QCOMPARE(tip.InitialText().toString(), QStringLiteral("First line\r\nsecond line"));
    QCOMPARE(tip.InitialTitle().toString(), QStringLiteral("Search"));

    tip.Class_Terminate();
    QCOMPARE(tip.Style(), -1);
    QCOMPARE(tip.handle(), quintptr(0));
    QCOMPARE(edit.styleSheet(), QString());
}

void TestToolTips::equalColoursFallBackToTooltipColours()
{
    QLineEdit edit;
    cToolTip tip;
    const quint32 tipText = OleRgb(QToolTip::palette().color(QPalette::ToolTipText));
    const quint32 tipBase = OleRgb(QToolTip::palette().color(QPalette::ToolTipBase));
    QVERIFY(tipText != tipBase);

    QVERIFY(tip.Create(&edit, QStringLiteral("t"), 0, false, 0, {}, 0x0000FF, 0x0000FF, -1, -1));
    QCOMPARE(tip.ForeCol(), tipText);
    QCOMPARE(tip.BackCol(), tipBase);

    // A system colour is stored as the colour it names.
    QVERIFY(tip.Create(&edit, QStringLiteral("t"), 0, false, 0, {}, 0, 0x80000018, -1, -1));
    QCOMPARE(tip.ForeCol(), quint32(0));
    QCOMPARE(tip.BackCol(), tipBase);

    QVERIFY(tip.Create(&edit, QStringLiteral("t"), 0, false, 0, {}, 0x123456, 0xABCDEF, -1, -1));
    QCOMPARE(tip.ForeCol(), quint32(0x123456));
    QCOMPARE(OleColour(0x0000FF), QColor(255, 0, 0));
}

void TestToolTips::attachToolTipProperCaseAndTitle()
{
    QWidget form;
    auto* edit = new QLineEdit(&form);
    auto* button = new QPushButton(&form);
    edit->setToolTip(QStringLiteral("plain"));
    button->setToolTip(QStringLiteral("plain"));
    const int before = ToolTips().size();

    QString title;
    AttachToolTip(edit, QStringLiteral("tYPE the NUMBER.|or part of the name."), title, 1, 65, 0,
                  0x80000018);
    QVERIFY(!title.isEmpty()); // the program's name, handed back to the caller
    QString given = QStringLiteral("Buttons");
    AttachToolTip(button, QStringLiteral("press me"), given, 1, 65, 0, 0x80000018);
    QCOMPARE(given, QStringLiteral("Buttons"));

    QCOMPARE(ToolTips().size(), before + 2);
    cToolTip* editTip = ToolTips().value(QString::number(before + 1));
    cToolTip* buttonTip = ToolTips().value(QString::number(before + 2));
    QVERIFY(editTip && buttonTip);
    QCOMPARE(editTip->Text(), QStringLiteral("Type The Number.\r\nOr Part Of The Name."));
    QCOMPARE(editTip->Title(), title);
    QVERIFY(editTip->Centered());
    QVERIFY(!buttonTip->Centered());
    QCOMPARE(edit->toolTip(), QString());
    QCOMPARE(button->toolTip(), QString());

    // A refused tooltip keeps nothing and leaves the control's own tip alone.
    auto* other = new QLineEdit(&form);
    other->setToolTip(QStringLiteral("plain"));
    AttachToolTip(other, QStringLiteral("x"), title, 7, 65, 0, 0x80000018);
    QCOMPARE(ToolTips().size(), before + 2);
    QCOMPARE(other->toolTip(), QStringLiteral("plain"));
}

void TestToolTips::hoverShowsTitleAndLines()
{
    QWidget form;
    auto* edit = new QLineEdit(&form);
    auto* layout = new QVBoxLayout(&form);
    layout->addWidget(edit);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QString title = QStringLiteral("Employee");
    AttachToolTip(edit, QStringLiteral("first part|second part"), title, 1, 65, 0, 0x563412);

    const QPoint local(5, 5);
    QHelpEvent help(QEvent::ToolTip, local, edit->mapToGlobal(local));
    QApplication::sendEvent(edit, &help);
    QVERIFY(QToolTip::isVisible());
    const QString shown = QToolTip::text();
    QVERIFY(shown.contains(QStringLiteral("<b>Employee</b>")));
    QVERIFY(shown.contains(QStringLiteral("First Part<br>Second Part")));
    QVERIFY(shown.contains(QStringLiteral("data:image/png")));
    // Drawn in the tooltip's own colours, here a background unlike the default.
    QWidget* label = edit->findChild<QWidget*>(QStringLiteral("qtooltip_label"));
    QVERIFY(label);
    const QImage image = label->grab().toImage();
    QCOMPARE(image.pixelColor(label->width() / 2, 2).rgb(), QColor(0x12, 0x34, 0x56).rgb());
    QToolTip::hideText();
}

void TestToolTips::linerStaysTwoPixelsEtched()
{
    QWidget form;
    form.resize(200, 100);
    auto* liner = new ctrlLiner(&form);
    liner->setGeometry(0, 10, 150, 40);
    QCOMPARE(liner->height(), 2);
    liner->resize(120, 60);
    QCOMPARE(liner->height(), 2);
    QCOMPARE(liner->width(), 120);

    const QImage image = liner->grab().toImage();
    QCOMPARE(image.pixelColor(60, 0).rgb(), OleColour(0x80000010).rgb());
    QCOMPARE(image.pixelColor(60, 1).rgb(), OleColour(0x80000014).rgb());
    QVERIFY(OleColour(0x80000010) != OleColour(0x80000014));
}

void TestToolTips::reportGridFollowsFormAndEscCloses()
{
    QPointer<FrmReport> report = new FrmReport;
    QCOMPARE(report->windowTitle(), QStringLiteral("Report"));
    report->show();
    report->resize(600, 400);
    QCOMPARE(report->Grid->size(), QSize(600 - 200 / 15, 400 - 700 / 15));
    QTest::keyClick(report->Grid, Qt::Key_Escape);
    QVERIFY(!report->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(report.isNull());
}

QTEST_MAIN(TestToolTips)
#include "tst_tooltips.moc"
