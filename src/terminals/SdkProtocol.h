#pragma once
// The wire protocol between TerminalSdk and a terminal (our simulator speaks it too).
//
// One request, one response, each a single line of compact JSON ended by '\n':
//   request   {"id":7,"op":"readUser","m":1,"user":"12"}
//   response  {"id":7,"ok":true,"user":["12","Ann","",0,true,"0"]}
// "ok":false is the terminal's refusal (unknown user, bad finger...): the link stays up.
// Anything else (no answer, a cut-off or unreadable line, a foreign id) is a broken link.
//
// Bulk answers carry their rows as arrays so that 100,000 punches stay a few megabytes
// and parse in one pass:
//   attendance  [user, verifyMode, inOutMode, year, month, day, hour, minute, second, workCode]
//   user        [user, name, password, privilege, enabled, card]
//   operation   twelve whole numbers, in the order the operation-log walk hands them out
//
// Opening a link is a "hello" exchange. On a serial line the client first sends a bare
// newline and the terminal answers "hello" with a leading newline: whatever half line an
// earlier, broken exchange left on either side is ended there and skipped by the reader.

#include <QtGlobal>

namespace SdkProtocol {

inline constexpr char Hello[] = "hello";
inline constexpr char Ping[] = "ping";
inline constexpr char ClearLog[] = "clearLog";
inline constexpr char Firmware[] = "firmware";
inline constexpr char ReadLog[] = "readLog";
inline constexpr char Status[] = "status";
inline constexpr char ReadUsers[] = "readUsers";
inline constexpr char ReadUser[] = "readUser";
inline constexpr char SetUser[] = "setUser";
inline constexpr char DeleteEnroll[] = "deleteEnroll";
inline constexpr char DeleteTemplate[] = "deleteTemplate";
inline constexpr char WriteTemplate[] = "writeTemplate";
inline constexpr char ReadTemplate[] = "readTemplate";
inline constexpr char Refresh[] = "refresh";
inline constexpr char ReadEnroll[] = "readEnroll";
inline constexpr char SetClock[] = "setClock";
inline constexpr char ReadClock[] = "readClock";
inline constexpr char Restart[] = "restart";
inline constexpr char PowerOff[] = "powerOff";
inline constexpr char SetParam[] = "setParam";
inline constexpr char Display[] = "display";
inline constexpr char EnableClock[] = "enableClock";
inline constexpr char ReadSuperLog[] = "readSuperLog";

inline constexpr int AttendanceFields = 10;
inline constexpr int UserFields = 6;
inline constexpr int OperationFields = 12;

// Finger index that stands for every finger of a user, and the backup number that stands
// for the whole user (record, fingers, password and card).
inline constexpr int AllFingers = 12;
inline constexpr int WholeUser = 12;
inline constexpr int PasswordBackup = 10;
inline constexpr int CardBackup = 11;

// A longer line is not an answer but a runaway peer. A log of a million punches is about
// 30 MB, so this leaves room for any real answer while a flooding peer cannot grow the
// program by more.
inline constexpr qsizetype MaxLineBytes = qsizetype(64) * 1024 * 1024;

} // namespace SdkProtocol
