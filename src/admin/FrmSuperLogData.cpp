#include "FrmSuperLogData.h"

#include "SuperLogModel.h"

#include "ScreenParts.h"
#include "shell/FieldBehaviour.h"

#include "shell/DbError.h"
#include "shell/ErrorTrap.h"
#include "shell/ModFunction.h"
#include "shell/MsgBox.h"
#include "terminals/DeviceLink.h"
#include "terminals/TerminalSdk.h"
#include "terminals/frm2.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QStyleOptionProgressBar>
#include <QTreeView>
#include <QVBoxLayout>

namespace {
// The list, the bar and the caption move at most this often while the log is read.
constexpr qint64 kStepMs = 100;

// A bar whose maximum is 0 shows empty: the style's busy animation would say that a reading
// is under way.
class ProgressBar : public QProgressBar
{
public:
    using QProgressBar::QProgressBar;

protected:
    void initStyleOption(QStyleOptionProgressBar* option) const override
    {
        QProgressBar::initStyleOption(option);
        if (option->minimum == 0 && option->maximum == 0) {
            option->maximum = 1;
            option->progress = 0;
        }
    }
};
} // namespace

FrmSuperLogData::FrmSuperLogData(frm2& window, QWidget* parent)
    : QDialog(parent), m_window(window), m_model(new SuperLogModel(this))
{
    setObjectName(QStringLiteral("FrmSuperLogData"));
    setWindowTitle(QStringLiteral("Super Log Data"));
    setModal(true);

    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    PrgBar = new ProgressBar(Frame1);
    PrgBar->setObjectName(QStringLiteral("PrgBar"));
    PrgBar->setRange(0, 0);
    PrgBar->setTextVisible(false);
    lsv = new QTreeView(Frame1);
    lsv->setObjectName(QStringLiteral("lsv"));
    lsv->setRootIsDecorated(false);
    lsv->setUniformRowHeights(true);
    lsv->setAllColumnsShowFocus(true);
    lsv->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lsv->setModel(m_model);
    const QVector<int> widths = SuperLogModel::widthsTwips();
    for (int c = 0; c < widths.size(); ++c)
        lsv->setColumnWidth(c, widths[c] / 15);
    auto* frameLayout = new QVBoxLayout(Frame1);
    frameLayout->addWidget(PrgBar);
    frameLayout->addWidget(lsv);

    CmdViewLogs = makeCommandButton(this, "CmdViewLogs", QStringLiteral("View &Logs"));
    CmdCancel = makeCommandButton(this, "CmdCancel", QStringLiteral("&Cancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CmdViewLogs);
    buttons->addWidget(CmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addLayout(buttons);

    connect(CmdViewLogs, &QPushButton::clicked, this, &FrmSuperLogData::CmdViewLogs_Click);
    connect(CmdCancel, &QPushButton::clicked, this, &FrmSuperLogData::CmdCancel_Click);
    resize(860, 480);
}

void FrmSuperLogData::CmdViewLogs_Click()
{
    if (m_reading)
        return;
    m_reading = true;
    m_stop = false;
    CmdViewLogs->setEnabled(false);
    // The reading yields: the main window's commands and its minute wait until it ends.
    frm2::BusyGuard hold(m_window);
    trapErrors(objectName(), QStringLiteral("CmdViewLogs_Click()"), [this] {
        m_model->clear();
        const int index = m_window.SelectedItem;
        if (index < 0 || index >= m_window.TermCtl1.size())
            throw DbError(340,
                          QStringLiteral("Control array element '%1' doesn't exist").arg(index));
        TerminalSdk& sdk = *m_window.TermCtl1.at(index);
        // The machine number is only looked at once a link is up.
        auto machineNumber = [this] {
            return LinkSettingNumber(m_window.MachineID.toString(), "Machine No");
        };
        std::array<long, 12> values{};

        long count = 0;
        if (IsDeviceConnected(sdk) && sdk.SdkReadSuperLog(machineNumber())) {
            const long machine = machineNumber();
            while (sdk.SdkNextSuperLogRecord(machine, values))
                ++count;
        }
        Frame1->setTitle(QString());
        long running = 0;
        const int maximum = int(qBound(0L, count, long(INT_MAX)));
        PrgBar->setRange(0, maximum);
        PrgBar->setValue(0);
        if (m_stop)
            return;

        // A read that failed because the link went down says so; an empty log says nothing.
        if (!IsDeviceConnected(sdk)) {
            MsgBox(QStringLiteral("Device is not Connected"), 16);
            return;
        }
        const long machine = machineNumber();
        if (!sdk.SdkReadSuperLog(machine)) {
            if (!IsDeviceConnected(sdk))
                MsgBox(QStringLiteral("Device is not Connected"), 16);
            return;
        }

        // One name query per operator, however many records name him.
        QHash<long, QString> names;
        QVector<SuperLogModel::Row> batch;
        QElapsedTimer step;
        auto show = [&] {
            m_model->append(batch);
            batch.clear();
            // Past the counted maximum the bar stays full while the caption counts on.
            PrgBar->setValue(int(qMin<long>(running, maximum)));
            Frame1->setTitle(QStringLiteral("%1 Of %2").arg(running).arg(count));
        };
        try {
            while (sdk.SdkNextSuperLogRecord(machine, values)) {
                auto name = names.constFind(values[1]);
                if (name == names.constEnd())
                    name = names.insert(values[1], GetEmployeeName(values[1]));
                batch.append(SuperLogModel::Row{++running, values, *name});
                if (!step.isValid() || step.elapsed() >= kStepMs) {
                    show();
                    QCoreApplication::processEvents();
                    step.restart();
                    if (m_stop)
                        break;
                }
            }
        } catch (...) {
            // The rows read before the failure stay listed.
            show();
            throw;
        }
        if (running > 0)
            show();
    });
    m_reading = false;
    CmdViewLogs->setEnabled(true);
    if (m_stop)
        done(QDialog::Rejected);
}

void FrmSuperLogData::Unload()
{
    // Closing inside the reading would free the screen under it: the reading stops first.
    if (m_reading) {
        m_stop = true;
        return;
    }
    done(QDialog::Rejected);
}

void FrmSuperLogData::CmdCancel_Click()
{
    Unload();
}

void FrmSuperLogData::Form_KeyDown(int keyCode)
{
    if (keyCode == Qt::Key_Escape)
        Unload();
}

void FrmSuperLogData::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        Form_KeyDown(Qt::Key_Escape);
        return;
    }
    QDialog::keyPressEvent(event);
}

void FrmSuperLogData::closeEvent(QCloseEvent* event)
{
    if (m_reading) {
        m_stop = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
