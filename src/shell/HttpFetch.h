#pragma once
// The one HTTP operation the program needs: fetch a URL, wait for the answer, hand back the
// body. It waits on the calling thread, as the error report expects, but keeps the event
// loop running underneath so sockets and timers still work; only user input is held back
// so the operator cannot start a second fetch from inside the first.
//
//     HttpFetch fetch;
//     const HttpFetch::Result page = fetch.get(url);
//     if (page.answered && page.body.contains(word)) ...

#include <QNetworkAccessManager>
#include <QString>
#include <QUrl>

class HttpFetch
{
public:
    struct Result
    {
        // True when a server answered, whatever its status; false for no network, a refused
        // connection, a time-out or an unusable URL.
        bool answered = false;
        QString body;
    };

    // Sends one GET and waits at most timeoutMs for the whole answer (redirects included).
    // A negative timeout takes the "ErrorReport/TimeoutMs" setting.
    Result get(const QUrl& url, int timeoutMs = -1);

private:
    QNetworkAccessManager m_manager;
};
