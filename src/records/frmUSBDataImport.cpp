#include "frmUSBDataImport.h"

#include "shell/ErrorTrap.h"
#include "shell/FieldBehaviour.h"
#include "shell/FileDialog.h"
#include "shell/MsgBox.h"
#include "shell/MySysPath.h"
#include "shell/Startup.h"
#include "shell/Twips.h"
#include "shell/WaitCursor.h"
#include "terminals/frm2.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTreeView>
#include <QVBoxLayout>

#include <optional>

namespace {
const QString kForm = QStringLiteral("frmUSBDataImport");
const QString kNoFile =
    QStringLiteral("The selected file is not a valid one or the file path is not readable.");

} // namespace

frmUSBDataImport::frmUSBDataImport(frm2* window, QWidget* parent)
    : QDialog(parent), m_window(window)
{
    setObjectName(kForm);
    setWindowTitle(QStringLiteral("USB Data Import"));

    Frame1 = new QGroupBox(QStringLiteral("USB File Location"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    txtfile = new QLineEdit(Frame1);
    txtfile->setObjectName(QStringLiteral("txtfile"));
    cmdBrowse = makeCommandButton(Frame1, "cmdBrowse", QStringLiteral("Browse"));
    Label1 = new QLabel(QStringLiteral("Device"), Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    cboExtractedFrom = new QComboBox(Frame1);
    cboExtractedFrom->setObjectName(QStringLiteral("cboExtractedFrom"));
    cboExtractedFrom->setEditable(false);
    cmdView = makeCommandButton(Frame1, "cmdView", QStringLiteral("View"));
    cmdExtract = makeCommandButton(Frame1, "cmdExtract", QStringLiteral("Extract"));
    auto* frameLayout = new QGridLayout(Frame1);
    frameLayout->addWidget(txtfile, 0, 0, 1, 3);
    frameLayout->addWidget(cmdBrowse, 0, 3);
    frameLayout->addWidget(Label1, 1, 0);
    frameLayout->addWidget(cboExtractedFrom, 1, 1);
    frameLayout->addWidget(cmdView, 1, 2);
    frameLayout->addWidget(cmdExtract, 1, 3);
    frameLayout->setColumnStretch(1, 1);

    lsv = new QTreeView(this);
    lsv->setObjectName(QStringLiteral("lsv"));
    lsv->setRootIsDecorated(false);
    lsv->setUniformRowHeights(true);
    lsv->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lsv->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list = new UsbPunchList(this);
    lsv->setModel(m_list);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addWidget(lsv, 1);
    resize(680, 480);

    installFieldBehaviour(txtfile);
    connect(cmdBrowse, &QPushButton::clicked, this, &frmUSBDataImport::cmdBrowse_Click);
    connect(cmdView, &QPushButton::clicked, this, &frmUSBDataImport::cmdView_Click);
    connect(cmdExtract, &QPushButton::clicked, this, &frmUSBDataImport::cmdExtract_Click);

    Form_Load();
}

frmUSBDataImport::~frmUSBDataImport() = default;

void frmUSBDataImport::Form_Load()
{
    const QList<int> widths = UsbPunchList::widthsTwips();
    for (int c = 0; c < widths.size(); ++c)
        lsv->setColumnWidth(c, twips(widths[c]));
    trapErrors(kForm, QStringLiteral("Form_Load()"), [this] {
        m_connection.open(GetConnectionString());
        {
            // The statement goes before its connection does.
            QSqlQuery q = m_connection.exec(
                QStringLiteral("Select deviceid,devicedescription from tbl_devicemaster"));
            cboExtractedFrom->clear();
            while (q.next())
                cboExtractedFrom->addItem(q.value(1).toString(), q.value(0).toInt());
        }
        if (cboExtractedFrom->count() > 0)
            cboExtractedFrom->setCurrentIndex(0);
        m_connection.close();
    });
    // Without a terminal to attribute the punches to, nothing may be stored or replaced.
    cmdExtract->setEnabled(cboExtractedFrom->count() > 0);
}

void frmUSBDataImport::cmdBrowse_Click()
{
    trapErrors(kForm, QStringLiteral("cmdBrowse_Click()"), [this] {
        const QString chosen =
            GetOpenFileName(this, QString(), ProgramFolder(), QStringLiteral("*.dat (*.dat)"));
        if (!chosen.isEmpty())
            m_dialogFileName = chosen;
        txtfile->setText(m_dialogFileName);
    });
}

bool frmUSBDataImport::checkFile(bool extract)
{
    const QString path = txtfile->text();
    if (!path.isEmpty() && !QFileInfo(path).isFile()) {
        MsgBox(kNoFile, 0);
        return false;
    }
    if (extract && !m_connection.isOpen())
        m_connection.open(GetConnectionString());
    if (path.isEmpty()) {
        MsgBox(QStringLiteral("Invalid File"), 48);
        return false;
    }
    return true;
}

void frmUSBDataImport::cmdView_Click()
{
    if (m_running)
        return;
    trapErrors(kForm, QStringLiteral("cmdView_Click()"), [this] { run(false); });
}

void frmUSBDataImport::cmdExtract_Click()
{
    if (m_running || cboExtractedFrom->currentIndex() < 0)
        return;
    trapErrors(kForm, QStringLiteral("cmdExtract_Click()"), [this] { run(true); });
    m_connection.close();
    // A close asked for while the run yielded happens now that it is over.
    if (m_closeAfterRun)
        close();
}

void frmUSBDataImport::run(bool extract)
{
    if (!checkFile(extract))
        return;
    // Taken once: the choice cannot change under a run.
    const int deviceId = cboExtractedFrom->currentData().toInt();
    std::optional<frm2::BusyGuard> busy;
    std::optional<WaitCursor> hourglass;
    if (extract) {
        if (m_window)
            busy.emplace(*m_window);
        hourglass.emplace();
    }
    setRunning(true);
    UsbImport::Result result;
    try {
        if (extract)
            result = UsbImport::extract(m_connection, txtfile->text(), deviceId, *m_list,
                                        [] { QCoreApplication::processEvents(); });
        else
            result = UsbImport::view(txtfile->text(), *m_list);
    } catch (...) {
        setRunning(false);
        throw;
    }
    setRunning(false);
    hourglass.reset();
    busy.reset();

    if (result.refused)
        MsgBox(kNoFile, 0);
    else if (!result.anyRecord())
        MsgBox(QStringLiteral("No data to download"), 48);
    else if (result.malformed > 0)
        MsgBox(skippedMessage(result), 48);
    else
        MsgBox(extract ? QStringLiteral("Data Extracted Successfully")
                       : QStringLiteral("Data Successfully Viewed"),
               64);
}

QString frmUSBDataImport::skippedMessage(const UsbImport::Result& result)
{
    QString text = QStringLiteral("Some data could not be saved");
    text +=
        QStringLiteral("\n\n%1 record(s) could not be read and were skipped").arg(result.malformed);
    text += result.malformed > result.firstMalformed.size()
                ? QStringLiteral("; the first %1:").arg(result.firstMalformed.size())
                : QStringLiteral(":");
    for (const QString& line : result.firstMalformed)
        text += QLatin1Char('\n') + line;
    return text;
}

void frmUSBDataImport::setRunning(bool running)
{
    m_running = running;
    for (QWidget* w : {static_cast<QWidget*>(cmdBrowse), static_cast<QWidget*>(cmdView),
                       static_cast<QWidget*>(cboExtractedFrom)})
        w->setEnabled(!running);
    cmdExtract->setEnabled(!running && cboExtractedFrom->count() > 0);
}

void frmUSBDataImport::CloseForm()
{
    close();
}

void frmUSBDataImport::closeEvent(QCloseEvent* event)
{
    // A run yields to the event loop; closing inside it would free the screen under it.
    if (m_running) {
        m_closeAfterRun = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void frmUSBDataImport::reject()
{
    if (!m_running)
        QDialog::reject();
}
