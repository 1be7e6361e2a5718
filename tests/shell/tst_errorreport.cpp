#include "support/TestSupport.h"

#include "shell/Clock.h"
#include "shell/DbError.h"
#include "shell/ErrorReport.h"
#include "shell/ErrorTrap.h"
#include "shell/FrmError.h"
#include "shell/Settings.h"
#include "shell/Shared.h"

#include <QApplication>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <functional>
#include <memory>
#include <stdexcept>

namespace {
// A one-page web server on 127.0.0.1 that records the target of every request it gets.
// It runs in the test's thread, so it only answers while the fetch under test waits.
class PageServer : public QObject
{
public:
    explicit PageServer(QByteArray body = "<html>Debian - the universal OS</html>")
        : m_body(std::move(body))
    {
        QVERIFY(m_server.listen(QHostAddress::LocalHost, 0));
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection())
                serve(socket);
        });
    }

    QUrl url(const QString& path) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
    }

    QStringList targets;
    QString statusLine = QStringLiteral("HTTP/1.0 200 OK");
    bool silent = false;             // accepts, reads, never answers
    std::function<void()> onRequest; // runs when a request line has arrived

private:
    void serve(QTcpSocket* socket)
    {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            QByteArray& pending = m_pending[socket];
            pending += socket->readAll();
            if (!pending.contains("\r\n\r\n"))
                return;
            const QList<QByteArray> requestLine = pending.left(pending.indexOf("\r\n")).split(' ');
            pending.clear();
            targets << QString::fromLatin1(requestLine.value(1));
            if (onRequest)
                onRequest();
            if (silent)
                return;
            socket->write(statusLine.toLatin1() + "\r\nContent-Type: text/html\r\n" +
                          "Content-Length: " + QByteArray::number(m_body.size()) +
                          "\r\nConnection: close\r\n\r\n" + m_body);
            socket->disconnectFromHost();
        });
    }

    QTcpServer m_server;
    QByteArray m_body;
    QHash<QTcpSocket*, QByteArray> m_pending;
};

// An address where nothing listens: a port that was just given back.
QUrl refusedUrl(const QString& path)
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(path));
}

// The query as a form-reading web page sees it: '+' is a blank, %XX is a byte of UTF-8.
QList<QPair<QString, QString>> decodedQuery(const QString& target)
{
    QList<QPair<QString, QString>> fields;
    const QString query = target.section(QLatin1Char('?'), 1);
    for (const QString& pair : query.split(QLatin1Char('&'))) {
        QByteArray value = pair.section(QLatin1Char('='), 1).toLatin1();
        value.replace('+', ' ');
        fields << qMakePair(pair.section(QLatin1Char('='), 0, 0), QUrl::fromPercentEncoding(value));
    }
    return fields;
}

QLabel* label(QWidget* form, const char* name)
{
    return form->findChild<QLabel*>(QLatin1String(name));
}
}  // namespace

class TestErrorReport : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<PageServer> m_check;
    std::unique_ptr<PageServer> m_report;

    void pointAt(const QUrl& checkPage, const QUrl& endpoint)
    {
        Settings::setValue(Settings::InternetCheckPage, checkPage.toString());
        Settings::setValue(Settings::ReportEndpoint, endpoint.toString());
        // As Main does at start.
        shared().ReportURL = Settings::text(Settings::ReportEndpoint);
    }

