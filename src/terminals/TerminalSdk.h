#pragma once
// One element of the terminal SDK control: a link to one terminal over TCP or a serial
// line, and the operations the screens call on it. Every operation answers within its
// timeout; a refused, silent, broken or garbled link makes it return false (or no
// record) and leaves the link down. Never a hang, never a partial record.
//
// The machine number m that most operations take is carried to the terminal, but an
// operation always reaches the terminal this element is linked to, whatever m says (the
// terminal maker's control behaves the same on network links).

#include <QObject>
#include <QString>

#include <array>
#include <memory>

class TerminalSdkPrivate;

class TerminalSdk : public QObject
{
    Q_OBJECT
public:
    explicit TerminalSdk(QObject* parent = nullptr);
    ~TerminalSdk() override;

    // Links
    long SdkPreConnectFlag() const;
    void setSdkPreConnectFlag(long flag);
    bool SdkConnectNetwork(const QString& ip, long port);
    bool SdkConnectSerial(long comPort, long machineNumber, long baudRate);
    void SdkDisconnect();
    bool SdkCheckConnection(long& status);
    void SdkPrepareDisconnect(long value);

    // Attendance log
    bool SdkClearAttendanceLog(long m);
    bool SdkReadFirmwareVersion(long m, QString& version);
    bool SdkReadAttendanceLog(long m);
    bool SdkLoadAttendanceLog(long m);
    bool SdkNextAttendanceRecord(long m, QString& userNo, long& verifyMode, long& inOutMode,
                                 long& year, long& month, long& day, long& hour, long& minute,
                                 long& second, long& workCode);
    // Codes 1 administrators, 2 users, 3 fingerprints, 4 passwords, 5 operation records,
    // 6 attendance records.
    bool SdkReadDeviceStatus(long m, long code, long& value);

    // Users
    bool SdkReadAllUserInfo(long m);
    bool SdkNextUserInfo(long m, long& userNo, QString& name, QString& password,
                         long& privilege, bool& enabled);
    bool SdkNextUserInfoStr(long m, QString& userNo, QString& name, QString& password,
                            long& privilege, bool& enabled);
    bool SdkReadUserInfo(long m, const QString& userNo, QString& name, QString& password,
                         long& privilege, bool& enabled);
    // Get: the card of the user read last. Put: taken along by the next user write.
    QString SdkCardNumber(long index = 0) const;
    void setSdkCardNumber(long index, const QString& cardNumber);
    bool SdkSetUserInfoStr(long m, const QString& userNo, const QString& name,
                           const QString& password, long privilege, bool enabled);
    bool SdkSetUserInfo(long m, long userNo, const QString& name, const QString& password,
                        long privilege, bool enabled);
    bool SdkDeleteEnrollData(long m, long userNo, long m2, long backupNumber);
    bool SdkDeleteFingerTemplate(long m, long userNo, long finger);
    bool SdkWriteUserTemplate(long m, long userNo, long finger, const QString& templ);
    bool SdkReadUserTemplate(long m, const QString& userNo, long finger, QString& templ,
                             int& length);
    bool SdkRefreshData(long m);
    bool SdkReadEnrollData(long m, long userNo, long m2, long backupNumber, long& out1,
                           long& out2, long& out3);

    // Clock and device
    bool SdkSetDeviceClock(long m, long year, long month, long day, long hour, long minute,
                           long second);
    bool SdkReadDeviceClock(long m, long& year, long& month, long& day, long& hour,
                            long& minute, long& second);
    bool SdkRestartDevice(long m);
    bool SdkPowerOffDevice(long m);
    bool SdkSetDeviceParam(long m, long param, long value);
    bool SdkWriteDisplayText(long a, long b, const QString& text);
    bool SdkEnableClock(long flag);

    // Operation log
    bool SdkReadSuperLog(long m);
    bool SdkNextSuperLogRecord(long m, std::array<long, 12>& values);

Q_SIGNALS:
    void SdkConnectedEvent();

private:
    std::unique_ptr<TerminalSdkPrivate> d;
};
