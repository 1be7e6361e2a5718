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

    // Links. The pre-connect flag is kept for the screens that set it; links open the same
    // way whatever it holds. A successful connect emits SdkConnectedEvent before it returns.
    long SdkPreConnectFlag() const;
    void setSdkPreConnectFlag(long flag);
    bool SdkConnectNetwork(const QString& ip, long port);
    bool SdkConnectSerial(long comPort, long machineNumber, long baudRate);
    void SdkDisconnect();
    // Asks the terminal, so a link whose peer went away reads as down (and is closed).
    // status: 1 up, 0 down.
    bool SdkCheckConnection(long& status);
    // Lets what is still being written leave, waiting at most `value` milliseconds.
    void SdkPrepareDisconnect(long value);

    // Attendance log. A read fetches the whole log at once; the Next calls walk that copy.
    // A read that fails leaves nothing to walk, never a part of the log.
    bool SdkClearAttendanceLog(long m);
    bool SdkReadFirmwareVersion(long m, QString& version);
    bool SdkReadAttendanceLog(long m);
    bool SdkLoadAttendanceLog(long m);
    bool SdkNextAttendanceRecord(long m, QString& userNo, long& verifyMode, long& inOutMode,
                                 long& year, long& month, long& day, long& hour, long& minute,
                                 long& second, long& workCode);
    // The fields of the record handed out last that the terminal sent as no whole number,
    // each handed out as 0: bit 1 << SdkRecords::PunchField per field; 0 when all are numbers.
    unsigned unreadableFields() const;
    // The first of them by name ("verify mode", "second", ...); empty when there is none.
    QString unreadableField() const;
    // Codes 1 administrators, 2 users, 3 fingerprints, 4 passwords, 5 operation records,
    // 6 attendance records.
    bool SdkReadDeviceStatus(long m, long code, long& value);

    // Users. User numbers are texts on the terminal; the Long forms read "007" as 7, and a
    // terminal looks a numeric text up by its value.
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
    // backupNumber 0-9: that finger's template; 10: the password; 11: the card; 12: the
    // whole user. True when the terminal holds the user.
    bool SdkDeleteEnrollData(long m, long userNo, long m2, long backupNumber);
    // finger 0-9, or 12 for every finger. True when the terminal holds the user.
    bool SdkDeleteFingerTemplate(long m, long userNo, long finger);
    // An empty template changes nothing and is accepted. A user the terminal does not hold is
    // created, bare, for a template to belong to.
    bool SdkWriteUserTemplate(long m, long userNo, long finger, const QString& templ);
    bool SdkReadUserTemplate(long m, const QString& userNo, long finger, QString& templ,
                             int& length);
    // Makes the terminal take up the users and templates written to it.
    bool SdkRefreshData(long m);
    // True when the terminal holds the user (backupNumber 0-12); out1 its privilege, out2
    // the number of fingers it has templates for, out3 1 when it has a password, else 0.
    bool SdkReadEnrollData(long m, long userNo, long m2, long backupNumber, long& out1,
                           long& out2, long& out3);

    // Clock and device. A clock value that is no real date and time is refused.
    bool SdkSetDeviceClock(long m, long year, long month, long day, long hour, long minute,
                           long second);
    bool SdkReadDeviceClock(long m, long& year, long& month, long& day, long& hour,
                            long& minute, long& second);
    // The terminal drops the link when it restarts or powers off. On a closed link nothing
    // is sent and the result is false.
    bool SdkRestartDevice(long m);
    bool SdkPowerOffDevice(long m);
    bool SdkSetDeviceParam(long m, long param, long value);
    // Text on the terminal's display at row a, column b.
    bool SdkWriteDisplayText(long a, long b, const QString& text);
    // 0 asks whether the terminal shows its clock (the answer is the result); a positive
    // flag switches the clock display on, a negative one off (the result: done).
    bool SdkEnableClock(long flag);

    // Operation log
    bool SdkReadSuperLog(long m);
    bool SdkNextSuperLogRecord(long m, std::array<long, 12>& values);

Q_SIGNALS:
    void SdkConnectedEvent();

private:
    std::unique_ptr<TerminalSdkPrivate> d;
};