private Q_SLOTS:
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        resetShared();
        m_check = std::make_unique<PageServer>();
        m_report = std::make_unique<PageServer>("thanks");
        pointAt(m_check->url(QStringLiteral("/")), m_report->url(QStringLiteral("/report.php")));
        Settings::setValue(Settings::InternetCheckMarker, QStringLiteral("DEBIAN"));
    }

    void cleanup()
    {
        setErrorFormHandler({});
        Clock::reset();
        m_report.reset();
        m_check.reset();
        m_env.reset();
    }

    // The trapped error reaches the dialog's labels and, through them, the report; every
    // value arrives as it was written, whatever characters it holds.
    void reportCarriesTheTrappedErrorIntact()
    {
        MsgBoxRecorder boxes;
        const QDateTime when(QDate(2024, 3, 5), QTime(14, 3, 7));
        Clock::setNow(when);
        const QString description =
            QStringLiteral("Incorrect syntax near 'Tbl_Task': 100% & C++ = Zażółć äß?#");
        std::unique_ptr<FrmError> form;
        QStringList captions;
        m_check->onRequest = [&] { captions << form->windowTitle(); };
        m_report->onRequest = [&] { captions << form->windowTitle(); };
        setErrorFormHandler([&](const QString&, const QString&, const TrappedError&) {
            form = std::make_unique<FrmError>();
            QSignalSpy closed(form.get(), &QDialog::finished);
            QCOMPARE(label(form.get(), "LblErrorCode")->text(),
                     QStringLiteral("Error No:-2147217900"));
            QCOMPARE(label(form.get(), "LblErrorDescr")->text(),
                     QStringLiteral("Error Description :") + description);
            form->CmdSend_Click();
            QCOMPARE(closed.count(), 1);
        });

        trapErrors(QStringLiteral("Frm Task & 'Editor'"), QStringLiteral("CmdSave_Click()"),
                   [&] { throw DbError(-2147217900, description); });

        QCOMPARE(captions, (QStringList{QStringLiteral("Checking Internet Connection..."),
                                        QStringLiteral("Sending Error Report..")}));
        QCOMPARE(m_check->targets, QStringList{QStringLiteral("/")});
        QCOMPARE(m_report->targets.size(), 1);
        QVERIFY(m_report->targets[0].startsWith(QLatin1String("/report.php?CompName=")));
        const QLocale locale = QLocale::system();
        const QList<QPair<QString, QString>> expected = {
            {"CompName", ""},
            {"Phone", ""},
            {"Address", ""},
            {"ErNo", "-2147217900"},
            {"ErDesc", "Incorrect syntax near Tbl_Task: 100% & C++ = Zażółć äß?#"},
            {"ErDate", locale.toString(when.date(), QLocale::ShortFormat)},
            {"ErTime", locale.toString(when.time(), QLocale::LongFormat)},
            {"FormName", "Frm Task & 'Editor'"},
            {"ProcName", "CmdSave_Click()"},
            {"Software", "Quorvane"},
            {"Version", "2.0"},
        };
        QCOMPARE(decodedQuery(m_report->targets[0]), expected);
        QCOMPARE(boxes.shown, (QVector<QPair<QString, int>>{
                                  {QStringLiteral("Your error report has been sent"), 64}}));
    }

    void noInternetSendsNothing_data()
    {
        QTest::addColumn<QString>("checkPage");
        QTest::newRow("refused") << "refused";
        QTest::newRow("page without the marker") << "other";
        QTest::newRow("page never answers") << "silent";
    }

    void noInternetSendsNothing()
    {
        QFETCH(QString, checkPage);
        MsgBoxRecorder boxes;
        PageServer other("<html>It works!</html>");
        if (checkPage == QLatin1String("refused")) {
            pointAt(refusedUrl(QStringLiteral("/")), m_report->url(QStringLiteral("/r")));
        } else if (checkPage == QLatin1String("other")) {
            pointAt(other.url(QStringLiteral("/")), m_report->url(QStringLiteral("/r")));
        } else {
            m_check->silent = true;
            Settings::setValue(Settings::HttpTimeoutMs, 200);
        }

        FrmError form;
        QSignalSpy closed(&form, &QDialog::finished);
        form.CmdSend_Click();

        QCOMPARE(boxes.shown, (QVector<QPair<QString, int>>{
                                  {QStringLiteral("Cannot find any internet connections"), 64}}));
        QVERIFY(m_report->targets.isEmpty());
        QCOMPARE(closed.count(), 1);
    }

    // A report the endpoint cannot take closes the dialog quietly; any answer at all counts
    // as delivered.
    void deliveryDecidesTheConfirmation_data()
    {
        QTest::addColumn<QString>("endpoint");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("refused") << "refused" << QStringList{};
        QTest::newRow("server error")
            << "error" << QStringList{QStringLiteral("Your error report has been sent")};
    }

    void deliveryDecidesTheConfirmation()
    {
        QFETCH(QString, endpoint);
        QFETCH(QStringList, messages);
        MsgBoxRecorder boxes;
        ErrorDialogRecorder nested;
        if (endpoint == QLatin1String("refused"))
            pointAt(m_check->url(QStringLiteral("/")), refusedUrl(QStringLiteral("/r")));
        else
            m_report->statusLine = QStringLiteral("HTTP/1.0 500 Internal Server Error");

        FrmError form;
        QSignalSpy closed(&form, &QDialog::finished);
        form.CmdSend_Click();

        QCOMPARE(boxes.texts(), messages);
        QCOMPARE(closed.count(), 1);
        QVERIFY(nested.calls.isEmpty());
        QCOMPARE(m_check->targets.size(), 1);
    }

    // The links are plain labels; clicks reach them through the mouse like any other.
    void linksTogglePanelsAndButtonsWorkFromEither()
    {
        FrmError form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto* descr = form.findChild<QWidget*>(QStringLiteral("PicDescr"));
        auto* error = form.findChild<QWidget*>(QStringLiteral("PicError"));
        QVERIFY(descr->isVisible());
        QVERIFY(!error->isVisible());
        const QRect place = descr->geometry();
        for (int round = 0; round < 3; ++round) {
            QTest::mouseClick(label(&form, "LblDisplay"), Qt::LeftButton);
            QVERIFY(!descr->isVisible());
            QVERIFY(error->isVisible());
            QCOMPARE(error->geometry(), place);
            QTest::mouseClick(label(&form, "Label4"), Qt::LeftButton);
            QVERIFY(descr->isVisible());
            QVERIFY(!error->isVisible());
        }
        QTest::mouseClick(label(&form, "LblDisplay"), Qt::LeftButton);
        QSignalSpy closed(&form, &QDialog::finished);
        QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("CmdDontSend")),
                          Qt::LeftButton);
        QCOMPARE(closed.count(), 1);
        QVERIFY(!form.isVisible());
        QVERIFY(m_check->targets.isEmpty());
    }

    // Each dialog shows its own error and a report carries only the names of the error
    // whose dialog is open.
    void secondErrorOverwritesTheFirst()
    {
        MsgBoxRecorder boxes;
        QStringList numbers;
        setErrorFormHandler([&](const QString&, const QString&, const TrappedError&) {
            FrmError form;
            numbers << label(&form, "LblErrorCode")->text();
            if (numbers.size() == 1)
                form.CmdDontSend_Click();
            else
                form.CmdSend_Click();
        });

        trapErrors(QStringLiteral("frm2"), QStringLiteral("MnuConnect_Click()"),
                   [] { throw DbError(3021, QStringLiteral("No current record")); });
        QCOMPARE(shared().ErrFormName, QStringLiteral("frm2"));
        trapErrors(QStringLiteral("FrmTask"), QStringLiteral("CmdDelete_Click()"),
                   [] { throw std::runtime_error("list index out of range"); });

        QCOMPARE(numbers,
                 (QStringList{QStringLiteral("Error No:3021"), QStringLiteral("Error No:0")}));
        QCOMPARE(shared().ErrFormName, QStringLiteral("FrmTask"));
        QCOMPARE(shared().ErrProcName, QStringLiteral("CmdDelete_Click()"));
        QCOMPARE(m_report->targets.size(), 1);
        const auto fields = decodedQuery(m_report->targets[0]);
        QCOMPARE(fields.value(3).second, QStringLiteral("0"));
        QCOMPARE(fields.value(4).second, QStringLiteral("list index out of range"));
        QCOMPARE(fields.value(7).second, QStringLiteral("FrmTask"));
        QCOMPARE(fields.value(8).second, QStringLiteral("CmdDelete_Click()"));
    }

    // Without a test hook the real dialog opens modally and its button ends the wait.
    void showErrorFormOpensTheDialog()
    {
        QString shownNumber;
        answerNextModal([&](QWidget* modal) {
            shownNumber = label(modal, "LblErrorCode")->text();
            QTest::mouseClick(modal->findChild<QPushButton*>(QStringLiteral("CmdDontSend")),
                              Qt::LeftButton);
        });
        ShowErrorForm(QStringLiteral("Sub Main"), QStringLiteral("Main()"),
                      {QStringLiteral("53"), QStringLiteral("File not found")});
        QCOMPARE(shownNumber, QStringLiteral("Error No:53"));
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY(m_check->targets.isEmpty());
    }
};

QTEST_MAIN(TestErrorReport)
#include "tst_errorreport.moc"
