#pragma once
// Message boxes in the styles the screens use: 0 OK, 16 critical, 36 yes/no question,
// 48 exclamation, 52 yes/no exclamation, 64 information, 68 yes/no information. The
// window title is the application's unless a title is given. Tests install a handler
// instead of a dialog.
//
//     MsgBox("No data to extract", 48);
//     if (MsgBox(question, 36) == vbYes) ...

#include <QString>

#include <functional>

constexpr int vbOK = 1;
constexpr int vbCancel = 2;
constexpr int vbYes = 6;
constexpr int vbNo = 7;

class MsgBox
{
public:
    using Handler = std::function<int(const QString& text, int style, const QString& title)>;

    MsgBox(const QString& text, int style = 0, const QString& title = QString());
    operator int() const { return m_answer; }

    // Replaces the dialog (tests); an empty handler restores it.
    static void setHandler(Handler handler);

private:
    int m_answer;
};

// The application title: window captions, the autostart entry, the error report.
QString AppTitle();
